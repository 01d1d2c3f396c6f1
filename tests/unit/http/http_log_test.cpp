// The log line of a failed send (the log marker files are shared by the
// whole prefix).
#include <gtest/gtest.h>

#include "http/shared_state.h"
#include "http/test_servers.h"
#include "http_client.h"

#include <wininet.h>

static DWORD fetch(http_request& request, int& status, std::vector<char>& body) {
    std::string headers;
    return get_data_by_wininet(request, headers, nullptr, status, body);
}

TEST(HttpClientLog, FailedSendIsLoggedWithItsCode) {
    scoped_detail_log log;
    http_request request;
    request.secure = true;
    request.host = "127.0.0.1";
    request.port = server_port("OVN_TEST_HTTPS_EXPIRED_PORT");
    int status = 0;
    std::vector<char> body;
    DWORD result = fetch(request, status, body);
    ASSERT_EQ(static_cast<DWORD>(ERROR_INTERNET_SEC_CERT_DATE_INVALID), result);
    EXPECT_EQ(100, status);
    EXPECT_NE(std::string::npos, log.text().find("\tHttpSendRequestA Err 0x2f05\r\n")) << log.text();

    // A send that succeeds writes nothing.
    http_request fine;
    fine.host = "127.0.0.1";
    fine.port = server_port("OVN_TEST_HTTP_PORT");
    ASSERT_EQ(0u, fetch(fine, status, body));
    EXPECT_EQ(1u, [&] {
        std::string text = log.text();
        size_t n = 0;
        for (size_t at = text.find("HttpSendRequestA"); at != std::string::npos;
             at = text.find("HttpSendRequestA", at + 1))
            ++n;
        return n;
    }());
}
