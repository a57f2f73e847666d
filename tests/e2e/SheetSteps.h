#pragma once
// Driving a modal sheet of the program from inside its own process: the modal steps under
// the names the options tests use.
#include "ModalSteps.h"

namespace sheet_steps {

class Steps : public ModalSteps {
public:
    using ModalSteps::Run;
    // Any modal loop: show runs it, cancel ends it once the steps ran out of time.
    INT_PTR RunModal(const std::function<INT_PTR()>& show, const std::function<void()>& cancel) {
        return Run(show, cancel);
    }
};

inline void Press(FramedDialog& sheet, UINT id) { ModalSteps::Press(sheet, id); }
inline void Click(HWND page, int id) { ModalSteps::Click(page, id); }

}  // namespace sheet_steps
