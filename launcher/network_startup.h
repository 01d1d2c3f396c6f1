// Windows Sockets 2.0 for the network code, started while static objects
// are constructed and cleaned up when the process exits.
#pragma once

class network_startup {
public:
    network_startup();
    ~network_startup();
    network_startup(const network_startup&) = delete;
    network_startup& operator=(const network_startup&) = delete;

private:
    bool started_ = false;
};
