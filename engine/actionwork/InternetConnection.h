#pragma once
// Opens an internet connection through the connection manager and waits for it:
// Winsock 1.1 first (E_FAIL when it will not start), the destination network of a
// public web address (its failure returned as it is), then a user-interactive
// connection to that network with one minute to come up. Winsock stays started after a
// success only: the caller ends it with InternetConnection_EndSockets once its sockets are done.
#include <windows.h>

HRESULT InternetConnection_Open(HANDLE* connection);
void InternetConnection_EndSockets();
