// A test that passes and leaves the device a library whose unloading hangs: the teardown that
// unloads the device's libraries then never ends (teardown_checks.sh).
#include <gtest/gtest.h>
#include <windows.h>

#include "TestFiles.h"
#include "TestPaths.h"

TEST(TeardownProbe, PassesAndLeavesALibraryThatHangsWhenUnloaded) {
    const std::wstring device = L"\\Windows\\hang_on_unload.dll";
    ASSERT_TRUE(testsupport::CopyIntoDevice(testsupport::HostPath(HANG_ON_UNLOAD_DLL), device));
    EXPECT_NE(LoadLibraryW(testsupport::DevicePath(device).c_str()), nullptr);
}
