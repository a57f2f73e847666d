#include "FlightMode.h"

#include "CellularLine.h"
#include "DeviceCellular.h"

namespace {
constexpr DWORD_PTR kCallbackInstance = 1;

// The phone shell's PIN prompt would stay up after the SIM took its PIN. Only that
// prompt is closed: the foreground window may be a ring or another program's work.
void ClosePinPrompt() {
    for (HWND prompt = FindWindowExW(nullptr, nullptr, SIM_PIN_PROMPT_CLASS, nullptr); prompt;
         prompt = FindWindowExW(nullptr, prompt, SIM_PIN_PROMPT_CLASS, nullptr))
        PostMessageW(prompt, WM_CLOSE, 0, 0);
}

void EnterPin(const RcString& pin) {
    HSIM sim = nullptr;
    if (FAILED(SimInitialize(0, nullptr, 0, &sim))) return;
    DWORD locked = 0;
    if (pin.Length() > 0 && SUCCEEDED(SimGetPhoneLockedState(sim, &locked)) && locked == SIM_LOCKEDSTATE_SIM_PIN &&
        SUCCEEDED(SimUnlockPhone(sim, pin.CStr(), nullptr)))
        ClosePinPrompt();
    SimDeinitialize(sim);
}
}  // namespace

bool FlightMode_Allowed() { return CeGetCurrentTrust() == OEM_CERTIFY_TRUST; }

void FlightMode_SetRadio(DWORD state, RcString pin) {
    HLINEAPP lineApp = nullptr;
    DWORD devices = 0;
    if (lineInitialize(&lineApp, GetModuleHandleW(nullptr), CellularLine_IgnoreEvent, nullptr, &devices) != 0)
        return;
    const int cellular = CellularLine_Find(lineApp, devices);
    HLINE line = nullptr;
    if (cellular >= 0 && lineOpen(lineApp, static_cast<DWORD>(cellular), &line, kCellularApiVersion, 0,
                                  kCallbackInstance, LINECALLPRIVILEGE_NONE, 0, nullptr) == 0) {
        lineSetEquipmentState(line, state);
        if (state == LINEEQUIPSTATE_FULL) {
            EnterPin(pin);
            lineRegister(line, LINEREGMODE_AUTOMATIC, nullptr, 0);
        }
    }
    // Also closes the line.
    lineShutdown(lineApp);
}
