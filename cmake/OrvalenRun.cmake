# What scripts/run.sh builds and puts on the run's device: the target orvalen_run builds
# every program a run uses and nothing else (no test programs), and
# <build>/run/manifest.sh tells the script where each file is.
#
# orvalen_run_uses(<target> [ROLE <name>] [ON_DEVICE <device folder>])
#   ON_DEVICE  the script copies the file into that folder of the run's device, as the
#              handheld would have it ("Windows" for the launcher, "Program Files/Orvalen"
#              for the program and what ships beside it)
#   ROLE       the script finds the file as $run_<name>, on the device when it is put there
#              (run.sh uses "program" and "watch")
# A file that goes onto a device goes as its device copy (below).
#
# orvalen_device_copy(<target>)
#   after each link, a copy of the file without debug information in the "device-copy" folder
#   beside it: what a run's and a test's device get (Orvalen.exe: 4 MB instead of 46, and it
#   starts in half the time). The build's own file keeps its debug information.
#   Called in the folder that makes the target.
# orvalen_device_file(<variable> <target>)
#   sets <variable> to the device copy's path (a generator expression).
add_custom_target(orvalen_run)

function(orvalen_device_file variable target)
  set(${variable} "$<TARGET_FILE_DIR:${target}>/device-copy/$<TARGET_FILE_NAME:${target}>" PARENT_SCOPE)
endfunction()

function(orvalen_device_copy target)
  orvalen_device_file(copy ${target})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory "$<TARGET_FILE_DIR:${target}>/device-copy"
    COMMAND ${CMAKE_STRIP} --strip-debug -o "${copy}" "$<TARGET_FILE:${target}>"
    VERBATIM)
endfunction()

function(orvalen_run_uses target)
  cmake_parse_arguments(R "" "ROLE;ON_DEVICE" "" ${ARGN})
  add_dependencies(orvalen_run ${target})
  if(R_ON_DEVICE)
    orvalen_device_copy(${target})
    orvalen_device_file(copy ${target})
    set_property(GLOBAL APPEND PROPERTY ORVALEN_RUN_MANIFEST "run_device_files+=('${R_ON_DEVICE}|${copy}')")
  endif()
  if(R_ROLE AND R_ON_DEVICE)
    set_property(GLOBAL APPEND PROPERTY ORVALEN_RUN_MANIFEST
                 "run_${R_ROLE}=\"\$ORVALEN_RUN_DEVICE/${R_ON_DEVICE}/$<TARGET_FILE_NAME:${target}>\"")
  elseif(R_ROLE)
    set_property(GLOBAL APPEND PROPERTY ORVALEN_RUN_MANIFEST "run_${R_ROLE}='$<TARGET_FILE:${target}>'")
  endif()
endfunction()

# Written once every folder has named its targets.
function(orvalen_run_write_manifest)
  get_property(lines GLOBAL PROPERTY ORVALEN_RUN_MANIFEST)
  list(JOIN lines "\n" text)
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/run/manifest.sh
       CONTENT "# Made by CMake (cmake/OrvalenRun.cmake): what scripts/run.sh uses; sourced after\n# scripts/wine-env.sh, which names the run's device.\nrun_device_files=()\n${text}\n")
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL orvalen_run_write_manifest)
