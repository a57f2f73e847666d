#pragma once
// The Bluetooth radio through the platform's Bluetooth utility library, when the
// device has it; without it nothing changes.
#include <windows.h>

// Modes: 0 off, 1 connectable, 2 discoverable.
constexpr DWORD kBluetoothOff = 0;
constexpr DWORD kBluetoothConnectable = 1;
constexpr DWORD kBluetoothDiscoverable = 2;

void Bluetooth_SetMode(DWORD mode);
