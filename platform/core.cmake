# orvalen_platform_core: the device layer's part that a driver links, with Windows' own
# libraries only: every source of the rooms of core/. Everything else of the layer builds
# on it.
#   core/device/   the device root, the state store, object names and the file system
#   core/clock/    the device clock and its time zone
#   core/power/    the power manager, its states and notifications, message queues
#   core/process/  program start with its counts and refusals, the kernel calls of drivers
set(ORVALEN_PLATFORM_CORE_ROOMS device clock power process)
set(ORVALEN_PLATFORM_CORE_SOURCES)
set(ORVALEN_PLATFORM_CORE_INCLUDES)
foreach(room ${ORVALEN_PLATFORM_CORE_ROOMS})
  file(GLOB room_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/core/${room}/*.cpp)
  list(APPEND ORVALEN_PLATFORM_CORE_SOURCES ${room_sources})
  list(APPEND ORVALEN_PLATFORM_CORE_INCLUDES ${CMAKE_CURRENT_SOURCE_DIR}/core/${room})
endforeach()
add_library(orvalen_platform_core STATIC ${ORVALEN_PLATFORM_CORE_SOURCES})
# The rooms' own headers are the layer's inside: included by name, never by its users.
target_include_directories(orvalen_platform_core PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include
  PRIVATE ${ORVALEN_PLATFORM_CORE_INCLUDES})
target_link_libraries(orvalen_platform_core PUBLIC advapi32 user32 shell32)
