#include "ItemStore.h"

// No items are kept yet, so there is nothing to free.
ItemStore::~ItemStore() = default;
