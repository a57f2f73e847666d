# Format reader fixtures: WAV by sox, MP3 by lame (and MPEG layer II by ffmpeg), Ogg
# Vorbis by oggenc, each with an independent decoder's PCM beside it.
sound_test_fixtures(reader_fixtures HEADER ReaderFixtures VARIABLE READER_FIXTURE_DIR_WINDOWS
  SCRIPT make_reader_fixtures.sh TOOLS sox lame oggenc ffmpeg
  FILES wav8_mono.wav wav16_stereo.wav mp3_128_stereo.mp3 mp3_128_stereo.raw mp3_64_mono.mp3 mp3_64_mono.raw
        mp3_32_16k.mp3 mp3_32_16k.raw mp2_stereo.mp2 mp2_stereo.raw ogg_stereo.ogg ogg_stereo.raw ogg_mono.ogg
        ogg_mono.raw ogg_mono_pages.ogg ogg_mono_pages.raw ogg_silence.ogg ogg_tone_then_silence.ogg pipe_ffmpeg.wav pipe_ffmpeg.raw pipe_sox.wav
        pipe_sox.raw lame_vbr.mp3 lame_vbr.raw lame_cbr.mp3 lame_cbr.raw
  COMMENT "Making the format reader test files with sox, lame, oggenc and ffmpeg")
