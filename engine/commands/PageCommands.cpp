// The words that open the main window, a page, an editor or the main menu.
#include "CommandHandler.h"

#include "EngineMessage.h"
#include "EngineScreens.h"
#include "EngineWnd.h"
#include "ItemStore.h"

void CommandHandler::Post(EngineWnd& engine, UINT message, WPARAM wParam) {
    PostMessageW(engine.Hwnd(), message, wParam, 0);
}

void CommandHandler::OpenMainWindow(EngineWnd& engine) {
    EngineScreens::Get().OpenMainWindow(engine, -1);
    Post(engine, EngineMessage::kRaiseRingWindows);
}

void CommandHandler::ShowPage(EngineWnd& engine, UINT pageMessage) {
    OpenMainWindow(engine);
    Post(engine, pageMessage);
}

// With the stopwatch page a running stopwatch takes a lap and a stopped one a new run;
// without it the first stopwatch starts again from zero.
void CommandHandler::OnStartStopwatch(EngineWnd& engine, ItemStore& store) {
    OpenMainWindow(engine);
    EngineScreens& screens = EngineScreens::Get();
    if (screens.HasStopwatchPage()) {
        const bool running = !store.Stopwatches().empty() && store.Stopwatches().front()->IsRunning();
        if (running) screens.AddStopwatchLap();
        else screens.ResetStopwatch();
    } else if (!store.Stopwatches().empty()) {
        store.StartTimer(store.Stopwatches().front(), true);
        store.Save(false);
    }
    Post(engine, EngineMessage::kShowStopwatches);
}
