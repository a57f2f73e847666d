#pragma once
// The countdown before the reset action resets the device: a topmost modeless dialog
// that counts from 10 to 0 once a second, holds while a ring sounds or vibrates, and
// resets the device after showing 0. "Cancel" ends it for good. While it is open the
// engine's busy count keeps the program running.
#include "DialogBase.h"
#include "MenuBarHolder.h"

#include <memory>
#include <string>

class ResetCountdownWnd : public DialogBase {
public:
    static constexpr UINT kTemplateId = 2054;
    static constexpr int kTextControl = 1304;
    static constexpr UINT_PTR kCountdownTimer = 123;
    static constexpr UINT kTickMs = 1000;
    static constexpr int kStartCount = 10;

    // Opens a new countdown without a parent; null when its dialog could not be made.
    // The countdown is owned here and deleted once its window is gone.
    static ResetCountdownWnd* Open();
    // The text of the count control with its first "%d" replaced by count; any other
    // '%' stays as it is, so a translated text never acts as a format.
    static std::wstring FillCount(const std::wstring& text, int count);

    // The next number to show.
    int Countdown() const { return countdown_; }

    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override;
    void OnTimer(UINT_PTR id) override;
    void OnCommand(UINT id, HWND control, UINT code) override;
    void OnSize(UINT type, int width, int height) override;
    void OnDestroy() override;

private:
    ResetCountdownWnd() = default;
    void ShowCount(int count);
    void ResetNow();
    // A screen as every other: full screen under the task bar, its choices on soft keys.
    void ShowAsScreen();

    std::wstring text_;
    int countdown_ = kStartCount;
    bool busyRaised_ = false;
    MenuBarHolder menuBar_;
};
