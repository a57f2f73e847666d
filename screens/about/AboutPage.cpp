#include "AboutPage.h"

#include <shellapi.h>
#include <shlobj.h>

#include "AppMessageBox.h"
#include "BmpWriter.h"
#include "ButtonMap.h"
#include "ContextHelp.h"
#include "DeviceFiles.h"
#include "DeviceScreen.h"
#include "DeviceShell.h"
#include "Dpi.h"
#include "Fonts.h"
#include "Gfx.h"
#include "Image.h"
#include "MainMenuPopup.h"
#include "MainWindow.h"
#include "Translator.h"
#include "WideText.h"
#include "resource.h"

namespace {

constexpr wchar_t kSupportMail[] = L"mailto:support@ostrel.example?subject=Orvalen%204.3";
constexpr wchar_t kScreenshotBase[] = L"\\Orvalen-ver";
constexpr wchar_t kScreenshotTail[] = L"-screenshot";
constexpr int kHighDpi = 192;

KeptMenu gAboutMenu;

HMENU AboutMenu() {
    if (!gAboutMenu.menu && (gAboutMenu.menu = CreatePopupMenu())) {
        const Translator& translator = Translator::Instance();
        AppendMenuW(gAboutMenu.menu, MF_STRING, IDS_ABOUT_SCREENSHOT, translator.GetString(IDS_ABOUT_SCREENSHOT).c_str());
        AppendMenuW(gAboutMenu.menu, MF_STRING, IDS_ABOUT_CONTACT, translator.GetString(IDS_ABOUT_CONTACT).c_str());
        TabPage::AppendMenuTail(gAboutMenu.menu);
    }
    return gAboutMenu.menu;
}

void ShellOpen(const std::wstring& file, ULONG mask) {
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof info;
    info.fMask = mask;
    info.lpVerb = L"open";
    info.lpFile = file.c_str();
    info.nShow = SW_SHOW;
    Device_ShellExecuteEx(&info);
}

bool DeviceFileExists(const std::wstring& devicePath) {
    wchar_t host[MAX_PATH];
    return Device_MapPath(devicePath.c_str(), host, MAX_PATH) && GetFileAttributesW(host) != INVALID_FILE_ATTRIBUTES;
}

HFONT AboutFont(int weight, bool underline) {
    return Font_CreateFace(weight, -((Dpi_GetX() * 11 + 48) / 96), underline);
}

}  // namespace

AboutPage::AboutPage()
    : TabPage(IDD_ABOUT_PAGE, IDS_ABOUT, IDI_MENU_ABOUT, ContextHelp::kAbout, TabPage::kNoButtonMode) {}

AboutPage::~AboutPage() {
    if (boldFont_) DeleteObject(boldFont_);
    if (linkFont_) DeleteObject(linkFont_);
    if (bitmap_) DeleteObject(bitmap_);
}

UINT AboutPage::GetLandscapeTemplateId() { return IDD_ABOUT_PAGE_WIDE; }

LRESULT AboutPage::OnInitDialog(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = TabPage::OnInitDialog(wParam, lParam);
    HWND page = GetHwnd();
    boldFont_ = AboutFont(FW_BOLD, false);
    linkFont_ = AboutFont(FW_NORMAL, true);
    SendDlgItemMessageW(page, IDC_ABOUT_NAME, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_), TRUE);
    SendDlgItemMessageW(page, IDC_ABOUT_VERSION, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_), TRUE);
    SendDlgItemMessageW(page, IDC_ABOUT_LINK, WM_SETFONT, reinterpret_cast<WPARAM>(linkFont_), TRUE);
    // The product icon at the screen's icon size.
    const int iconSize = Dpi_GetX() < kHighDpi ? 32 : 64;
    if (HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_MENU_ALARMS),
                                                   IMAGE_ICON, iconSize, iconSize, 0)))
        SendDlgItemMessageW(page, IDC_ABOUT_ICON, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);

    HBITMAP loaded = LoadBitmapW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_ABOUT_PICTURE));
    if (loaded) {
        BITMAP info = {};
        GetObjectW(loaded, sizeof info, &info);
        int width = info.bmWidth, height = info.bmHeight;
        if (Dpi_GetX() >= kHighDpi) {
            HBITMAP scaled = Gfx_GetBitmapSizeDpi(loaded, width, height);
            if (scaled) {
                DeleteObject(loaded);
                loaded = scaled;
            }
        }
        bitmap_ = loaded;
        bitmapSize_ = {width, height};
        picture_ = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_BITMAP, 0, 0, width, height, page,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPictureId)), GetModuleHandleW(nullptr),
                                   nullptr);
        if (picture_) SendMessageW(picture_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap_));
        PlacePicture();
    }
    return result;
}

void AboutPage::PlacePicture() {
    HWND placeholder = GetDlgItem(GetHwnd(), IDC_ABOUT_PICTURE);
    if (!picture_ || !placeholder) return;
    RECT place = {};
    GetWindowRect(placeholder, &place);
    MapWindowPoints(nullptr, GetHwnd(), reinterpret_cast<POINT*>(&place), 2);
    SetWindowPos(picture_, nullptr, place.left, place.top, bitmapSize_.cx, bitmapSize_.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT AboutPage::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == Translator::kDialogTranslatedMessage) {
        wchar_t current[128] = {};
        GetDlgItemTextW(GetHwnd(), IDC_ABOUT_VERSION, current, 128);
        // A text without the version's place keeps its own words.
        const std::wstring text = WString_FillMark(current, L"%s", kVersion);
        if (text != current) SetDlgItemTextW(GetHwnd(), IDC_ABOUT_VERSION, text.c_str());
        return 0;
    }
    if (message == kFillMenuBarMessage) {
        if (MainWindow::MenuBar()) FillMenuBar(AboutMenu());
        return 0;
    }
    return TabPage::WindowProc(message, wParam, lParam);
}

void AboutPage::OnPageShow() {
    // The about page binds no keys of its own: the current screen's keys stay.
    ButtonMap::Instance().RegisterKeys();
    SendMessageW(GetHwnd(), kFillMenuBarMessage, 0, 0);
}

void AboutPage::OnSize(UINT type, int width, int height) {
    TabPage::OnSize(type, width, height);
    PlacePicture();
}

LRESULT AboutPage::OnCtlColorStatic(HDC dc, HWND control) {
    if (GetDlgCtrlID(control) != IDC_ABOUT_LINK) return TabPage::OnCtlColorStatic(dc, control);
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHT));
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
}

void AboutPage::OnCommand(UINT id, HWND control, UINT code) {
    if (code == 0) {
        switch (id) {
        case IDC_ABOUT_LINK: {
            wchar_t link[MAX_PATH] = {};
            GetDlgItemTextW(GetHwnd(), IDC_ABOUT_LINK, link, MAX_PATH);
            ShellOpen(link, SEE_MASK_FLAG_NO_UI | SEE_MASK_NOCLOSEPROCESS);
            break;
        }
        case IDS_TIME:
            MainMenu_Run(GetActiveWindow());
            break;
        case IDS_ABOUT_SCREENSHOT:
            SetTimer(GetHwnd(), kScreenshotTimer, kScreenshotDelayMs, nullptr);
            break;
        case IDS_ABOUT_CONTACT:
            ShellOpen(kSupportMail, SEE_MASK_NOCLOSEPROCESS);
            break;
        }
    }
    TabPage::OnCommand(id, control, code);
}

void AboutPage::OnTimer(UINT_PTR id) {
    if (id != kScreenshotTimer) {
        TabPage::OnTimer(id);
        return;
    }
    KillTimer(GetHwnd(), kScreenshotTimer);
    TakeScreenshot();
}

std::wstring AboutPage::NextScreenshotPath() {
    wchar_t documents[MAX_PATH] = {};
    Device_GetSpecialFolderPath(CSIDL_PERSONAL, documents, MAX_PATH, TRUE);
    const std::wstring base = std::wstring(documents) + kScreenshotBase + kVersion + kScreenshotTail;
    std::wstring path = base + L".bmp";
    for (int number = 0; DeviceFileExists(path); ++number) WString_Format(path, L"%ls %d.bmp", base.c_str(), number);
    return path;
}

void AboutPage::TakeScreenshot() {
    Image image;
    HDC screen = GetDC(nullptr);
    const bool captured = image.CaptureDc(screen, 0, 0, DeviceScreen_GetSystemMetrics(SM_CXSCREEN),
                                          DeviceScreen_GetSystemMetrics(SM_CYSCREEN));
    ReleaseDC(nullptr, screen);
    const std::wstring path = NextScreenshotPath();
    const Translator& translator = Translator::Instance();
    if (captured && Surface_SaveBmp(image, path.c_str())) {
        // Named as the device names it, which is also what fits the message box.
        wchar_t shown[MAX_PATH];
        if (!Device_UnmapPath(path.c_str(), shown, MAX_PATH)) lstrcpynW(shown, path.c_str(), MAX_PATH);
        const std::wstring text = WString_FillMark(translator.GetString(IDS_SCREENSHOT_SAVED), L"%s", shown);
        AppMessageBox_Show(GetHwnd(), text.c_str(), MB_OK);
    } else {
        AppMessageBox_Show(GetHwnd(), translator.GetString(IDS_SCREENSHOT_FAILED).c_str(), MB_OK);
    }
}
