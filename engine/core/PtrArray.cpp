#include "PtrArray.h"

#include <cstdlib>
#include <cstring>
#include <utility>

void PtrArray::Fail(DWORD code) { throw CeException(code); }

PtrArray::~PtrArray() { PtrArray::RemoveAll(); }

void PtrArray::Grow() {
    int step = capacity_ > 64 ? capacity_ / 4 : capacity_ < 9 ? 4 : 16;
    SetCapacity(capacity_ + step);
}

int PtrArray::Compare(Item a, Item b) const { return a == b ? 0 : -1; }

int PtrArray::Add(Item item) {
    int index = count_;
    if (sorted_ && BinarySearch(item, index))
        Fail(kErrorNotSorted);
    InsertAt(index, item);
    return index;
}

void PtrArray::RemoveAll() {
    SetSize(0);
    SetCapacity(0);
}

void PtrArray::RemoveAt(int index) {
    if (index < 0 || index >= count_)
        Fail(kErrorBadIndex);
    std::memmove(items_ + index, items_ + index + 1, sizeof(Item) * (count_ - index - 1));
    --count_;
}

PtrArray::Item PtrArray::GetAt(int index) const {
    if (index < 0 || index >= count_)
        Fail(kErrorBadIndex);
    return items_[index];
}

void PtrArray::InsertAt(int index, Item item) {
    if (index < 0 || index > count_)
        Fail(kErrorBadIndex);
    if (count_ == capacity_) {
        Grow();
        // A derived Grow that did not grow must not let us write past the buffer.
        if (count_ >= capacity_)
            Fail(kErrorOutOfMemory);
    }
    std::memmove(items_ + index + 1, items_ + index, sizeof(Item) * (count_ - index));
    items_[index] = item;
    ++count_;
}

int PtrArray::Find(Item item) const {
    if (sorted_) {
        int position = 0;
        return BinarySearch(item, position) ? position : -1;
    }
    for (int i = 0; i < count_; ++i) {
        if (Compare(items_[i], item) == 0)
            return i;
    }
    return -1;
}

bool PtrArray::BinarySearch(Item item, int& position) const {
    if (!sorted_)
        Fail(kErrorNotSorted);
    int lo = 0;
    int hi = count_ - 1;
    bool found = false;
    while (hi >= lo) {
        int mid = (lo + hi) >> 1;
        int r = Compare(items_[mid], item);
        if (r < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (r == 0)
                found = true;
        }
    }
    position = lo;
    return found;
}

PtrArray::Item* PtrArray::ReallocateBuffer(Item* buffer, size_t bytes) {
    return static_cast<Item*>(std::realloc(buffer, bytes));
}

void PtrArray::SetCapacity(int capacity) {
    // Fewer slots than items would cut live items off the buffer.
    if (capacity < 0 || capacity > kMaxCapacity || capacity < count_)
        Fail(kErrorBadIndex);
    if (capacity == capacity_)
        return;
    if (capacity > 0) {
        Item* grown = ReallocateBuffer(items_, sizeof(Item) * static_cast<size_t>(capacity));
        if (!grown)
            Fail(kErrorOutOfMemory);
        items_ = grown;
    } else {
        std::free(items_);
        items_ = nullptr;
    }
    capacity_ = capacity;
}

void PtrArray::SetSize(int size) {
    if (size < 0 || size > kMaxCapacity)
        Fail(kErrorBadIndex);
    if (size > capacity_)
        SetCapacity(size);
    if (size > count_) {
        std::memset(items_ + count_, 0, sizeof(Item) * (size - count_));
        count_ = size;
        return;
    }
    // One at a time from the end, so an owning RemoveAt releases each item once.
    for (int index = count_ - 1; index >= size; --index)
        RemoveAt(index);
    count_ = size;
}

void PtrArray::Sort() {
    if (count_ > 1)
        QuickSort(0, count_ - 1);
}

void PtrArray::QuickSort(int lo, int hi) {
    while (lo < hi) {
        int i = lo;
        int j = hi;
        int p = (lo + hi) / 2;  // follows the pivot item through the swaps
        do {
            // The bounds only matter for a Compare that is not a consistent order.
            while (i < hi && Compare(items_[i], items_[p]) < 0)
                ++i;
            while (j > lo && Compare(items_[j], items_[p]) > 0)
                --j;
            if (j < i)
                break;
            std::swap(items_[i], items_[j]);
            if (p == i)
                p = j;
            else if (p == j)
                p = i;
            ++i;
            --j;
        } while (j >= i);
        // Recurse into the smaller part and loop on the larger: the stack stays
        // logarithmic whatever the data.
        if (j - lo < hi - i) {
            if (lo < j)
                QuickSort(lo, j);
            lo = i;
        } else {
            if (i < hi)
                QuickSort(i, hi);
            hi = j;
        }
    }
}
