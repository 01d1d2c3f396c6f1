// A small JSON text builder for the driver's answers: objects, arrays,
// numbers, booleans and wide strings written as UTF-8.
#pragma once

#include <string>

class json_writer {
public:
    json_writer& begin_object();
    json_writer& end_object();
    json_writer& begin_array();
    json_writer& end_array();
    json_writer& key(const char* name);
    json_writer& value(const std::wstring& text);
    json_writer& value(const char* text);
    json_writer& value(long long number);
    json_writer& value(bool flag);
    json_writer& null();

    const std::string& text() const { return out_; }

private:
    void separate();
    void append_escaped(const std::string& utf8);

    std::string out_;
    bool first_ = true;  // no comma before the next element
};

std::string to_utf8(const std::wstring& text);
