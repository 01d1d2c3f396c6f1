// A server that accepts the connection and never answers: the request
// ends with an error at the 30-second limit instead of hanging.
#include <gtest/gtest.h>

#include "http/test_servers.h"
#include "http_client.h"

TEST(HttpClientTimeout, SilentServerEndsWithAnErrorAfterTheLimit) {
    http_request request;
    request.host = "127.0.0.1";
    request.port = server_port("OVN_TEST_HTTP_PORT");
    request.path = "/silent";
    std::string headers;
    int status = 0;
    std::vector<char> body;
    const DWORD start = GetTickCount();
    DWORD result = get_data_by_wininet(request, headers, nullptr, status, body);
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_NE(0u, result);
    EXPECT_EQ(100, status);
    EXPECT_GE(elapsed, 25000u);
    EXPECT_LE(elapsed, 45000u);
    EXPECT_EQ(1u, recorded_requests_for("/silent").size());
}
