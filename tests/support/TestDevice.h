#pragma once
// A fresh simulated device for one test process: its own registry root (a unique key
// under HKCU\Software\OrvalenTests), its own device root folder and its own desktop
// (so FindWindow sees only this test's windows), all exported through the environment
// so every program the test starts joins the same device.
// The device's services run from the build and are stopped when the device goes.
// Both are deleted again when the object goes, and the device that was current
// before (if any) is current again; so a test may make a second, nested device.
#include <string>
#include "ScopedHandle.h"

namespace testsupport {

class TestDevice {
public:
    TestDevice();
    ~TestDevice();
    TestDevice(const TestDevice&) = delete;
    TestDevice& operator=(const TestDevice&) = delete;

    bool Ready() const { return ready_; }
    const std::wstring& RegistryRoot() const { return registryRoot_; }
    const std::wstring& Root() const { return root_; }

private:
    std::wstring registryRoot_;
    std::wstring root_;
    std::wstring outerRegistryRoot_;
    std::wstring outerRoot_;
    std::wstring outerDesktopName_;
    std::wstring outerServices_;
    ScopedDesktop desktop_;
    bool ready_ = false;
};

}  // namespace testsupport
