# AIFF and sample-bank fixtures: AIFF files by sox with sox's own reading of each, and
# the PCM and IMA ADPCM data the bank tests pack into banks (ADPCM with sox's decoding).
set(BANK_FIXTURE_DIR ${CMAKE_CURRENT_BINARY_DIR}/bank_fixtures)
string(REPLACE "/" "\\\\" BANK_FIXTURE_DIR_WINDOWS "Z:${BANK_FIXTURE_DIR}/")
configure_file(BankFixtures.h.in ${CMAKE_CURRENT_BINARY_DIR}/BankFixtures.h @ONLY)
set(bank_fixtures)
foreach(f aiff_m8_8000 aiff_s8_22050 aiff_s16_11025 aiff_m16_37800 aiff_s16_44100 aiff_m16_48000)
  list(APPEND bank_fixtures ${BANK_FIXTURE_DIR}/${f}.aiff ${BANK_FIXTURE_DIR}/${f}.raw)
endforeach()
foreach(f aiff_alaw.aifc aiff_24.aiff pcm_1_16.raw pcm_2_8.raw pcm_4_16.raw ima_1.wav ima_1_ref.raw ima_2.wav
          ima_2_ref.raw ima_4.wav ima_4_ref.raw)
  list(APPEND bank_fixtures ${BANK_FIXTURE_DIR}/${f})
endforeach()
add_custom_command(OUTPUT ${bank_fixtures}
  COMMAND ${CMAKE_COMMAND} -E env SOX_PROGRAM=${SOX_PROGRAM}
          bash ${CMAKE_CURRENT_SOURCE_DIR}/make_bank_fixtures.sh ${BANK_FIXTURE_DIR}
  DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/make_bank_fixtures.sh
  COMMENT "Making the AIFF and sample-bank test data with sox"
  VERBATIM)
add_custom_target(bank_fixtures DEPENDS ${bank_fixtures})
add_dependencies(soundengine_tests bank_fixtures)
