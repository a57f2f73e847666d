#pragma once
// The full-screen clock as screen saver: when it starts, which running programs
// keep it away, how it locks and shows, and its slide show. Stored in
// "Clock\ScreenSaver".
#include "RcString.h"
#include "RegKeyRef.h"
#include "SlideShowSettings.h"

#include <cstdint>
#include <vector>

class ScreenSaverSettings {
public:
    static constexpr wchar_t kSubKey[] = L"ScreenSaver";
    static constexpr wchar_t kActiveValue[] = L"Active";
    static constexpr wchar_t kTimeoutValue[] = L"Timeout";
    static constexpr wchar_t kUseExceptionsValue[] = L"UseExceptions";
    static constexpr wchar_t kLockTypeValue[] = L"LockType";
    static constexpr wchar_t kShowTypeBTValue[] = L"ShowTypeBT";
    static constexpr wchar_t kShowTypeDCValue[] = L"ShowTypeDC";
    static constexpr wchar_t kUnlockOnCallValue[] = L"UnlockOnCall";
    static constexpr wchar_t kOnlyAtHomeValue[] = L"OnlyAtHome";
    static constexpr wchar_t kRunAtSystemValue[] = L"RunAtSystem";
    static constexpr wchar_t kExceptionsSubKey[] = L"Exceptions";
    static constexpr wchar_t kExceptionCountValue[] = L"Number";
    // Longest exception program path read back, in characters.
    static constexpr int kMaxExceptionChars = 260;

    ScreenSaverSettings();
    virtual ~ScreenSaverSettings() = default;

    // LockType reads as 0 when the user-activity driver is not usable.
    void Load(const RegKeyRef& clockKey, bool activityDriverUsable);
    void Save(const RegKeyRef& clockKey) const;

    int32_t Active = 0;
    int32_t Timeout = 180;  // seconds
    int32_t UseExceptions = 1;
    std::vector<RcString> exceptions;  // full program paths
    SlideShowSettings slideShow;
    int32_t LockType = 0;
    int32_t ShowTypeBT = 2;
    int32_t ShowTypeDC = 2;
    int32_t UnlockOnCall = 1;
    int32_t OnlyAtHome = 0;
    int32_t RunAtSystem = 0;

private:
    void LoadExceptions(const RegKeyRef& key);
    void SaveExceptions(const RegKeyRef& key) const;
};
