#include "SMSAction.h"

#include "ActionKey.h"
#include "ActionScreens.h"

bool SMSAction::Save(RegKeyRef itemKey) const {
    RegKeyRef key = ActionKey_Open(itemKey, kSubKey);
    RegKeyRef_SetString(key, Message.CStr(), kMessageValue);
    RegKeyRef_SetString(key, To.CStr(), kToValue);
    RegKeyRef_SetString(key, Number.CStr(), kNumberValue);
    ActionKey_WriteInt(key, DeliveryNotification, kDeliveryNotificationValue);
    return true;
}

bool SMSAction::Load(RegKeyRef itemKey) {
    RegKeyRef key = ActionKey_Open(itemKey, kSubKey);
    RegKeyRef_QueryString(key, Message, kMessageValue);
    RegKeyRef_QueryString(key, To, kToValue);
    RegKeyRef_QueryString(key, Number, kNumberValue);
    ActionKey_ReadInt(key, DeliveryNotification, kDeliveryNotificationValue, 0);
    return true;
}

bool SMSAction::EditSettings(HWND parent) {
    ActionScreens* screens = ActionScreens::Current();
    return screens && screens->EditSms(parent, *this);
}
