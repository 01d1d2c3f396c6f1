#include "string_convert.h"

#include <vector>

std::wstring multibyte_to_wide(UINT code_page, const std::string& text) {
    // Length -1: the text ends at its first zero byte, terminator counted.
    int needed = ::MultiByteToWideChar(code_page, 0, text.c_str(), -1, nullptr, 0);
    if (needed <= 0) return std::wstring();
    std::vector<wchar_t> buffer(static_cast<size_t>(needed) + 2, L'\0');
    int written = ::MultiByteToWideChar(code_page, 0, text.c_str(), -1, buffer.data(), needed);
    if (written <= 0) return std::wstring();
    buffer[static_cast<size_t>(written)] = L'\0';
    return std::wstring(buffer.data());
}

std::wstring ansi_to_wide(const std::string& text) { return multibyte_to_wide(CP_ACP, text); }

std::string wide_to_ansi(const std::wstring& text) {
    if (text.empty()) return std::string();
    // The full length is passed, so no terminator is counted; characters the
    // code page lacks become its default character.
    int length = static_cast<int>(text.size());
    int needed = ::WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0) return std::string();
    std::vector<char> buffer(static_cast<size_t>(needed) + 1, '\0');
    int written = ::WideCharToMultiByte(CP_ACP, 0, text.data(), length, buffer.data(), needed, nullptr, nullptr);
    if (written <= 0) return std::string();
    buffer[static_cast<size_t>(written)] = '\0';
    return std::string(buffer.data());
}
