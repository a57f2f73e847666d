#pragma once
// Sound files the platform's own player can take: MPEG audio and WAV.

// The extension without its dot: "mp1", "mp2", "mp3", "mpo" or "wav", in any case.
bool SoundFile_IsMpegOrWavExt(const wchar_t* extension);
