#include "SoundFileInfo.h"

#include "CASFWMAReader.h"
#include "SoundFileExt.h"
#include "StdioFile.h"
#include "WavProbe.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <memory>

namespace {
bool ProbeWma(const wchar_t* path, SoundFileInfo* info) {
    StdioFile file;
    if (!file.OpenRead(path)) return false;
    StdioFileReader reader(file.Get());
    CASFWMAReader asf;
    asf.SetReader(&reader);
    if (!reader.HasBuffer() || !asf.Open()) return false;
    const AsfAudioFormat& format = asf.Format();
    info->isWma = true;
    info->wmaRate = static_cast<int32_t>(format.sampleRate);
    // The decoder gives at most two channels, and that is what plays.
    info->wmaChannels = std::min<int32_t>(format.channels, 2);
    info->wmaDurationMs = asf.DurationMs();
    info->texts[0] = asf.Title();
    info->texts[1] = asf.Author();
    info->texts[3] = asf.Description();
    return true;
}

bool ProbeWav(const wchar_t* path, SoundFileInfo* info) {
    WavFileInfo wav;
    if (!SoundFileInfo_ProbeWav(path, &wav)) return false;
    info->isWav = true;
    info->wavCodecId = wav.codecId;
    info->wavFrames = wav.frames;
    info->wavDurationMs = wav.durationMs;
    info->wavChannels = wav.channels;
    info->wavRate = wav.sampleRate;
    return true;
}

bool HasEngineExtension(const wchar_t* path) {
    const size_t length = wcslen(path);
    return length >= 5 && path[length - 4] == L'.' && SoundFile_IsMpegOrWavExt(path + length - 3);
}
}  // namespace

bool SoundFileInfo_Probe(const wchar_t* path, SoundFileInfo* info) {
    char magic[4] = {};
    size_t read = 0;
    {
        StdioFile file;
        if (!file.OpenRead(path)) return false;
        read = fread(magic, 1, sizeof magic, file.Get());
    }
    if (read == 4 && memcmp(magic, "OggS", 4) == 0) return false;
    if (read == 4 && memcmp(magic, "RIFF", 4) == 0) return ProbeWav(path, info);
    if (HasEngineExtension(path)) return false;
    return ProbeWma(path, info);
}
