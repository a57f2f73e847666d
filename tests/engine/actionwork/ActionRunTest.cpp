// What the simple actions do to the device and the store, run in this process: the
// device layer records the programs started, the power state, the sound profile and
// volumes and the data connections. The test device has the stand-in shell library;
// the cases without it need a process of their own, since bound functions stay bound.
#include <winsock2.h>

#include "BoundFunctions.h"
#include "ChangeVolumeAction.h"
#include "CloseGprsAction.h"
#include "DeviceAudio.h"
#include "DeviceBoot.h"
#include "DeviceConnections.h"
#include "DeviceControl.h"
#include "DeviceReset.h"
#include "EngineMessage.h"
#include "ExecuteAction.h"
#include "InternetConnectAction.h"
#include "PowerOffAction.h"
#include "ProbeReport.h"
#include "RegistryProbe.h"
#include "ResetAction.h"
#include "StartTimerAction.h"
#include "StopTimerAction.h"
#include "StoreTestHost.h"
#include "SuspendAction.h"
#include "TestSupport.h"
#include "pm.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const RcString kSounds(L"\\Sounds");
const std::wstring kRingCategory = L"ControlPanel\\SoundCategories\\Ring";
constexpr Ticks100ns kMinute = 60 * kTicksPerSecond;

// The program's side of what the actions ask for, recorded.
class ActionTestHost : public StoreTestHost {
public:
    void StopTimer(TimerItem& timer) override { stopped.push_back(&timer); }
    void FlushRegistry() override { ++flushes; }
    UINT SetVolumePercent(int percent) override {
        volumes.push_back(percent);
        return 0;
    }
    std::vector<TimerItem*> stopped;
    std::vector<int> volumes;
    int flushes = 0;
};

bool RemoveShellLibrary() { return DeleteFileW(testsupport::DevicePath(L"\\Windows\\aygshell.dll").c_str()) != FALSE; }

DWORD SoundType() { return DeviceControl_GetSoundType(); }

registryprobe::RawValue InitVol() { return registryprobe::Read(kRingCategory, L"InitVol"); }

TimerItem* Template(ItemStore& store) {
    TimerItem* timer = store.CreateTimer(nullptr);
    timer->flags = (timer->flags | TimerItem::kTemplate) & ~(TimerItem::kRunning | TimerItem::kNew);
    timer->origTime = timer->time = 10 * kMinute;
    return timer;
}

std::vector<TimerItem*> CopiesOf(const ItemStore& store, const TimerItem& parent) {
    std::vector<TimerItem*> copies;
    for (TimerItem* timer : store.Timers())
        if (!timer->IsTemplate() && timer->ParentHash == parent.Hash) copies.push_back(timer);
    return copies;
}

}  // namespace

TEST(ActionRun, AProgramStartsWithExactlyItsArgumentTextWhileTheDeviceIsKeptUp) {
    const wchar_t kProbe[] = L"\\Program Files\\Probe Dir\\probe.exe";
    ASSERT_TRUE(testsupport::CopyIntoDevice(testsupport::HostPath(PROBE_EXE), kProbe));
    ExecuteAction action;
    action.CommandLine.SetCStr((std::wstring(L"\"") + kProbe + L"\" -x \"quoted\"").c_str());
    ULONGLONG start = GetTickCount64();
    EXPECT_TRUE(action.Execute());
    EXPECT_GE(GetTickCount64() - start, ExecuteAction::kStartGraceMs - 20);
    EXPECT_EQ(0u, DeviceControl_GetUnattendedCount()) << "the request outlived the action";

    ASSERT_TRUE(testsupport::WaitForFile(testsupport::DevicePath(PROBE_DONE_FILE), 30000));
    std::wstring text;
    ASSERT_TRUE(testsupport::ReadUtf16(testsupport::DevicePath(PROBE_COMMAND_TEXT_FILE), &text));
    EXPECT_EQ(L" -x \"quoted\"", text);
    // Asked of the device layer, not the probe: a loaded machine may start the probe after the grace time.
    EXPECT_EQ(1u, DeviceControl_GetProgramStartsKeptUp(kProbe, L" -x \"quoted\""))
        << "the program started while nothing held the device up";

    action.CommandLine.SetCStr(L"\\Program Files\\no such program.exe");
    EXPECT_FALSE(action.Execute());
}

TEST(ActionRun, AShortcutNamedAsTheProgramStartsItsTargetWithTheGivenArguments) {
    const wchar_t kProbe[] = L"\\Program Files\\Probe Dir\\probe.exe";
    ASSERT_TRUE(testsupport::CopyIntoDevice(testsupport::HostPath(PROBE_EXE), kProbe));
    // The shortcut's own word gives way to the arguments of the command line.
    const std::wstring shortcut = testsupport::DevicePath(L"\\My Documents\\Probe.LNK");
    ASSERT_TRUE(CreateDirectoryW(testsupport::DevicePath(L"\\My Documents").c_str(), nullptr));
    ASSERT_TRUE(testsupport::WriteBytes(shortcut, "36#\"\\Program Files\\Probe Dir\\probe.exe\" alarms?g.dll,-1"));
    ExecuteAction action;
    // Only a name ending in ".lnk" is followed: "app.exe" in a folder "My.lnkdir" is the
    // program itself, here the same shortcut text, which does not start.
    ASSERT_TRUE(CreateDirectoryW(testsupport::DevicePath(L"\\My.lnkdir").c_str(), nullptr));
    ASSERT_TRUE(testsupport::WriteBytes(testsupport::DevicePath(L"\\My.lnkdir\\app.exe"),
                                        "36#\"\\Program Files\\Probe Dir\\probe.exe\" alarms?g.dll,-1"));
    action.CommandLine.SetCStr(L"\"\\My.lnkdir\\app.exe\" -z");
    EXPECT_FALSE(action.Execute());
    action.CommandLine.SetCStr(L"\"\\My Documents\\Probe.LNK\" -y");
    EXPECT_TRUE(action.Execute());
    ASSERT_TRUE(testsupport::WaitForFile(testsupport::DevicePath(PROBE_DONE_FILE), 30000));
    std::wstring text;
    ASSERT_TRUE(testsupport::ReadUtf16(testsupport::DevicePath(PROBE_COMMAND_TEXT_FILE), &text));
    EXPECT_EQ(L" -y", text);
}

TEST(ActionRun, TimerActionsStartCopiesAndStopEveryCopyOfATemplateButNotTheTemplate) {
    ActionTestHost host;
    ItemStore store(kSounds, false);
    TimerItem* parent = Template(store);
    TimerItem* other = Template(store);
    StartTimerAction start;
    start.TimerHash = parent->Hash;
    EXPECT_TRUE(start.Execute());
    EXPECT_TRUE(start.Execute());
    ASSERT_EQ(2u, CopiesOf(store, *parent).size());
    for (TimerItem* copy : CopiesOf(store, *parent)) EXPECT_TRUE(copy->IsRunning());
    start.TimerHash = other->Hash;
    start.Execute();
    ASSERT_EQ(1u, CopiesOf(store, *other).size());

    // With the engine there, the copies go once the engine has the messages: a copy's
    // own ring may be running this action.
    StopTimerAction stop;
    stop.TimerHash = parent->Hash;
    host.TakeMessages();
    EXPECT_TRUE(stop.Execute());
    std::vector<WPARAM> deleted;
    for (const MSG& m : host.TakeMessages())
        if (m.message == EngineMessage::kDeleteTimer) deleted.push_back(m.wParam);
    std::vector<WPARAM> copies;
    for (TimerItem* copy : CopiesOf(store, *parent)) copies.push_back(reinterpret_cast<WPARAM>(copy));
    std::sort(deleted.begin(), deleted.end());
    std::sort(copies.begin(), copies.end());
    EXPECT_EQ(copies, deleted);
    EXPECT_EQ(2u, CopiesOf(store, *parent).size()) << "removed from inside the action";

    // Without an engine window, the store drops them at once; the template and the other's copy stay.
    host.engineGone = true;
    int reschedules = host.reschedules;
    EXPECT_TRUE(stop.Execute());
    EXPECT_TRUE(CopiesOf(store, *parent).empty());
    EXPECT_EQ(parent, store.FindTimerByHash(parent->Hash));
    EXPECT_EQ(1u, CopiesOf(store, *other).size());
    EXPECT_GT(host.reschedules, reschedules);

    // Any other timer is stopped by the engine; a Hash of no timer changes nothing.
    TimerItem* copy = CopiesOf(store, *other)[0];
    stop.TimerHash = copy->Hash;
    EXPECT_TRUE(stop.Execute());
    EXPECT_EQ(std::vector<TimerItem*>{copy}, host.stopped);
    size_t timers = store.Timers().size();
    for (ItemHash unknown : {0, 123456}) {
        stop.TimerHash = start.TimerHash = unknown;
        EXPECT_TRUE(stop.Execute());
        EXPECT_TRUE(start.Execute());
    }
    EXPECT_EQ(timers, store.Timers().size());
    EXPECT_EQ(1u, host.stopped.size());
}

TEST(ActionRun, PowerActionsFlushFirstThenSwitchTheDeviceOffOrReboot) {
    ActionTestHost host;
    ASSERT_EQ(static_cast<DWORD>(POWER_STATE_ON), DeviceControl_GetPowerState());
    EXPECT_TRUE(SuspendAction().Execute());
    EXPECT_EQ(1, host.flushes);
    EXPECT_EQ(static_cast<DWORD>(POWER_STATE_OFF), DeviceControl_GetPowerState());

    ASSERT_EQ(ERROR_SUCCESS, SetSystemPowerState(nullptr, POWER_STATE_ON, POWER_FORCE));
    EXPECT_TRUE(PowerOffAction().Execute());
    EXPECT_EQ(2, host.flushes);
    EXPECT_EQ(static_cast<DWORD>(POWER_STATE_OFF), DeviceControl_GetPowerState());

    // Without the program's screens the reset shows no countdown: it only flushes.
    EXPECT_TRUE(ResetAction().Execute());
    EXPECT_EQ(3, host.flushes);
    EXPECT_EQ(0u, DeviceControl_GetBootCount());
    // The countdown's end: this process watches from outside and outlives the reboot.
    Device_Reset();
    EXPECT_EQ(1u, DeviceControl_GetBootCount());
    EXPECT_EQ(static_cast<DWORD>(POWER_STATE_ON), DeviceControl_GetPowerState());
}

TEST(ActionRun, TheVolumeActionSetsTheProfileAndOnlyARingingProfileSetsTheVolumes) {
    ActionTestHost host;
    ChangeVolumeAction action;
    action.Vol = 80;
    action.RingVol = 100;
    EXPECT_TRUE(action.Execute());
    EXPECT_EQ(static_cast<DWORD>(SND_SOUNDTYPE_ON), SoundType());
    EXPECT_EQ(std::vector<int>{80}, host.volumes);
    EXPECT_EQ(5u, InitVol().Dword());
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), InitVol().type);
    EXPECT_EQ(5u, DeviceControl_GetRingVolume());
    EXPECT_EQ(1u, DeviceControl_GetAudioUpdates());
    for (int ringVol : {19, -5, 40}) {
        action.RingVol = ringVol;
        action.Execute();
        EXPECT_EQ(ringVol == 40 ? 2u : 0u, InitVol().Dword()) << ringVol;
        EXPECT_EQ(InitVol().Dword(), DeviceControl_GetRingVolume());
    }

    // Vibrate (2 as the editor stores it, 1 as the platform counts) and silent (3) set
    // only the profile.
    struct Profile {
        int32_t stored;
        DWORD platform;
    } profiles[] = {{2, SND_SOUNDTYPE_VIBRATE}, {1, SND_SOUNDTYPE_VIBRATE}, {3, SND_SOUNDTYPE_NONE}};
    action.RingVol = 100;
    for (const Profile& p : profiles) {
        action.Type = p.stored;
        EXPECT_TRUE(action.Execute()) << p.stored;
        EXPECT_EQ(p.platform, SoundType()) << p.stored;
    }
    EXPECT_EQ(4u, host.volumes.size());
    EXPECT_EQ(2u, InitVol().Dword());
}

TEST(ActionRun, WithoutTheShellLibraryPowerOffDoesNothingVolumeFailsAndResetStillReboots) {
    if (Bound::ShellLibrary.IsLoaded()) GTEST_SKIP() << "needs a process that never bound the shell library";
    ASSERT_TRUE(RemoveShellLibrary());
    ActionTestHost host;
    EXPECT_TRUE(PowerOffAction().Execute());
    EXPECT_EQ(static_cast<DWORD>(POWER_STATE_ON), DeviceControl_GetPowerState());

    ChangeVolumeAction volume;
    EXPECT_FALSE(volume.Execute());
    EXPECT_TRUE(host.volumes.empty());
    EXPECT_FALSE(InitVol().exists);

    Device_Reset();
    EXPECT_EQ(1u, DeviceControl_GetBootCount());
}

TEST(ActionRun, ConnectOpensAConnectionAndCloseGprsHangsUpEveryOneAndReleasesEveryAdapter) {
    ActionTestHost host;
    EXPECT_TRUE(InternetConnectAction().Execute());
    EXPECT_TRUE(InternetConnectAction().Execute());
    EXPECT_EQ(2u, DeviceControl_GetOpenConnections());
    EXPECT_EQ(0u, DeviceControl_GetUnattendedCount());
    DeviceControl_SetNetworkAvailable(FALSE);
    EXPECT_FALSE(InternetConnectAction().Execute());
    EXPECT_EQ(2u, DeviceControl_GetOpenConnections());
    // Each start of Winsock was ended again, the failed one too.
    EXPECT_NE(0, WSACleanup());
    EXPECT_EQ(WSANOTINITIALISED, WSAGetLastError());

    // Two adapters do not fit the first answer's buffer.
    ASSERT_TRUE(DeviceControl_AddNetworkAdapter(3, L"CELL1"));
    ASSERT_TRUE(DeviceControl_AddNetworkAdapter(9, L"WLAN1"));
    EXPECT_FALSE(CloseGprsAction().Execute());
    EXPECT_EQ(0u, DeviceControl_GetOpenConnections());
    EXPECT_EQ(2u, DeviceControl_GetHungUpConnections());
    EXPECT_EQ(1u, DeviceControl_GetAddressReleases(3));
    EXPECT_EQ(1u, DeviceControl_GetAddressReleases(9));
    // Nothing open: nothing hung up, the adapters released again.
    CloseGprsAction().Execute();
    EXPECT_EQ(2u, DeviceControl_GetHungUpConnections());
    EXPECT_EQ(2u, DeviceControl_GetAddressReleases(9));
}
