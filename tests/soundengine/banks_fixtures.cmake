# AIFF and sample-bank fixtures: AIFF files by sox with sox's own reading of each, and
# the PCM and IMA ADPCM data the bank tests pack into banks (ADPCM with sox's decoding).
set(aiff_files)
foreach(f aiff_m8_8000 aiff_s8_22050 aiff_s16_11025 aiff_m16_37800 aiff_s16_44100 aiff_m16_48000)
  list(APPEND aiff_files ${f}.aiff ${f}.raw)
endforeach()
sound_test_fixtures(bank_fixtures HEADER BankFixtures VARIABLE BANK_FIXTURE_DIR_WINDOWS
  SCRIPT make_bank_fixtures.sh TOOLS sox
  FILES ${aiff_files} aiff_alaw.aifc aiff_24.aiff pcm_1_16.raw pcm_2_8.raw pcm_4_16.raw ima_1.wav ima_1_ref.raw
        ima_2.wav ima_2_ref.raw ima_4.wav ima_4_ref.raw
  COMMENT "Making the AIFF and sample-bank test data with sox")
