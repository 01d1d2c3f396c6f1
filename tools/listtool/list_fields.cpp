#include "list_fields.h"

#include "installer_list.h"

#include <windows.h>

#include <algorithm>
#include <cctype>

static const std::size_t digest_length = 32;
// Longer is no version anyone writes.
static const std::size_t version_length_limit = 64;

static bool is_lower_hex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }
static bool is_upper_hex(char c) { return c >= 'A' && c <= 'F'; }
static bool is_hex(char c) { return is_lower_hex(c) || is_upper_hex(c); }

bool is_list_digest(const std::string& field) {
    return field.size() == digest_length && std::all_of(field.begin(), field.end(), is_lower_hex);
}

bool is_hex_digest_any_case(const std::string& field) {
    return field.size() == digest_length &&
           std::all_of(field.begin(), field.end(), is_hex);
}

static bool starts_with_ignoring_case(const std::string& text, const std::string& prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    return true;
}

bool is_web_address(const std::string& field) {
    return starts_with_ignoring_case(field, "http://") || starts_with_ignoring_case(field, "https://");
}

bool is_plain_version(const std::string& field) {
    return field.size() <= version_length_limit && read_version(field).whole_field;
}

address_changes changes_before_request(const std::string& address) {
    address_changes changes;
    changes.non_ascii = std::any_of(address.begin(), address.end(), [](char c) { return (c & 0x80) != 0; });

    // The host ends where the path or the query begins.
    const std::size_t scheme_end = address.find("://");
    const std::size_t host_start = scheme_end == std::string::npos ? 0 : scheme_end + 3;
    const std::size_t host_end = address.find_first_of("/?", host_start);
    if (host_end == std::string::npos) return changes;
    for (std::size_t i = host_end; i < address.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(address[i]);
        if (c >= 0x80 && ::IsDBCSLeadByte(c)) {
            ++i;  // a double-byte character: the bytes warning covers it
        } else if (c >= 'A' && c <= 'Z') {
            changes.capitals = true;
        } else if (c == '%' && i + 2 < address.size() && is_hex(address[i + 1]) && is_hex(address[i + 2])) {
            changes.escapes = true;
        }
    }
    return changes;
}
