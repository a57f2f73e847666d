#include "RingBubble.h"

#include <aygshell.h>

#include "App.h"
#include "Dpi.h"
#include "resource.h"

namespace {

constexpr DWORD kDurationSeconds = 600;
constexpr int kLargeIconDpi = 192;
const wchar_t kOptionsKey[] = L"ControlPanel\\Notifications\\{8A6FB40A-2BCD-4aa3-A4BD-A0427ABFC172}";
const wchar_t kEmptyPage[] = L"<html><body></body></html>";
const wchar_t kTitle[] = L"Orvalen";

DWORD NextId() {
    static DWORD last = 0;
    return ++last;
}

// The shell keeps per-class options; 0 lets the bubble go straight to the tray.
void ResetShellOptions() {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kOptionsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    const DWORD options = 0;
    RegSetValueExW(key, L"Options", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&options), sizeof options);
    RegCloseKey(key);
}

}  // namespace

const CLSID RingBubble::kClassId = {0x8A6FB40A, 0x2BCD, 0x4AA3, {0xA4, 0xBD, 0xA0, 0x42, 0x7A, 0xBF, 0xC1, 0x72}};

RingBubble::RingBubble() : id_(NextId()) {}

void RingBubble::Show(HWND dialog) {
    if (added_) return;
    ResetShellOptions();
    const int size = Dpi_GetX() < kLargeIconDpi ? 16 : 32;
    HINSTANCE module = App::Instance() ? App::Instance() : GetModuleHandleW(nullptr);
    icon_ = static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(IDR_RING_BUBBLE_ICON), IMAGE_ICON, size, size, 0));
    SHNOTIFICATIONDATA data = {};
    data.cbStruct = sizeof data;
    data.dwID = id_;
    data.npPriority = SHNP_INFORM;
    data.csDuration = kDurationSeconds;
    data.hicon = icon_;
    data.grfFlags = SHNF_STRAIGHTTOTRAY;
    data.clsid = kClassId;
    data.hwndSink = dialog;
    data.pszHTML = kEmptyPage;
    data.pszTitle = kTitle;
    added_ = SHNotificationAdd(&data) == ERROR_SUCCESS;
}

void RingBubble::Remove() {
    if (added_) SHNotificationRemove(&kClassId, id_);
    added_ = false;
    if (icon_) DestroyIcon(icon_);
    icon_ = nullptr;
}
