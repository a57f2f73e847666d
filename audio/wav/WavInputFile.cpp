#include "WavInputFile.h"

#include "AudioCodec.h"
#include "WavRiff.h"

#include <new>

int WavInputFile::Open(const wchar_t* path, uint16_t tag) {
    Close();
    if (!file_.OpenRead(path)) return AudioCodec::kCannotOpen;
    reader_.reset(new (std::nothrow) StdioFileReader(file_.Get()));
    if (!reader_ || !reader_->HasBuffer()) {
        Close();
        return AudioCodec::kOutOfMemory;
    }
    WavRiff riff(*reader_);
    bool ok = riff.Open(&format_);
    if (ok && (tag == 0 || tag == format_.formatTag)) {
        if (format_.formatTag == wav::kTagPcm)
            ok = riff.CheckPcm(format_);
        else if (format_.formatTag == wav::kTagGsm610)
            ok = riff.CheckGsm(format_);
        else
            ok = false;
    } else {
        ok = false;
    }
    ok = ok && riff.FindChunks(WavRiff::Walk::kToData, nullptr, &dataLength_);
    if (!ok) {
        Close();
        return AudioCodec::kCannotOpen;
    }
    frames_ = format_.formatTag == wav::kTagPcm ? WavRiff::PcmFrameCount(format_, dataLength_)
                                                : riff.GsmFrameCount(format_, dataLength_);
    dataStart_ = reader_->Position();
    return AudioCodec::kOk;
}

void WavInputFile::Close() {
    reader_.reset();
    file_.Close();
}
