#include "message_box.h"

#include "module.h"
#include "resource_text.h"

std::wstring program_caption() {
    wchar_t path[MAX_PATH + 1] = {};
    DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name(path, length);
    size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos) name.erase(0, slash + 1);
    size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    return name;
}

int message_box_text(HWND owner, const std::wstring& text, UINT flags) {
    return ::MessageBoxW(owner, text.c_str(), program_caption().c_str(), flags);
}

int message_box_by_id(HWND owner, UINT text_id, UINT flags) {
    return message_box_text(owner, load_resource_string(text_id, program_module()), flags);
}
