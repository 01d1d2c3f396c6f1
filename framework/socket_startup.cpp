#include "socket_startup.h"

#include <winsock2.h>

namespace {

constexpr WORD requested_version = MAKEWORD(1, 1);

// Balances a successful start-up at process exit.
struct socket_session {
    bool started = false;
    ~socket_session() {
        if (started) ::WSACleanup();
    }
};

socket_session session;

}  // namespace

int socket_startup() {
    if (session.started) return 0;
    WSADATA data{};
    int error = ::WSAStartup(requested_version, &data);
    if (error != 0) return error;
    if (data.wVersion != requested_version) {
        ::WSACleanup();
        return WSAVERNOTSUPPORTED;
    }
    session.started = true;
    return 0;
}
