#include <gtest/gtest.h>
#include "ProbeReport.h"
#include "TestSupport.h"

class CopyData : public testsupport::FreshDeviceTest {};

// Two processes exchange a command the way the program's instances do: the sender finds
// the receiver's hidden window by its class and sends WM_COPYDATA with UTF-16 text.
TEST_F(CopyData, CommandReachesAWindowOfAnotherProcessFoundByClass) {
    const std::wstring className = testsupport::UniqueName(L"OrvalenTestReceiver");
    testsupport::ChildProcess receiver;
    ASSERT_TRUE(receiver.Start(testsupport::HostPath(RECEIVER_EXE), className));
    // Generous: at the suite's start many Wine processes start at once.
    HWND window = testsupport::WaitForWindow(className, 60000);
    ASSERT_NE(nullptr, window);
    {
        // Another device running beside this one does not see the window.
        testsupport::TestDevice other;
        ASSERT_TRUE(other.Ready());
        EXPECT_EQ(nullptr, FindWindowW(className.c_str(), nullptr));
    }
    EXPECT_EQ(window, FindWindowW(className.c_str(), nullptr));

    const std::wstring text = L"new_alarm 123 \u00E9\u4E2D \"q\"";
    COPYDATASTRUCT data = {};
    data.cbData = DWORD((text.size() + 1) * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(text.c_str());
    // Another command id is not for this window.
    data.dwData = 7;
    EXPECT_EQ(FALSE, SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)));
    data.dwData = RECEIVER_COMMAND_ID;
    EXPECT_EQ(TRUE, SendMessageW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)));
    ASSERT_EQ(0u, receiver.Wait(20000));

    std::string bytes;
    ASSERT_TRUE(testsupport::ReadBytes(testsupport::DevicePath(RECEIVER_FILE), &bytes));
    ASSERT_EQ(sizeof(DWORD) + data.cbData, bytes.size());
    DWORD id = 0;
    memcpy(&id, bytes.data(), sizeof id);
    EXPECT_EQ(DWORD(RECEIVER_COMMAND_ID), id);
    std::wstring received(reinterpret_cast<const wchar_t*>(bytes.data() + sizeof id), text.size() + 1);
    EXPECT_EQ(text, received.c_str());
    EXPECT_EQ(L'\0', received.back());
}
