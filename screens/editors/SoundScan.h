#pragma once
// The sound page's background search for sound files: the sounds folder (ogg, wav,
// mp3 and, with the shell's sound player, wma) and the Windows folder (wav and wma of
// 9000 bytes or more). The thread only fills its own list; the page takes the list
// once the thread has ended. The thread never closes its own handle: Finish waits for
// it once and closes the handle once, so the page never touches a handle value that
// may already belong to something else.
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

// An entry of the sound combo: kind 0 the built-in default, kind 1 a file or folder;
// missing: the stored sound, which was not found when the list was filled.
struct SoundEntry {
    int kind = 0;
    std::wstring fullPath;
    std::wstring displayName;
    bool missing = false;
};

class SoundScan {
public:
    // Windows-folder files below this size are system clicks, not ring sounds.
    static constexpr DWORD kMinWindowsFileSize = 9000;

    SoundScan() = default;
    // Stops and waits for a scan still running.
    ~SoundScan();
    SoundScan(const SoundScan&) = delete;
    SoundScan& operator=(const SoundScan&) = delete;

    // Starts the thread; the file skipPath (ignoring case) is left out, as the list
    // already has it. False when no thread could be started (the list then stays empty).
    bool Start(const std::wstring& soundsFolder, const std::wstring& windowsFolder, bool withWma,
               const std::wstring& skipPath);
    bool Running() const { return thread_ != nullptr; }
    // Waits for the thread (raised to a higher priority first), closes its handle and
    // hands over what it found; empty when there is no thread or nothing was found.
    std::vector<std::unique_ptr<SoundEntry>> Finish();
    // Asks a running scan to stop early, then Finish.
    void Abandon();
    // The thread's id, 0 without one.
    DWORD ThreadId() const { return threadId_; }

    // The search itself, run on the thread; public so it can be run directly.
    void Run();

private:
    static DWORD WINAPI ThreadProc(void* self);
    void Search(const std::wstring& folder, const wchar_t* pattern, DWORD minimumSize);

    HANDLE thread_ = nullptr;
    DWORD threadId_ = 0;
    std::atomic<bool> stop_{false};
    std::wstring soundsFolder_, windowsFolder_, skipPath_;
    bool withWma_ = false;
    std::vector<std::unique_ptr<SoundEntry>> found_;
};
