#pragma once
// The slide show's picture loader: the picture files of one folder in turn (shuffled
// when asked), each loaded on a thread of its own while the previous one shows, so the
// next picture is always ready. At most one loader thread runs; every call that changes
// the loader first waits for it. Calls come from one thread (the GUI thread).
#include <windows.h>

#include <string>
#include <vector>

#include "Image.h"

class PictureLoader {
public:
    // The grey picture that stands in for a file no decoder reads.
    static constexpr int kPlaceholderSide = 50;
    static constexpr WORD kPlaceholderColour = 0x8410;

    PictureLoader();
    // Waits for the loader thread.
    ~PictureLoader();
    PictureLoader(const PictureLoader&) = delete;
    PictureLoader& operator=(const PictureLoader&) = delete;

    // Adds the folder's "*.bmp", "*.gif", "*.png" and "*.jpg" files (in that order) to the
    // names, shuffles them when asked and starts loading the first. False, and no thread,
    // when there are no names.
    bool ScanFolder(const wchar_t* folder, int fitMode, bool shuffle);
    // Hands over the next picture: the one the loader thread made (waiting for it), else
    // one loaded here without smoothing. Unless synchronous, a new thread then loads the
    // following one. An empty image when there are no names.
    ImagePtr RestartLoader(bool synchronous);

    const std::vector<std::wstring>& Names() const { return names_; }
    // A loader thread was started and has not been waited for.
    bool HasLoaderThread() const { return thread_ != nullptr; }

private:
    static DWORD WINAPI LoaderThread(void* loader);
    // Loads the picture at the current position (a stand-in when none reads), moves on,
    // and puts it into the next-picture slot, centred on black when smaller than the screen.
    void LoadNext(bool smooth);
    ImagePtr LoadPicture(const std::wstring& path, bool smooth) const;
    void MoveToNextName();
    void StartLoader();
    // Waits for a running loader thread and closes it.
    void JoinLoader();

    int fitMode_ = 0;
    ImagePtr next_;
    bool shuffle_ = false;
    std::wstring folder_;
    std::vector<std::wstring> names_;
    size_t position_ = 0;
    CRITICAL_SECTION lock_;
    HANDLE thread_ = nullptr;
};

// The standard random shuffle over rand(): for each position i from the second on, an
// index in 0..i from 15-bit rand() values joined until they cover i + 1 values, taken
// modulo i + 1, changes places with it.
void Picture_ShuffleNames(std::vector<std::wstring>::iterator first, std::vector<std::wstring>::iterator last);
