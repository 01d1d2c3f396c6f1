#include "url_components.h"

#include <boost/regex.hpp>

#include <exception>

// Boost disables its Win32 locale traits under GCC, so the patterns use the
// default traits; the patterns only hold ASCII ranges and literals, which
// every traits class reads alike.
typedef boost::regex address_pattern;
typedef boost::match_results<std::string::const_iterator> address_groups;

// Groups of both patterns: 1 scheme, 2 user info with "@", 3 host, 4 port
// with ":", 5 path, 6 query with "?". The second takes a host in square
// brackets and leaves the brackets out of group 3.
static const address_pattern plain_host_pattern(
    "([a-zA-Z]+)://([a-zA-Z0-9\\:]+@)?([a-zA-Z0-9\\-_.]+)(:[0-9]+)?(/?[^?]*)?(\\?.*)?",
    boost::regex_constants::perl);
static const address_pattern bracketed_host_pattern(
    "([a-zA-Z]+)://([a-zA-Z0-9\\:]+@)?\\[([a-zA-Z0-9\\-_.:]+)\\](:[0-9]+)?(/?[^?]*)?(\\?.*)?",
    boost::regex_constants::perl);

static const std::string http_scheme = "http";
static const std::string http_default_port = "80";
static const std::string https_scheme = "https";
static const std::string https_default_port = "443";
static const std::string scheme_separator = "://";

// Room reserved in segment_ends before the path is built.
static const std::size_t reserved_segments = 64;

// Leftmost match anywhere in text. The engine gives up, by throwing, on
// texts whose search would take quadratic time (long runs that almost
// match); such a text counts as not matching.
static bool search_address(const std::string& text, const address_pattern& pattern,
                           address_groups& groups) {
    try {
        return boost::regex_search(text, groups, pattern);
    } catch (const std::exception&) {
        return false;
    }
}

static int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// "%" and two hexadecimal digits become one byte; anything else, "+"
// included, is copied as it is.
static std::string percent_decode(const std::string& text) {
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && text.size() - i > 2) {
            int high = hex_value(text[i + 1]);
            int low = hex_value(text[i + 2]);
            if (high >= 0 && low >= 0) {
                decoded += static_cast<char>(high * 16 + low);
                i += 2;
                continue;
            }
        }
        decoded += text[i];
    }
    return decoded;
}

static char fold_byte(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

static void fold_bytes(std::string& text) {
    for (char& c : text) c = fold_byte(c);
}

static bool is_lead_byte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Code page 932 text: a double-byte character is never split, and the
// full-width capitals (0x82 0x60 to 0x82 0x79) become the full-width
// small letters (0x82 0x81 to 0x82 0x9A).
static void fold_double_byte_text(std::string& text) {
    const unsigned char full_width_lead = 0x82;
    const unsigned char full_width_capital_a = 0x60;
    const unsigned char full_width_capital_z = 0x79;
    const unsigned char capital_to_small = 0x21;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char lead = static_cast<unsigned char>(text[i]);
        if (!is_lead_byte(lead)) {
            text[i] = fold_byte(text[i]);
            continue;
        }
        if (i + 1 == text.size()) break;  // a lone lead byte at the end stays
        unsigned char trail = static_cast<unsigned char>(text[i + 1]);
        if (lead == full_width_lead && trail >= full_width_capital_a && trail <= full_width_capital_z)
            text[i + 1] = static_cast<char>(trail + capital_to_small);
        ++i;
    }
}

bool url_components::parse(const std::string& text) {
    if (text.empty()) return false;

    address_groups groups;
    bool bracketed = false;
    if (!search_address(text, plain_host_pattern, groups)) {
        if (!search_address(text, bracketed_host_pattern, groups)) return false;
        bracketed = true;
    }

    scheme = groups[1].str();
    user_info = groups[2].str();
    host = bracketed ? "[" + groups[3].str() + "]" : groups[3].str();
    port = groups[4].str();
    std::string working_path = percent_decode(groups[5].str());
    query = percent_decode(groups[6].str());

    fold_bytes(scheme);
    fold_bytes(host);
    fold_bytes(working_path);
    fold_double_byte_text(query);

    return normalize(working_path);
}

bool url_components::normalize(const std::string& working_path) {
    if (!user_info.empty() && user_info.back() == '@') user_info.pop_back();

    if (!port.empty() && port.front() == ':') {
        port.erase(0, 1);
    } else if (scheme == http_scheme) {
        port = http_default_port;
    } else if (scheme == https_scheme) {
        port = https_default_port;
    }

    if (!host.empty() && host.back() == '.') host.pop_back();

    segment_ends.reserve(reserved_segments);
    std::size_t start = 0;
    while (start <= working_path.size()) {
        std::size_t slash = working_path.find('/', start);
        if (slash == std::string::npos) slash = working_path.size();
        std::string piece = working_path.substr(start, slash - start);
        start = slash + 1;

        if (piece.empty() || piece == ".") continue;
        if (piece == "..") {
            if (segment_ends.empty()) return false;
            segment_ends.pop_back();
            path.resize(segment_ends.empty() ? 0 : static_cast<std::size_t>(segment_ends.back()));
            continue;
        }
        path += piece;
        path += '/';
        segment_ends.push_back(static_cast<std::int32_t>(path.size()));
    }

    // Only a path written with a final "/" keeps it.
    if (!working_path.empty() && working_path.back() != '/' && !path.empty()) {
        path.pop_back();
        if (!segment_ends.empty()) segment_ends.pop_back();
    }
    return true;
}

std::string request_target(const url_components& components) {
    std::string target = "/";
    target += components.path;
    if (!components.query.empty()) target += components.query;
    return target;
}

bool is_web_address(const std::string& text) {
    url_components components;
    if (!components.parse(text)) return false;
    if (components.scheme != http_scheme && components.scheme != https_scheme) return false;
    // The folded scheme matches the text's start only when the match began
    // at its first character.
    std::string start = text.substr(0, components.scheme.size() + scheme_separator.size());
    fold_bytes(start);
    return start == components.scheme + scheme_separator;
}
