#pragma once
// The record of the command channel: every command, from any sender, reaches
// the engine window as one WM_COPYDATA with dwData 1370 and the UTF-16 text
// with its terminator (cbData = (length + 1) * 2).
#include <windows.h>
#include <string>

class CopyDataCommand {
public:
    static constexpr ULONG_PTR kCommandId = 1370;
    // The receiver: the running instance's hidden engine window, found by its class.
    static constexpr wchar_t kEngineWindowClass[] = L"OrvalenEngineWnd";
    // Held by the running instance: a sender that can create it finds no program running.
    static constexpr wchar_t kInstanceMutexName[] = L"OrvalenMainWnd";
    static constexpr int kFindAttempts = 5;
    static constexpr DWORD kFindIntervalMs = 500;

    explicit CopyDataCommand(const wchar_t* text);
    const COPYDATASTRUCT& Record() const { return record_; }

    // SendMessage(target, WM_COPYDATA, 0, record).
    LRESULT SendTo(HWND target) const;

    // Looks for the running instance's engine window up to 5 times, 500 ms apart
    // (the wait follows every miss, the last one included); null after five misses.
    static HWND FindEngineWindow();
    // The command text of a received record; false when it is not a command: another
    // dwData, no data, an odd byte count, or no terminator within cbData. Nothing past
    // cbData is read, and the text ends at its first terminator.
    static bool TextOf(const COPYDATASTRUCT* record, std::wstring& text);

private:
    COPYDATASTRUCT record_;
};
