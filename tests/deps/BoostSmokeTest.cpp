#include <gtest/gtest.h>

#include <boost/shared_array.hpp>
#include <boost/shared_ptr.hpp>
#include <boost/weak_ptr.hpp>

namespace {

// Counts destructions so the tests see exactly when the owners let go.
struct Tracked {
    static int destroyed;
    int value = 0;
    ~Tracked() { ++destroyed; }
};
int Tracked::destroyed = 0;

}  // namespace

TEST(Boost, SharedPtrCountsOwnersAndRunsItsDeleterOnce)
{
    int deleted = 0;
    boost::weak_ptr<int> watcher;
    {
        boost::shared_ptr<int> first(new int(42), [&deleted](int* p) {
            ++deleted;
            delete p;
        });
        watcher = first;
        EXPECT_EQ(first.use_count(), 1);
        {
            boost::shared_ptr<int> second = first;
            EXPECT_EQ(first.use_count(), 2);
            EXPECT_EQ(*second, 42);
            *second = 7;
        }
        EXPECT_EQ(first.use_count(), 1);
        EXPECT_EQ(*first, 7);
        EXPECT_EQ(deleted, 0);
        EXPECT_FALSE(watcher.expired());
    }
    EXPECT_EQ(deleted, 1);
    EXPECT_TRUE(watcher.expired());
    EXPECT_FALSE(watcher.lock());
}

// GCC 12 mistakes shared_array's cleanup path for a use after free.
#pragma GCC diagnostic ignored "-Wuse-after-free"
TEST(Boost, SharedArrayDestroysEveryElementWithTheLastOwner)
{
    Tracked::destroyed = 0;
    boost::shared_array<Tracked> copy;
    {
        boost::shared_array<Tracked> items(new Tracked[3]);
        for (int i = 0; i < 3; ++i)
            items[i].value = i * 10;
        copy = items;
        EXPECT_EQ(items.use_count(), 2);
    }
    EXPECT_EQ(Tracked::destroyed, 0);
    EXPECT_EQ(copy.use_count(), 1);
    EXPECT_EQ(copy[2].value, 20);
    copy.reset();
    EXPECT_EQ(Tracked::destroyed, 3);
}
