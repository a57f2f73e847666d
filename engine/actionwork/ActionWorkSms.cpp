// The SMS action.
#include "ActionWork.h"

#include "SMSAction.h"
#include "SmsSender.h"

bool ActionWork::Run(SMSAction& action) {
    return Sms_Send(action.DeliveryNotification, action.Number.CStr(), action.Message.CStr()) >= 0;
}
