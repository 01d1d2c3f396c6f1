// One blocking HTTP or HTTPS request over WinINet. Each call opens and
// closes its own handles. It hands back the proxy credentials its request
// ended with, so a caller can send them with its next request and a user
// who typed them at the proxy's prompt is not asked again.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct header_field {
    std::string name;
    std::string value;
};

// What to send. All texts are in the ANSI code page.
struct http_request {
    http_request() { reset(); }

    // Not secure, agent "orvane/6.0", every other text and both lists empty.
    void reset();

    bool secure;
    std::string user_agent;
    std::string host;
    std::string port;            // empty, zero or non-numeric: the scheme's default
    std::string path;            // request target; empty means "/"
    std::string verb;            // GET, POST or CONNECT in any case; anything else is sent as POST
    std::string proxy_host;      // empty: the system's proxy settings
    std::string proxy_port;
    std::string proxy_user;      // empty: none sent
    std::string proxy_password;  // empty: none sent
    std::vector<header_field> headers;
    std::vector<char> data;      // body; a last zero byte is never sent
};

// A proxy user name and password, as one request sent them or its user
// typed them.
struct proxy_credentials {
    std::string user;
    std::string password;
};

// Where a response body goes as it arrives, so that one larger than the
// address space can hold (an installer) need not be held in memory.
class body_sink {
public:
    // Once, after the status and headers and before the body; announced is
    // the Content-Length, 0 when there is none. False: the body is not
    // wanted and is not read.
    virtual bool begin(int status, DWORD announced) = 0;
    // The next bytes of the body. False stops the transfer: the call then
    // returns failure().
    virtual bool append(const char* bytes, DWORD count) = 0;
    virtual DWORD failure() const = 0;

protected:
    ~body_sink() = default;
};

// Sends the request and reads the whole answer. Returns 0 when the request
// was sent and its body read, otherwise the Win32 error of the step that
// failed (ERROR_NOT_ENOUGH_MEMORY for a body that does not fit in memory).
// status is 100 until the server's status code could be read. The request
// is changed: an empty path becomes "/", and non-empty data gets a zero
// byte appended unless it already ends with one. owner is the window the
// platform's authentication dialog is shown over.
DWORD get_data_by_wininet(http_request& request, std::string& response_headers, HWND owner,
                          int& status, std::vector<char>& body);

// The same, and after a 2xx answer final_credentials holds the proxy
// credentials the request ended with: those sent, or those typed at the
// prompt. Otherwise they are empty. They belong to this call alone, so a
// request on another thread can neither clear nor replace them.
DWORD get_data_by_wininet(http_request& request, std::string& response_headers, HWND owner,
                          int& status, std::vector<char>& body, proxy_credentials& final_credentials);

// The same with the body handed to sink as it arrives: the result is
// sink.failure() when the sink refused a part of it.
DWORD get_data_by_wininet(http_request& request, std::string& response_headers, HWND owner,
                          int& status, body_sink& sink, proxy_credentials& final_credentials);

// A process-wide record of the same, for the log and tests: the
// credentials of the last request with a 2xx answer, emptied when any
// request starts. Concurrent requests overwrite it, so no decision may
// rest on it.
std::string last_proxy_user();
std::string last_proxy_password();

// Both at once, so a caller never pairs one request's user name with
// another request's password.
void last_proxy_credentials(std::string& user, std::string& password);
