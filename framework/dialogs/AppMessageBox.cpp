#include "AppMessageBox.h"

#include "DeviceScreen.h"
#include "Translator.h"

namespace {
constexpr UINT kProductNameString = 0;
}

int AppMessageBox_Show(HWND owner, const wchar_t* text, UINT flags) {
    const std::wstring caption = Translator::Instance().GetString(kProductNameString);
    return DeviceScreen_MessageBox(owner, text, caption.c_str(), flags);
}
