#include "WavProbe.h"

#include "CodecFactoryTable.h"
#include "WavInputFile.h"
#include "WavRiff.h"

bool SoundFileInfo_ProbeWav(const wchar_t* path, WavFileInfo* info) {
    WavInputFile file;
    if (file.Open(path, 0) != 0) return false;
    const wav::FormatRecord& format = file.Format();
    info->codecId = format.formatTag == wav::kTagPcm ? CodecFactoryTable::kPcmWav : CodecFactoryTable::kGsm610Wav;
    info->frames = file.Frames();
    info->durationMs = WavRiff::DurationMs(file.Frames(), format.samplesPerSec);
    info->channels = format.channels;
    info->sampleRate = static_cast<int>(format.samplesPerSec);
    return true;
}
