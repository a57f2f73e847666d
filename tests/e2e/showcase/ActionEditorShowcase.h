#pragma once
// The action editors for the editor showcase, each filled with typical values.
#include <windows.h>

#include <functional>
#include <string>

class FramedDialog;
class ItemStore;

// Runs the editor named kind through run; false for an unknown kind.
bool ShowActionEditor(const std::wstring& kind, ItemStore& store, const std::function<INT_PTR(FramedDialog&)>& run);
