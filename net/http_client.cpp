#include "http_client.h"
#include "http_proxy_credentials.h"
#include "memory_body.h"

#include <wininet.h>

#include <cstdlib>
#include <cstring>

#include <boost/format.hpp>

#include "system_log.h"
#include "win_handle.h"

// Every answer of a query or read fits this buffer with a terminating zero.
static const DWORD query_buffer_size = 1024;
static const DWORD query_length = query_buffer_size - 1;

static const DWORD request_timeout_ms = 30000;
static const DWORD timeout_options[] = {
    INTERNET_OPTION_CONNECT_TIMEOUT,
    INTERNET_OPTION_RECEIVE_TIMEOUT,
    INTERNET_OPTION_SEND_TIMEOUT,
    INTERNET_OPTION_DATA_SEND_TIMEOUT,
    INTERNET_OPTION_DATA_RECEIVE_TIMEOUT,
};

// Nothing may come from a cache.
static const DWORD request_flags =
    INTERNET_FLAG_RELOAD | INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_PRAGMA_NOCACHE;

// Certificates from unknown authorities, for other host names or without
// revocation information are accepted; expired ones are not.
static const DWORD relaxed_security_flags = SECURITY_FLAG_IGNORE_REVOCATION |
                                            SECURITY_FLAG_IGNORE_UNKNOWN_CA |
                                            SECURITY_FLAG_IGNORE_CERT_CN_INVALID;

static const DWORD error_dialog_flags = FLAGS_ERROR_UI_FILTER_FOR_ERRORS |
                                        FLAGS_ERROR_UI_FLAGS_CHANGE_OPTIONS |
                                        FLAGS_ERROR_UI_FLAGS_GENERATE_DATA;

static const int status_not_read = 100;
static const INTERNET_PORT default_http_port = 80;
static const INTERNET_PORT default_https_port = 443;

static std::string method_of(const std::string& verb) {
    static const char* const known[] = {"POST", "GET", "CONNECT"};
    for (const char* name : known) {
        if (_stricmp(verb.c_str(), name) == 0) return name;
    }
    return "POST";
}

static std::string referrer_of(const std::string& scheme, const http_request& request) {
    if (request.port.empty()) return (boost::format("%s//%s/") % scheme % request.host).str();
    return (boost::format("%s//%s:%s/") % scheme % request.host % request.port).str();
}

static std::string proxy_text_of(const http_request& request) {
    if (!request.proxy_host.empty() && !request.proxy_port.empty())
        return request.proxy_host + ":" + request.proxy_port;
    return request.proxy_host;
}

static std::string header_block_of(const http_request& request) {
    std::string block;
    for (const header_field& field : request.headers)
        block += (boost::format("%s: %s\r\n") % field.name % field.value).str();
    return block;
}

// Leading decimal digits, low 16 bits; 0 means the scheme's default.
static INTERNET_PORT port_number_of(const http_request& request) {
    INTERNET_PORT port = static_cast<INTERNET_PORT>(std::strtoul(request.port.c_str(), nullptr, 10));
    if (port == 0) port = request.secure ? default_https_port : default_http_port;
    return port;
}

static void set_timeouts(HINTERNET handle) {
    DWORD value = request_timeout_ms;
    for (DWORD option : timeout_options) InternetSetOptionA(handle, option, &value, sizeof value);
}

static void relax_certificate_checks(HINTERNET request) {
    DWORD flags = 0;
    DWORD length = sizeof flags;
    InternetQueryOptionW(request, INTERNET_OPTION_SECURITY_FLAGS, &flags, &length);
    flags |= relaxed_security_flags;
    InternetSetOptionW(request, INTERNET_OPTION_SECURITY_FLAGS, &flags, sizeof flags);
}

// The text answer of one query: at most query_length bytes, cut at the
// first zero byte; false when the query failed.
struct query_buffer {
    char bytes[query_buffer_size];

    void clear() { std::memset(bytes, 0, sizeof bytes); }
    std::string text() const { return std::string(bytes); }
};

static std::string proxy_option_text(HINTERNET request, DWORD option, query_buffer& buffer) {
    buffer.clear();
    DWORD length = query_length;
    InternetQueryOptionA(request, option, buffer.bytes, &length);
    return buffer.text();
}

// Sends until the platform's dialog (proxy or server authentication) no
// longer asks for a resend. Returns 0 or the send's error code.
static DWORD send_request(HINTERNET request, HWND owner, const std::string& header_block,
                          std::vector<char>& data) {
    const char* headers = header_block.empty() ? nullptr : header_block.c_str();
    void* body = data.empty() ? nullptr : data.data();
    DWORD body_length = data.empty() ? 0 : static_cast<DWORD>(data.size() - 1);
    for (;;) {
        BOOL sent = HttpSendRequestA(request, headers, static_cast<DWORD>(header_block.size()), body,
                                     body_length);
        DWORD error = GetLastError();
        if (!sent) {
            system_log().write_w(log_level_detail, L"HttpSendRequestA Err 0x%x", error);
            return error;
        }
        if (InternetErrorDlg(owner, request, error, error_dialog_flags, nullptr) !=
            ERROR_INTERNET_FORCE_RETRY)
            return 0;
    }
}

// Raw header block, as the platform reports it. Some platforms answer every
// header index with the same block; a repeated block ends the loop.
static std::string raw_headers_of(HINTERNET request, query_buffer& buffer) {
    std::string headers;
    std::string previous;
    DWORD index = 0;
    for (;;) {
        buffer.clear();
        DWORD length = query_length;
        DWORD queried_index = index;
        if (!HttpQueryInfoA(request, HTTP_QUERY_RAW_HEADERS_CRLF, buffer.bytes, &length, &queried_index) ||
            length == 0)
            break;
        std::string block = buffer.text();
        if (index > 0 && block == previous) break;
        ++index;
        headers += block;
        previous = block;
    }
    return headers;
}

static DWORD content_length_of(HINTERNET request) {
    DWORD content_length = 0;
    DWORD length = sizeof content_length;
    if (!HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &content_length, &length,
                        nullptr))
        return 0;
    return content_length;
}

// Reads to the end of the data; a failing read ends it the same way.
// Returns 0, or the sink's failure when it refused a part.
static DWORD read_body(HINTERNET request, query_buffer& buffer, body_sink& sink) {
    for (;;) {
        buffer.clear();
        DWORD read = 0;
        if (!InternetReadFile(request, buffer.bytes, query_length, &read) || read == 0) return 0;
        if (!sink.append(buffer.bytes, read)) return sink.failure();
    }
}

DWORD get_data_by_wininet(http_request& request, std::string& response_headers, HWND owner,
                          int& status, std::vector<char>& body) {
    proxy_credentials unused;
    return get_data_by_wininet(request, response_headers, owner, status, body, unused);
}

DWORD get_data_by_wininet(http_request& request, std::string& response_headers, HWND owner,
                          int& status, std::vector<char>& body, proxy_credentials& final_credentials) {
    body.clear();
    memory_body sink(body);
    return get_data_by_wininet(request, response_headers, owner, status, sink, final_credentials);
}

DWORD get_data_by_wininet(http_request& request, std::string& response_headers, HWND owner,
                          int& status, body_sink& sink, proxy_credentials& final_credentials) {
    forget_proxy_credentials();
    final_credentials = proxy_credentials();
    status = status_not_read;
    response_headers.clear();

    const std::string scheme = request.secure ? "https:" : "http:";
    if (request.path.empty()) request.path = "/";
    const std::string referrer = referrer_of(scheme, request);
    const std::string method = method_of(request.verb);
    const std::string proxy_text = proxy_text_of(request);
    const std::string header_block = header_block_of(request);
    if (!request.data.empty() && request.data.back() != 0) request.data.push_back(0);

    // Drops cached credentials that no request is using.
    InternetSetOptionW(nullptr, INTERNET_OPTION_END_BROWSER_SESSION, nullptr, 0);

    const DWORD access = proxy_text.empty() ? INTERNET_OPEN_TYPE_PRECONFIG : INTERNET_OPEN_TYPE_PROXY;
    internet_handle session(InternetOpenA(request.user_agent.c_str(), access,
                                          proxy_text.empty() ? nullptr : proxy_text.c_str(), nullptr, 0));
    if (!session) return GetLastError();
    set_timeouts(session.get());

    internet_handle connection(InternetConnectA(session.get(), request.host.c_str(), port_number_of(request),
                                                nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return GetLastError();

    const DWORD flags = request.secure ? request_flags | INTERNET_FLAG_SECURE : request_flags;
    internet_handle handle(HttpOpenRequestA(connection.get(), method.c_str(), request.path.c_str(), nullptr,
                                            referrer.c_str(), nullptr, flags, 0));
    if (!handle) return GetLastError();
    // Some implementations honour the send and receive limits only on the
    // request handle; without them a silent server blocks forever.
    set_timeouts(handle.get());

    if (!request.proxy_user.empty())
        InternetSetOptionA(handle.get(), INTERNET_OPTION_PROXY_USERNAME, &request.proxy_user[0],
                           static_cast<DWORD>(request.proxy_user.size()));
    if (!request.proxy_password.empty())
        InternetSetOptionA(handle.get(), INTERNET_OPTION_PROXY_PASSWORD, &request.proxy_password[0],
                           static_cast<DWORD>(request.proxy_password.size()));
    if (request.secure) relax_certificate_checks(handle.get());

    DWORD result = 0;
    try {
        result = send_request(handle.get(), owner, header_block, request.data);
    } catch (...) {
        return result;
    }
    if (result != 0) return result;

    query_buffer buffer;
    buffer.clear();
    DWORD length = query_length;
    DWORD index = 0;
    if (HttpQueryInfoA(handle.get(), HTTP_QUERY_STATUS_CODE, buffer.bytes, &length, &index))
        status = std::atoi(buffer.bytes);

    if (status >= 200 && status < 300) {
        final_credentials.user = proxy_option_text(handle.get(), INTERNET_OPTION_PROXY_USERNAME, buffer);
        final_credentials.password = proxy_option_text(handle.get(), INTERNET_OPTION_PROXY_PASSWORD, buffer);
        remember_proxy_credentials(final_credentials.user, final_credentials.password);
    }

    response_headers = raw_headers_of(handle.get(), buffer);
    if (!sink.begin(status, content_length_of(handle.get()))) return 0;
    return read_body(handle.get(), buffer, sink);
}
