#include "StopwatchItem.h"

#include "RegKeyRefTyped.h"
#include "RegKeyTree.h"

StopwatchItem::StopwatchItem(int number, Ticks100ns stopTime) : StopTime(stopTime) {
    title.Format(L"%s - %d", kDefaultTitleWord, number);
    flags |= kPlaySound | kRunning;
}

void StopwatchItem::CountUp(Ticks100ns elapsed) {
    if (!IsRunning() || IsBit(kStopwatchHeld)) return;
    time = Ticks_AddSaturated(time, elapsed > 0 ? elapsed : 0);
    if (!IsExpired()) return;
    time = 0;
    flags &= ~(kRunning | kStopwatchHeld);
    FinishExpiry();
}

int64_t StopwatchItem::MsToExpiry() const {
    if (!IsRunning() || IsBit(kStopwatchHeld) || StopTime == kNoStopTime || IsExpired()) return -1;
    return (StopTime - time + kTicksPerMillisecond - 1) / kTicksPerMillisecond;
}

void StopwatchItem::AddLap() {
    if (laps.empty()) laps.emplace_back();
    laps.back().push_back(time);
}

void StopwatchItem::Restart() {
    laps.emplace_back();
    while (laps.size() > 2) laps.erase(laps.begin());
    time = 0;
    flags = (flags & ~kStopwatchHeld) | kRunning;
}

Ticks100ns StopwatchItem::LastLap() const {
    return laps.empty() || laps.back().empty() ? 0 : laps.back().back();
}

void StopwatchItem::Save(const RegKeyRef& key) const {
    TimerItem::Save(key);
    RegKeyRef_SetBinary(key, &StopTime, sizeof StopTime, kStopTimeValue);
    SaveLaps(key);
}

bool StopwatchItem::Load(const RegKeyRef& key, Ticks100ns away) {
    if (!LoadTimerValues(key)) return false;
    Ticks100ns stored = kNoStopTime;
    RegKeyRef_QueryBinary(key, &stored, sizeof stored, kStopTimeValue);
    StopTime = stored;
    if (IsRunning() && !IsTemplate() && !IsExpired()) time = Ticks_AddSaturated(time, away > 0 ? away : 0);
    LoadLaps(key);
    // A stop time that passed while the program was away stops the stopwatch as the
    // tick would have; it and its laps stay.
    if (IsExpired()) {
        time = 0;
        flags &= ~(kRunning | kStopwatchHeld);
    }
    if (IsRunning() && laps.empty()) laps.emplace_back();
    return true;
}

// Every lap is written over its old value first and only what is left over is
// removed afterwards, so a save that fails or is cut short never loses a lap.
void StopwatchItem::SaveLaps(const RegKeyRef& key) const {
    RegKeyRef stages = RegKeyRef::OpenSubKey(kStagesSubKey, key, false);
    if (!stages.IsOpen()) return;
    for (size_t i = 0; i < laps.size(); ++i) {
        RegKeyRef group = RegKeyRef::OpenSubKey(RegKeyTree_IndexName(i).c_str(), stages, false);
        if (!group.IsOpen()) continue;
        const LapGroup& entries = laps[i];
        for (size_t j = 0; j < entries.size(); ++j)
            RegKeyRef_SetBinary(group, &entries[j], sizeof entries[j], RegKeyTree_IndexName(j).c_str());
        for (const std::wstring& name : RegKeyTree_ValueNames(group))
            if (!RegKeyTree_IsIndexBelow(name, entries.size())) RegDeleteValueW(group.Key(), name.c_str());
    }
    for (const std::wstring& name : RegKeyTree_SubKeyNames(stages))
        if (!RegKeyTree_IsIndexBelow(name, laps.size())) RegKeyTree_Delete(stages, name.c_str());
}

void StopwatchItem::LoadLaps(const RegKeyRef& key) {
    laps.clear();
    RegKeyRef stages = RegKeyRef::OpenSubKey(kStagesSubKey, key, true);
    if (!stages.IsOpen()) return;
    for (size_t i = 0;; ++i) {
        RegKeyRef group = RegKeyRef::OpenSubKey(RegKeyTree_IndexName(i).c_str(), stages, true);
        if (!group.IsOpen()) break;
        LapGroup entries;
        for (size_t j = 0;; ++j) {
            std::wstring name = RegKeyTree_IndexName(j);
            DWORD type = 0, size = 0;
            if (RegKeyRef_QueryValue(group, name.c_str(), &type, nullptr, &size) != ERROR_SUCCESS) break;
            // A damaged lap is passed over; the laps after it still count.
            Ticks100ns lap = 0;
            if (RegKeyRef_QueryBinary(group, &lap, sizeof lap, name.c_str()) == ERROR_SUCCESS) entries.push_back(lap);
        }
        laps.push_back(entries);
    }
}

RcString StopwatchItem::FormatTime(Ticks100ns duration) {
    DurationParts parts = Ticks_SplitDuration(duration);
    RcString text;
    text.Format(L"%02u:%02u:%02u.%03u", parts.hours, parts.minutes, parts.seconds, parts.milliseconds);
    return text;
}
