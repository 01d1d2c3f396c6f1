// The log lines of failed transfers (the log marker files are shared by
// the whole prefix).
#include <gtest/gtest.h>

#include <cstdint>
#include <new>

#include "http/shared_state.h"
#include "http/test_servers.h"
#include "http_client.h"

#include <wininet.h>

// A thread of this program can be made to see memory the way a 32-bit
// process with little address space left does: while a limit is set there,
// no block larger than it is granted.
static thread_local size_t largest_block = SIZE_MAX;

void* operator new(size_t size) {
    if (size > largest_block) throw std::bad_alloc();
    if (void* block = HeapAlloc(GetProcessHeap(), 0, size ? size : 1)) return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept {
    if (block) HeapFree(GetProcessHeap(), 0, block);
}
void operator delete(void* block, size_t) noexcept { ::operator delete(block); }

class scoped_block_limit {
public:
    explicit scoped_block_limit(size_t largest) { largest_block = largest; }
    ~scoped_block_limit() { largest_block = SIZE_MAX; }
    scoped_block_limit(const scoped_block_limit&) = delete;
    scoped_block_limit& operator=(const scoped_block_limit&) = delete;
};

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

// A body that outgrows memory is a failed transfer, not a short one: the
// part that came is not handed on as if it were all, and the log says how
// far it got.
TEST(HttpClientLog, BodyThatOutgrowsMemoryFailsTheTransfer) {
    scoped_detail_log log;
    http_request request;
    request.host = "127.0.0.1";
    request.port = server_port("OVN_TEST_HTTP_PORT");
    request.path = "/bytes/3000000";
    int status = 0;
    std::vector<char> body;
    DWORD result = 0;
    {
        scoped_block_limit limit(1u << 20);
        result = fetch(request, status, body);
    }
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY), result);
    EXPECT_EQ(200, status);
    EXPECT_TRUE(body.empty());
    EXPECT_NE(std::string::npos, log.text().find("\tget_data_by_wininet body did not fit in memory at "))
        << log.text();

    http_request fits = request;
    EXPECT_EQ(0u, fetch(fits, status, body));
}
