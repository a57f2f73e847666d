#pragma once
// The picture slide show of the screen saver: which folder, how long each picture
// stays, the transition and how pictures are fitted. Stored in "SlideShow" under
// the screen-saver key.
#include "RcString.h"
#include "RegKeyRef.h"

#include <cstdint>

class SlideShowSettings {
public:
    static constexpr wchar_t kSubKey[] = L"SlideShow";
    static constexpr wchar_t kFolderValue[] = L"Folder";
    static constexpr wchar_t kDelayMinValue[] = L"DelayMin";
    static constexpr wchar_t kDelaySecValue[] = L"DelaySec";
    static constexpr wchar_t kEffectValue[] = L"Effect";
    static constexpr wchar_t kSizeValue[] = L"Size";
    static constexpr wchar_t kShuffleValue[] = L"Shuffle";
    static constexpr wchar_t kOptimizeValue[] = L"Optimize";
    static constexpr wchar_t kPicturesFolderName[] = L"My Pictures";

    // Folder defaults to the pictures folder of the personal folder.
    SlideShowSettings();

    void Load(const RegKeyRef& screenSaverKey);
    void Save(const RegKeyRef& screenSaverKey) const;

    // The personal folder's "My Pictures"; the personal folder when that is missing;
    // the Windows folder when there is no personal folder.
    static RcString DefaultFolder();

    RcString Folder;
    int16_t DelayMin = 0;
    int16_t DelaySec = 7;
    int32_t Effect = 4;
    int32_t Size = 3;  // fit mode 0..3
    int32_t Shuffle = 0;
    int32_t Optimize = 0;
};
