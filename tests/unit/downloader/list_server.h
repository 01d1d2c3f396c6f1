// What the downloader tests share: the list file the test server offers
// and addresses on that server.
#pragma once

#include <string>

#include "http/test_servers.h"

constexpr char list_path[] = "/launcher/installer6.lt";
constexpr char installer_digest[] = "0123456789abcdef0123456789abcdef";

// A list file that fills every field for either processor type.
inline std::string list_body() {
    return std::string("orvane installer list\r\n") + "both 6.0.21.4 " + installer_digest +
           " http://127.0.0.1/setup.exe\r\n" + "both 7.0.0.1 - http://127.0.0.1/seven.html\r\n" +
           "both manual fedcba9876543210fedcba9876543210 http://127.0.0.1/manual.html\r\n";
}

inline std::wstring local_url(const std::string& path) {
    std::string url = "http://127.0.0.1:" + server_port("OVN_TEST_HTTP_PORT") + path;
    return std::wstring(url.begin(), url.end());
}

inline bool list_server_is_local() { return server_port("OVN_TEST_HTTP_PORT") == OVN_TEST_LIST_PORT; }

#define REQUIRE_LOCAL_LIST_SERVER()                                                                 \
    if (!list_server_is_local()) GTEST_SKIP() << "the build's list-file server is not the test server"
