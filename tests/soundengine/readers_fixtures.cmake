# Format reader fixtures: WAV by sox, MP3 by lame (and MPEG layer II by ffmpeg), Ogg
# Vorbis by oggenc, each with an independent decoder's PCM beside it.
set(READER_FIXTURE_DIR ${CMAKE_CURRENT_BINARY_DIR}/reader_fixtures)
string(REPLACE "/" "\\\\" READER_FIXTURE_DIR_WINDOWS "Z:${READER_FIXTURE_DIR}/")
configure_file(ReaderFixtures.h.in ${CMAKE_CURRENT_BINARY_DIR}/ReaderFixtures.h @ONLY)
set(reader_fixture_env)
foreach(tool sox lame oggenc ffmpeg)
  string(TOUPPER ${tool} var)
  find_program(${var}_PROGRAM ${tool} REQUIRED)
  list(APPEND reader_fixture_env ${var}_PROGRAM=${${var}_PROGRAM})
endforeach()
set(reader_fixtures)
foreach(f wav8_mono.wav wav16_stereo.wav mp3_128_stereo.mp3 mp3_128_stereo.raw mp3_64_mono.mp3 mp3_64_mono.raw
          mp3_32_16k.mp3 mp3_32_16k.raw mp2_stereo.mp2 mp2_stereo.raw ogg_stereo.ogg ogg_stereo.raw ogg_mono.ogg ogg_mono.raw
          pipe_ffmpeg.wav pipe_ffmpeg.raw pipe_sox.wav pipe_sox.raw lame_vbr.mp3 lame_vbr.raw lame_cbr.mp3 lame_cbr.raw)
  list(APPEND reader_fixtures ${READER_FIXTURE_DIR}/${f})
endforeach()
add_custom_command(OUTPUT ${reader_fixtures}
  COMMAND ${CMAKE_COMMAND} -E env ${reader_fixture_env}
          bash ${CMAKE_CURRENT_SOURCE_DIR}/make_reader_fixtures.sh ${READER_FIXTURE_DIR}
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/make_reader_fixtures.sh
  COMMENT "Making the format reader test files with sox, lame, oggenc and ffmpeg"
  VERBATIM)
add_custom_target(reader_fixtures DEPENDS ${reader_fixtures})
add_dependencies(soundengine_tests reader_fixtures)
