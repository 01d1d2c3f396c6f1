#include "list_writer.h"

#include "file_digest.h"
#include "installer_list.h"
#include "list_check.h"
#include "list_fields.h"
#include "string_convert.h"

#include <windows.h>

static const char list_header[] = "Orvane 6.0 installer list";
static const char line_end[] = "\r\n";
// A newer-release entry's digest field is never read.
static const char unread_digest[] = "-";

static std::string shown_path(const std::wstring& path) { return "\"" + wide_to_ansi(path) + "\""; }

// Fields go into the file as they are; only printable ASCII without spaces
// survives the launcher's field cut and code page unchanged.
static bool plain_field(const std::wstring& text, std::string& field) {
    field.clear();
    if (text.empty()) return false;
    for (wchar_t c : text) {
        if (c <= L' ' || c > L'~') return false;
        field += static_cast<char>(c);
    }
    return true;
}

static bool address_field(const std::wstring& text, const char* what, std::string& field, std::string& error) {
    if (plain_field(text, field) && is_web_address(field)) return true;
    error = std::string(what) + " \"" + wide_to_ansi(text) +
            "\" must be an http:// or https:// address of printable ASCII characters without spaces";
    return false;
}

static bool version_field(const std::wstring& text, list_entry_kind wanted, std::string& field,
                          std::string& error) {
    if (plain_field(text, field) && is_plain_version(field) && read_version(field).kind == wanted) return true;
    error = "version \"" + wide_to_ansi(text) + "\" must be four numbers joined by dots" +
            (wanted == list_entry_kind::latest_setup ? " with major version 6 (like 6.0.21.4)"
                                                    : " with a major version above 6 (like 7.0.0.1)");
    return false;
}

static bool digest_of(const std::wstring& path, std::string& digest, std::string& error) {
    DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        DWORD code = ::GetLastError();
        error = "cannot find " + shown_path(path) + " (error " + std::to_string(code) + ")";
        return false;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        error = shown_path(path) + " is a folder, not a file";
        return false;
    }
    std::wstring text;
    if (!file_digest(path, text)) {
        error = "cannot read " + shown_path(path);
        return false;
    }
    digest = wide_to_ansi(text);
    return true;
}

static void add_line(std::string& text, const std::string& a, const std::string& b, const std::string& c,
                     const std::string& d) {
    text += a + " " + b + " " + c + " " + d + line_end;
}

bool compose_list(const list_request& request, std::vector<char>& body, std::string& error) {
    std::string version, url32, url64, page, digest32, digest64, manual_digest;
    if (!version_field(request.version, list_entry_kind::latest_setup, version, error)) return false;
    if (!address_field(request.setup32.address, "32-bit installer address", url32, error)) return false;
    if (!address_field(request.setup64.address, "64-bit installer address", url64, error)) return false;
    if (!address_field(request.manual.address, "manual page", page, error)) return false;
    std::string newer_version, newer_page;
    if (request.newer) {
        if (!version_field(request.newer_version, list_entry_kind::newer_release, newer_version, error)) return false;
        if (!address_field(request.newer_page, "newer release page", newer_page, error)) return false;
    }
    if (!digest_of(request.setup32.path, digest32, error)) return false;
    if (!digest_of(request.setup64.path, digest64, error)) return false;
    if (!digest_of(request.manual.path, manual_digest, error)) return false;

    std::string text = std::string(list_header) + line_end;
    add_line(text, "32bit", version, digest32, url32);
    add_line(text, "64bit", version, digest64, url64);
    add_line(text, "both", "manual", manual_digest, page);
    if (request.newer) add_line(text, "both", newer_version, unread_digest, newer_page);
    body.assign(text.begin(), text.end());

    // What is published must pass its own check.
    list_check check = check_list(body);
    if (!check.warnings.empty() || !check.every_machine_served()) {
        error = "the composed list does not check clean";
        for (const list_warning& w : check.warnings) error += "\n  " + w.kind + ": " + w.message;
        return false;
    }
    return true;
}
