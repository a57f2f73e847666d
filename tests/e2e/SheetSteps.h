#pragma once
// Driving a modal sheet of the program from inside its own process: steps run one per
// tick of a thread timer while the sheet is up, and the sheet's buttons are pressed as
// its soft keys would.
#include <windows.h>

#include <functional>
#include <vector>

#include "FramedDialog.h"
#include "DialogFrame.h"

namespace sheet_steps {

constexpr UINT kStepMs = 40;
constexpr int kMaxTicks = 1500;

// Steps run one per tick of a thread timer while a modal sheet is up; a step that
// answers false is tried again on the next tick. Past the tick limit the sheet is cancelled.
class Steps {
public:
    using Step = std::function<bool()>;
    Steps& Then(Step step) {
        steps_.push_back(std::move(step));
        return *this;
    }
    Steps& Do(std::function<void()> step) {
        return Then([step] {
            step();
            return true;
        });
    }
    INT_PTR Run(FramedDialog& sheet) {
        return RunModal([&sheet] { return sheet.Show(nullptr); },
                        [&sheet] { PostMessageW(sheet.Frame().GetHwnd(), WM_COMMAND, IDCANCEL, 0); });
    }
    // Any modal loop: show runs it, cancel ends it once the steps ran out of time.
    INT_PTR RunModal(const std::function<INT_PTR()>& show, const std::function<void()>& cancel) {
        current_ = this;
        cancel_ = cancel;
        const UINT_PTR timer = SetTimer(nullptr, 0, kStepMs, OnTick);
        const INT_PTR result = show();
        KillTimer(nullptr, timer);
        current_ = nullptr;
        return result;
    }
    bool Finished() const { return next_ >= steps_.size(); }

private:
    static void CALLBACK OnTick(HWND, UINT, UINT_PTR, DWORD) {
        if (current_) current_->Tick();
    }
    void Tick() {
        if (running_) return;
        running_ = true;
        if (++ticks_ > kMaxTicks) cancel_();
        else if (next_ < steps_.size() && steps_[next_]()) ++next_;
        running_ = false;
    }

    static Steps* current_;
    std::function<void()> cancel_;
    std::vector<Step> steps_;
    size_t next_ = 0;
    int ticks_ = 0;
    bool running_ = false;
};
inline Steps* Steps::current_ = nullptr;

inline void Press(FramedDialog& sheet, UINT id) { PostMessageW(sheet.Frame().GetHwnd(), WM_COMMAND, id, 0); }

inline void Click(HWND page, int id) {
    SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
}

}  // namespace sheet_steps
