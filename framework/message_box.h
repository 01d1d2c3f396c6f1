// Message boxes of the program. No application title is configured, so the
// caption is the program's file name without its extension.
#pragma once

#include <windows.h>

#include <string>

std::wstring program_caption();
// The MessageBoxW result, or 0 when the box could not be shown.
int message_box_text(HWND owner, const std::wstring& text, UINT flags);
int message_box_by_id(HWND owner, UINT text_id, UINT flags);
