#pragma once
// What the device's stand-in help viewer (peghelp.exe) notes of each start, under
// HKEY_LOCAL_MACHINE of the device: how often it was started and its last command text
// ("file:<file>#<anchor>").
#define HELP_VIEWER_PROGRAM L"peghelp.exe"
#define HELP_VIEWER_RECORD_KEY L"Software\\OrvalenDevice\\HelpViewer"
#define HELP_VIEWER_COUNT_VALUE L"Count"
#define HELP_VIEWER_COMMAND_VALUE L"LastCommand"
