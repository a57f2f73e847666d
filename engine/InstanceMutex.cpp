#include "InstanceMutex.h"

#include "CopyDataCommand.h"
#include "DeviceObjects.h"

InstanceMutex::Start InstanceMutex::TakeOrHandOver(const wchar_t* commandText) {
    Release();
    // The name is the device's own, so programs of another simulated device never see it.
    wchar_t name[MAX_PATH];
    if (!Device_GetObjectName(CopyDataCommand::kInstanceMutexName, name, MAX_PATH))
        lstrcpynW(name, CopyDataCommand::kInstanceMutexName, MAX_PATH);
    handle_ = CreateMutexW(nullptr, FALSE, name);
    if (!handle_) return Start::kFirst;
    for (int round = 0; round <= kWaitRounds; ++round) {
        // An abandoned mutex is one whose holder died: this start takes its place.
        const DWORD waited = WaitForSingleObject(handle_, round == 0 ? 0 : CopyDataCommand::kFindIntervalMs);
        if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
            owned_ = true;
            return Start::kFirst;
        }
        // A holder still starting has no window yet, and one that is quitting refuses the
        // text: either way the text waits for the engine that comes next.
        HWND engine = FindWindowW(CopyDataCommand::kEngineWindowClass, nullptr);
        if (engine && CopyDataCommand(commandText).SendTo(engine)) {
            Release();
            return Start::kHandedOver;
        }
    }
    Release();
    return Start::kGaveUp;
}

void InstanceMutex::Release() {
    if (owned_) ReleaseMutex(handle_);
    owned_ = false;
    if (handle_) CloseHandle(handle_);
    handle_ = nullptr;
}
