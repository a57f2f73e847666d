#pragma once
// Driving a modal dialog of this process: steps run one per tick of a thread timer
// while the dialog (and any message box it opens) runs its own message loop; a step
// that answers false is tried again on the next tick. Past the tick limit the dialog is
// cancelled.
#include <windows.h>

#include <functional>
#include <utility>
#include <vector>

#include "FramedDialog.h"
#include "DialogFrame.h"

class ModalSteps {
public:
    using Step = std::function<bool()>;
    static constexpr UINT kStepMs = 40;
    static constexpr int kMaxTicks = 1500;

    ModalSteps& Then(Step step) {
        steps_.push_back(std::move(step));
        return *this;
    }
    ModalSteps& Do(std::function<void()> step) {
        return Then([step] {
            step();
            return true;
        });
    }
    // show opens the dialog and returns its result; cancel ends it when the steps hang.
    INT_PTR Run(const std::function<INT_PTR()>& show, std::function<void()> cancel) {
        current_ = this;
        cancel_ = std::move(cancel);
        const UINT_PTR timer = SetTimer(nullptr, 0, kStepMs, OnTick);
        const INT_PTR result = show();
        KillTimer(nullptr, timer);
        current_ = nullptr;
        return result;
    }
    INT_PTR Run(FramedDialog& sheet) {
        return Run([&sheet] { return sheet.Show(nullptr); }, [&sheet] { Press(sheet.Frame().GetHwnd(), IDCANCEL); });
    }
    bool Finished() const { return next_ >= steps_.size(); }

    // OK or Cancel of a frame, posted: a question it asks does not block the steps.
    static void Press(HWND frame, UINT id) { PostMessageW(frame, WM_COMMAND, id, 0); }
    static void Press(FramedDialog& sheet, UINT id) { Press(sheet.Frame().GetHwnd(), id); }
    static void Click(HWND page, int id) {
        SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    }
    // A click that opens a message box: posted, so that the steps can answer it.
    static void PostClick(HWND page, int id) {
        PostMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
    }

private:
    static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
        if (current_) current_->Tick();
    }
    void Tick() {
        if (running_) return;
        running_ = true;
        if (++ticks_ > kMaxTicks) {
            if (cancel_) cancel_();
        } else if (next_ < steps_.size() && steps_[next_]()) {
            ++next_;
        }
        running_ = false;
    }

    inline static ModalSteps* current_ = nullptr;
    std::function<void()> cancel_;
    std::vector<Step> steps_;
    size_t next_ = 0;
    int ticks_ = 0;
    bool running_ = false;
};
