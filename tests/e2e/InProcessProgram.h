#pragma once
// Tests of screens over the program's own objects in this process: the program is
// started as it starts itself and held busy, as while the engine's own editors are
// open, so its idle check never ends it.
#include <gtest/gtest.h>

#include "App.h"
#include "EngineWnd.h"
#include "ItemStore.h"

class InProcessProgram : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(App::InitInstance(GetModuleHandleW(nullptr), L""));
        store_ = App::GetItemStore();
        ASSERT_TRUE(store_);
        App::GetEngine()->ChangeBusyCount(1);
    }
    void TearDown() override { App::Shutdown(); }

    ItemStore* store_ = nullptr;
};
