#pragma once
// The root of everything that rings: alarms, the chime, timers and stopwatches.
// It carries what they share: the identity Hash, the action, the sound and
// vibration records, the snooze parameters and the link to the ring window now
// showing the item. Items live on the GUI thread; other threads get copies of
// the sound and vibration records, never the item.
#include "Action.h"
#include "DateFunctions.h"
#include "ItemHash.h"
#include "ItemSoundSettings.h"
#include "ItemVibrationSettings.h"
#include "RcString.h"
#include "RegKeyRef.h"

#include <boost/shared_ptr.hpp>
#include <cstdint>
#include <windows.h>

class RingLink;

class EventItem {
public:
    static constexpr wchar_t kActionTypeValue[] = L"actionType";
    static constexpr wchar_t kHashValue[] = L"Hash";
    static constexpr wchar_t kSnoozeCountValue[] = L"SnoozeCount";
    static constexpr wchar_t kInitSnoozeValue[] = L"initsnooze";
    static constexpr wchar_t kSnoozeTypeValue[] = L"SnoozeType";

    // What the ring window does when the sound has ended.
    static constexpr int32_t kSnoozeTypeKeepShowing = 0;
    static constexpr int32_t kSnoozeTypeAutoSnooze = 1;
    static constexpr int32_t kSnoozeTypeAutoClose = 2;

    struct SnoozeLength {
        int16_t minutes = 5;
        int16_t seconds = 0;
    };

    virtual ~EventItem() = default;
    EventItem(const EventItem&) = delete;
    EventItem& operator=(const EventItem&) = delete;

    // The options of the editors' event page: 1 "Play sound", 2 (kept, no meaning),
    // 3 "Blink LED", 4 "Flash light", 5 "Vibrate", 6 "Night color scheme", 7 "Show event dialog".
    virtual bool IsOption1() const = 0;
    virtual void SetOption1(bool on) = 0;
    virtual bool IsOption2() const = 0;
    virtual void SetOption2(bool on) = 0;
    virtual bool IsOption3() const = 0;
    virtual void SetOption3(bool on) = 0;
    virtual bool IsOption4() const = 0;
    virtual void SetOption4(bool on) = 0;
    virtual bool IsOption5() const = 0;
    virtual void SetOption5(bool on) = 0;
    virtual bool IsOption6() const = 0;
    virtual void SetOption6(bool on) = 0;
    virtual bool IsOption7() const = 0;
    virtual void SetOption7(bool on) = 0;
    virtual const RcString& GetTitle() const = 0;
    virtual void SetTitle(const RcString& title) = 0;
    // Marks the item dismissed and ends its snoozes; with reschedule, the engine
    // reschedules and its result is returned.
    virtual int Dismiss(bool reschedule);
    virtual int32_t GetSnoozeType() const { return SnoozeType; }
    virtual void SetDismissed(bool on) = 0;
    virtual bool IsDismissed() const = 0;
    virtual int64_t GetDurationSeconds() const { return 0; }
    // Copies for the signaller's threads; the caller owns them.
    virtual boost::shared_ptr<ItemSoundSettings> GetSoundSettings() const;
    virtual boost::shared_ptr<ItemVibrationSettings> GetVibrationSettings() const;

    // A fresh Hash that no alarm or timer of the store has.
    void MakeUniqueHash();
    // Links ring (null: unlinks) to this item, counting it when the item shows its event dialog.
    void AttachRingUI(RingLink* ring);
    // Unlinks the ring window: at once, or (post) through the engine window later.
    void DetachRingUI(bool post, bool close);
    // Destroys the ring window, tells the engine (wParam flag) and unlinks the item.
    static void CloseRingWindow(RingLink* ring, WPARAM flag);
    // True while the item's destructor closes its ring window: nothing may then hand the
    // item's address to the engine, where another item may soon live.
    bool IsLeaving() const { return leaving_; }
    // Takes over from's ringing and action settings (not its Hash, title, flags or times).
    void CopyActions(const EventItem& from);
    // The item's ring screen runs its action when the ring is dismissed, not when it
    // starts: the item shows its ring screen and runs a program at dismissal.
    bool HasProgramAction() const;
    // The values every item stores in its own key, written and read before its own.
    void SaveBase(const RegKeyRef& key) const;
    void LoadBase(const RegKeyRef& key);
    // A ring of the item is on its way to the screen or up, and unanswered: a save keeps
    // it so that the next start rings it again should the program end before the answer.
    bool RingAwaitsAnswer() const;

    boost::shared_ptr<Action> action;
    int32_t actionType = Action::kTypeNone;
    ItemSoundSettings soundSettings;
    ItemVibrationSettings vibrationSettings;
    RingLink* ringUI = nullptr;  // not owned
    ItemHash Hash;
    SnoozeLength initsnooze;
    int32_t SnoozeCount = 0;
    int32_t SnoozeType = kSnoozeTypeAutoSnooze;
    // Not saved as such: when the ring now up began (local), and whether a ring is on its
    // way to the screen (set by the engine while it shows one, and by a load that found
    // an unanswered ring); what the last save wrote of the ring.
    OleDate ringBegan = 0;
    bool ringOnItsWay = false;
    mutable bool savedRinging = false;

protected:
    EventItem();
    // New items take the night colours when made between 23:00 and 07:59 local time.
    static bool IsNightNow();
    // The derived destructors' first step, while the whole item can still be read.
    void CloseRingOnLeaving();

private:
    bool leaving_ = false;
};
