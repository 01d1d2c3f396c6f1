// The system's proxy settings: this program runs in a Wine prefix of its
// own, so the setting reaches no other test.
#include <gtest/gtest.h>

#include "http/shared_state.h"
#include "http/test_servers.h"
#include "http_client.h"

static DWORD fetch(http_request& request, int& status, std::vector<char>& body) {
    std::string headers;
    return get_data_by_wininet(request, headers, nullptr, status, body);
}

// With no proxy given, the request goes through the proxy the system has
// configured; the proxy demands Basic authentication.
TEST(HttpClientSystemProxy, RequestsGoThroughTheConfiguredProxy) {
    scoped_system_proxy proxy(server_port("OVN_TEST_PROXY_PORT"));
    http_request request;
    request.host = "127.0.0.1";
    request.port = server_port("OVN_TEST_HTTP_PORT");
    request.path = "/system-proxy";
    request.verb = "GET";
    request.proxy_user = test_env("OVN_TEST_PROXY_USER");
    request.proxy_password = test_env("OVN_TEST_PROXY_PASSWORD");
    int status = 0;
    std::vector<char> body;
    ASSERT_EQ(0u, fetch(request, status, body));
    EXPECT_EQ(200, status);
    EXPECT_EQ("ok /system-proxy", std::string(body.begin(), body.end()));
    EXPECT_EQ(request.proxy_user, last_proxy_user());
    std::string proxy_log = read_whole_file(test_env_w("OVN_TEST_PROXY_LOG"));
    EXPECT_NE(std::string::npos, proxy_log.find("GET http://127.0.0.1:" + request.port + "/system-proxy"))
        << proxy_log;

    http_request without = request;
    without.path = "/system-proxy-refused";
    without.proxy_user.clear();
    without.proxy_password.clear();
    ASSERT_EQ(0u, fetch(without, status, body));
    EXPECT_EQ(407, status);
    EXPECT_TRUE(recorded_requests_for("/system-proxy-refused").empty());
}
