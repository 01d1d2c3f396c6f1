// The program's static objects: Windows Sockets for the network code and
// the application object that the entry point runs.
#include "launcher_app.h"
#include "network_startup.h"

static network_startup network;
static CLauncherApp launcher_app;
