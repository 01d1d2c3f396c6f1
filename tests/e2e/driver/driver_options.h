// The driver's command line: a command followed by "--name value" pairs.
#pragma once

#include <windows.h>

#include <map>
#include <string>

class driver_options {
public:
    // False when an option has no value.
    bool parse(int argc, wchar_t** argv);

    const std::wstring& command() const { return command_; }
    bool has(const wchar_t* name) const { return values_.count(name) != 0; }
    std::wstring text(const wchar_t* name, const std::wstring& fallback = {}) const;
    long long number(const wchar_t* name, long long fallback = 0) const;
    HWND window(const wchar_t* name = L"hwnd") const;

private:
    std::wstring command_;
    std::map<std::wstring, std::wstring> values_;
};
