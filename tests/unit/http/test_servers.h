// The test's side of tests/servers/run_with_servers.py: the ports and files
// of the servers it started, what the servers recorded, and the per-test
// routes of the scriptable server.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

// An environment variable the harness set; empty when it is missing.
std::string test_env(const char* name);
std::wstring test_env_w(const char* name);

// 127.0.0.1:port of a server the harness started, as text.
std::string server_port(const char* variable);

struct recorded_request {
    std::string method;
    std::string target;
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;  // in the order sent

    // Value of the first header of that name (case-insensitive); "" when absent.
    std::string header(const std::string& name) const;
    bool has_header(const std::string& name) const;
};

// Every request the HTTP and HTTPS servers have seen so far, in order.
std::vector<recorded_request> recorded_requests();
// Those whose target is target.
std::vector<recorded_request> recorded_requests_for(const std::string& target);

// Makes the scriptable server answer path with status and body (no body
// when body_present is false), replacing an earlier route for that path.
void set_route(const std::string& path, int status, const std::string& body, bool body_present = true);

// The byte the server's /bytes, /cut routes send at offset i.
inline char pattern_byte(size_t i) { return static_cast<char>((i * 7 + 3) & 0xFF); }
bool matches_pattern(const std::vector<char>& body);

// Whole content of a file; empty when it cannot be read.
std::string read_whole_file(const std::wstring& path);
bool write_whole_file_for_test(const std::wstring& path, const std::string& content);

// A fresh scratch folder (ending with a backslash) under the harness's
// work folder; removed with the harness.
std::wstring scratch_folder(const std::wstring& name);
