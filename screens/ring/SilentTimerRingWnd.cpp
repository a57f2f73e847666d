#include "SilentTimerRingWnd.h"

#include "EngineMessage.h"

void SilentTimerRingWnd::OnSilentDestroy() { PostItemDelete(EngineMessage::kDeleteTimer); }
