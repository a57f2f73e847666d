#pragma once
// The program's lifetime: one instance per device, every command line handed
// to that instance's engine window, the process-wide objects created and torn
// down in a fixed order, and the message loop with its idle registry flush.
// Everything here runs on the GUI thread.
#include "CopyDataCommand.h"
#include "InstanceMutex.h"
#include "ProductKey.h"
#include "RcString.h"

#include <windows.h>
#include <string>

class EngineWnd;
class FullScreenClockControl;
class ItemStore;
class Signaller;

class App {
public:
    static constexpr const wchar_t* kProductKey = ProductKey::kPath;
    static constexpr const wchar_t* kInstanceMutexName = CopyDataCommand::kInstanceMutexName;
    static constexpr const wchar_t* kLocationValue = ProductKey::kLocationValue;

    // The program's main routine; the exit code.
    static int WinMain(HINSTANCE instance, const wchar_t* commandText);
    // Creates the process-wide objects and hands the command text to the engine window.
    static bool InitInstance(HINSTANCE instance, const wchar_t* commandText);
    // Frees every process-wide object in the fixed order; safe when some never existed.
    static void Shutdown();

    // The program's own path, as "Location" holds it.
    static std::wstring ModulePath();
    // The module's folder (with its backslash) followed by name.
    static std::wstring ProgramFolderFile(const wchar_t* name);
    // Gives the single-instance mutex back; the next start becomes the instance.
    static void CloseInstanceMutex();
    static void MarkRegistryDirty() { registryDirty_ = true; }
    static bool IsRegistryDirty() { return registryDirty_; }
    static void ClearRegistryDirty() { registryDirty_ = false; }

    static HINSTANCE Instance() { return instance_; }
    static const wchar_t* LauncherPath() { return launcherPath_; }
    static const RcString& SoundsFolder() { return soundsFolder_; }
    static Signaller* GetSignaller() { return signaller_; }
    static ItemStore* GetItemStore() { return itemStore_; }
    static EngineWnd* GetEngine() { return engine_; }
    // The screens' windows; null before start-up and after shutdown.
    static FullScreenClockControl* GetFullScreenClock();
    static HWND GetClockWindow();
    static bool HasMainWindow();
    static bool ActivityDriverUsable() { return activityDriverUsable_; }

private:
    static void WriteLocation();
    static void PrepareLanguage(const wchar_t* commandText);
    static int RunMessageLoop();

    static HINSTANCE instance_;
    static InstanceMutex instanceMutex_;
    static wchar_t* launcherPath_;
    static RcString soundsFolder_;
    static Signaller* signaller_;
    static ItemStore* itemStore_;
    static EngineWnd* engine_;
    static bool activityDriverUsable_;
    static bool registryDirty_;
};
