// Items that version 3 left in the registry, loaded by a real Orvalen: it imports them
// and saves them back as the same alarms and timers in the current layout; a second
// start finds "ver3x" and leaves the items as they are.
#include "DeviceProgram.h"
#include "TestSupport.h"
#include "Version3Items.h"

TEST(Version3ImportRoad, TheProgramSavesThemAsTheSameItemsInTheCurrentLayout) {
    using namespace version3items;
    PlantTypicalItems();
    ASSERT_TRUE(device_program::Install());
    ASSERT_EQ(0u, device_program::RunToEnd(L"AppRunAfterTimeChange"));
    EXPECT_EQ(1u, registryprobe::Read(kProduct, Version3Import::kDoneValue).Dword());
    const auto alarms = registryprobe::Tree(kAlarmItems), timers = registryprobe::Tree(kTimerItems);

    ASSERT_EQ(0u, device_program::RunToEnd(L"AppRunAfterTimeChange"));
    EXPECT_TRUE(alarms == registryprobe::Tree(kAlarmItems));
    EXPECT_TRUE(timers == registryprobe::Tree(kTimerItems));
    StoreTestHost host;
    ItemStore store(RcString(L"\\Sounds"), false);
    ExpectTypicalItems(store);
}
