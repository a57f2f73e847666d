// Functions bound by name from the device's own libraries: the stand-ins the test
// device has in its \Windows, and libraries it lacks.
#include "BoundFunction.h"
#include "BoundFunctions.h"
#include "DllHolder.h"
#include "ShortcutRun.h"
#include "TestSupport.h"
#include "soundfile.h"

#include <gtest/gtest.h>

namespace {

std::wstring WindowsFile(const wchar_t* name) { return testsupport::DevicePath(std::wstring(L"\\Windows\\") + name); }

}  // namespace

TEST(BoundFunction, ALibraryLoadsOnceForAllItsFunctionsAndOnlyWhenOneIsAskedFor) {
    const std::wstring shell = WindowsFile(L"aygshell.dll");
    ASSERT_EQ(nullptr, GetModuleHandleW(shell.c_str()));
    {
        DllHolder holder(L"aygshell.dll");
        BoundFunction set(&holder, L"SndSetSound"), get(&holder, L"SndGetSound"), off(&holder, L"ExitWindowsEx");
        EXPECT_FALSE(holder.IsLoaded());
        EXPECT_EQ(nullptr, GetModuleHandleW(shell.c_str()));

        ASSERT_NE(nullptr, set.Get());
        ASSERT_NE(nullptr, get.Get());
        ASSERT_NE(nullptr, off.Get());
        EXPECT_EQ(set.Get(), set.Get());
        // One more reference of our own: after the holder's one release it must be the last.
        HMODULE module = LoadLibraryW(shell.c_str());
        ASSERT_EQ(GetModuleHandleW(shell.c_str()), module);

        // The functions are the library's own.
        SNDFILEINFO setting = {};
        setting.sstType = SND_SOUNDTYPE_NONE;
        ASSERT_EQ(S_OK, set.As<SndSetSoundFunction>()(SND_EVENT_ALL, &setting, TRUE));
        SNDFILEINFO read = {};
        ASSERT_EQ(S_OK, get.As<SndGetSoundFunction>()(SND_EVENT_ALL, &read));
        EXPECT_EQ(static_cast<DWORD>(SND_SOUNDTYPE_NONE), read.sstType);
    }
    HMODULE stillLoaded = GetModuleHandleW(shell.c_str());
    ASSERT_NE(nullptr, stillLoaded);
    FreeLibrary(stillLoaded);
    EXPECT_EQ(nullptr, GetModuleHandleW(shell.c_str())) << "the holder loaded the library more than once";
}

TEST(BoundFunction, AMissingLibraryOrExportGivesNothingAndTheNextUseTriesAgain) {
    DllHolder contacts(L"pimstore.dll");
    BoundFunction chooser(&contacts, L"SndGetSound");
    EXPECT_FALSE(chooser.Resolve());
    EXPECT_EQ(nullptr, chooser.Get());
    EXPECT_FALSE(contacts.IsLoaded());

    // The device gets the library later: the same function binds now.
    ASSERT_TRUE(CopyFileW(testsupport::StandInLibrary(L"aygshell.dll").c_str(), WindowsFile(L"pimstore.dll").c_str(),
                          FALSE));
    EXPECT_TRUE(chooser.Resolve());
    EXPECT_TRUE(contacts.IsLoaded());

    BoundFunction missing(&contacts, L"ChooseContact");
    EXPECT_EQ(nullptr, missing.Get());
    // A library elsewhere on the host is not the device's.
    DllHolder hostOnly(L"kernel32.dll");
    EXPECT_EQ(nullptr, hostOnly.GetProc(L"GetTickCount"));
}

TEST(BoundFunction, TheProcessWideFunctionsNameTheirLibraries) {
    EXPECT_EQ(L"aygshell.dll", Bound::ShellLibrary.Name());
    EXPECT_EQ(L"coredll.dll", Bound::CoreLibrary.Name());
    EXPECT_NE(nullptr, Bound::ExitWindowsEx.Get());
    EXPECT_NE(nullptr, Bound::SndSetSound.Get());
    // Exports the stand-ins do not have (yet) stay unbound, and libraries nobody used stay unloaded.
    EXPECT_EQ(nullptr, Bound::ChooseContact.Get());
    EXPECT_FALSE(Bound::WmaLibrary.IsLoaded());
    EXPECT_FALSE(Bound::WmaProLibrary.IsLoaded());
}

TEST(ShortcutRun, SplitsAQuotedProgramFromItsArguments) {
    struct Case {
        const wchar_t* line;
        const wchar_t* program;
        const wchar_t* arguments;
    } cases[] = {
        {L"\"\\Program Files\\a b\\x.exe\" arg", L"\\Program Files\\a b\\x.exe", L" arg"},
        {L"\"x.exe\"", L"x.exe", L""},
        {L"\"a\\\"b\" c", L"a\\\"b", L" c"},         // a quote after a backslash does not close
        {L"\"no closing quote", L"\"no closing quote", L""},
        {L"\"", L"\"", L""},
        {L"plain.exe -x", L"plain.exe -x", L""},     // unquoted: all program
        {L"", L"", L""},
    };
    for (const Case& c : cases) {
        std::wstring program, arguments;
        Shortcut_SplitCommandLine(c.line, program, arguments);
        EXPECT_EQ(c.program, program) << testing::PrintToString(std::wstring(c.line));
        EXPECT_EQ(c.arguments, arguments) << testing::PrintToString(std::wstring(c.line));
    }
    EXPECT_NE(0u, Shortcut_Create(L"\"\\no\\such.exe\" x"));
}
