#pragma once
// The one-time import of items saved by version 3 of the program, which kept their
// sound, vibration, automatic-close and program-start options as loose values in each
// item's key. Each alarm and timer key holding "sndrepeat" gets the current layout
// written into it (the old values stay); the first item already in the current layout
// ends the import. "ver3x" in the product key marks it as done.
namespace Version3Import {
constexpr wchar_t kDoneValue[] = L"ver3x";

// Legacy values of an item's key.
constexpr wchar_t kSoundRepeat[] = L"sndrepeat";
constexpr wchar_t kSoundVolume[] = L"sndvol";
constexpr wchar_t kSoundPause[] = L"sndrepsplit";
constexpr wchar_t kSoundRiseTime[] = L"sndasctime";
constexpr wchar_t kSoundFile[] = L"custom";
constexpr wchar_t kSoundResource[] = L"customres";
constexpr wchar_t kFlags[] = L"flags";
constexpr wchar_t kAutoClose[] = L"shallautoclose";
constexpr wchar_t kAutoCloseTime[] = L"initautoclose";
constexpr wchar_t kVibrationFixedTime[] = L"vibrfixedtime";
constexpr wchar_t kVibrationOnOff[] = L"vibronofftime";
constexpr wchar_t kVibrationLead[] = L"vibrbeforesndtime";
constexpr wchar_t kProgram[] = L"prog4exec";

// The version-3 flag bits the import reads, per kind of item.
struct FlagBits {
    unsigned respectSystem;
    unsigned fixedVibrationTime;
    unsigned vibrateBeforeSound;
    unsigned programStart;
};
constexpr FlagBits kAlarmBits = {0x100000, 0x80000, 0x40000, 0x400000};
constexpr FlagBits kTimerBits = {0x400, 0x200, 0x100, 0x1000};
}  // namespace Version3Import

// Runs the import unless "ver3x" says it ran; without the product key nothing is written.
void ItemStore_ImportVersion3();
