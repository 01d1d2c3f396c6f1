#include "http/test_servers.h"

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

std::string test_env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::wstring test_env_w(const char* name) {
    std::string value = test_env(name);
    return std::wstring(value.begin(), value.end());
}

std::string server_port(const char* variable) { return test_env(variable); }

std::string recorded_request::header(const std::string& name) const {
    for (const auto& field : headers) {
        if (_stricmp(field.first.c_str(), name.c_str()) == 0) return field.second;
    }
    return "";
}

bool recorded_request::has_header(const std::string& name) const {
    for (const auto& field : headers) {
        if (_stricmp(field.first.c_str(), name.c_str()) == 0) return true;
    }
    return false;
}

static std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    for (;;) {
        std::string::size_type end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

static std::string from_hex(const std::string& hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

std::vector<recorded_request> recorded_requests() {
    std::vector<recorded_request> requests;
    std::istringstream lines(read_whole_file(test_env_w("OVN_TEST_RECORD")));
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> fields = split(line, '\t');
        if (fields.size() < 3) continue;
        recorded_request request;
        request.method = fields[0];
        request.target = fields[1];
        request.body = from_hex(fields[2]);
        for (size_t i = 3; i < fields.size(); ++i) {
            std::string::size_type colon = fields[i].find(": ");
            if (colon == std::string::npos) continue;
            request.headers.emplace_back(fields[i].substr(0, colon), fields[i].substr(colon + 2));
        }
        requests.push_back(request);
    }
    return requests;
}

std::vector<recorded_request> recorded_requests_for(const std::string& target) {
    std::vector<recorded_request> matching;
    for (const recorded_request& request : recorded_requests()) {
        if (request.target == target) matching.push_back(request);
    }
    return matching;
}

void set_route(const std::string& path, int status, const std::string& body, bool body_present) {
    const std::wstring routes = test_env_w("OVN_TEST_ROUTES");
    const std::wstring folder = routes.substr(0, routes.rfind(L'\\') + 1);

    // Routes kept by path; the file is written whole every time.
    std::map<std::string, std::string> table;
    std::istringstream lines(read_whole_file(routes));
    std::string line;
    while (std::getline(lines, line)) {
        std::string::size_type space = line.find(' ');
        if (space != std::string::npos) table[line.substr(0, space)] = line;
    }
    std::string body_file = "-";
    if (body_present) {
        body_file = "body" + std::to_string(table.size() + 1) + "_" + std::to_string(GetTickCount()) + ".bin";
        write_whole_file_for_test(folder + std::wstring(body_file.begin(), body_file.end()), body);
    }
    table[path] = path + " " + std::to_string(status) + " " + body_file;
    std::string text;
    for (const auto& entry : table) text += entry.second + "\n";
    write_whole_file_for_test(routes, text);
}

bool matches_pattern(const std::vector<char>& body) {
    for (size_t i = 0; i < body.size(); ++i) {
        if (body[i] != pattern_byte(i)) return false;
    }
    return true;
}

std::string read_whole_file(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in) return "";
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool write_whole_file_for_test(const std::wstring& path, const std::string& content) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out << content;
    return static_cast<bool>(out);
}

std::wstring scratch_folder(const std::wstring& name) {
    std::wstring folder = test_env_w("OVN_TEST_WORK") + L"\\" + name + L"\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}
