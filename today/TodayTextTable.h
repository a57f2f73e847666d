#pragma once
// The Today item's 18 texts: built-in English, replaced slot by slot from the
// translation file the program leaves beside itself (TodayTranslationFile.h). The file
// is read inside the shell's process, so nothing in it is trusted: a record whose
// count cannot be right keeps that slot and every later one at the built-in text.
#include <array>
#include <string>

class TodayTextTable {
public:
    enum Slot {
        kAlarms, kTimers, kActive, kDelete, kSound, kVibrate, kStop, kStart, kRestart, kRunProgram,
        kCancelSnooze, kSkipNextAlarm, kNewAlarm, kNewTimer, kToday, kNothingPending, kEdit, kCancel,
        kSlotCount
    };
    // A record longer than this many characters is taken as damage.
    static constexpr unsigned kMaxRecordChars = 1024;

    TodayTextTable();

    const std::wstring& Text(Slot slot) const { return texts_[slot]; }
    // Every slot back to its built-in text.
    void Reset();
    // The file of that path; slots its records do not reach keep the built-in text.
    // The number of records taken.
    int LoadFile(const std::wstring& path);
    // The file beside the program named by the product key's "Location" (REG_SZ); the
    // built-in texts when there is no such value. The number of records taken.
    int LoadBesideProgram();

    static const wchar_t* DefaultText(Slot slot);

private:
    std::array<std::wstring, kSlotCount> texts_;
};
