# orvalen_platform_core: the device layer's part that a driver links, with Windows' own
# libraries only. Everything else of the layer builds on it.
set(ORVALEN_PLATFORM_CORE_SOURCES
  ${CMAKE_CURRENT_SOURCE_DIR}/DeviceClock.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/DeviceClockState.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/DeviceFiles.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/DeviceObjects.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/DeviceProcess.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/DeviceStateStore.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/KernelFunctions.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/MessageQueue.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/PowerManager.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/PowerNotifications.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/PowerState.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/ProgramStarts.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/RefusedStarts.cpp)
add_library(orvalen_platform_core STATIC ${ORVALEN_PLATFORM_CORE_SOURCES})
target_include_directories(orvalen_platform_core PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include)
target_link_libraries(orvalen_platform_core PUBLIC advapi32 user32 shell32)
