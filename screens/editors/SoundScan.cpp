#include "SoundScan.h"

namespace {

constexpr int kScanPriority = THREAD_PRIORITY_BELOW_NORMAL;
constexpr int kHandOverPriority = THREAD_PRIORITY_ABOVE_NORMAL;

}  // namespace

SoundScan::~SoundScan() { Abandon(); }

bool SoundScan::Start(const std::wstring& soundsFolder, const std::wstring& windowsFolder, bool withWma,
                      const std::wstring& skipPath) {
    if (thread_) return false;
    soundsFolder_ = soundsFolder;
    windowsFolder_ = windowsFolder;
    withWma_ = withWma;
    skipPath_ = skipPath;
    stop_ = false;
    found_.clear();
    thread_ = CreateThread(nullptr, 0, ThreadProc, this, 0, &threadId_);
    if (!thread_) threadId_ = 0;
    return thread_ != nullptr;
}

std::vector<std::unique_ptr<SoundEntry>> SoundScan::Finish() {
    if (thread_) {
        SetThreadPriority(thread_, kHandOverPriority);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        thread_ = nullptr;
        threadId_ = 0;
    }
    return std::move(found_);
}

void SoundScan::Abandon() {
    stop_ = true;
    Finish();
}

DWORD WINAPI SoundScan::ThreadProc(void* self) {
    static_cast<SoundScan*>(self)->Run();
    return 0;
}

void SoundScan::Run() {
    SetThreadPriority(GetCurrentThread(), kScanPriority);
    Search(soundsFolder_, L"*.ogg", 0);
    Search(soundsFolder_, L"*.wav", 0);
    Search(soundsFolder_, L"*.mp3", 0);
    if (withWma_) Search(soundsFolder_, L"*.wma", 0);
    Search(windowsFolder_, L"*.wav", kMinWindowsFileSize);
    if (withWma_) Search(windowsFolder_, L"*.wma", kMinWindowsFileSize);
}

void SoundScan::Search(const std::wstring& folder, const wchar_t* pattern, DWORD minimumSize) {
    if (folder.empty() || stop_) return;
    std::wstring base = folder;
    if (base.back() != L'\\') base += L'\\';
    WIN32_FIND_DATAW data = {};
    HANDLE search = FindFirstFileW((base + pattern).c_str(), &data);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (_wcsicmp((base + data.cFileName).c_str(), skipPath_.c_str()) == 0) continue;
        // Files of 4 GB and more are no ring sounds either, but they are big enough.
        if (minimumSize && data.nFileSizeHigh == 0 && data.nFileSizeLow < minimumSize) continue;
        auto entry = std::make_unique<SoundEntry>();
        entry->kind = 1;
        entry->fullPath = base + data.cFileName;
        entry->displayName = data.cFileName;
        found_.push_back(std::move(entry));
    } while (!stop_ && FindNextFileW(search, &data));
    FindClose(search);
}
