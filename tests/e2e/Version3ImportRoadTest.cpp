// Items that version 3 left in the registry, loaded by a real Orvalen: it imports them
// and saves them back as the same alarms and timers in the current layout.
#include "DeviceProgram.h"
#include "TestSupport.h"
#include "Version3Items.h"

TEST(Version3ImportRoad, TheProgramSavesThemAsTheSameItemsInTheCurrentLayout) {
    version3items::PlantTypicalItems();
    ASSERT_TRUE(device_program::Install());
    ASSERT_EQ(0u, device_program::RunToEnd(L"AppRunAfterTimeChange"));
    EXPECT_EQ(1u, registryprobe::Read(version3items::kProduct, Version3Import::kDoneValue).Dword());
    StoreTestHost host;
    ItemStore store(RcString(L"\\Sounds"), false);
    version3items::ExpectTypicalItems(store);
}
