#pragma once
// Inside the layer: whether a handle is one of this process's message queues.
#include <windows.h>

bool MessageQueue_Exists(HANDLE queue);
