// Opens a framed or a tabbed dialog, one with digital displays in bitmap fonts, or one
// with weekday strips, on a simulated screen and keeps it up until told to close, so a
// script can take a screenshot:
//   dialog_showcase <framed|tabbed|digits|days> <width> <height> <dpi> <language pack> <ready file> <done file>
// The ready file appears once the dialog is up; the dialog ends when the done file exists.
#include <windows.h>
#include <commctrl.h>

#include <cwchar>
#include <string>

#include "BitmapFontCtrl.h"
#include "DaysOfWeekCtl.h"
#include "DeviceScreen.h"
#include "DeviceSession.h"
#include "DialogFrame.h"
#include "DialogTestResources.h"
#include "Dpi.h"
#include "FramedDialog.h"
#include "PageBase.h"
#include "TabDialog.h"
#include "Translator.h"
#include "ZipFileArchive.h"
#include "resource.h"

namespace {

constexpr UINT kPollMs = 100;
constexpr int kSettleTicks = 15;
constexpr DWORD kGerman = 1031;
const wchar_t kLanguageKey[] = L"Software\\Ostrel\\Orvalen\\Clock\\Language";

std::wstring g_readyFile;
std::wstring g_doneFile;
HWND g_frame = nullptr;
int g_ticks = 0;

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void CALLBACK OnPoll(HWND, UINT, UINT_PTR, DWORD) {
    if (++g_ticks == kSettleTicks) {
        HANDLE file = CreateFileW(g_readyFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
    }
    if (g_ticks > kSettleTicks && FileExists(g_doneFile) && g_frame)
        EndDialog(g_frame, IDOK);
}

class ShowcaseEditor : public FramedDialog {
public:
    ShowcaseEditor() : FramedDialog(IDD_TEST_EDITOR, IDS_TEST_EDITOR_CAPTION, IDI_PROGRAM, true, 0, true) {}
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override {
        const LRESULT result = FramedDialog::OnInitDialog(wParam, lParam);
        g_frame = Frame().GetHwnd();
        SetDlgItemTextW(GetHwnd(), IDC_TEST_EDIT, L"Morgenwecker");
        HWND combo = GetDlgItem(GetHwnd(), IDC_TEST_COMBO);
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"Jeden Tag"));
        SendMessageW(combo, CB_SETCURSEL, 0, 0);
        CheckDlgButton(GetHwnd(), IDC_TEST_CHECK, BST_CHECKED);
        return result;
    }
};

// The clock's and the stopwatch's displays, in the font for the screen's density.
class ShowcaseDigits : public FramedDialog {
public:
    ShowcaseDigits() : FramedDialog(IDD_TEST_DIGITS, IDS_TEST_DIGITS_CAPTION, IDI_PROGRAM, true, 0, true) {}
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override {
        const LRESULT result = FramedDialog::OnInitDialog(wParam, lParam);
        g_frame = Frame().GetHwnd();
        const bool large = Dpi_GetX() >= 192;
        ShowDisplay(clock_, IDC_TEST_CLOCK_DIGITS, large, L"12:05");
        ShowDisplay(stopwatch_, IDC_TEST_STOPWATCH_DIGITS, large, L"00:07:41.250");
        return result;
    }

private:
    void ShowDisplay(BitmapFontCtrl& display, int id, bool large, const wchar_t* text) {
        display.Subclass(GetDlgItem(GetHwnd(), id));
        display.LoadFont(large ? IDR_FONT_LARGE_STRIP : IDR_FONT_SMALL_STRIP, large ? IDR_FONT_LARGE : IDR_FONT_SMALL);
        display.SetText(text);
    }
    BitmapFontCtrl clock_;
    BitmapFontCtrl stopwatch_;
};

// Weekday strips: Monday to Friday in a Sunday-first locale, with the focus and the
// cursor on Tuesday; the weekend in a Monday-first locale, Friday held down by Enter.
class ShowcaseDays : public FramedDialog {
public:
    ShowcaseDays()
        : FramedDialog(IDD_TEST_DAYS, IDS_TEST_DAYS_CAPTION, IDI_PROGRAM, true, 0, true),
          weekdays_(0x3E, L"MDMDFSS", kEnglishUs),
          weekend_(0x41, L"MDMDFSS", kGermanGermany) {}
    LRESULT OnInitDialog(WPARAM wParam, LPARAM lParam) override {
        FramedDialog::OnInitDialog(wParam, lParam);
        g_frame = Frame().GetHwnd();
        weekdays_.Create(GetDlgItem(GetHwnd(), IDC_TEST_DAYS_FIRST), nullptr);
        weekend_.Create(GetDlgItem(GetHwnd(), IDC_TEST_DAYS_SECOND), nullptr);
        for (int step = 0; step < 4; ++step) SendMessageW(weekend_.GetHwnd(), WM_KEYDOWN, VK_RIGHT, 0);
        SendMessageW(weekend_.GetHwnd(), WM_KEYDOWN, VK_RETURN, 0);
        SetFocus(weekdays_.GetHwnd());
        for (int step = 0; step < 2; ++step) SendMessageW(weekdays_.GetHwnd(), WM_KEYDOWN, VK_RIGHT, 0);
        return FALSE;  // the focus is set
    }

private:
    static constexpr LCID kEnglishUs = 0x0409;
    static constexpr LCID kGermanGermany = 0x0407;
    DaysOfWeekCtl weekdays_;
    DaysOfWeekCtl weekend_;
};

class ShowcaseSheet : public TabDialog {
public:
    ShowcaseSheet() : TabDialog(IDS_TEST_SHEET_CAPTION, IDI_PROGRAM, true, 0, true) {}
    ~ShowcaseSheet() override = default;
    void OnInitPages() override {
        g_frame = Frame().GetHwnd();
        const UINT templates[] = {IDD_TEST_PAGE_GENERAL, IDD_TEST_PAGE_SOUND, IDD_TEST_PAGE_LONG};
        const UINT captions[] = {IDS_TEST_PAGE_GENERAL, IDS_TEST_PAGE_SOUND, IDS_TEST_PAGE_LONG};
        for (int index = 0; index < 3; ++index) {
            auto* page = new PageBase(true);
            if (page->CreateModeless(templates[index], GetHwnd(), nullptr))
                AddPage(page, captions[index]);
            else
                delete page;
        }
    }
    void OnOpened(UINT, WPARAM) override { SelectPage(0); }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 8) {
        fwprintf(stderr, L"usage: dialog_showcase <framed|tabbed|digits|days> <width> <height> <dpi> <pack> <ready> <done>\n");
        return 2;
    }
    if (!DeviceSession_Attach()) {
        fwprintf(stderr, L"dialog_showcase: no device session\n");
        return 2;
    }
    const std::wstring kind = argv[1];
    if (!DeviceScreen_SetMode(_wtoi(argv[2]), _wtoi(argv[3]), _wtoi(argv[4]))) {
        fwprintf(stderr, L"dialog_showcase: bad screen\n");
        return 2;
    }
    Dpi_ResetCache();
    g_readyFile = argv[6];
    g_doneFile = argv[7];
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_TAB_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);

    DWORD german = kGerman;
    RegSetKeyValueW(HKEY_CURRENT_USER, kLanguageKey, L"LangID", REG_DWORD, &german, sizeof german);
    Translator::Instance().Load(new ZipFileArchive(argv[5]), false);

    SetTimer(nullptr, 0, kPollMs, OnPoll);
    INT_PTR result = -1;
    if (kind == L"framed") {
        ShowcaseEditor editor;
        result = editor.Show(nullptr);
    } else if (kind == L"days") {
        ShowcaseDays days;
        result = days.Show(nullptr);
    } else if (kind == L"digits") {
        ShowcaseDigits digits;
        result = digits.Show(nullptr);
    } else {
        ShowcaseSheet sheet;
        result = sheet.Show(nullptr);
    }
    return result == IDOK ? 0 : 1;
}
