# Imported targets for the third-party libraries: static archives that
# scripts/build-deps.sh cross-built into ORVALEN_DEPS_PREFIX, zlib from Debian's
# mingw-w64 package, and Boost's headers.
#   dep::zlib dep::minizip dep::jpeg dep::png dep::gif dep::ogg dep::tremor dep::mad dep::boost

if(NOT ORVALEN_DEPS_PREFIX)
  set(ORVALEN_DEPS_PREFIX "${CMAKE_BINARY_DIR}/_deps/prefix")
endif()
if(NOT EXISTS "${ORVALEN_DEPS_PREFIX}/.built")
  message(FATAL_ERROR
    "Third-party libraries not found in ${ORVALEN_DEPS_PREFIX}.\n"
    "Build them first: scripts/build-deps.sh ${CMAKE_BINARY_DIR}/_deps "
    "(scripts/setup.sh and scripts/test.sh do this).")
endif()

# zlib: the static libz.a only. The import library would make every program
# depend on zlib1.dll, which Windows does not have.
# Searched in the mingw-w64 sysroot only, never among the host's libraries.
find_library(ORVALEN_ZLIB_LIBRARY NAMES libz.a
  PATHS ${CMAKE_FIND_ROOT_PATH} PATH_SUFFIXES lib NO_DEFAULT_PATH)
find_path(ORVALEN_ZLIB_INCLUDE_DIR zlib.h
  PATHS ${CMAKE_FIND_ROOT_PATH} PATH_SUFFIXES include NO_DEFAULT_PATH)
if(NOT ORVALEN_ZLIB_LIBRARY OR NOT ORVALEN_ZLIB_INCLUDE_DIR)
  message(FATAL_ERROR "Static zlib for mingw-w64 not found (Debian package libz-mingw-w64-dev).")
endif()

# orvalen_import_dep(<name> <archive> [DEPENDS <targets...>])
function(orvalen_import_dep name archive)
  cmake_parse_arguments(D "" "" "DEPENDS" ${ARGN})
  if(NOT EXISTS "${archive}")
    message(FATAL_ERROR "${archive} is missing: rebuild with scripts/build-deps.sh ${CMAKE_BINARY_DIR}/_deps")
  endif()
  add_library(dep::${name} STATIC IMPORTED GLOBAL)
  set_target_properties(dep::${name} PROPERTIES
    IMPORTED_LOCATION "${archive}"
    IMPORTED_LINK_INTERFACE_LANGUAGES C)
  # SYSTEM: their headers' warnings are not ours.
  target_include_directories(dep::${name} SYSTEM INTERFACE ${ORVALEN_DEPS_PREFIX}/include)
  if(D_DEPENDS)
    target_link_libraries(dep::${name} INTERFACE ${D_DEPENDS})
  endif()
endfunction()

add_library(dep::zlib STATIC IMPORTED GLOBAL)
set_target_properties(dep::zlib PROPERTIES
  IMPORTED_LOCATION "${ORVALEN_ZLIB_LIBRARY}"
  IMPORTED_LINK_INTERFACE_LANGUAGES C)
target_include_directories(dep::zlib SYSTEM INTERFACE ${ORVALEN_ZLIB_INCLUDE_DIR})

set(_lib ${ORVALEN_DEPS_PREFIX}/lib)
orvalen_import_dep(minizip ${_lib}/libminizip.a DEPENDS dep::zlib)
orvalen_import_dep(jpeg    ${_lib}/libjpeg.a)
orvalen_import_dep(png     ${_lib}/libpng.a DEPENDS dep::zlib)
orvalen_import_dep(gif     ${_lib}/libgif.a)
orvalen_import_dep(ogg     ${_lib}/libogg.a)
orvalen_import_dep(tremor  ${_lib}/libvorbisidec.a DEPENDS dep::ogg)
orvalen_import_dep(mad     ${_lib}/libmad.a)
# libmad's header must agree with how the library was built.
target_compile_definitions(dep::mad INTERFACE FPM_64BIT)
unset(_lib)

# Boost: header-only, from its own folder (never /usr/include as a whole).
add_library(dep::boost INTERFACE IMPORTED GLOBAL)
target_include_directories(dep::boost SYSTEM INTERFACE ${ORVALEN_DEPS_PREFIX}/boost-include)
