// get_data_by_wininet against the scriptable server and the HTTPS servers
// that tests/servers/run_with_servers.py starts for each test.
#include <winsock2.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "http/test_servers.h"
#include "http_client.h"

#include <wininet.h>

// Private memory the process has committed: what it holds whether it
// touched it or not. (Wine's process counters show only touched pages.)
static size_t committed_bytes() {
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    size_t total = 0;
    MEMORY_BASIC_INFORMATION region;
    for (const char* at = static_cast<const char*>(system.lpMinimumApplicationAddress);
         at < system.lpMaximumApplicationAddress && VirtualQuery(at, &region, sizeof region);
         at = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
    }
    return total;
}

struct http_answer {
    DWORD result = 0;
    int status = 0;
    std::string headers;
    std::vector<char> body;

    std::string body_text() const { return std::string(body.begin(), body.end()); }
};

static http_answer fetch(http_request& request) {
    http_answer answer;
    answer.result = get_data_by_wininet(request, answer.headers, nullptr, answer.status, answer.body);
    return answer;
}

static http_request local_request(const std::string& path, const char* port_variable = "OVN_TEST_HTTP_PORT") {
    http_request request;
    request.host = "127.0.0.1";
    request.port = server_port(port_variable);
    request.path = path;
    request.verb = "GET";
    return request;
}

TEST(HttpRequest, ResetGivesAgentAndEmptyFields) {
    http_request request;
    request.secure = true;
    request.host = "h";
    request.proxy_user = "u";
    request.headers.push_back({"a", "b"});
    request.data.push_back('x');
    request.reset();
    EXPECT_FALSE(request.secure);
    EXPECT_EQ("orvane/6.0", request.user_agent);
    EXPECT_TRUE(request.host.empty() && request.proxy_user.empty() && request.verb.empty());
    EXPECT_TRUE(request.headers.empty() && request.data.empty());
}

TEST(HttpClient, RequestAsTheServerSeesIt) {
    http_request request = local_request("/seen?a=1");
    request.headers.push_back({"X-First", "one"});
    request.headers.push_back({"X-Second", "two"});
    http_answer answer = fetch(request);
    ASSERT_EQ(0u, answer.result);
    EXPECT_EQ(200, answer.status);
    EXPECT_EQ("ok /seen?a=1", answer.body_text());

    std::vector<recorded_request> seen = recorded_requests_for("/seen?a=1");
    ASSERT_EQ(1u, seen.size());
    const recorded_request& r = seen[0];
    EXPECT_EQ("GET", r.method);
    EXPECT_EQ("orvane/6.0", r.header("User-Agent"));
    EXPECT_EQ("http://127.0.0.1:" + request.port + "/", r.header("Referer"));
    EXPECT_EQ("no-cache", r.header("Pragma"));
    EXPECT_TRUE(r.body.empty());
    // Extra header lines arrive, in the order given.
    int first = -1, second = -1;
    for (size_t i = 0; i < r.headers.size(); ++i) {
        if (r.headers[i].first == "X-First") first = static_cast<int>(i);
        if (r.headers[i].first == "X-Second") second = static_cast<int>(i);
    }
    ASSERT_GE(first, 0);
    EXPECT_EQ(first + 1, second);
    EXPECT_EQ("one", r.header("X-First"));
    EXPECT_EQ("two", r.header("X-Second"));
}

TEST(HttpClient, VerbsOtherThanGetPostConnectAreSentAsPost) {
    const std::pair<const char*, const char*> cases[] = {
        {"get", "GET"}, {"GeT", "GET"}, {"post", "POST"}, {"", "POST"}, {"PUT", "POST"}, {"DELETE", "POST"}};
    int n = 0;
    for (const auto& c : cases) {
        const std::string path = "/verb" + std::to_string(++n);
        http_request request = local_request(path);
        request.verb = c.first;
        ASSERT_EQ(0u, fetch(request).result) << c.first;
        std::vector<recorded_request> seen = recorded_requests_for(path);
        ASSERT_EQ(1u, seen.size()) << c.first;
        EXPECT_EQ(c.second, seen[0].method) << "verb '" << c.first << "'";
    }
}

TEST(HttpClient, BodyNeverSendsItsTrailingZeroByte) {
    http_request three = local_request("/three");
    three.verb = "POST";
    three.data = {'a', 'b', 'c'};
    ASSERT_EQ(0u, fetch(three).result);
    ASSERT_EQ(1u, recorded_requests_for("/three").size());
    EXPECT_EQ("abc", recorded_requests_for("/three")[0].body);
    EXPECT_EQ((std::vector<char>{'a', 'b', 'c', '\0'}), three.data);

    http_request ended = local_request("/ended");
    ended.verb = "POST";
    ended.data = {'x', 'y', '\0'};
    ASSERT_EQ(0u, fetch(ended).result);
    ASSERT_EQ(1u, recorded_requests_for("/ended").size());
    EXPECT_EQ("xy", recorded_requests_for("/ended")[0].body);
    EXPECT_EQ(3u, ended.data.size());

    // A body goes out with any verb.
    http_request get = local_request("/getbody");
    get.data = {'q'};
    ASSERT_EQ(0u, fetch(get).result);
    ASSERT_EQ(1u, recorded_requests_for("/getbody").size());
    EXPECT_EQ("GET", recorded_requests_for("/getbody")[0].method);
    EXPECT_EQ("q", recorded_requests_for("/getbody")[0].body);
}

TEST(HttpClient, EmptyPathRequestsRoot) {
    http_request request = local_request("");
    http_answer answer = fetch(request);
    ASSERT_EQ(0u, answer.result);
    EXPECT_EQ("/", request.path);
    EXPECT_EQ("ok /", answer.body_text());
    EXPECT_EQ(1u, recorded_requests_for("/").size());
}

// Through an explicit proxy (the scriptable server itself), the absolute
// address it receives shows which port the client chose.
TEST(HttpClient, PortTextGivesPortNumber) {
    const struct {
        const char* port;
        const char* expected;  // what the proxy is asked for
    } cases[] = {
        {"0", "http://127.0.0.1:80/p"},       {"", "http://127.0.0.1:80/p"},
        {"abc", "http://127.0.0.1:80/p"},     {" 8080", "http://127.0.0.1:8080/p"},
        {"8080x", "http://127.0.0.1:8080/p"}, {"70000", "http://127.0.0.1:4464/p"},
    };
    for (const auto& c : cases) {
        http_request request = local_request("/p");
        request.port = c.port;
        request.proxy_host = "127.0.0.1";
        request.proxy_port = server_port("OVN_TEST_HTTP_PORT");
        fetch(request);
        std::vector<recorded_request> seen = recorded_requests();
        ASSERT_FALSE(seen.empty()) << c.port;
        EXPECT_EQ(c.expected, seen.back().target) << "port '" << c.port << "'";
    }
}

TEST(HttpClient, ProxyHostWithoutPortIsGivenAsWritten) {
    http_request request = local_request("/via");
    request.proxy_host = "127.0.0.1:" + server_port("OVN_TEST_HTTP_PORT");
    http_answer answer = fetch(request);
    ASSERT_EQ(0u, answer.result);
    ASSERT_FALSE(recorded_requests().empty());
    EXPECT_EQ("http://127.0.0.1:" + request.port + "/via", recorded_requests().back().target);
}

TEST(HttpClient, StatusesAndBodiesComeBackAsSent) {
    const struct {
        const char* path;
        int status;
        const char* body;
    } cases[] = {
        {"/empty", 200, ""},
        {"/status/204", 204, ""},
        {"/status/206", 206, "part"},
        {"/status/304", 304, ""},
        {"/status/404", 404, "<html><body><h1>404</h1><p>error page</p></body></html>"},
        {"/status/500", 500, "<html><body><h1>500</h1><p>error page</p></body></html>"},
        {"/slow/1500", 200, "slow"},
    };
    for (const auto& c : cases) {
        http_request request = local_request(c.path);
        http_answer answer = fetch(request);
        EXPECT_EQ(0u, answer.result) << c.path;
        EXPECT_EQ(c.status, answer.status) << c.path;
        EXPECT_EQ(c.body, answer.body_text()) << c.path;
    }
}

TEST(HttpClient, ResponseHeadersHoldTheRawBlockOnce) {
    http_request request = local_request("/headers");
    http_answer answer = fetch(request);
    ASSERT_EQ(0u, answer.result);
    EXPECT_EQ(0u, answer.headers.find("HTTP/1.1 200"));
    EXPECT_NE(std::string::npos, answer.headers.find("\r\nContent-Length: 11\r\n"));
    EXPECT_EQ(answer.headers.find("HTTP/1.1"), answer.headers.rfind("HTTP/1.1"));
}

TEST(HttpClient, HeaderBlockOverTheBufferLeavesHeadersEmpty) {
    http_request request = local_request("/bigheader/1100");
    http_answer answer = fetch(request);
    ASSERT_EQ(0u, answer.result);
    EXPECT_EQ(200, answer.status);
    EXPECT_TRUE(answer.headers.empty());
    EXPECT_EQ("big", answer.body_text());

    http_request fits = local_request("/bigheader/800");
    EXPECT_FALSE(fetch(fits).headers.empty());
}

TEST(HttpClient, NonNumericStatusGivesZero) {
    http_request request = local_request("/badstatus");
    http_answer answer = fetch(request);
    EXPECT_EQ(0u, answer.result);
    EXPECT_EQ(0, answer.status);
}

// What arrived comes back; a length header that announces far more than
// comes (just over the 64 MiB reserve limit, about a gigabyte) does not
// make the call hold memory for it.
TEST(HttpClient, BodyCutShortComesBackAsFarAsItArrived) {
    const char* const paths[] = {"/cut/100000/5000", "/cut/67200000/5000", "/cut/1000000000/5000"};
    const size_t most_held = 16u << 20;
    for (const char* path : paths) {
        http_request request = local_request(path);
        const size_t before = committed_bytes();
        http_answer answer = fetch(request);
        const size_t after = committed_bytes();
        EXPECT_EQ(0u, answer.result) << path;
        EXPECT_EQ(200, answer.status) << path;
        EXPECT_EQ(5000u, answer.body.size()) << path;
        EXPECT_TRUE(matches_pattern(answer.body)) << path;
        EXPECT_LT(after, before + most_held) << path << ": " << (after - before) << " bytes held";
    }
}

TEST(HttpClient, FiftyMegabyteBodyArrivesWhole) {
    const size_t size = 50u * 1000 * 1000;
    http_request request = local_request("/bytes/" + std::to_string(size));
    http_answer answer = fetch(request);
    ASSERT_EQ(0u, answer.result);
    EXPECT_EQ(200, answer.status);
    ASSERT_EQ(size, answer.body.size());
    EXPECT_TRUE(matches_pattern(answer.body));
}

TEST(HttpClient, RefusedConnectionReturnsTheSendErrorWithStatus100) {
    // A port that was free a moment ago: nothing listens there.
    SOCKET probe = INVALID_SOCKET;
    std::string port;
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address = {};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
        int length = sizeof address;
        getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
        port = std::to_string(ntohs(address.sin_port));
        closesocket(probe);
    }
    http_request request = local_request("/x");
    request.port = port;
    http_answer answer = fetch(request);
    EXPECT_NE(0u, answer.result);
    EXPECT_EQ(100, answer.status);
    EXPECT_TRUE(answer.headers.empty());
    EXPECT_TRUE(answer.body.empty());
}

TEST(HttpClient, CertificateForAnotherNameFromUnknownAuthorityIsAccepted) {
    http_request request = local_request("/tls", "OVN_TEST_HTTPS_OTHER_PORT");
    request.secure = true;
    http_answer answer = fetch(request);
    ASSERT_EQ(0u, answer.result);
    EXPECT_EQ(200, answer.status);
    EXPECT_EQ("ok /tls", answer.body_text());
    ASSERT_EQ(1u, recorded_requests_for("/tls").size());
    EXPECT_EQ("https://127.0.0.1:" + request.port + "/", recorded_requests_for("/tls")[0].header("Referer"));
}

TEST(HttpClient, ExpiredCertificateFailsTheSend) {
    http_request request = local_request("/expired", "OVN_TEST_HTTPS_EXPIRED_PORT");
    request.secure = true;
    http_answer answer = fetch(request);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INTERNET_SEC_CERT_DATE_INVALID), answer.result);
    EXPECT_EQ(100, answer.status);
    EXPECT_TRUE(answer.body.empty());
    EXPECT_TRUE(recorded_requests_for("/expired").empty());
}

// Credentials set on a request are read back from its handle after a 2xx
// answer; any other answer leaves none remembered.
TEST(HttpClient, RememberedCredentialsFollowTheStatus) {
    http_request ok = local_request("/status/204");
    ok.proxy_user = "taro";
    ok.proxy_password = "secret";
    http_answer answer = fetch(ok);
    ASSERT_EQ(0u, answer.result);
    ASSERT_EQ(204, answer.status);
    EXPECT_EQ("taro", last_proxy_user());
    EXPECT_EQ("secret", last_proxy_password());

    http_request missing = local_request("/status/404");
    missing.proxy_user = "taro";
    missing.proxy_password = "secret";
    answer = fetch(missing);
    EXPECT_EQ(0u, answer.result);
    EXPECT_EQ(404, answer.status);
    EXPECT_NE(std::string::npos, answer.body_text().find("error page"));
    EXPECT_EQ("", last_proxy_user());
    EXPECT_EQ("", last_proxy_password());

    // The call's own pair follows the status the same way.
    proxy_credentials final_credentials{"stale", "stale"};
    answer.result = get_data_by_wininet(missing, answer.headers, nullptr, answer.status, answer.body,
                                        final_credentials);
    EXPECT_EQ(404, answer.status);
    EXPECT_TRUE(final_credentials.user.empty() && final_credentials.password.empty());
    answer.result = get_data_by_wininet(ok, answer.headers, nullptr, answer.status, answer.body,
                                        final_credentials);
    EXPECT_EQ(204, answer.status);
    EXPECT_EQ("taro", final_credentials.user);
    EXPECT_EQ("secret", final_credentials.password);

    http_request plain = local_request("/plain");
    ok.proxy_user = "taro";
    fetch(ok);
    fetch(plain);
    EXPECT_EQ("", last_proxy_user());
}

// Two workers with different credentials at once: each call hands back
// its own request's pair, and each pair in the process-wide record is
// whole, one request's or none.
TEST(HttpClient, OverlappingRequestsKeepCredentialPairsWhole) {
    const int rounds = 200;
    auto worker = [&](const std::string& user, const std::string& password, int* bad, int* own) {
        for (int i = 0; i < rounds; ++i) {
            http_request request = local_request("/status/204");
            request.proxy_user = user;
            request.proxy_password = password;
            http_answer answer;
            proxy_credentials final_credentials;
            answer.result = get_data_by_wininet(request, answer.headers, nullptr, answer.status, answer.body,
                                                final_credentials);
            std::string u, p;
            last_proxy_credentials(u, p);
            if (answer.result != 0 || answer.status != 204) {
                ++*bad;
                ADD_FAILURE() << "result " << answer.result << " status " << answer.status;
            }
            if (final_credentials.user != user || final_credentials.password != password) {
                ++*bad;
                ADD_FAILURE() << "handed back '" << final_credentials.user << "' '" << final_credentials.password
                              << "' to " << user;
            }
            bool empty = u.empty() && p.empty();
            bool alpha = u == "alpha" && p == "alpha-pass";
            bool beta = u == "beta" && p == "beta-pass";
            if (!empty && !alpha && !beta) {
                ++*bad;
                ADD_FAILURE() << "pair '" << u << "' '" << p << "'";
            }
            if (u == user) ++*own;
            std::string single = last_proxy_user();
            if (!single.empty() && single != "alpha" && single != "beta") ++*bad;
        }
    };
    int bad_a = 0, bad_b = 0, own_a = 0, own_b = 0;
    std::thread a(worker, "alpha", "alpha-pass", &bad_a, &own_a);
    std::thread b(worker, "beta", "beta-pass", &bad_b, &own_b);
    a.join();
    b.join();
    EXPECT_EQ(0, bad_a);
    EXPECT_EQ(0, bad_b);
    EXPECT_GT(own_a, 0);
    EXPECT_GT(own_b, 0);
}

static http_request through_explicit_proxy(const std::string& path) {
    http_request request = local_request(path);
    request.proxy_host = "127.0.0.1";
    request.proxy_port = server_port("OVN_TEST_PROXY_PORT");
    return request;
}

TEST(HttpClientProxy, GivenCredentialsPassTheProxyAndAreRemembered) {
    http_request request = through_explicit_proxy("/proxied");
    request.proxy_user = test_env("OVN_TEST_PROXY_USER");
    request.proxy_password = test_env("OVN_TEST_PROXY_PASSWORD");
    http_answer answer = fetch(request);
    ASSERT_EQ(0u, answer.result);
    EXPECT_EQ(200, answer.status);
    EXPECT_EQ("ok /proxied", answer.body_text());
    EXPECT_EQ(1u, recorded_requests_for("/proxied").size());
    EXPECT_EQ(test_env("OVN_TEST_PROXY_USER"), last_proxy_user());
    EXPECT_EQ(test_env("OVN_TEST_PROXY_PASSWORD"), last_proxy_password());
}

TEST(HttpClientProxy, MissingOrWrongCredentialsEndWithStatus407) {
    http_request none = through_explicit_proxy("/refused");
    http_answer answer = fetch(none);
    EXPECT_EQ(0u, answer.result);
    EXPECT_EQ(407, answer.status);

    http_request wrong = through_explicit_proxy("/refused");
    wrong.proxy_user = test_env("OVN_TEST_PROXY_USER");
    wrong.proxy_password = "wrong";
    answer = fetch(wrong);
    EXPECT_EQ(0u, answer.result);
    // This proxy refuses wrong credentials with 401 rather than 407.
    EXPECT_TRUE(answer.status == 407 || answer.status == 401) << answer.status;
    EXPECT_EQ("", last_proxy_user());
    EXPECT_TRUE(recorded_requests_for("/refused").empty());
}

TEST(HttpClientProxy, SecureRequestTunnelsThroughTheProxyWithCredentials) {
    http_request request = through_explicit_proxy("/tunnel");
    request.port = server_port("OVN_TEST_HTTPS_OTHER_PORT");
    request.secure = true;
    request.proxy_user = test_env("OVN_TEST_PROXY_USER");
    request.proxy_password = test_env("OVN_TEST_PROXY_PASSWORD");
    http_answer answer = fetch(request);
    ASSERT_EQ(0u, answer.result);
    EXPECT_EQ(200, answer.status);
    EXPECT_EQ("ok /tunnel", answer.body_text());
    EXPECT_EQ(1u, recorded_requests_for("/tunnel").size());
}
