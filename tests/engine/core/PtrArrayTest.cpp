#include "PtrArray.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

// Numbers stored in the items, ascending.
class NumberArray : public PtrArray {
public:
    int Compare(Item a, Item b) const override {
        intptr_t x = reinterpret_cast<intptr_t>(a), y = reinterpret_cast<intptr_t>(b);
        return x < y ? -1 : x > y ? 1 : 0;
    }
    void AddNumber(intptr_t n) { Add(reinterpret_cast<Item>(n)); }
    intptr_t NumberAt(int i) const { return reinterpret_cast<intptr_t>(GetAt(i)); }
    std::vector<intptr_t> Numbers() const {
        std::vector<intptr_t> v;
        for (int i = 0; i < GetCount(); ++i)
            v.push_back(NumberAt(i));
        return v;
    }
};

// Owns strings, ordered by content: the real use of a pointer array.
class StringArray : public PtrArray {
public:
    explicit StringArray(std::vector<std::wstring>* released = nullptr) : released_(released) {}
    ~StringArray() override { RemoveAll(); }
    int Compare(Item a, Item b) const override {
        return static_cast<std::wstring*>(a)->compare(*static_cast<std::wstring*>(b));
    }
    void RemoveAt(int index) override {
        auto* s = static_cast<std::wstring*>(GetAt(index));
        PtrArray::RemoveAt(index);
        if (released_)
            released_->push_back(*s);
        delete s;
    }

private:
    std::vector<std::wstring>* released_;
};

class FailingGrowthArray : public NumberArray {
protected:
    Item* ReallocateBuffer(Item* buffer, size_t bytes) override {
        return failing ? nullptr : PtrArray::ReallocateBuffer(buffer, bytes);
    }

public:
    bool failing = false;
};

DWORD CodeOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const CeException& e) {
        return e.Code();
    }
    return 0;
}

}  // namespace

TEST(PtrArrayTest, GrowthStepsFollowTheCapacity) {
    NumberArray a;
    std::vector<int> capacities;
    for (int i = 0; i < 95; ++i) {
        int before = a.GetCapacity();
        a.AddNumber(i);
        if (a.GetCapacity() != before)
            capacities.push_back(a.GetCapacity());
    }
    EXPECT_EQ(capacities, (std::vector<int>{4, 8, 12, 28, 44, 60, 76, 95}));

    NumberArray b;
    b.SetCapacity(64);
    b.Grow();
    EXPECT_EQ(b.GetCapacity(), 80);
    b.SetCapacity(100);
    b.Grow();
    EXPECT_EQ(b.GetCapacity(), 125);
}

// Random data with many duplicates, and the runs that trip simple quicksorts.
TEST(PtrArrayTest, SortAndSearchAgreeWithTheStandardLibrary) {
    std::mt19937 random(20261209);
    for (int size : {0, 1, 2, 3, 17, 5000}) {
        for (int pattern = 0; pattern < 4; ++pattern) {
            std::uniform_int_distribution<intptr_t> value(-size, size);
            NumberArray a;
            std::vector<intptr_t> oracle;
            for (int i = 0; i < size; ++i) {
                intptr_t v = pattern == 0 ? value(random) : pattern == 1 ? i : pattern == 2 ? -i : 7;
                a.InsertAt(a.GetCount(), reinterpret_cast<PtrArray::Item>(v));
                oracle.push_back(v);
            }
            a.Sort();
            std::sort(oracle.begin(), oracle.end());
            ASSERT_EQ(a.Numbers(), oracle) << "size " << size << " pattern " << pattern;

            a.SetSorted(true);
            for (intptr_t probe = -size - 1; probe <= size + 1; ++probe) {
                int position = -1;
                bool found = a.BinarySearch(reinterpret_cast<PtrArray::Item>(probe), position);
                auto lower = std::lower_bound(oracle.begin(), oracle.end(), probe);
                ASSERT_EQ(position, lower - oracle.begin()) << "size " << size << " probe " << probe;
                ASSERT_EQ(found, std::binary_search(oracle.begin(), oracle.end(), probe));
                ASSERT_EQ(a.Find(reinterpret_cast<PtrArray::Item>(probe)), found ? position : -1);
            }
        }
    }
}

TEST(PtrArrayTest, SortedAddKeepsOrderAndRejectsDuplicates) {
    std::vector<std::wstring> released;
    {
        StringArray a(&released);
        a.SetSorted(true);
        for (const wchar_t* s : {L"pear", L"apple", L"quince", L"fig"})
            a.Add(new std::wstring(s));
        EXPECT_EQ(*static_cast<std::wstring*>(a.GetAt(0)), L"apple");
        EXPECT_EQ(*static_cast<std::wstring*>(a.GetAt(3)), L"quince");
        std::wstring fig = L"fig";
        EXPECT_EQ(a.Find(&fig), 1);

        auto* duplicate = new std::wstring(L"pear");
        EXPECT_EQ(CodeOf([&] { a.Add(duplicate); }), PtrArray::kErrorNotSorted);
        delete duplicate;
        EXPECT_EQ(a.GetCount(), 4);

        a.SetSize(2);  // releases the last two, last first
        EXPECT_EQ(released, (std::vector<std::wstring>{L"quince", L"pear"}));
    }
    // The owner's destructor released the rest.
    EXPECT_EQ(released.size(), 4u);

    NumberArray unsorted;
    unsorted.AddNumber(5);
    unsorted.AddNumber(5);
    EXPECT_EQ(unsorted.GetCount(), 2);
    EXPECT_EQ(unsorted.Find(reinterpret_cast<PtrArray::Item>(intptr_t{5})), 0);
}

TEST(PtrArrayTest, MisuseThrowsItsCode) {
    NumberArray a;
    for (intptr_t n : {30, 10, 20})
        a.AddNumber(n);
    EXPECT_EQ(CodeOf([&] { a.GetAt(3); }), PtrArray::kErrorBadIndex);
    EXPECT_EQ(CodeOf([&] { a.GetAt(-1); }), PtrArray::kErrorBadIndex);
    EXPECT_EQ(CodeOf([&] { a.InsertAt(4, nullptr); }), PtrArray::kErrorBadIndex);
    EXPECT_EQ(CodeOf([&] { a.RemoveAt(3); }), PtrArray::kErrorBadIndex);
    EXPECT_EQ(CodeOf([&] { a.SetSize(-1); }), PtrArray::kErrorBadIndex);
    EXPECT_EQ(CodeOf([&] { a.SetCapacity(PtrArray::kMaxCapacity + 1); }), PtrArray::kErrorBadIndex);
    EXPECT_EQ(CodeOf([&] { a.SetCapacity(2); }), PtrArray::kErrorBadIndex);  // below the count
    int position = 0;
    EXPECT_EQ(CodeOf([&] { a.BinarySearch(nullptr, position); }), PtrArray::kErrorNotSorted);
    EXPECT_EQ(static_cast<int>(PtrArray::kErrorBadIndex), -1);
    EXPECT_EQ(static_cast<int>(PtrArray::kErrorNotSorted), -2);
    // Nothing above changed the array.
    EXPECT_EQ(a.Numbers(), (std::vector<intptr_t>{30, 10, 20}));

    a.InsertAt(3, reinterpret_cast<PtrArray::Item>(intptr_t{40}));  // at the count: appends
    a.InsertAt(0, reinterpret_cast<PtrArray::Item>(intptr_t{0}));
    a.RemoveAt(2);
    EXPECT_EQ(a.Numbers(), (std::vector<intptr_t>{0, 30, 20, 40}));
}

TEST(PtrArrayTest, FailedGrowthThrowsAndKeepsTheItems) {
    FailingGrowthArray a;
    for (intptr_t n = 0; n < 4; ++n)
        a.AddNumber(n);
    a.failing = true;
    EXPECT_EQ(CodeOf([&] { a.AddNumber(4); }), PtrArray::kErrorOutOfMemory);
    EXPECT_EQ(static_cast<int>(PtrArray::kErrorOutOfMemory), -3);
    EXPECT_EQ(CodeOf([&] { a.SetSize(10); }), PtrArray::kErrorOutOfMemory);
    EXPECT_EQ(a.GetCapacity(), 4);
    EXPECT_EQ(a.Numbers(), (std::vector<intptr_t>{0, 1, 2, 3}));
}

TEST(PtrArrayTest, BrokenOverridesFailCleanly) {
    // A Grow that does not grow must not let an insert write past the buffer.
    class StuckArray : public NumberArray {
    public:
        void Grow() override {}
    } stuck;
    EXPECT_EQ(CodeOf([&] { stuck.AddNumber(1); }), PtrArray::kErrorOutOfMemory);
    EXPECT_EQ(stuck.GetCount(), 0);

    // A Compare that is no order must not run the sort off the buffer.
    class ChaoticArray : public NumberArray {
    public:
        int Compare(Item, Item) const override { return -1; }
    } chaotic;
    for (intptr_t n = 0; n < 1000; ++n)
        chaotic.AddNumber(n);
    chaotic.Sort();
    std::vector<intptr_t> numbers = chaotic.Numbers();
    std::sort(numbers.begin(), numbers.end());
    for (intptr_t n = 0; n < 1000; ++n)
        ASSERT_EQ(numbers[n], n);  // still a permutation
}
