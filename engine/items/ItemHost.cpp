#include "ItemHost.h"

ItemHost* ItemHost::current_ = nullptr;

ItemHost* ItemHost::Install(ItemHost* host) {
    ItemHost* previous = current_;
    current_ = host;
    return previous;
}
