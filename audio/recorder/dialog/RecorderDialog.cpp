#include "RecorderDialog.h"

#include "AppMessageBox.h"
#include "Dpi.h"
#include "Fonts.h"
#include "ItemSoundSettings.h"
#include "Recorder.h"
#include "RecorderCodes.h"
#include "RecorderEngine.h"
#include "RecorderSettings.h"
#include "InputMixer.h"
#include "SharedSoundPlayer.h"
#include "Signaller.h"
#include "StdioFile.h"
#include "Translator.h"
#include "WavProbe.h"

#include <cstring>
#include <cwchar>

namespace {
// The soft-key menu's OK and Cancel, and the shell's.
constexpr UINT kMenuOk = 2050;
constexpr UINT kMenuCancel = 2051;
constexpr UINT kShellOk = 0xE790;
constexpr UINT kShellCancel = 0xE791;
constexpr int kMarginAt96Dpi = 24;
constexpr int kStopWaitStepMs = 100;
constexpr int kStopWaitSteps = 30;
// The recording format of the dialog: 22050 Hz mono 16 bits, MP3 at 96 kbit/s.
constexpr RecorderCaptureSetting kDialogCapture = {100, 22050, 1, 16};
constexpr int32_t kDialogMp3Bitrate = 96;

// A recording worth offering as a ring sound: a WAV file with at least one frame, or
// another (MP3) that is not empty.
bool HoldsSound(const wchar_t* path) {
    StdioFile file;
    if (!file.OpenRead(path)) return false;
    char magic[4] = {};
    const size_t read = fread(magic, 1, sizeof magic, file.Get());
    file.Close();
    if (read == sizeof magic && memcmp(magic, "RIFF", 4) == 0) {
        WavFileInfo info;
        return SoundFileInfo_ProbeWav(path, &info) && info.frames > 0;
    }
    return read > 0;
}

// What the user is told of a recording that ended by itself.
UINT EndingString(int code) {
    static const struct Ending {
        int code;
        UINT text;
    } kEndings[] = {{RecorderCode::kNoRoom, RecorderDialog::kNoRoomString},
                    {RecorderCode::kLowMemory, RecorderDialog::kLowMemoryString},
                    {RecorderCode::kQueueFull, RecorderDialog::kTooSlowString},
                    {RecorderCode::kWriterBehind, RecorderDialog::kCardBehindString},
                    {RecorderCode::kFileOpenFailed, RecorderDialog::kNotCreatedString},
                    {RecorderCode::kFileWriteFailed, RecorderDialog::kWriteFailedString}};
    for (const Ending& ending : kEndings)
        if (ending.code == code) return ending.text;
    return RecorderDialog::kRecordFailedString;
}
}  // namespace

RecorderDialog::RecorderDialog(const wchar_t* fileName, Signaller* signaller)
    : fileName_(fileName ? fileName : L""), signaller_(signaller) {
    Font_CreateTahoma(timeFont_, kTimeFontSize, true);
}

RecorderDialog::~RecorderDialog() {
    if (timeFont_) DeleteObject(timeFont_);
}

INT_PTR RecorderDialog::Run(HWND owner, HINSTANCE resources) {
    resources_ = resources ? resources : GetModuleHandleW(nullptr);
    return DialogBoxParamW(resources_, MAKEINTRESOURCEW(kTemplateId), owner, DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK RecorderDialog::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    auto* self = reinterpret_cast<RecorderDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!self) return FALSE;
    self->dialog_ = dialog;
    return self->Handle(message, wParam, lParam);
}

void RecorderDialog::OnRecordEnd(void* dialog, int code) {
    PostMessageW(static_cast<RecorderDialog*>(dialog)->dialog_, kRecordingEndedMessage, static_cast<WPARAM>(code), 0);
}

INT_PTR RecorderDialog::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog();
        PpcDialog_ProcessMessage(ppc_, dialog_, message, wParam, lParam, result, 0);
        return TRUE;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED || lParam == 0) {
            OnCommand(LOWORD(wParam));
            return TRUE;
        }
        break;
    case WM_TIMER:
        if (wParam == kElapsedTimer) {
            ShowElapsed();
            return TRUE;
        }
        break;
    case Signaller::kSoundEndedMessage:
        UpdateButtons();
        RestoreText(kPlayButton);
        return TRUE;
    case kRecordingEndedMessage:
        OnRecordingEnded(static_cast<int>(wParam));
        return TRUE;
    case kTranslateMessage:
        Translator::Instance().ApplyCaption(dialog_, kTemplateId);
        if (ppc_.menuBar.bar) Translator::Instance().ApplyMenuBar(ppc_.menuBar.bar, kMenuBarId);
        // The full-screen dialog is the screen the user works in: in front and active. Its
        // caption was drawn while the dialog was still hidden, in the inactive colours.
        SetForegroundWindow(dialog_);
        if (GetForegroundWindow() == dialog_) SendMessageW(dialog_, WM_NCACTIVATE, TRUE, 0);
        return TRUE;
    case WM_DESTROY:
        OnDestroy();
        break;
    default:
        break;
    }
    if (PpcDialog_ProcessMessage(ppc_, dialog_, message, wParam, lParam, result, 0)) {
        SetWindowLongPtrW(dialog_, DWLP_MSGRESULT, result);
        return TRUE;
    }
    return FALSE;
}

void RecorderDialog::OnInitDialog() {
    margin_ = MulDiv(kMarginAt96Dpi, Dpi_GetY(), 96);
    SendDlgItemMessageW(dialog_, kTimeControl, WM_SETFONT, reinterpret_cast<WPARAM>(timeFont_), FALSE);
    startTick_ = 0;
    UpdateButtons();
    PostMessageW(dialog_, kTranslateMessage, 0, 0);
    Recorder_Init();
}

void RecorderDialog::OnCommand(UINT id) {
    switch (id) {
    case kRecordButton:
        if (IsRecording()) {
            StopRecording();
        } else {
            StartRecording();
        }
        break;
    case kPlayButton:
        PlayOrStop();
        break;
    case IDOK:
    case kMenuOk:
    case kShellOk:
        if (IsRecording()) StopRecording();
        if (signaller_) signaller_->StopSound(dialog_);
        EndDialog(dialog_, IDOK);
        break;
    case IDCANCEL:
    case kMenuCancel:
    case kShellCancel:
        if (IsRecording()) {
            KillTimer(dialog_, kElapsedTimer);
            StopRecording();
        }
        EndDialog(dialog_, IDCANCEL);
        break;
    default:
        break;
    }
}

void RecorderDialog::StartRecording() {
    RecorderSettings& settings = RecorderSettings_Global();
    if (Recorder_SelectInputDevice(0) != 0) settings.inputDevice = 0;
    RecorderEngine* engine = Recorder_Engine();
    if (engine) engine->SetClient(this, OnRecordEnd);
    if (engine && !engine->IsBusy()) {
        settings.capture = kDialogCapture;
        settings.mp3.enabled = 1;
        settings.mp3.channelMode = 0;
        settings.mp3.bitrateKbps = kDialogMp3Bitrate;
    }
    const RecorderCaptureSetting capture = settings.capture;
    if (!engine || engine->OpenCapture(capture.sampleRate, capture.channels, capture.bitsPerSample) != 0) {
        ShowError(kRecordFailedString);
        return;
    }
    if (Recorder_StartRecording(fileName_.c_str()) != 0) {
        ShowError(kRecordFailedString);
        Recorder_Stop();
        return;
    }
    lastRecordingMs_ = 0;
    toldNotCreated_ = false;
    startTick_ = GetTickCount();
    if (startTick_ == 0) startTick_ = 1;  // 0 means "not recording"
    SetTimer(dialog_, kElapsedTimer, 1000, nullptr);
    SetDlgItemTextW(dialog_, kTimeControl, L"0:00");
    SetDlgItemTextW(dialog_, kRecordButton, Translator::Instance().GetString(kStopString).c_str());
    recorded_ = true;
    UpdateButtons();
}

void RecorderDialog::StopRecording() {
    RecorderEngine* engine = Recorder_Engine();
    if (!engine || !engine->IsBusy()) return;
    const HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    if (startTick_) lastRecordingMs_ = GetTickCount() - startTick_;
    // The next block ends the recording; the capture closes after it.
    engine->RequestFinish();
    for (int step = 0; step < kStopWaitSteps && engine->IsRecording(); ++step) Sleep(kStopWaitStepMs);
    Recorder_Stop();
    NoteKept();
    SetCursor(previous);
}

void RecorderDialog::OnRecordingEnded(int code) {
    if (!IsWindow(dialog_)) return;
    KillTimer(dialog_, kElapsedTimer);
    if (startTick_ && !lastRecordingMs_) lastRecordingMs_ = GetTickCount() - startTick_;
    Recorder_Stop();
    startTick_ = 0;
    UpdateButtons();
    RestoreText(kRecordButton);
    NoteKept();
    if (code != 0) ShowEnding(code);
}

void RecorderDialog::NoteKept() {
    const RecorderEngine* engine = Recorder_Engine();
    // A file the writer never made is not this recording's, whatever lies under its name.
    kept_ = engine && engine->FileOpened() && HoldsSound(fileName_.c_str());
}

void RecorderDialog::ShowEnding(int code) {
    const RecorderEngine* engine = Recorder_Engine();
    // Without a file that is the whole story, whatever ended the recording first (a folder
    // that does not exist has no free space either); the writer's own report of it, which
    // may come after, is not told twice.
    if (!engine || !engine->FileOpened()) code = RecorderCode::kFileOpenFailed;
    if (code == RecorderCode::kFileOpenFailed) {
        if (toldNotCreated_) return;
        toldNotCreated_ = true;
    }
    const Translator& translator = Translator::Instance();
    std::wstring text = translator.GetString(EndingString(code));
    if (code != RecorderCode::kFileOpenFailed)
        text += L"\n" + translator.GetString(kept_ ? kKeptString : kNotKeptString);
    ShowError(text);
}

void RecorderDialog::PlayOrStop() {
    if (!signaller_) return;
    // Its own play-back only: a ring that plays meanwhile is not this dialog's to stop.
    if (signaller_->HasSoundFor(dialog_)) {
        signaller_->StopSound(dialog_);
        return;
    }
    ItemSoundSettings sound;
    sound.builtIn = 0;
    sound.custom = RcString(fileName_.c_str());
    sound.volume = 100;
    sound.repeat = 1;
    sound.asctime = 0;
    sound.respectsys = 1;
    if (signaller_->StartSound(sound, dialog_, GetModuleHandleW(nullptr), true, true)) {
        SetDlgItemTextW(dialog_, kPlayButton, Translator::Instance().GetString(kStopString).c_str());
        UpdateButtons();
    } else {
        ShowError(kPlayFailedString);
        UpdateButtons();
        RestoreText(kPlayButton);
    }
}

void RecorderDialog::OnDestroy() {
    Recorder_SaveSettings();
    if (IsRecording()) {
        KillTimer(dialog_, kElapsedTimer);
        StopRecording();
        startTick_ = 0;
    }
    Recorder_Shutdown();
    // A ring that plays on the sound-file player keeps it: the Signaller frees it with
    // its own clean-up. Otherwise the player goes now, as the recorder's memory does.
    if (!signaller_ || !signaller_->SoundThreadRunning()) SharedSoundPlayer::Destroy();
}

void RecorderDialog::UpdateButtons() {
    const bool playing = signaller_ && signaller_->HasSoundFor(dialog_);
    EnableWindow(GetDlgItem(dialog_, kRecordButton), !playing);
    EnableWindow(GetDlgItem(dialog_, kPlayButton), !IsRecording());
}

void RecorderDialog::ShowElapsed() {
    if (!IsRecording()) return;
    const DWORD seconds = (GetTickCount() - startTick_) / 1000;
    wchar_t text[32];
    swprintf(text, 32, L"%lu:%02lu", static_cast<unsigned long>(seconds / 60), static_cast<unsigned long>(seconds % 60));
    SetDlgItemTextW(dialog_, kTimeControl, text);
}

void RecorderDialog::RestoreText(int control) {
    const std::wstring text = Translator::Instance().GetItemText(kTemplateId, static_cast<UINT>(control));
    SetDlgItemTextW(dialog_, control, text.c_str());
}

void RecorderDialog::ShowError(UINT stringId) { ShowError(Translator::Instance().GetString(stringId)); }

void RecorderDialog::ShowError(const std::wstring& text) { AppMessageBox_Show(dialog_, text.c_str(), MB_ICONSTOP); }
