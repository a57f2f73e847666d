// The editors' sheets in this process, over the program's own objects: the sound page's
// scan thread, its Test button through the signaller, the default and chime sheets, and
// an editor whose item left the store.
#include "AlarmItem.h"
#include "AlarmSheet.h"
#include "App.h"
#include "ChimeItem.h"
#include "DialogFrame.h"
#include "EditorProbe.h"
#include "SheetSteps.h"
#include "EngineWnd.h"
#include "ItemStore.h"
#include "Settings.h"
#include "Signaller.h"
#include "SoundPage.h"
#include "SoundSettingsSheet.h"
#include "TestSupport.h"
#include "resource.h"

#include <commctrl.h>
#include <tlhelp32.h>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

using editor_probe::Text;
using namespace sheet_steps;

const std::wstring kClockKey = L"Software\\Ostrel\\Orvalen\\Clock";
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

class EditorsInProcess : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(App::InitInstance(GetModuleHandleW(nullptr), L""));
        store_ = App::GetItemStore();
        ASSERT_TRUE(store_);
        // Busy, as while the engine's own editors are open: the idle check never ends the program.
        App::GetEngine()->ChangeBusyCount(1);
    }
    void TearDown() override { App::Shutdown(); }

    ItemStore* store_ = nullptr;
};

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
