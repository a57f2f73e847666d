// The editors' sheets in this process, over the program's own objects: the sound page's
// scan thread, its Test button through the signaller, recording a sound from its menu,
// the default and chime sheets, and an editor whose item left the store.
#include "AlarmItem.h"
#include "AlarmSheet.h"
#include "App.h"
#include "ChimeItem.h"
#include "DialogFrame.h"
#include "EditorProbe.h"
#include "DeviceFiles.h"
#include "EngineMessage.h"
#include "EngineWnd.h"
#include "InProcessProgram.h"
#include "ItemStore.h"
#include "MenuBarButtons.h"
#include "RecorderDialog.h"
#include "RingLink.h"
#include "ModalSteps.h"
#include "PlatformHelpers.h"
#include "Settings.h"
#include "Signaller.h"
#include "SoundPage.h"
#include "SoundSettingsSheet.h"
#include "TestFiles.h"
#include "TestSupport.h"
#include "Translator.h"
#include "ZipFileArchive.h"
#include "resource.h"

#include <commctrl.h>
#include <algorithm>
#include <functional>
#include <set>
#include <shlobj.h>
#include <tlhelp32.h>
#include <gtest/gtest.h>

namespace {

using editor_probe::Text;

const std::wstring kClockKey = L"Software\\Ostrel\\Orvalen\\Clock";

using Steps = ModalSteps;

void Press(FramedDialog& sheet, UINT id) { ModalSteps::Press(sheet, id); }
void Click(HWND page, int id) { ModalSteps::Click(page, id); }

int ThreadCount() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    THREADENTRY32 entry = {sizeof entry};
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    CloseHandle(snapshot);
    return count;
}

DWORD HandleCount() {
    DWORD count = 0;
    GetProcessHandleCount(GetCurrentProcess(), &count);
    return count;
}

using EditorsInProcess = InProcessProgram;

}  // namespace

// Opening and closing the sound page 50 times, half of them with the list dropped down
// while the scan may still run, leaves no thread and no handle behind, and every scan
// thread is waited for once.
TEST_F(EditorsInProcess, SoundPageScanLeavesNothingBehind) {
    auto round = [&](bool dropDown) {
        DefaultSoundDialog sheet;
        Steps steps;
        steps.Then([&] { return sheet.GetSoundPage() && sheet.GetSoundPage()->GetHwnd(); })
            .Do([&] {
                HWND page = sheet.GetSoundPage()->GetHwnd();
                if (dropDown) {
                    SendMessageW(page, WM_COMMAND, MAKEWPARAM(IDC_SOUND_LIST, CBN_DROPDOWN),
                                 reinterpret_cast<LPARAM>(GetDlgItem(page, IDC_SOUND_LIST)));
                    EXPECT_FALSE(sheet.GetSoundPage()->Scan().Running());
                }
                Press(sheet, IDCANCEL);
            });
        EXPECT_EQ(IDCANCEL, steps.Run(sheet));
        EXPECT_TRUE(steps.Finished());
    };
    round(false);  // the first round makes what stays for the process (classes, fonts)
    const int threads = ThreadCount();
    const DWORD handles = HandleCount();
    for (int index = 0; index < 50; ++index) round(index % 2 == 0);
    EXPECT_TRUE(testsupport::PollUntil(10000, [&] { return ThreadCount() <= threads; })) << ThreadCount();
    EXPECT_LE(HandleCount(), handles + 2);
    EXPECT_GE(HandleCount() + 2, handles) << "a handle was closed twice";
}

// "Test" rings the page's values through the signaller, reads "Stop" while it rings
// and "Test" again once the sound has ended.
TEST_F(EditorsInProcess, TestButtonRingsThroughTheSignaller) {
    DefaultSoundDialog sheet;
    Steps steps;
    HWND page = nullptr;
    steps.Then([&] { return sheet.GetSoundPage() && (page = sheet.GetSoundPage()->GetHwnd()) != nullptr; })
        .Do([&] {
            CheckDlgButton(page, IDC_SOUND_REPEATING, BST_UNCHECKED);
            CheckDlgButton(page, IDC_SOUND_ASCENDING, BST_UNCHECKED);
            Click(page, IDC_SOUND_TEST);
            EXPECT_EQ(L"Stop", Text(GetDlgItem(page, IDC_SOUND_TEST)));
            EXPECT_EQ(page, App::GetSignaller()->SoundNotifyWindow());
            EXPECT_TRUE(App::GetSignaller()->IsPlaying());
        })
        .Then([&] { return Text(GetDlgItem(page, IDC_SOUND_TEST)) == L"Test"; })
        .Do([&] {
            EXPECT_FALSE(App::GetSignaller()->IsPlaying());
            Press(sheet, IDCANCEL);
        });
    EXPECT_EQ(IDCANCEL, steps.Run(sheet));
    EXPECT_TRUE(steps.Finished());
}

// The "Profiles" popup speaks the language pack's language, whether the pack names the
// popup by its own menu or, as a pack made for the sheets' menu, under that menu.
TEST_F(EditorsInProcess, TheProfilesPopupIsTranslatedUnderEitherMenuOfThePack) {
    ASSERT_TRUE(testsupport::WriteRegistryDword(HKEY_CURRENT_USER, kClockKey + L"\\Language", L"LangID", 1031));
    for (const wchar_t* name : {L"german.zip", L"german-sheet-menu.zip"}) {
        SCOPED_TRACE(testing::Message() << std::string(name, name + wcslen(name)));
        const std::wstring pack = testsupport::HostPath(GERMAN_PACK_DIR) + L"\\" + name;
        ASSERT_TRUE(Translator::Instance().Load(new ZipFileArchive(pack.c_str()), false));
        DefaultSoundDialog sheet;
        Steps steps;
        steps.Then([&] { return sheet.GetSoundPage() && sheet.GetSoundPage()->GetHwnd() && sheet.MenuShown(); })
            .Do([&] {
                HMENU popup = GetSubMenu(MenuBar_GetSubMenu(sheet.Frame().MenuBar(), 1), 0);
                wchar_t reset[64] = {}, setDefault[64] = {};
                GetMenuStringW(popup, IDM_PROFILES_RESET, reset, 64, MF_BYCOMMAND);
                GetMenuStringW(popup, IDM_PROFILES_SET_DEFAULT, setDefault, 64, MF_BYCOMMAND);
                EXPECT_STREQ(L"Zur\u00FCcksetzen", reset);
                EXPECT_STREQ(L"Als Standard", setDefault);
                Press(sheet, IDCANCEL);
            });
        EXPECT_EQ(IDCANCEL, steps.Run(sheet));
        EXPECT_TRUE(steps.Finished());
    }
}

// "Record a sound" stands below the sound page's "Profiles". The device's chooser gets the
// offered "MyRecord.mp3" in the sounds folder; the recorder records into that file and,
// closed with OK, leaves it chosen on the page, which the sheet's OK keeps.
TEST_F(EditorsInProcess, RecordASoundChoosesTheRecording) {
    // Loaded here, the chooser library is the one the program's load by name finds.
    HMODULE chooser = LoadLibraryW(testsupport::HostPath(ORVALEN_TGETFILE_STANDIN).c_str());
    ASSERT_NE(nullptr, chooser);
    const std::wstring file = std::wstring(App::SoundsFolder().CStr()) + L"\\MyRecord.mp3";
    wchar_t hostFolder[MAX_PATH], hostFile[MAX_PATH];
    ASSERT_TRUE(Device_MapPath(App::SoundsFolder().CStr(), hostFolder, MAX_PATH));
    ASSERT_TRUE(Device_MapPath(file.c_str(), hostFile, MAX_PATH));
    CreateDirectoryW(hostFolder, nullptr);
    DeleteFileW(hostFile);

    DefaultSoundDialog sheet;
    Steps steps;
    HWND recorder = nullptr;
    auto post = [&](int id) { PostMessageW(recorder, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); };
    auto findRecorder = [&] {
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM found) -> BOOL {
                if (!GetDlgItem(window, RecorderDialog::kRecordButton)) return TRUE;
                *reinterpret_cast<HWND*>(found) = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&recorder));
        return recorder != nullptr;
    };
    steps.Then([&] { return sheet.GetSoundPage() && sheet.GetSoundPage()->GetHwnd(); })
        .Do([&] {
            HMENU menu = MenuBar_GetSubMenu(sheet.Frame().MenuBar(), 1);
            EXPECT_EQ(static_cast<UINT>(IDM_PROFILES_RECORD), GetMenuItemID(menu, 1));
            wchar_t text[64] = {};
            GetMenuStringW(menu, 1, text, 64, MF_BYPOSITION);
            EXPECT_STREQ(L"Record a sound", text);
            Press(sheet, IDM_PROFILES_RECORD);
        })
        .Then(findRecorder)
        .Do([&] { post(RecorderDialog::kRecordButton); })
        .Then([&] { return Text(GetDlgItem(recorder, RecorderDialog::kTimeControl)) == L"0:01"; })
        .Do([&] { post(RecorderDialog::kRecordButton); })
        .Then([&] { return IsWindowEnabled(GetDlgItem(recorder, RecorderDialog::kPlayButton)) != FALSE; })
        .Do([&] { PostMessageW(recorder, WM_COMMAND, IDOK, 0); })
        .Then([&] { return !IsWindow(recorder); })
        .Do([&] { Press(sheet, IDOK); });
    EXPECT_EQ(IDOK, steps.Run(sheet));
    EXPECT_TRUE(steps.Finished());
    FreeLibrary(chooser);
    const ItemSoundSettings& chosen = *store_->GetSettings().defaultSoundSettings;
    EXPECT_EQ(0, chosen.builtIn);
    EXPECT_EQ(file, chosen.custom.CStr());
    WIN32_FILE_ATTRIBUTE_DATA recorded = {};
    EXPECT_TRUE(GetFileAttributesExW(hostFile, GetFileExInfoStandard, &recorded));
    EXPECT_GT(recorded.nFileSizeLow, 1000u);
    DeleteFileW(hostFile);
}

// The default sheet writes "DefaultSettings"; the chime sheet the chime's pair of its type.
TEST_F(EditorsInProcess, DefaultAndChimeSheetsWriteTheirRecords) {
    auto setVolumeAndOk = [](SoundSettingsSheet& sheet, int volume) {
        Steps steps;
        steps.Then([&] { return sheet.GetSoundPage() && sheet.GetSoundPage()->GetHwnd(); }).Do([&] {
            SendMessageW(GetDlgItem(sheet.GetSoundPage()->GetHwnd(), IDC_SOUND_VOLUME), TBM_SETPOS, TRUE, volume);
            Press(sheet, IDOK);
        });
        EXPECT_EQ(IDOK, steps.Run(sheet));
    };
    {
        DefaultSoundDialog sheet;
        setVolumeAndOk(sheet, 33);
    }
    DWORD volume = 0;
    EXPECT_TRUE(testsupport::ReadRegistryDword(HKEY_CURRENT_USER, kClockKey + L"\\DefaultSettings\\SoundSettings",
                                               L"volume", &volume));
    EXPECT_EQ(33u, volume);
    EXPECT_EQ(33, store_->GetSettings().defaultSoundSettings->volume);

    const ItemSoundSettings quarter = store_->Chime().quarterSound, full = store_->Chime().soundSettings;
    {
        ChimeSoundDialog sheet(store_->Chime(), 1);
        setVolumeAndOk(sheet, 44);
    }
    EXPECT_EQ(44, store_->Chime().halfSound.volume);
    EXPECT_EQ(quarter, store_->Chime().quarterSound);
    EXPECT_EQ(full, store_->Chime().soundSettings);
    store_->Save(true);
    EXPECT_TRUE(testsupport::ReadRegistryDword(HKEY_CURRENT_USER,
                                               L"Software\\Ostrel\\Orvalen\\ChimeItem\\HS\\SoundSettings", L"volume",
                                               &volume));
    EXPECT_EQ(44u, volume);

    // Another type has no pair: the sheet has no page.
    ChimeSoundDialog none(store_->Chime(), 3);
    Steps steps;
    steps.Do([&] {
        EXPECT_EQ(0, none.PageCount());
        Press(none, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, steps.Run(none));
}

// The sheet looks its alarm up before OK writes: one that left the store is not written.
TEST_F(EditorsInProcess, AnAlarmThatLeftTheStoreIsNotWritten) {
    AlarmItem outside;
    outside.title.SetCStr(L"Kept");
    AlarmSheet sheet(outside, *store_);
    Steps steps;
    steps.Then([&] { return sheet.MainPage() && sheet.MainPage()->GetHwnd(); }).Do([&] {
        SetDlgItemTextW(sheet.MainPage()->GetHwnd(), IDC_ALARM_TITLE, L"Changed");
        Press(sheet, IDOK);
    });
    EXPECT_EQ(IDOK, steps.Run(sheet));
    EXPECT_TRUE(sheet.DiscardedEdit());
    EXPECT_STREQ(L"Kept", outside.title.CStr());
}

// A ring's delete that arrives while OK asks whether to enable an inactive alarm: the
// sheet writes nothing more into the gone alarm and reports the edit discarded.
TEST_F(EditorsInProcess, AnAlarmDeletedDuringTheNotActiveQuestionIsNotWritten) {
    AlarmItem* alarm = store_->CreateAlarm(nullptr);
    alarm->flags &= ~(AlarmItem::kNew | AlarmItem::kEnabled);
    const size_t alarms = store_->Alarms().size();
    const std::wstring question = Translator::Instance().GetString(IDS_ALARM_NOT_ACTIVE);
    AlarmSheet sheet(*alarm, *store_);
    Steps steps;
    steps.Then([&] { return sheet.MainPage() && sheet.MainPage()->GetHwnd(); })
        .Do([&] {
            Press(sheet, IDOK);
            PostMessageW(App::GetEngine()->Hwnd(), EngineMessage::kDeleteAlarm, reinterpret_cast<WPARAM>(alarm), 0);
        })
        .Then([&] { return editor_probe::AnswerBox(GetCurrentProcessId(), question, IDYES, 0) == question; });
    EXPECT_EQ(IDOK, steps.Run(sheet));
    EXPECT_TRUE(steps.Finished());
    EXPECT_EQ(alarms - 1, store_->Alarms().size());
    EXPECT_TRUE(sheet.DiscardedEdit());
}

namespace {

// Writes a file of `size` bytes at a device or host path, with its folders.
void PutFile(const std::wstring& path, size_t size) {
    wchar_t host[MAX_PATH];
    ASSERT_TRUE(Device_MapPath(path.c_str(), host, MAX_PATH));
    std::wstring folder = host;
    folder.resize(folder.rfind(L'\\'));
    SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    ASSERT_TRUE(testsupport::WriteBytes(host, std::string(size, 'x')));
}

// The full path of the sound page's selected entry; empty for the built-in default.
std::wstring SelectedSound(SoundPage& page) {
    HWND combo = GetDlgItem(page.GetHwnd(), IDC_SOUND_LIST);
    const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    const LRESULT data = index < 0 ? CB_ERR : SendMessageW(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    return data == CB_ERR || !data ? L"" : reinterpret_cast<const SoundEntry*>(data)->fullPath;
}

// Opens the sound page of a new alarm whose sound is the file `sound`, runs onPage there
// and presses OK; gives the alarm back.
AlarmItem* EditAlarmSound(ItemStore& store, const std::wstring& sound, const std::function<void(SoundPage&)>& onPage) {
    AlarmItem* alarm = store.CreateAlarm(nullptr);
    alarm->flags &= ~AlarmItem::kNew;
    alarm->soundSettings.builtIn = 0;
    alarm->soundSettings.custom.SetCStr(sound.c_str());
    AlarmSheet sheet(*alarm, store);
    Steps steps;
    steps.Then([&] { return sheet.MainPage() && sheet.MainPage()->GetHwnd(); })
        .Do([&] { sheet.SelectPage(2); })
        .Then([&] { return sheet.GetSoundPage() && sheet.GetSoundPage()->GetHwnd(); })
        .Do([&] {
            onPage(*sheet.GetSoundPage());
            Press(sheet, IDOK);
        });
    EXPECT_EQ(IDOK, steps.Run(sheet));
    EXPECT_TRUE(steps.Finished());
    return alarm;
}

}  // namespace

// An alarm's sound on a device-rooted path (as the version-3 import writes it) shows on
// the sound page, and OK keeps it; so does a sound the page cannot find.
TEST_F(EditorsInProcess, TheSoundPageKeepsADeviceRootedSound) {
    const std::wstring there = L"\\My Documents\\ring.mp3", gone = L"\\My Documents\\gone.mp3";
    PutFile(there, 100);
    for (const std::wstring& sound : {there, gone}) {
        AlarmItem* alarm = EditAlarmSound(*store_, sound, [&](SoundPage& page) {
            EXPECT_EQ(sound, SelectedSound(page));
        });
        EXPECT_EQ(0, alarm->soundSettings.builtIn);
        EXPECT_EQ(sound, alarm->soundSettings.custom.CStr());
    }
}

// A file chosen through "File" is selected by its full path: not a scanned file of the
// Windows folder with the same name, nor another long path that shortens alike.
TEST_F(EditorsInProcess, TheSoundPageSelectsTheChosenFileByItsFullPath) {
    wchar_t windows[MAX_PATH];
    Sys_GetWindowsFolder(windows);
    PutFile(std::wstring(windows) + L"\\alarm.wav", 10000);
    const std::wstring chosen = std::wstring(App::SoundsFolder().CStr()) + L"\\alarm.wav";
    PutFile(chosen, 100);
    const std::wstring deep = L"\\My Documents\\A folder with a name far too long for the sound list\\";
    PutFile(deep + L"first\\ring.wav", 100);
    PutFile(deep + L"second\\ring.wav", 100);
    DefaultSoundDialog sheet;
    Steps steps;
    steps.Then([&] { return sheet.GetSoundPage() && sheet.GetSoundPage()->GetHwnd(); }).Do([&] {
        SoundPage& page = *sheet.GetSoundPage();
        SendMessageW(page.GetHwnd(), WM_COMMAND, MAKEWPARAM(IDC_SOUND_LIST, CBN_DROPDOWN),
                     reinterpret_cast<LPARAM>(GetDlgItem(page.GetHwnd(), IDC_SOUND_LIST)));
        for (const std::wstring& path : {chosen, deep + L"first\\ring.wav", deep + L"second\\ring.wav"}) {
            EXPECT_TRUE(page.AddPath(path));
            EXPECT_EQ(path, SelectedSound(page));
        }
        // Each entry shows a text of its own: the Windows folder's alarm.wav beside the
        // sounds folder's, the two deep ring.wav files by their folders.
        HWND combo = GetDlgItem(page.GetHwnd(), IDC_SOUND_LIST);
        std::set<std::wstring> texts;
        const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
        for (int index = 0; index < count; ++index) {
            wchar_t text[MAX_PATH] = {};
            SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
            texts.insert(text);
        }
        EXPECT_EQ(static_cast<size_t>(count), texts.size());
        EXPECT_EQ(2u, std::count_if(texts.begin(), texts.end(), [](const std::wstring& text) {
                      return text.find(L"alarm.wav") != std::wstring::npos;
                  }));
        Press(sheet, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, steps.Run(sheet));
    EXPECT_TRUE(steps.Finished());
}

// A stored sound the page cannot find is an entry of its own, marked as not found and
// selected, and every command takes what the list shows: "Test" says at once that it
// cannot play it (no waiting for the file, no other sound instead), "Set as default"
// makes it the default, and the default entry chosen instead is what OK keeps.
TEST_F(EditorsInProcess, TheSoundPageShowsASoundItCannotFindAndEveryCommandTakesIt) {
    const std::wstring gone = L"\\Storage Card\\gone.mp3";
    HWND pageWindow = nullptr;
    AlarmItem* alarm = store_->CreateAlarm(nullptr);
    alarm->flags &= ~AlarmItem::kNew;
    alarm->soundSettings.builtIn = 0;
    alarm->soundSettings.custom.SetCStr(gone.c_str());
    AlarmSheet sheet(*alarm, *store_);
    Steps steps;
    steps.Then([&] { return sheet.MainPage() && sheet.MainPage()->GetHwnd(); })
        .Do([&] { sheet.SelectPage(2); })
        .Then([&] { return sheet.GetSoundPage() && (pageWindow = sheet.GetSoundPage()->GetHwnd()) != nullptr; })
        .Do([&] {
            EXPECT_EQ(gone, SelectedSound(*sheet.GetSoundPage()));
            const std::wstring shown = Text(GetDlgItem(pageWindow, IDC_SOUND_LIST));
            EXPECT_NE(std::wstring::npos, shown.find(L"gone.mp3 (not found)")) << std::string(shown.begin(), shown.end());
            CheckDlgButton(pageWindow, IDC_SOUND_REPEATING, BST_UNCHECKED);
            ModalSteps::PostClick(pageWindow, IDC_SOUND_TEST);
        })
        .Then([&] { return editor_probe::AnswerBox(GetCurrentProcessId(), L"Failed to play audio data file", IDOK, 0) ==
                           L"Failed to play audio data file"; })
        .Do([&] {
            EXPECT_FALSE(App::GetSignaller()->IsPlaying());
            EXPECT_NE(pageWindow, App::GetSignaller()->SoundNotifyWindow());
            EXPECT_EQ(L"Test", Text(GetDlgItem(pageWindow, IDC_SOUND_TEST)));
            Press(sheet, IDM_PROFILES_SET_DEFAULT);
        })
        .Then([&] { return store_->GetSettings().defaultSoundSettings->custom.CStr() == gone; })
        .Do([&] {
            EXPECT_EQ(0, store_->GetSettings().defaultSoundSettings->builtIn);
            HWND combo = GetDlgItem(pageWindow, IDC_SOUND_LIST);
            SendMessageW(combo, CB_SETCURSEL,
                         SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                      reinterpret_cast<LPARAM>(L"default")),
                         0);
            SendMessageW(pageWindow, WM_COMMAND, MAKEWPARAM(IDC_SOUND_LIST, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(combo));
            Press(sheet, IDOK);
        });
    EXPECT_EQ(IDOK, steps.Run(sheet));
    EXPECT_TRUE(steps.Finished());
    EXPECT_EQ(1, alarm->soundSettings.builtIn);
    EXPECT_EQ(ItemSoundSettings::kDefaultSoundResource, alarm->soundSettings.customres);
}

// The same file added in another case selects its entry, which keeps the stored spelling.
TEST_F(EditorsInProcess, TheSoundPageKnowsAFileAddedInAnotherCase) {
    const std::wstring sound = L"\\My Documents\\Ring Tone.wav";
    PutFile(sound, 100);
    AlarmItem* alarm = EditAlarmSound(*store_, sound, [&](SoundPage& page) {
        HWND combo = GetDlgItem(page.GetHwnd(), IDC_SOUND_LIST);
        const LRESULT entries = SendMessageW(combo, CB_GETCOUNT, 0, 0);
        EXPECT_TRUE(page.AddPath(L"\\MY DOCUMENTS\\ring tone.WAV"));
        EXPECT_EQ(entries, SendMessageW(combo, CB_GETCOUNT, 0, 0));
        EXPECT_EQ(sound, SelectedSound(page));
    });
    EXPECT_EQ(0, alarm->soundSettings.builtIn);
    EXPECT_EQ(sound, alarm->soundSettings.custom.CStr());
}

// An alarm that closes by itself at the end of its sound rings while the sound page's
// Test plays and is stopped, and the page is closed: the page stops only its own sound,
// the ring's goes on after it, and the alarm closes only at the end of its own sound.
TEST_F(EditorsInProcess, TheSoundPageStopsOnlyItsOwnSound) {
    AlarmItem* alarm = store_->CreateAlarm(nullptr);
    alarm->flags &= ~AlarmItem::kNew;
    alarm->time = Time_LocalNowAsDate(true);
    alarm->SnoozeType = EventItem::kSnoozeTypeAutoClose;
    alarm->soundSettings.repeat = 3;
    alarm->soundSettings.repsplit = 0;
    alarm->soundSettings.asctime = 0;
    alarm->SetOption5(false);
    alarm->SetDismissed(false);
    SendMessageW(App::GetEngine()->Hwnd(), EngineMessage::kAlarmDue, reinterpret_cast<WPARAM>(alarm), 0);
    HWND ring = alarm->ringUI ? alarm->ringUI->RingWindow() : nullptr;
    ASSERT_TRUE(ring);
    Signaller* signaller = App::GetSignaller();
    DefaultSoundDialog sheet;
    Steps steps;
    HWND page = nullptr;
    steps.Then([&] { return sheet.GetSoundPage() && (page = sheet.GetSoundPage()->GetHwnd()) != nullptr; })
        .Do([&] {
            Click(page, IDC_SOUND_TEST);
            EXPECT_EQ(page, signaller->SoundNotifyWindow());
            Click(page, IDC_SOUND_TEST);
            EXPECT_EQ(ring, signaller->SoundNotifyWindow()) << "the ring's sound did not go on";
            Press(sheet, IDCANCEL);
        });
    EXPECT_EQ(IDCANCEL, steps.Run(sheet));
    EXPECT_TRUE(IsWindow(ring)) << "the page ended the ring";
    EXPECT_FALSE(alarm->IsDismissed());
    EXPECT_TRUE(testsupport::PollUntil(30000, [&] {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        return !IsWindow(ring);
    })) << "the ring never ended";
    EXPECT_TRUE(alarm->IsDismissed());
}
