# sound_test_fixtures(<name> HEADER <Header> VARIABLE <VAR> SCRIPT <script> TOOLS <tools...>
#                     FILES <files...> COMMENT <text>)
# Test files made at build time by `<script> <folder>` (each tool's program passed in the
# environment as <TOOL>_PROGRAM) into the folder <name> of the build tree; <Header>.h,
# configured from <Header>.h.in with @<VAR>@, tells the tests that folder as Wine sees it.
function(sound_test_fixtures name)
  cmake_parse_arguments(F "" "HEADER;VARIABLE;SCRIPT;COMMENT" "TOOLS;FILES" ${ARGN})
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${name})
  string(REPLACE "/" "\\\\" ${F_VARIABLE} "Z:${dir}/")
  configure_file(${CMAKE_CURRENT_SOURCE_DIR}/${F_HEADER}.h.in ${CMAKE_CURRENT_BINARY_DIR}/${F_HEADER}.h @ONLY)
  set(env)
  foreach(tool ${F_TOOLS})
    string(TOUPPER ${tool} var)
    find_program(${var}_PROGRAM ${tool} REQUIRED)
    list(APPEND env ${var}_PROGRAM=${${var}_PROGRAM})
  endforeach()
  list(TRANSFORM F_FILES PREPEND ${dir}/ OUTPUT_VARIABLE outputs)
  add_custom_command(OUTPUT ${outputs}
    COMMAND ${CMAKE_COMMAND} -E env ${env} bash ${CMAKE_CURRENT_SOURCE_DIR}/${F_SCRIPT} ${dir}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${F_SCRIPT}
    COMMENT ${F_COMMENT}
    VERBATIM)
  add_custom_target(${name} DEPENDS ${outputs})
  add_dependencies(soundengine_tests ${name})
endfunction()
