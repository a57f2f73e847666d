#include "FlaggedItem.h"

#include "ItemHost.h"

bool FlaggedItem::IsOption5() const {
    ItemHost* host = ItemHost::Current();
    if (host && !host->HasVibrationDevice()) return false;
    return !IsBit(bits_->vibrateOff);
}
