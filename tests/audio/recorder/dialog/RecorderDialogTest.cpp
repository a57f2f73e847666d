// The recorder dialog run modally on the test thread while a second thread presses its
// buttons and reads what it shows.
#include <gtest/gtest.h>

#include "DeviceControl.h"
#include "DeviceFiles.h"
#include "DeviceSignals.h"
#include "DeviceWmaDecoder.h"
#include "RecorderDialog.h"
#include "SharedSoundPlayer.h"
#include "Signaller.h"
#include "SignallerTestSupport.h"
#include "SoundPlayer.h"
#include "TestSupport.h"

#include <atomic>
#include <cstring>
#include <functional>
#include <string>

using namespace signallertest;

namespace {

constexpr DWORD kWaitMs = 20000;
const std::wstring kFile = L"\\My Documents\\MyRecord.wav";

std::wstring HostPath(const std::wstring& devicePath) {
    wchar_t mapped[MAX_PATH];
    return Device_MapPath(devicePath.c_str(), mapped, MAX_PATH) ? mapped : L"";
}

std::wstring Text(HWND window) {
    wchar_t text[256] = {};
    GetWindowTextW(window, text, 256);
    return text;
}

HWND FindOwned(DWORD thread, const std::function<bool(HWND)>& match) {
    struct Search {
        const std::function<bool(HWND)>* match;
        HWND found;
    } search = {&match, nullptr};
    EnumThreadWindows(
        thread,
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (!(*s->match)(window)) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The text of a message box shown on the thread, closed after reading; empty when none
// came within the time.
std::wstring TakeMessageBox(DWORD thread, DWORD timeoutMs) {
    std::wstring text;
    testsupport::PollUntil(timeoutMs, [&] {
        HWND box = FindOwned(thread, [](HWND w) { return !GetDlgItem(w, RecorderDialog::kRecordButton) && GetDlgItem(w, IDOK) && IsWindowVisible(w); });
        if (!box) return false;
        EnumChildWindows(
            box,
            [](HWND child, LPARAM data) -> BOOL {
                wchar_t cls[32] = {};
                GetClassNameW(child, cls, 32);
                if (_wcsicmp(cls, L"Static") == 0 && GetWindowTextLengthW(child) > 0)
                    *reinterpret_cast<std::wstring*>(data) += Text(child);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&text));
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return true;
    });
    return text;
}

// Runs the dialog on the test thread; `drive` runs on a second thread with the dialog's window.
class RecorderDialogTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(DeviceControl_RecordSpeaker(TRUE));
        CreateDirectoryW(HostPath(L"\\My Documents").c_str(), nullptr);
    }

    INT_PTR Run(RecorderDialog& dialog, std::function<void(HWND)> drive) {
        drive_ = std::move(drive);
        thread_ = GetCurrentThreadId();
        HANDLE driver = CreateThread(nullptr, 0, Drive, this, 0, nullptr);
        const INT_PTR ended = dialog.Run(nullptr, nullptr);
        WaitForSingleObject(driver, INFINITE);
        CloseHandle(driver);
        return ended;
    }
    void Click(HWND dialog, int id) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }
    std::wstring ItemText(HWND dialog, int id) { return Text(GetDlgItem(dialog, id)); }
    bool Until(const std::function<bool()>& ready) { return testsupport::PollUntil(kWaitMs, ready); }

    DWORD thread_ = 0;

private:
    static DWORD WINAPI Drive(void* self) {
        auto* test = static_cast<RecorderDialogTest*>(self);
        // The dialog's thread sits on the device's desktop; only there are its windows found.
        SetThreadDesktop(GetThreadDesktop(test->thread_));
        HWND dialog = nullptr;
        testsupport::PollUntil(kWaitMs, [&] {
            dialog = FindOwned(test->thread_, [](HWND w) { return GetDlgItem(w, RecorderDialog::kRecordButton) != nullptr; });
            return dialog != nullptr;
        });
        if (dialog) {
            Sleep(200);
            test->drive_(dialog);
        }
        if (dialog) {
            // A test that failed midway still ends: an error shown is closed, then the dialog.
            TakeMessageBox(test->thread_, 300);
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        }
        return 0;
    }
    std::function<void(HWND)> drive_;
};

}  // namespace

// Record shows the elapsed time and turns into Stop; Play is off meanwhile. The recording
// then plays through the Signaller, heard whole on the loudspeaker: Play turns into Stop and
// back when the sound ends.
TEST_F(RecorderDialogTest, RecordsShowsTheTimeAndPlaysBack) {
    Signaller signaller;
    RecorderDialog dialog(kFile.c_str(), &signaller);
    std::wstring idle, during, stopText, afterOneSecond, playing;
    bool playOffWhileRecording = false, recordOffWhilePlaying = false, playBack = false;
    const INT_PTR ended = Run(dialog, [&](HWND d) {
        idle = ItemText(d, RecorderDialog::kTimeControl) + L"|" + ItemText(d, RecorderDialog::kRecordButton);
        Click(d, RecorderDialog::kRecordButton);
        if (!Until([&] { return !Enabled(d, RecorderDialog::kPlayButton); })) return;
        playOffWhileRecording = true;
        stopText = ItemText(d, RecorderDialog::kRecordButton);
        Until([&] { return ItemText(d, RecorderDialog::kTimeControl) == L"0:02"; });
        afterOneSecond = ItemText(d, RecorderDialog::kTimeControl);
        Click(d, RecorderDialog::kRecordButton);
        if (!Until([&] { return Enabled(d, RecorderDialog::kPlayButton); })) return;
        during = ItemText(d, RecorderDialog::kRecordButton);
        Click(d, RecorderDialog::kPlayButton);
        if (!Until([&] { return ItemText(d, RecorderDialog::kPlayButton) == L"Stop"; })) return;
        playing = ItemText(d, RecorderDialog::kPlayButton);
        recordOffWhilePlaying = !Enabled(d, RecorderDialog::kRecordButton);
        playBack = Until([&] { return ItemText(d, RecorderDialog::kPlayButton) == L"Play"; });
        PostMessageW(d, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(IDOK, ended);
    EXPECT_TRUE(dialog.Recorded());
    EXPECT_EQ(L"0:00|Record", idle);
    EXPECT_TRUE(playOffWhileRecording);
    EXPECT_EQ(L"Stop", stopText);
    EXPECT_EQ(L"0:02", afterOneSecond);
    EXPECT_EQ(L"Record", during);
    EXPECT_EQ(L"Stop", playing);
    EXPECT_TRUE(recordOffWhilePlaying);
    EXPECT_TRUE(playBack);
    std::string bytes;
    ASSERT_TRUE(testsupport::ReadBytes(HostPath(kFile), &bytes));
    ASSERT_GT(bytes.size(), 44u);
    uint32_t data = 0;
    memcpy(&data, &bytes[40], 4);
    const Recording heard = Recording::Read();
    const std::vector<Tone> tones = heard.Tones();
    ASSERT_EQ(1u, tones.size());
    // The whole file is heard, once (22050 Hz mono 16-bit).
    EXPECT_TRUE(OnePlayOf(data / 44.1, tones[0])) << tones[0].soundingMs << " ms of " << data / 44.1;
}

// A volume without room: the engine ends the recording with 15 and the dialog says it
// failed, back to Record.
TEST_F(RecorderDialogTest, ARecordingThatEndsByItselfSaysItFailed) {
    ASSERT_TRUE(DeviceControl_SetDiskFreeBytes(50000));
    Signaller signaller;
    RecorderDialog dialog(kFile.c_str(), &signaller);
    std::wstring message, after;
    Run(dialog, [&](HWND d) {
        Click(d, RecorderDialog::kRecordButton);
        message = TakeMessageBox(thread_, kWaitMs);
        after = ItemText(d, RecorderDialog::kRecordButton);
    });
    EXPECT_EQ(L"Failed to record audio data", message);
    EXPECT_EQ(L"Record", after);
}

// An alarm's WMA sound rings on the shared sound-file player while the recorder is open:
// closing the recorder leaves the player to the Signaller, the ring goes on and stops
// cleanly. Without a ring, closing destroys the player.
TEST_F(RecorderDialogTest, ClosingWhileAWmaRingsLeavesThePlayerToTheSignaller) {
    ASSERT_TRUE(DeviceControl_SetSoundOpenRefused(TRUE));
    Signaller signaller;
    NotifySink sink;
    ASSERT_TRUE(signaller.StartSound(FileSound(DeviceSound(L"tone440.wma", L"ring.wma"), 20, 0), sink.Hwnd(),
                                     GetModuleHandleW(nullptr), true, false));
    SoundPlayer* player = SharedSoundPlayer::Get();
    if (!player || !signaller.IsPlaying()) GTEST_SKIP() << "the device's WMA decoder takes no WMA stream here";
    {
        RecorderDialog dialog(kFile.c_str(), &signaller);
        Run(dialog, [&](HWND d) { PostMessageW(d, WM_COMMAND, IDCANCEL, 0); });
    }
    EXPECT_EQ(player, SharedSoundPlayer::Get());
    sink.Pump(500);
    EXPECT_TRUE(signaller.IsPlaying());
    signaller.StopSound();
    EXPECT_FALSE(signaller.IsPlaying());

    RecorderDialog again(kFile.c_str(), &signaller);
    Run(again, [&](HWND d) { PostMessageW(d, WM_COMMAND, IDCANCEL, 0); });
    EXPECT_EQ(nullptr, SharedSoundPlayer::Get());
}
