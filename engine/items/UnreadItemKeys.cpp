#include "UnreadItemKeys.h"

#include "RegKeyTree.h"

namespace {

bool HasSubKey(const RegKeyRef& key, const wchar_t* name) {
    for (const std::wstring& present : RegKeyTree_SubKeyNames(key))
        if (_wcsicmp(present.c_str(), name) == 0) return true;
    return false;
}

}  // namespace

void UnreadItemKeys::Reset(bool allUnread) {
    allUnread_ = allUnread;
    unread_.clear();
    written_.clear();
}

void UnreadItemKeys::NoteListUnreadable(const RegKeyRef& productKey, const wchar_t* listName, const wchar_t* itemsName) {
    // A list that was never saved is no loss.
    if (!HasSubKey(productKey, listName)) return;
    RegKeyRef list = RegKeyRef::OpenSubKey(listName, productKey, true);
    allUnread_ = !list.IsOpen() || HasSubKey(list, itemsName);
}

bool UnreadItemKeys::Keeps(const std::wstring& name) const {
    return unread_.count(name) != 0 || (allUnread_ && written_.count(name) == 0);
}
