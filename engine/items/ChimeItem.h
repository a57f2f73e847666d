#pragma once
// The clock chime: strikes every quarter hour, half hour or full hour, with its
// own sound and vibration for each, optionally as many strokes as the hour, and
// stays silent in a quiet period. The store embeds exactly one; it rings through
// the alarm's road (message 1376) but has no alarm values of its own.
#include "AlarmItem.h"

class ChimeItem : public AlarmItem {
public:
    static constexpr wchar_t kSubKey[] = L"ChimeItem";
    static constexpr wchar_t kDoVibrateValue[] = L"DoVibrate";
    static constexpr wchar_t kDoSoundValue[] = L"DoSound";
    static constexpr wchar_t kEventTimeValue[] = L"EventTime";
    static constexpr wchar_t kActiveValue[] = L"Active";
    static constexpr wchar_t kDisableFromToValue[] = L"DisableFromTo";
    static constexpr wchar_t kDisableFromHourValue[] = L"DisableFromHour";
    static constexpr wchar_t kDisableToHourValue[] = L"DisableToHour";
    static constexpr wchar_t kChimeTypeValue[] = L"ChimeType";
    static constexpr wchar_t kChimeHoursValue[] = L"ChimeHours";
    static constexpr wchar_t kQuarterSubKey[] = L"QS";
    static constexpr wchar_t kHalfSubKey[] = L"HS";
    static constexpr wchar_t kSoundFileName[] = L"\\chime1.ogg";
    static constexpr wchar_t kTitle[] = L"Chime";

    static constexpr int32_t kEveryQuarter = 0;
    static constexpr int32_t kEveryHalfHour = 1;
    static constexpr int32_t kEveryHour = 2;
    static constexpr int32_t kDefaultFromHour = 21;
    static constexpr int32_t kDefaultToHour = 8;
    // A chime found more than three minutes late is skipped, not rung.
    static constexpr OleDate kLateLimitDays = 0.0020833333;

    // Switched off; its sounds are chime1.ogg in soundsFolder.
    explicit ChimeItem(const RcString& soundsFolder);
    ChimeItem(const ChimeItem& other);
    ChimeItem& operator=(const ChimeItem&) = delete;

    bool IsOption1() const override { return DoSound != 0; }
    void SetOption1(bool on) override { DoSound = on; }
    bool IsOption2() const override { return false; }
    void SetOption2(bool) override {}
    bool IsOption3() const override { return false; }
    void SetOption3(bool) override {}
    bool IsOption4() const override { return false; }
    void SetOption4(bool) override {}
    bool IsOption5() const override { return DoVibrate != 0; }
    void SetOption5(bool on) override { DoVibrate = on; }
    bool IsOption6() const override { return false; }
    void SetOption6(bool) override {}
    bool IsOption7() const override { return false; }
    void SetOption7(bool) override {}
    const RcString& GetTitle() const override { return fixedTitle_; }
    void SetTitle(const RcString&) override {}
    int32_t GetSnoozeType() const override { return kSnoozeTypeKeepShowing; }
    void SetDismissed(bool) override {}
    bool IsDismissed() const override { return true; }
    // The full-hour, half-hour or quarter settings by the current minute; with
    // ChimeHours the full hour repeats as often as the hour on a 12-hour dial.
    boost::shared_ptr<ItemSoundSettings> GetSoundSettings() const override;
    boost::shared_ptr<ItemVibrationSettings> GetVibrationSettings() const override;

    // The first chime moment at or after now outside the quiet period, kept as
    // EventTime; kOleDateNever (EventTime untouched) while the chime is off.
    OleDate NextTime(OleDate now);
    // The moment the chime strikes next as seen at now: a strike whose moment has passed
    // within the late limit, waiting for a ring to end, keeps it; else NextTime(now).
    OleDate NextDue(OleDate now);
    // The per-second test: posts 1376 when EventTime has passed, or schedules the
    // next moment when it passed more than three minutes ago.
    void Tick(OleDate now);
    // The moment Tick strikes once it has passed; kOleDateNever while the chime is off.
    OleDate StrikeAfter() const { return IsOff() ? kOleDateNever : EventTime; }
    // Under productKey\ChimeItem (created by both).
    void Save(const RegKeyRef& productKey) const;
    void Load(const RegKeyRef& productKey);

    int32_t DoVibrate = 0;
    int32_t DoSound = 1;
    OleDate EventTime = kOleDateNever;
    int32_t Active = 0;
    int32_t DisableFromTo = 1;
    int32_t DisableFromHour = kDefaultFromHour;
    int32_t DisableToHour = 9;  // every load gives kDefaultToHour
    int32_t ChimeType = kEveryHour;
    ItemSoundSettings quarterSound;
    ItemVibrationSettings quarterVibration;
    ItemSoundSettings halfSound;
    ItemVibrationSettings halfVibration;
    int32_t ChimeHours = 0;

private:
    enum class Stroke { FullHour, HalfHour, Quarter, None };
    static Stroke StrokeOfMinute(int minute);
    bool IsOff() const { return !Active || (!DoSound && !DoVibrate); }

    RcString fixedTitle_;
};
