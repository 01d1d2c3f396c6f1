#include "resource_text.h"

std::wstring load_resource_string(UINT id, HINSTANCE module) {
    if (!module) module = ::GetModuleHandleW(nullptr);
    // With a zero length LoadStringW gives a read-only pointer into the
    // string table itself; the entry is counted, not terminated.
    const wchar_t* text = nullptr;
    int length = ::LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0 || !text) return std::wstring();
    return std::wstring(text, static_cast<size_t>(length));
}
