#pragma once
// The sound page's list of sounds: a sorted drop-down list whose entries carry their
// SoundEntry (owned by the list until FreeEntries). An entry is known by its full path;
// its text fits the list, and no two entries show the same text, so two files whose
// shortened texts would match are told apart by their paths' ends (or a number). A sound
// that was not found shows under the list's "not found" mark.
#include <windows.h>

#include <memory>
#include <string>

#include "SoundScan.h"

class SoundCombo {
public:
    // notFoundMark: the text around a missing sound, "%s" standing for it.
    void Attach(HWND combo, const std::wstring& notFoundMark);
    HWND Window() const { return combo_; }

    // The entry of a file or folder, CB_ERR when it has none.
    LRESULT Find(const std::wstring& path) const;
    // The entry at index, or the selected one; null for none (or for an entry without data).
    const SoundEntry* At(LRESULT index) const;
    const SoundEntry* Selected() const;
    // Adds the entry under the first text of these that no entry shows: its own, fitted;
    // its full path's end; that end with " (2)", " (3)"... Its index, CB_ERR when it
    // could not be added (the entry is then deleted).
    LRESULT Add(std::unique_ptr<SoundEntry> entry);
    void Remove(LRESULT index);
    void Select(LRESULT index);
    // Deletes every entry's data; the texts stay.
    void FreeEntries();

    // The host's name of a path: a device-rooted one ("\My Documents\...") is mapped as the
    // signaller maps it.
    static std::wstring HostPath(const std::wstring& path);
    // Two texts (or paths) are the same when their case-mapped copies are equal; an entry
    // keeps the spelling it was given, which is the one stored.
    static bool SameText(const std::wstring& a, const std::wstring& b);

private:
    // The text for choice 0 (the entry's own), 1 (the path's end) or n (numbered),
    // fitted to width with the mark when the entry is missing.
    std::wstring TextFor(HDC dc, const SoundEntry& entry, int choice, int width) const;
    bool Shows(const std::wstring& text) const;
    int TextWidth() const;

    HWND combo_ = nullptr;
    std::wstring notFoundMark_;
};
