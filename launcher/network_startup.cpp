#include "network_startup.h"

#include <winsock2.h>

network_startup::network_startup() {
    WSADATA data{};
    // The result is not needed: the application's own start-up reports
    // a sockets failure to the user.
    started_ = ::WSAStartup(MAKEWORD(2, 0), &data) == 0;
}

network_startup::~network_startup() {
    if (started_) ::WSACleanup();
}
