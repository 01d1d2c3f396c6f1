#include "driver_options.h"

#include <cwchar>

bool driver_options::parse(int argc, wchar_t** argv) {
    if (argc < 2) return false;
    command_ = argv[1];
    for (int i = 2; i < argc; ++i) {
        std::wstring name = argv[i];
        if (name.rfind(L"--", 0) != 0 || i + 1 >= argc) return false;
        values_[name.substr(2)] = argv[++i];
    }
    return true;
}

std::wstring driver_options::text(const wchar_t* name, const std::wstring& fallback) const {
    auto it = values_.find(name);
    return it == values_.end() ? fallback : it->second;
}

long long driver_options::number(const wchar_t* name, long long fallback) const {
    auto it = values_.find(name);
    return it == values_.end() ? fallback : std::wcstoll(it->second.c_str(), nullptr, 0);
}

HWND driver_options::window(const wchar_t* name) const {
    auto it = values_.find(name);
    if (it == values_.end()) return nullptr;
    return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(std::wcstoull(it->second.c_str(), nullptr, 0)));
}
