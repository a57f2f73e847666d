#pragma once
// Sends one text message through the platform's SMS library, loaded for each message.
#include <windows.h>

constexpr int kSmsLibraryMissing = -1;
constexpr int kSmsOpenFailed = -2;

// -1 when "sms.dll" or one of its three functions is missing, -2 when the text
// provider does not open, else the result of sending (negative on failure). A number
// longer than the address field holds is cut to 255 characters.
int Sms_Send(int deliveryNotification, const wchar_t* number, const wchar_t* message);
