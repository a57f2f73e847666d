#pragma once
// What alarms and timers share: one flag word holding their seven options (three of
// them stored as "off" bits) and the dismissed bit, and a title. Each kind keeps these
// at bits of its own, named in its ItemOptionBits.
#include "EventItem.h"

#include <cstdint>

struct ItemOptionBits {
    uint32_t playSound, option2, blinkLedOff, flashLightOff, vibrateOff, nightColors, eventDialogOff, dismissed;
};

class FlaggedItem : public EventItem {
public:
    bool IsOption1() const override { return IsBit(bits_->playSound); }
    void SetOption1(bool on) override { PutBit(bits_->playSound, on); }
    bool IsOption2() const override { return IsBit(bits_->option2); }
    void SetOption2(bool on) override { PutBit(bits_->option2, on); }
    bool IsOption3() const override { return !IsBit(bits_->blinkLedOff); }
    void SetOption3(bool on) override { PutBit(bits_->blinkLedOff, !on); }
    bool IsOption4() const override { return !IsBit(bits_->flashLightOff); }
    void SetOption4(bool on) override { PutBit(bits_->flashLightOff, !on); }
    // Also off while the device has no vibrator.
    bool IsOption5() const override;
    void SetOption5(bool on) override { PutBit(bits_->vibrateOff, !on); }
    bool IsOption6() const override { return IsBit(bits_->nightColors); }
    void SetOption6(bool on) override { PutBit(bits_->nightColors, on); }
    bool IsOption7() const override { return !IsBit(bits_->eventDialogOff); }
    void SetOption7(bool on) override { PutBit(bits_->eventDialogOff, !on); }
    const RcString& GetTitle() const override { return title; }
    void SetTitle(const RcString& text) override { title = text; }
    void SetDismissed(bool on) override { PutBit(bits_->dismissed, on); }
    bool IsDismissed() const override { return IsBit(bits_->dismissed); }

    uint32_t flags = 0;
    RcString title;

protected:
    explicit FlaggedItem(const ItemOptionBits& bits) : bits_(&bits) {}

    bool IsBit(uint32_t bit) const { return (flags & bit) != 0; }
    void PutBit(uint32_t bit, bool on) { flags = on ? flags | bit : flags & ~bit; }

private:
    const ItemOptionBits* bits_;
};
