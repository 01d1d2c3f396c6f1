#include "list_fields.h"

#include <algorithm>
#include <cctype>
#include <regex>

static const std::size_t digest_length = 32;
// Longer is no version anyone writes, and the search recurses per character.
static const std::size_t version_length_limit = 64;

static bool is_lower_hex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }
static bool is_upper_hex(char c) { return c >= 'A' && c <= 'F'; }

bool is_list_digest(const std::string& field) {
    return field.size() == digest_length && std::all_of(field.begin(), field.end(), is_lower_hex);
}

bool is_hex_digest_any_case(const std::string& field) {
    return field.size() == digest_length &&
           std::all_of(field.begin(), field.end(), [](char c) { return is_lower_hex(c) || is_upper_hex(c); });
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
    if (field.size() > version_length_limit) return false;
    static const std::regex pattern("[0-9]+\\.[0-9]+\\.[0-9]+\\.[0-9]+");
    return std::regex_match(field, pattern);
}
