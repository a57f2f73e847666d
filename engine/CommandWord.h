#pragma once
// The words a command text may carry. Switches and the system's event words
// match the whole text.
namespace CommandWord {
constexpr wchar_t kAppRunAtTime[] = L"AppRunAtTime";
constexpr wchar_t kAppRunAfterTzChange[] = L"AppRunAfterTzChange";
constexpr wchar_t kAppRunAfterTimeChange[] = L"AppRunAfterTimeChange";
constexpr wchar_t kScreenSaver[] = L"-scrsvr";
constexpr wchar_t kInstall[] = L"-install";
constexpr wchar_t kUninstall[] = L"-uninstall";
}  // namespace CommandWord
