#pragma once
// What the test programs leave for the tests to check: files in the device root and
// one registry value. A program writes its "done" file last.
#define PROBE_FOLDER L"\\probe"
#define PROBE_WINMAIN_FILE L"\\probe\\winmain.txt"          // wWinMain's lpCmdLine, UTF-16
#define PROBE_COMMAND_TEXT_FILE L"\\probe\\commandtext.txt" // Device_GetCommandText(), UTF-16
#define PROBE_MODULE_FILE L"\\probe\\module.txt"            // own program path, UTF-16
#define PROBE_DEVICE_UTC_FILE L"\\probe\\deviceutc.bin"     // device UTC as an 8-byte FILETIME
#define PROBE_DONE_FILE L"\\probe\\done.txt"
#define PROBE_REGISTRY_KEY L"Software\\OrvalenProbe"
#define PROBE_REGISTRY_VALUE L"CommandText"                 // HKCU, REG_SZ
#define PROBE_JUMP_COMMAND L"jump"  // this command text makes the probe move the device clock
#define PROBE_JUMP_MS 60000

#define RECEIVER_FILE L"\\received.bin"  // dwData as 4 bytes, then the data bytes
#define RECEIVER_COMMAND_ID 1370
