// Records through the recorder dialog for the peer check script, which hands the file to
// sox, soxi, ffmpeg and ffprobe. Usage:
//   recorder_tool <codec id> <ms> <out path> [cancel | kill]
// Opens the dialog on a fresh device, presses Record, waits <ms>, then presses Record
// again and OK (or, with "cancel", Cancel while still recording; with "kill", the
// process is terminated while still recording, as a reset would end it). Prints
// "recorded <ms> captured <ms>" (the dialog's own measure of the recording, and the
// length of what the capture delivered). Exit 0 when the dialog
// ended as asked and the recording reported no error.
#include "ProcessingThread.h"
#include "Recorder.h"
#include "RecorderDialog.h"
#include "RecorderEngine.h"
#include "RecorderSettings.h"
#include "TestDevice.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
int32_t captured = 0;
constexpr wchar_t kRecorderKey[] = L"Software\\Ostrel\\Orvalen\\Recorder";

struct Script {
    DWORD ms = 0;
    bool cancel = false;
    bool kill = false;
    DWORD dialogThread = 0;
};

HWND FindDialog(DWORD thread) {
    struct Search {
        HWND found = nullptr;
    } search;
    EnumThreadWindows(
        thread,
        [](HWND window, LPARAM data) -> BOOL {
            if (GetDlgItem(window, RecorderDialog::kRecordButton)) {
                reinterpret_cast<Search*>(data)->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void Click(HWND dialog, int id) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

DWORD WINAPI Drive(void* data) {
    const Script& script = *static_cast<Script*>(data);
    // The dialog's thread sits on the device's desktop; only there are its windows found.
    SetThreadDesktop(GetThreadDesktop(script.dialogThread));
    HWND dialog = nullptr;
    for (int i = 0; i < 1000 && !(dialog = FindDialog(script.dialogThread)); ++i) Sleep(10);
    if (!dialog) return 1;
    Sleep(300);
    Click(dialog, RecorderDialog::kRecordButton);
    // Recording has begun when Play is disabled.
    for (int i = 0; i < 1000 && IsWindowEnabled(GetDlgItem(dialog, RecorderDialog::kPlayButton)); ++i) Sleep(10);
    Sleep(script.ms);
    if (script.kill) {
        RecorderEngine* engine = Recorder_Engine();
        printf("recorded %lu captured %ld\n", static_cast<unsigned long>(script.ms),
               static_cast<long>(engine ? engine->Processing()->processedBytes / 44.1 : 0));
        fflush(stdout);
        TerminateProcess(GetCurrentProcess(), 0);
    }
    if (script.cancel) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return 0;
    }
    Click(dialog, RecorderDialog::kRecordButton);
    for (int i = 0; i < 1000 && !IsWindowEnabled(GetDlgItem(dialog, RecorderDialog::kPlayButton)); ++i) Sleep(10);
    // Every captured byte is encoded once the processing thread is done.
    RecorderEngine* engine = Recorder_Engine();
    for (int i = 0; i < 1000 && engine && (engine->ProcessingActive() || engine->WriterActive()); ++i) Sleep(10);
    if (engine) captured = engine->Processing()->processedBytes;
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    return 0;
}

std::wstring Widen(const char* text) {
    std::wstring wide;
    for (; *text; ++text) wide += static_cast<wchar_t>(*text == '/' ? '\\' : *text);
    return wide;
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        fprintf(stderr, "usage: recorder_tool <codec id> <ms> <out path> [cancel]\n");
        return 2;
    }
    testsupport::TestDevice device;
    if (!device.Ready()) return 3;
    HKEY key = nullptr;
    const int32_t codec = atoi(argv[1]);
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kRecorderKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) != 0)
        return 3;
    RegSetValueExW(key, L"WaveInCodec", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&codec), sizeof codec);
    RegCloseKey(key);

    const std::wstring out = (argv[3][0] == '/' ? L"Z:" : L"") + Widen(argv[3]);
    Script script;
    script.ms = static_cast<DWORD>(atoi(argv[2]));
    script.cancel = argc > 4 && std::string(argv[4]) == "cancel";
    script.kill = argc > 4 && std::string(argv[4]) == "kill";
    script.dialogThread = GetCurrentThreadId();
    HANDLE driver = CreateThread(nullptr, 0, Drive, &script, 0, nullptr);
    RecorderDialog dialog(out.c_str(), nullptr);
    const INT_PTR ended = dialog.Run(nullptr, nullptr);
    WaitForSingleObject(driver, INFINITE);
    DWORD driven = 1;
    GetExitCodeThread(driver, &driven);
    CloseHandle(driver);
    // The capture's bytes in ms (22050 Hz mono 16-bit): Wine's capture is not paced by a
    // clock, so this, not the dialog's time, is the length the file must have.
    printf("recorded %lu captured %ld\n", static_cast<unsigned long>(dialog.LastRecordingMs()),
           static_cast<long>(captured / 44.1));
    const INT_PTR wanted = script.cancel ? IDCANCEL : IDOK;
    return driven == 0 && ended == wanted && dialog.Recorded() ? 0 : 1;
}
