// Reads the resources of a Windows program without running it: raw bytes
// by type, id and language, the languages present, and extended dialog
// templates decoded field by field.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "win_handle.h"

class resource_reader {
public:
    explicit resource_reader(const std::wstring& path);

    bool loaded() const { return static_cast<bool>(module_); }
    DWORD load_error() const { return load_error_; }

    // The resource's bytes in that language; empty when it is missing.
    std::vector<uint8_t> bytes(LPCWSTR type, LPCWSTR name, WORD language) const;
    // Languages in which the resource exists.
    std::vector<WORD> languages(LPCWSTR type, LPCWSTR name) const;
    // Integer ids of every resource of a type.
    std::vector<WORD> ids(LPCWSTR type) const;

private:
    module_handle module_;
    DWORD load_error_ = 0;
};

// A class or text field of a dialog template: a name, or an ordinal.
struct template_field {
    bool is_ordinal = false;
    WORD ordinal = 0;
    std::wstring text;
};

struct dialog_item {
    DWORD help_id = 0;
    DWORD ex_style = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD id = 0;
    template_field window_class;
    template_field title;
    WORD extra_bytes = 0;
};

struct dialog_template {
    WORD version = 0;
    WORD signature = 0;
    DWORD help_id = 0;
    DWORD ex_style = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    template_field menu;
    template_field window_class;
    std::wstring title;
    WORD point_size = 0;
    WORD weight = 0;
    BYTE italic = 0;
    BYTE charset = 0;
    std::wstring typeface;
    std::vector<dialog_item> items;
};

// Decodes a DLGTEMPLATEEX; false when the bytes are not one or are cut short.
bool parse_dialog_template(const std::vector<uint8_t>& data, dialog_template& out);

// Text of string id from its string-table block; false when the block or
// the string is missing.
bool string_from_table(const resource_reader& reader, UINT id, WORD language, std::wstring& out);
