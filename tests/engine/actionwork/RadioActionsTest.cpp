// The radio actions against the device's phone, power-manager devices and the Bluetooth
// and WLAN libraries of the device layer, run in this process.
#include "BluetoothOffAction.h"
#include "BthOnAction.h"
#include "CellularLine.h"
#include "DeviceCellular.h"
#include "DeviceSignals.h"
#include "DeviceWireless.h"
#include "DisableFlightModeAction.h"
#include "EnableFlightModeAction.h"
#include "TestSupport.h"
#include "Wlan.h"
#include "WlanOffAction.h"
#include "WlanOnAction.h"

#include "pm.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <vector>

namespace {

const wchar_t kPin[] = L"4711";
const wchar_t kOtherWindowClass[] = L"RadioTestForeground";

bool SetLines(std::initializer_list<const wchar_t*> names) {
    std::vector<const wchar_t*> list(names);
    return DeviceControl_SetTelephonyLines(list.data(), static_cast<DWORD>(list.size())) != FALSE;
}

DisableFlightModeAction RadioOn(const wchar_t* code) {
    DisableFlightModeAction action;
    action.code.SetCStr(code);
    return action;
}

// A top-level window of the class; DefWindowProc destroys it on WM_CLOSE.
HWND MakeWindow(const wchar_t* className) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = className;
    RegisterClassW(&wc);
    return CreateWindowExW(0, className, L"", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance,
                           nullptr);
}

// Calls of one kind logged since call number `since` for a device, by the first
// characters of its name the log keeps.
int LoggedCalls(DWORD since, DeviceCallKind kind, const wchar_t* device) {
    std::vector<DEVICE_CALL> calls(DEVICE_CALL_LOG_SIZE);
    const DWORD total = DeviceControl_GetCalls(since, calls.data(), DEVICE_CALL_LOG_SIZE);
    int count = 0;
    for (DWORD i = 0; since + i < total && i < DEVICE_CALL_LOG_SIZE; ++i)
        if (calls[i].kind == DWORD(kind) && wcsncmp(calls[i].device, device, 7) == 0) ++count;
    return count;
}

DWORD CallsSoFar() { return DeviceControl_GetCalls(0, nullptr, 0); }

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

}  // namespace

TEST(RadioActions, FlightModeSwitchesTheCellularRadioAndEntersThePinOnlyWhenTheSimWaitsForIt) {
    ASSERT_TRUE(DeviceControl_SetSim(TRUE, kPin));
    ASSERT_EQ(static_cast<DWORD>(SIM_LOCKEDSTATE_SIM_PIN), DeviceControl_GetSimLockedState());
    EXPECT_TRUE(EnableFlightModeAction().Execute());
    EXPECT_EQ(static_cast<DWORD>(LINEEQUIPSTATE_MINIMUM), DeviceControl_GetLineEquipmentState(0));
    EXPECT_FALSE(DeviceControl_GetLineRegistered(0));

    // Back on: the SIM asks for its PIN again and gets it; only the phone shell's PIN
    // prompt is closed, not the window in front.
    HWND prompt = MakeWindow(SIM_PIN_PROMPT_CLASS);
    HWND foreground = MakeWindow(kOtherWindowClass);
    ASSERT_TRUE(prompt && foreground);
    SetForegroundWindow(foreground);
    EXPECT_TRUE(RadioOn(kPin).Execute());
    PumpMessages();
    EXPECT_EQ(static_cast<DWORD>(LINEEQUIPSTATE_FULL), DeviceControl_GetLineEquipmentState(0));
    EXPECT_EQ(static_cast<DWORD>(SIM_LOCKEDSTATE_READY), DeviceControl_GetSimLockedState());
    EXPECT_EQ(1u, DeviceControl_GetSimUnlockAttempts());
    EXPECT_TRUE(DeviceControl_GetLineRegistered(0));
    EXPECT_EQ(1u, DeviceControl_GetLineRegistrations(0));
    EXPECT_FALSE(IsWindow(prompt)) << "the PIN prompt stayed";
    EXPECT_TRUE(IsWindow(foreground)) << "the window in front was closed";

    // A wrong PIN is tried once and leaves the SIM waiting; the line registers anyway.
    EnableFlightModeAction().Execute();
    prompt = MakeWindow(SIM_PIN_PROMPT_CLASS);
    EXPECT_TRUE(RadioOn(L"0000").Execute());
    PumpMessages();
    EXPECT_EQ(2u, DeviceControl_GetSimUnlockAttempts());
    EXPECT_EQ(static_cast<DWORD>(SIM_LOCKEDSTATE_SIM_PIN), DeviceControl_GetSimLockedState());
    EXPECT_TRUE(IsWindow(prompt));
    EXPECT_EQ(2u, DeviceControl_GetLineRegistrations(0));

    // An empty code never touches the SIM; nor does any code while the SIM waits for none.
    EnableFlightModeAction().Execute();
    EXPECT_TRUE(RadioOn(L"").Execute());
    EXPECT_EQ(2u, DeviceControl_GetSimUnlockAttempts());
    EXPECT_EQ(3u, DeviceControl_GetLineRegistrations(0));
    ASSERT_TRUE(DeviceControl_SetSim(TRUE, nullptr));
    EnableFlightModeAction().Execute();
    EXPECT_TRUE(RadioOn(kPin).Execute());
    EXPECT_EQ(2u, DeviceControl_GetSimUnlockAttempts());
    EXPECT_TRUE(DeviceControl_GetLineRegistered(0));

    // Without a SIM the radio still comes back and registers.
    ASSERT_TRUE(DeviceControl_SetSim(FALSE, nullptr));
    EnableFlightModeAction().Execute();
    EXPECT_TRUE(RadioOn(kPin).Execute());
    EXPECT_EQ(static_cast<DWORD>(LINEEQUIPSTATE_FULL), DeviceControl_GetLineEquipmentState(0));
    EXPECT_TRUE(DeviceControl_GetLineRegistered(0));
}

TEST(RadioActions, OnlyAFullyTrustedProgramSwitchesFlightModeAndOnlyTheLastCellularLine) {
    ASSERT_TRUE(SetLines({L"Cellular Line", L"Hayes Compatible on COM1:", L"Cellular Line", L"Cellular Line 2"}));
    for (DWORD trust : {OEM_CERTIFY_RUN, OEM_CERTIFY_FALSE}) {
        ASSERT_TRUE(DeviceControl_SetTrustLevel(trust));
        EXPECT_FALSE(EnableFlightModeAction().Execute());
        EXPECT_FALSE(RadioOn(L"").Execute());
        for (DWORD line = 0; line < 4; ++line)
            EXPECT_EQ(static_cast<DWORD>(LINEEQUIPSTATE_FULL), DeviceControl_GetLineEquipmentState(line));
    }
    ASSERT_TRUE(DeviceControl_SetTrustLevel(OEM_CERTIFY_TRUST));
    EXPECT_TRUE(EnableFlightModeAction().Execute());
    const DWORD expected[] = {LINEEQUIPSTATE_FULL, LINEEQUIPSTATE_FULL, LINEEQUIPSTATE_MINIMUM, LINEEQUIPSTATE_FULL};
    for (DWORD line = 0; line < 4; ++line) EXPECT_EQ(expected[line], DeviceControl_GetLineEquipmentState(line)) << line;

    // The screens' line application finds the same line and closes once.
    TapiLineApp app;
    EXPECT_EQ(-1, TapiLine_FindCellular(app));
    ASSERT_EQ(0, TapiLine_Open(app));
    EXPECT_EQ(4u, app.deviceCount);
    EXPECT_EQ(2, TapiLine_FindCellular(app));
    EXPECT_EQ(0, TapiLine_Close(app));
    EXPECT_EQ(nullptr, app.lineApp);
    EXPECT_EQ(0, TapiLine_Close(app)) << "nothing left to shut down";

    // A phone without a cellular line: nothing to switch.
    ASSERT_TRUE(SetLines({L"Hayes Compatible on COM1:"}));
    EXPECT_TRUE(EnableFlightModeAction().Execute());
    EXPECT_EQ(static_cast<DWORD>(LINEEQUIPSTATE_FULL), DeviceControl_GetLineEquipmentState(0));
}

TEST(RadioActions, WlanGoesThroughTheMakersUtilityElseEveryMarkedAdapterChangesPower) {
    const wchar_t kTiAdapter[] = L"{98C5250D-C29A-4985-AE5F-AFE5367E5006}\\TNETW12511";
    const wchar_t kWlanAdapter[] = L"WLAN1:";
    const wchar_t kBluetooth[] = L"BTH1:";
    EXPECT_EQ(0, Wlan_FindAdapter());
    ASSERT_TRUE(DeviceControl_AddPowerDevice(kBluetooth));
    EXPECT_EQ(0, Wlan_FindAdapter());
    ASSERT_TRUE(DeviceControl_AddPowerDevice(kTiAdapter));
    ASSERT_TRUE(DeviceControl_AddPowerDevice(kWlanAdapter));
    EXPECT_EQ(1, Wlan_FindAdapter());

    DWORD since = CallsSoFar();
    EXPECT_TRUE(WlanOnAction().Execute());
    EXPECT_EQ(1u, DeviceControl_GetWlanRadio());
    EXPECT_EQ(1u, DeviceControl_GetWlanRadioQueries());
    EXPECT_TRUE(WlanOffAction().Execute());
    EXPECT_EQ(0u, DeviceControl_GetWlanRadio());
    EXPECT_EQ(2u, DeviceControl_GetWlanRadioSets());
    EXPECT_EQ(0, LoggedCalls(since, DEVICE_CALL_DEVICE_POWER, kTiAdapter)) << "the utility did the switch";

    ASSERT_TRUE(testsupport::RemoveDeviceLibrary(IPAQUTIL_LIBRARY));
    since = CallsSoFar();
    EXPECT_TRUE(WlanOffAction().Execute());
    for (const wchar_t* adapter : {kTiAdapter, kWlanAdapter}) {
        EXPECT_EQ(D4, DeviceControl_GetDevicePower(adapter)) << adapter;
        EXPECT_EQ(1, LoggedCalls(since, DEVICE_CALL_POWER_NOTIFY, adapter)) << adapter;
    }
    EXPECT_TRUE(WlanOnAction().Execute());
    for (const wchar_t* adapter : {kTiAdapter, kWlanAdapter}) EXPECT_EQ(D0, DeviceControl_GetDevicePower(adapter));
    EXPECT_EQ(PwrDeviceUnspecified, DeviceControl_GetDevicePower(kBluetooth));
    EXPECT_EQ(0, LoggedCalls(since, DEVICE_CALL_DEVICE_POWER, kBluetooth));
    EXPECT_EQ(2u, DeviceControl_GetWlanRadioSets());
}

TEST(RadioActions, BluetoothModesAndADeviceWithoutTheBluetoothLibrary) {
    BthOnAction on;
    on.Discoverable = 1;
    EXPECT_TRUE(on.Execute());
    EXPECT_EQ(static_cast<DWORD>(BTH_DISCOVERABLE), DeviceControl_GetBluetoothMode());
    on.Discoverable = 0;
    EXPECT_TRUE(on.Execute());
    EXPECT_EQ(static_cast<DWORD>(BTH_CONNECTABLE), DeviceControl_GetBluetoothMode());
    EXPECT_TRUE(BluetoothOffAction().Execute());
    EXPECT_EQ(static_cast<DWORD>(BTH_POWER_OFF), DeviceControl_GetBluetoothMode());
    EXPECT_EQ(3u, DeviceControl_GetBluetoothModeSets());

    ASSERT_TRUE(testsupport::RemoveDeviceLibrary(BTHUTIL_LIBRARY));
    EXPECT_TRUE(on.Execute());
    EXPECT_EQ(static_cast<DWORD>(BTH_POWER_OFF), DeviceControl_GetBluetoothMode());
    EXPECT_EQ(3u, DeviceControl_GetBluetoothModeSets());
}
