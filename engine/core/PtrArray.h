#pragma once
// A growable array of pointer-sized items (pointers or numbers) with a virtual
// comparison. It can be kept sorted, in which case searching and adding use binary
// search, and it sorts on demand by quicksort. Misuse throws CeException with
// one of the negative codes below. None of its operations lock: owners that share an
// array between threads hold GetLock() around each use.
#include <windows.h>

#include "CriticalSection.h"
#include "CeException.h"

class PtrArray {
public:
    using Item = void*;

    static constexpr DWORD kErrorBadIndex = static_cast<DWORD>(-1);    // bad index or size
    static constexpr DWORD kErrorNotSorted = static_cast<DWORD>(-2);   // search unsorted, or duplicate
    static constexpr DWORD kErrorOutOfMemory = static_cast<DWORD>(-3); // growth failed
    static constexpr int kMaxCapacity = 268435454;

    PtrArray() = default;
    PtrArray(const PtrArray&) = delete;
    PtrArray& operator=(const PtrArray&) = delete;

    // Grows the buffer ahead of an insert: by 4 below 9 slots, by 16 up to 64, then
    // by a quarter.
    virtual void Grow();
    // 0 when a equals b; derived arrays order their items (negative: a before b).
    virtual int Compare(Item a, Item b) const;
    // Releases the buffer only: an array that owns its items calls RemoveAll in its
    // own destructor, while its RemoveAt is still the one that releases them.
    virtual ~PtrArray();
    // Returns the index used: sorted arrays insert at the item's place (a duplicate
    // throws kErrorNotSorted), others append.
    virtual int Add(Item item);
    virtual void RemoveAll();
    // Arrays that own their items release the item here.
    virtual void RemoveAt(int index);

    Item GetAt(int index) const;
    void InsertAt(int index, Item item);
    // -1 when absent; the first equal item of an unsorted array.
    int Find(Item item) const;
    // Sorted arrays only: position is the first index whose item does not compare below item.
    bool BinarySearch(Item item, int& position) const;
    // Never below the count (callers free items with SetSize first).
    void SetCapacity(int capacity);
    void SetSize(int size);
    // Unstable quicksort; does not set the sorted flag.
    void Sort();

    int GetCount() const { return count_; }
    int GetCapacity() const { return capacity_; }
    bool IsSorted() const { return sorted_; }
    // Set by an owner that keeps the items in Compare order.
    void SetSorted(bool sorted) { sorted_ = sorted; }
    CriticalSection& GetLock() { return lock_; }

protected:
    // The one allocation seam (realloc semantics; null keeps the old block).
    virtual Item* ReallocateBuffer(Item* buffer, size_t bytes);

private:
    [[noreturn]] static void Fail(DWORD code);
    void QuickSort(int lo, int hi);

    CriticalSection lock_;
    Item* items_ = nullptr;
    int count_ = 0;
    int capacity_ = 0;
    bool sorted_ = false;
};
