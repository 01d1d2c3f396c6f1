#include "json_writer.h"

#include <windows.h>

#include <cstdio>

std::string to_utf8(const std::wstring& text) {
    if (text.empty()) return {};
    int n = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    if (n > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

void json_writer::separate() {
    if (!first_) out_ += ',';
    first_ = false;
}

json_writer& json_writer::begin_object() {
    separate();
    out_ += '{';
    first_ = true;
    return *this;
}

json_writer& json_writer::end_object() {
    out_ += '}';
    first_ = false;
    return *this;
}

json_writer& json_writer::begin_array() {
    separate();
    out_ += '[';
    first_ = true;
    return *this;
}

json_writer& json_writer::end_array() {
    out_ += ']';
    first_ = false;
    return *this;
}

json_writer& json_writer::key(const char* name) {
    separate();
    append_escaped(name);
    out_ += ':';
    first_ = true;  // the value follows without a comma
    return *this;
}

json_writer& json_writer::value(const std::wstring& text) {
    separate();
    append_escaped(to_utf8(text));
    return *this;
}

json_writer& json_writer::value(const char* text) {
    separate();
    append_escaped(text);
    return *this;
}

json_writer& json_writer::value(long long number) {
    separate();
    out_ += std::to_string(number);
    return *this;
}

json_writer& json_writer::value(bool flag) {
    separate();
    out_ += flag ? "true" : "false";
    return *this;
}

json_writer& json_writer::null() {
    separate();
    out_ += "null";
    return *this;
}

void json_writer::append_escaped(const std::string& utf8) {
    out_ += '"';
    for (unsigned char c : utf8) {
        switch (c) {
        case '"': out_ += "\\\""; break;
        case '\\': out_ += "\\\\"; break;
        case '\n': out_ += "\\n"; break;
        case '\r': out_ += "\\r"; break;
        case '\t': out_ += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out_ += buf;
            } else {
                out_ += static_cast<char>(c);
            }
        }
    }
    out_ += '"';
}
