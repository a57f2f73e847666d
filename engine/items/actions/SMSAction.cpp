#include "SMSAction.h"

#include "ActionKey.h"
#include "ActionScreens.h"

bool SMSAction::Save(RegKeyRef itemKey) const {
    RegKeyRef key = ActionKey_Open(static_cast<RegKeyRef&&>(itemKey), kSubKey);
    RegKeyRef_SetString(key, Message.CStr(), kMessageValue);
    RegKeyRef_SetString(key, To.CStr(), kToValue);
    RegKeyRef_SetString(key, Number.CStr(), kNumberValue);
    RegKey_WriteDword(key, static_cast<DWORD>(DeliveryNotification), kDeliveryNotificationValue);
    return true;
}

bool SMSAction::Load(RegKeyRef itemKey) {
    RegKeyRef key = ActionKey_Open(static_cast<RegKeyRef&&>(itemKey), kSubKey);
    RegKeyRef_QueryString(key, Message, kMessageValue);
    RegKeyRef_QueryString(key, To, kToValue);
    RegKeyRef_QueryString(key, Number, kNumberValue);
    DWORD notification = 0;
    RegKeyRef_QueryDword(key, &notification, kDeliveryNotificationValue, 0);
    DeliveryNotification = static_cast<int32_t>(notification);
    return true;
}

bool SMSAction::EditSettings(HWND parent) {
    ActionScreens* screens = ActionScreens::Current();
    return screens && screens->EditSms(parent, *this);
}
