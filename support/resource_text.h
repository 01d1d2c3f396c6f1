// User-visible texts from the launcher's own string table.
#pragma once

#include <windows.h>

#include <string>

// The text with the given id from the module's string table; empty when
// the entry is missing or empty. Module defaults to the program itself.
std::wstring load_resource_string(UINT id, HINSTANCE module = nullptr);
