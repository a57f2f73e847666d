#pragma once
// What the load of one item list could not read: subkeys it could not open or whose item
// could not be made, or the whole Items key when it is there but did not open. A save
// deletes the keys of items that are gone, never one of these: their items may be whole.
#include "RegKeyRef.h"

#include <string>
#include <unordered_set>

class UnreadItemKeys {
public:
    // Forgets everything; allUnread: nothing of the list could be read.
    void Reset(bool allUnread);
    void NoteUnread(const std::wstring& name) { unread_.insert(name); }
    // listName\Items under the product key is there, but did not open for the load.
    void NoteListUnreadable(const RegKeyRef& productKey, const wchar_t* listName, const wchar_t* itemsName);
    void NoteWritten(const std::wstring& name) { written_.insert(name); }
    // True when a save must leave the subkey alone.
    bool Keeps(const std::wstring& name) const;

private:
    bool allUnread_ = false;
    std::unordered_set<std::wstring> unread_;
    std::unordered_set<std::wstring> written_;  // matters only while the whole list is unread
};
