#include "InternetConnectAction.h"

#include "InternetConnection.h"
#include "UnattendedScope.h"

bool InternetConnectAction::Execute() {
    UnattendedScope unattended;
    // The connection stays open with the connection manager.
    HANDLE connection = nullptr;
    if (FAILED(InternetConnection_Open(&connection))) return false;
    InternetConnection_EndSockets();
    return true;
}
