#pragma once
// "Record custom sound": records a new ring sound into a file chosen beforehand and lets
// the user play it back before accepting it. A full-screen Pocket PC dialog (template
// 327) with the elapsed time in large digits, Record/Stop and Play/Stop. Recording goes
// through the recorder's front end, play-back through the Signaller.
#include <windows.h>

#include <string>

#include "PpcDialog.h"

class Signaller;

class RecorderDialog {
public:
    static constexpr UINT kTemplateId = 327;
    static constexpr UINT kMenuBarId = 299;
    static constexpr int kLabelControl = 1250;
    static constexpr int kTimeControl = 1251;
    static constexpr int kRecordButton = 1252;
    static constexpr int kPlayButton = 1253;
    static constexpr int kSecondsControl = 1254;
    static constexpr UINT kRecordingEndedMessage = 1274;  // wParam: the end code
    static constexpr UINT kTranslateMessage = 6126;
    static constexpr UINT_PTR kElapsedTimer = 10;
    static constexpr UINT kStopString = 30306;
    static constexpr UINT kRecordFailedString = 330;
    // How a recording that ended by itself ended, and whether its file was kept.
    static constexpr UINT kNoRoomString = 361;
    static constexpr UINT kLowMemoryString = 362;
    static constexpr UINT kTooSlowString = 363;
    static constexpr UINT kCardBehindString = 364;
    static constexpr UINT kNotCreatedString = 365;
    static constexpr UINT kWriteFailedString = 366;
    static constexpr UINT kKeptString = 367;
    static constexpr UINT kNotKeptString = 368;
    static constexpr UINT kPlayFailedString = 30016;
    static constexpr int kTimeFontSize = 420;  // tenths of a point

    // fileName: a device path; signaller plays the recording back (not owned).
    RecorderDialog(const wchar_t* fileName, Signaller* signaller);
    ~RecorderDialog();
    RecorderDialog(const RecorderDialog&) = delete;
    RecorderDialog& operator=(const RecorderDialog&) = delete;

    // Runs the dialog modally from the resource module; 1 on OK.
    INT_PTR Run(HWND owner, HINSTANCE resources);
    // True when this dialog saved a recording: its file was made and holds sound (the
    // caller offers it as a ring sound).
    bool Recorded() const { return recorded_ && kept_; }
    bool IsRecording() const { return startTick_ != 0; }
    // How long the last recording ran, by the dialog's clock (ms).
    DWORD LastRecordingMs() const { return lastRecordingMs_; }

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    static void OnRecordEnd(void* dialog, int code);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void OnInitDialog();
    void OnCommand(UINT id);
    void OnRecordingEnded(int code);
    // After a recording has closed: whether its file is one to keep.
    void NoteKept();
    void ShowEnding(int code);
    void OnDestroy();
    void StartRecording();
    void StopRecording();
    void PlayOrStop();
    void UpdateButtons();
    void ShowElapsed();
    void RestoreText(int control);
    void ShowError(UINT stringId);
    void ShowError(const std::wstring& text);

    std::wstring fileName_;
    Signaller* signaller_;
    HWND dialog_ = nullptr;
    HINSTANCE resources_ = nullptr;
    PpcDialogState ppc_;
    HFONT timeFont_ = nullptr;
    DWORD startTick_ = 0;
    DWORD lastRecordingMs_ = 0;
    bool recorded_ = false;
    bool kept_ = false;
    bool toldNotCreated_ = false;  // this recording's "file cannot be created" was shown
    int margin_ = 0;
};
