#pragma once
// Sends a text message to one recipient.
#include "Action.h"
#include "ActionRunner.h"
#include "RcString.h"

#include <cstdint>

class SMSAction : public ClonableAction<SMSAction> {
public:
    static constexpr wchar_t kSubKey[] = L"SMSAction";
    static constexpr wchar_t kMessageValue[] = L"Message";
    static constexpr wchar_t kToValue[] = L"To";
    static constexpr wchar_t kNumberValue[] = L"Number";
    static constexpr wchar_t kDeliveryNotificationValue[] = L"DeliveryNotification";
    static constexpr int kNameStringId = 30153;

    bool Save(RegKeyRef itemKey) const override;
    bool Load(RegKeyRef itemKey) override;
    // True when the platform took the message.
    bool Execute() override { return ActionRunner::RunInstalled(*this); }
    bool EditSettings(HWND parent) override;
    bool HasSettings() const override { return true; }
    int NameStringId() const override { return kNameStringId; }

    RcString Message;
    RcString To;  // the contact's display text
    RcString Number;
    int32_t DeliveryNotification = 0;
};
