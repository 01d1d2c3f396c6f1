// Windows Sockets for the application: version 1.1, cleaned up when the
// process exits.
#pragma once

#include <windows.h>

// 0 on success, else the Windows Sockets error; an answer with any version
// other than 1.1 is WSAVERNOTSUPPORTED (10092).
int socket_startup();
