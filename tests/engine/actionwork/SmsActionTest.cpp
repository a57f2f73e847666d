// The SMS action and its sender against the device's SMS library and outbox.
#include "DeviceSms.h"
#include "SMSAction.h"
#include "SmsSender.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

DEVICE_SENT_SMS Newest() {
    DEVICE_SENT_SMS sms = {};
    EXPECT_TRUE(DeviceControl_GetSentSms(0, &sms));
    return sms;
}

}  // namespace

TEST(SmsAction, TheOutboxHoldsExactlyTextNumberAndDeliveryFlag) {
    SMSAction action;
    action.Message.SetCStr(L"Wake up, the train leaves at 7:12 \x00e4\x20ac");
    action.Number.SetCStr(L"+49 171 5550123");
    action.To.SetCStr(L"Ann (mobile)");
    action.DeliveryNotification = 1;
    EXPECT_TRUE(action.Execute());
    DEVICE_SENT_SMS sms = Newest();
    EXPECT_STREQ(L"Wake up, the train leaves at 7:12 \x00e4\x20ac", sms.text);
    EXPECT_EQ(action.Message.Length() * sizeof(wchar_t), sms.textBytes) << "no terminator is sent";
    EXPECT_STREQ(L"+49 171 5550123", sms.number);
    EXPECT_EQ(static_cast<DWORD>(SMSAT_UNKNOWN), sms.addressType);
    EXPECT_EQ(static_cast<DWORD>(PS_MESSAGE_OPTION_STATUSREPORT), sms.messageOptions);
    EXPECT_EQ(static_cast<DWORD>(PS_MESSAGE_CLASS1), sms.messageClass);
    EXPECT_EQ(static_cast<DWORD>(PSRO_NONE), sms.replaceOption);
    EXPECT_EQ(static_cast<DWORD>(SMSDE_OPTIMAL), sms.dataEncoding);
    EXPECT_EQ(sizeof(TEXT_PROVIDER_SPECIFIC_DATA), sms.providerDataSize);
    EXPECT_FALSE(sms.viaSmsc);

    // No status report asked; an empty text is a message of no bytes, an empty number
    // goes as it is.
    action.DeliveryNotification = 0;
    action.Message.SetCStr(L"");
    action.Number.SetCStr(L"");
    EXPECT_TRUE(action.Execute());
    sms = Newest();
    EXPECT_EQ(static_cast<DWORD>(PS_MESSAGE_OPTION_NONE), sms.messageOptions);
    EXPECT_EQ(0u, sms.textBytes);
    EXPECT_STREQ(L"", sms.number);

    // A number longer than the address field is cut to what fits with its terminator.
    const std::wstring longNumber(300, L'7');
    EXPECT_GE(Sms_Send(0, longNumber.c_str(), L"x"), 0);
    EXPECT_EQ(std::wstring(SMS_MAX_ADDRESS_LENGTH - 1, L'7'), Newest().number);
    EXPECT_EQ(3u, DeviceControl_GetSentSmsCount());
}

TEST(SmsAction, WithoutTheLibraryOrItsServiceNothingIsSent) {
    SMSAction action;
    action.Message.SetCStr(L"hello");
    action.Number.SetCStr(L"5550123");
    ASSERT_TRUE(DeviceControl_SetSmsService(FALSE));
    EXPECT_EQ(kSmsOpenFailed, Sms_Send(0, L"5550123", L"hello"));
    EXPECT_FALSE(action.Execute());
    ASSERT_TRUE(DeviceControl_SetSmsService(TRUE));
    ASSERT_TRUE(testsupport::RemoveDeviceLibrary(SMS_LIBRARY));
    EXPECT_EQ(kSmsLibraryMissing, Sms_Send(1, L"5550123", L"hello"));
    EXPECT_FALSE(action.Execute());
    EXPECT_EQ(0u, DeviceControl_GetSentSmsCount());
}
