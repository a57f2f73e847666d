// The command handler in this process, with the program's objects around it: a
// delete question that another delete overtakes, the clock change that ends the
// process only when nothing needs it, and the screen saver's start decision.
#include "App.h"
#include "ClockTestSupport.h"
#include "CommandHandler.h"
#include "CopyDataCommand.h"
#include "EngineWnd.h"
#include "FullScreenClockWnd.h"
#include "ItemStore.h"
#include "ScreenSaverStart.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

void Drain() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        if (msg.message != WM_QUIT) DispatchMessageW(&msg);
}

bool QuitPosted() {
    MSG quit;
    return PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

class CommandHandlerTest : public testing::Test {
protected:
    void SetUp() override {
        // A word that names no timer: the program starts and opens no window.
        ASSERT_TRUE(App::InitInstance(GetModuleHandleW(nullptr), L"timer_start 77"));
        engine_ = App::GetEngine();
        store_ = App::GetItemStore();
        Drain();
        QuitPosted();
    }
    void TearDown() override {
        CommandHandler::SetDeleteQuestion(nullptr);
        App::Shutdown();
        Drain();
    }
    static void Send(const std::wstring& text) { CopyDataCommand(text.c_str()).SendTo(App::GetEngine()->Hwnd()); }

    EngineWnd* engine_ = nullptr;
    ItemStore* store_ = nullptr;
};

// Answers yes; the first question meanwhile deletes the same alarm by a second command,
// and then new alarms are made, most often until one takes the deleted one's place in
// memory: the first delete, once answered, must take none of them for its own.
int questions = 0;
bool busyDuringQuestion = false;
std::wstring nestedCommand;
const void* freedAlarm = nullptr;
ItemHash rebornHash = 0;
int madeInQuestion = 0;
bool DeleteAgainInsideTheQuestion(EngineWnd& engine, UINT) {
    busyDuringQuestion = engine.BusyCount() > 0;
    if (++questions != 1) return true;
    CopyDataCommand(nestedCommand.c_str()).SendTo(engine.Hwnd());
    for (; freedAlarm && !rebornHash && madeInQuestion < 256; ++madeInQuestion) {
        AlarmItem* alarm = App::GetItemStore()->CreateAlarm(nullptr);
        if (alarm == freedAlarm) rebornHash = alarm->Hash;
    }
    return true;
}

}  // namespace

TEST_F(CommandHandlerTest, DeleteOvertakenInsideItsQuestionDeletesOnce) {
    AlarmItem* doomed = store_->CreateAlarm(nullptr);
    AlarmItem* kept = store_->CreateAlarm(nullptr);
    const ItemHash doomedHash = doomed->Hash, keptHash = kept->Hash;
    TimerItem* timer = store_->CreateTimer(nullptr);
    const ItemHash timerHash = timer->Hash;
    CommandHandler::SetDeleteQuestion(DeleteAgainInsideTheQuestion);

    nestedCommand = L"alarm_delete " + std::to_wstring(static_cast<uint32_t>(doomedHash));
    questions = 0;
    freedAlarm = doomed;
    Send(nestedCommand);
    freedAlarm = nullptr;
    EXPECT_EQ(2, questions);
    EXPECT_TRUE(busyDuringQuestion);
    EXPECT_EQ(0, engine_->BusyCount());
    EXPECT_EQ(nullptr, store_->FindAlarmByHash(doomedHash));
    EXPECT_NE(nullptr, store_->FindAlarmByHash(keptHash));
    // Whether the heap gave the freed place back depends on its layout; every alarm made
    // in the question survives either way.
    if (rebornHash) {
        EXPECT_NE(nullptr, store_->FindAlarmByHash(rebornHash)) << "the alarm made in its place survives";
    }
    EXPECT_EQ(1u + madeInQuestion, store_->Alarms().size());

    nestedCommand = L"timer_delete " + std::to_wstring(static_cast<uint32_t>(timerHash));
    questions = 0;
    Send(nestedCommand);
    EXPECT_EQ(2, questions);
    EXPECT_EQ(nullptr, store_->FindTimerByHash(timerHash));
    EXPECT_EQ(1u + madeInQuestion, store_->Alarms().size());

    // A Hash that names nothing asks nothing.
    questions = 0;
    Send(L"alarm_delete " + std::to_wstring(static_cast<uint32_t>(doomedHash)));
    EXPECT_EQ(0, questions);
}

namespace {
bool clockChangeQuitInsideQuestion = false;
bool ChangeTheClockInsideTheQuestion(EngineWnd& engine, UINT) {
    CopyDataCommand(L"AppRunAfterTimeChange").SendTo(engine.Hwnd());
    clockChangeQuitInsideQuestion = QuitPosted();
    return false;
}
}  // namespace

TEST_F(CommandHandlerTest, ClockChangeEndsTheProcessOnlyWhenNothingNeedsIt) {
    AlarmItem* alarm = store_->CreateAlarm(nullptr);
    const std::wstring deleteIt = L"alarm_delete " + std::to_wstring(static_cast<uint32_t>(alarm->Hash));
    // An open question keeps the process.
    CommandHandler::SetDeleteQuestion(ChangeTheClockInsideTheQuestion);
    Send(deleteIt);
    EXPECT_FALSE(clockChangeQuitInsideQuestion);
    EXPECT_NE(nullptr, store_->FindAlarmByHash(alarm->Hash));
    // So does the screen saver.
    App::GetFullScreenClock()->Show(true, true, false, false);
    Send(L"AppRunAfterTzChange");
    EXPECT_FALSE(QuitPosted());
    App::GetFullScreenClock()->Show(false, false, false, false);
    Send(L"AppRunAfterTimeChange");
    EXPECT_TRUE(QuitPosted());
}

TEST_F(CommandHandlerTest, ScreenSaverStartsOnlyWhenItsSettingsAllow) {
    FullScreenClockControl* clock = App::GetFullScreenClock();
    ScreenSaverSettings& settings = *store_->GetSettings().screenSaver;
    settings.ShowTypeBT = settings.ShowTypeDC = ScreenSaverStart::kShowNever;
    Send(L"-scrsvr");
    EXPECT_FALSE(clock->IsShowing());

    // Only while no alarm is pending: a snoozed alarm keeps it away.
    settings.ShowTypeBT = settings.ShowTypeDC = ScreenSaverStart::kShowWithoutPendingAlarm;
    AlarmItem* alarm = store_->CreateAlarm(nullptr);
    alarm->flags &= ~AlarmItem::kNew;
    alarm->SetDismissed(false);
    Send(L"-scrsvr");
    EXPECT_FALSE(clock->IsShowing());
    Send(L"cancel_snooze");
    EXPECT_TRUE(alarm->IsDismissed());

    // Only on the Today screen, which is not in front here.
    settings.OnlyAtHome = 1;
    Send(L"-scrsvr");
    EXPECT_FALSE(clock->IsShowing());
    settings.OnlyAtHome = 0;
    Send(L"-scrsvr");
    EXPECT_TRUE(clock->IsShowing());
    EXPECT_FALSE(clock->IsSlideShowRunning());

    // The slide show is forced, over a folder with pictures.
    ASSERT_TRUE(testsupport::CopyIntoDevice(clocktest::PictureFolder() + L"\\first.jpg", L"\\Slides\\first.jpg"));
    settings.slideShow.Folder = RcString(L"\\Slides");
    Send(L"start_slideshow");
    EXPECT_TRUE(clock->IsShowing());
    EXPECT_TRUE(clock->IsSlideShowRunning());
}

TEST(ScreenSaverStart, RunningExceptionKeepsItAway) {
    const std::vector<std::wstring> exceptions = {L"\\Program Files\\Game\\Game.exe", L"notes.exe",
                                                  L"\\Windows\\wmplayer.exe"};
    struct Case {
        std::vector<std::wstring> running;
        std::wstring foreground;
        bool kept;
    } cases[] = {
        {{L"shell32.exe", L"GAME.EXE"}, L"", true},  // by file name, without regard to case
        {{L"notes.exe"}, L"", true},
        {{L"Game"}, L"", false},
        {{L"wmplayer.exe"}, L"DesktopExplorerWindow", false},  // the media player only while in front
        {{L"wmplayer.exe"}, ScreenSaverStart::kMediaPlayerWindowClass, true},
        {{}, L"", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.kept, ScreenSaverStart::ExceptionRuns(exceptions, c.running, c.foreground))
            << testing::PrintToString(c.running);
}
