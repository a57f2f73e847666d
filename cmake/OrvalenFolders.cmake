# orvalen_include_header_folders(<target> <root>)
# Subsystems keep a folder per concern and include their headers by bare name:
# every folder below root that holds a header becomes a public include folder.
function(orvalen_include_header_folders target root)
  file(GLOB_RECURSE _headers CONFIGURE_DEPENDS ${root}/*.h)
  set(_folders ${root})
  foreach(_header ${_headers})
    get_filename_component(_folder ${_header} DIRECTORY)
    list(APPEND _folders ${_folder})
  endforeach()
  list(REMOVE_DUPLICATES _folders)
  target_include_directories(${target} PUBLIC ${_folders})
endfunction()

# orvalen_add_present_subdirectories(<folder>...)
# Adds, in the given order, those folders that have a CMakeLists.txt. A folder that
# appears later (a new subsystem or test folder) makes the build configure again by itself.
function(orvalen_add_present_subdirectories)
  file(GLOB _present CONFIGURE_DEPENDS RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*/CMakeLists.txt)
  foreach(_dir ${ARGN})
    if("${_dir}/CMakeLists.txt" IN_LIST _present)
      add_subdirectory(${_dir})
    endif()
  endforeach()
endfunction()
