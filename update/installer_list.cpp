#include "installer_list.h"

#include "string_convert.h"

#include <boost/regex.hpp>

#include <exception>

typedef boost::regex version_pattern_type;

namespace {

// The release the launcher installs; a higher first version group means
// a newer release exists.
const long current_major_version = 6;

const char field_separator[] = " ";
const char line_breaks[] = "\r\n";
const char platform_64bit[] = "64bit";
const char platform_32bit[] = "32bit";
const char platform_both[] = "both";
const char manual_keyword[] = "manual";

// Positions of the fields of an entry.
const std::size_t platform_field = 0;
const std::size_t version_field = 1;
const std::size_t digest_field = 2;
const std::size_t address_field = 3;
const std::size_t entry_field_count = 4;

// Built at first use; the compiled pattern is only read afterwards, so
// both workers may search with it at once.
const version_pattern_type& version_pattern() {
    static const version_pattern_type pattern("([0-9]+)\\.([0-9]+)\\.([0-9]+)\\.([0-9]+)",
                                              boost::regex_constants::perl);
    return pattern;
}

// The first group read as a decimal number, leading zeros allowed. A group
// with more significant digits than any int holds is certainly above the
// current major version.
list_entry_kind kind_of_major(const std::string& digits) {
    const std::size_t max_small_digits = 9;  // every 9-digit number fits in 32 bits
    std::size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos) return list_entry_kind::none;  // all zeros: 0
    if (digits.size() - first > max_small_digits) return list_entry_kind::newer_release;
    long value = 0;
    for (std::size_t i = first; i < digits.size(); ++i) value = value * 10 + (digits[i] - '0');
    if (value == current_major_version) return list_entry_kind::latest_setup;
    return value > current_major_version ? list_entry_kind::newer_release : list_entry_kind::none;
}

bool equals_ignoring_ascii_case(const std::string& text, const char* word) {
    std::size_t i = 0;
    for (; i < text.size() && word[i] != '\0'; ++i) {
        char a = text[i];
        char b = word[i];
        if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
        if (a != b) return false;
    }
    return i == text.size() && word[i] == '\0';
}

// Pieces of text between runs of any of the separators; empty pieces are
// dropped.
std::vector<std::string> split_runs(const std::string& text, const char* separators) {
    std::vector<std::string> pieces;
    std::size_t start = text.find_first_not_of(separators);
    while (start != std::string::npos) {
        std::size_t end = text.find_first_of(separators, start);
        if (end == std::string::npos) end = text.size();
        pieces.push_back(text.substr(start, end - start));
        start = text.find_first_not_of(separators, end);
    }
    return pieces;
}

std::wstring stored(const std::string& field) { return ansi_to_wide(list_field_text(field)); }

// What one accepted entry gives; true when it makes the list accepted.
bool take_entry(const list_entry& entry, installer_list& list) {
    const std::vector<std::string>& f = entry.fields;
    const bool complete = f.size() >= entry_field_count;
    switch (entry.kind) {
    case list_entry_kind::latest_setup:
        // Version, digest and address are stored together or not at all.
        if (!complete) return false;
        list.latest_setup.version = stored(f[version_field]);
        list.latest_setup.digest = stored(f[digest_field]);
        list.latest_setup.url = stored(f[address_field]);
        return true;
    case list_entry_kind::newer_release:
        // Its digest field is never read; without an address the page of
        // an earlier newer-release entry stays.
        list.newer_release.announced = true;
        list.newer_release.version = stored(f[version_field]);
        if (complete) list.newer_release.page_url = stored(f[address_field]);
        return true;
    case list_entry_kind::manual:
        list.manual.found = true;
        if (complete) {
            list.manual.digest = stored(f[digest_field]);
            list.manual.page_url = stored(f[address_field]);
        }
        return false;
    default:
        return false;
    }
}

}  // namespace

std::string list_field_text(const std::string& field) { return field.substr(0, field.find('\0')); }

std::vector<std::string> list_lines(const std::string& body) { return split_runs(body, line_breaks); }

std::vector<std::string> list_fields(const std::string& line) { return split_runs(line, field_separator); }

version_reading read_version(const std::string& field) {
    version_reading reading;
    const std::string text = list_field_text(field);
    boost::match_results<std::string::const_iterator> groups;
    try {
        if (!boost::regex_search(text, groups, version_pattern())) return reading;
    } catch (const std::exception&) {
        // The engine gives up on fields whose search would take quadratic
        // time (long digit runs without the dots); no version there.
        return reading;
    }
    reading.found = true;
    reading.major = groups[1].str();
    reading.whole_field = groups.prefix().length() == 0 && groups.suffix().length() == 0;
    reading.kind = kind_of_major(reading.major);
    return reading;
}

list_entry read_list_entry(const std::string& line, bool windows_64bit) {
    list_entry entry;
    entry.fields = list_fields(line);
    if (entry.fields.empty()) return entry;

    const std::string platform = list_field_text(entry.fields[platform_field]);
    entry.for_this_machine = equals_ignoring_ascii_case(platform, windows_64bit ? platform_64bit : platform_32bit) ||
                             equals_ignoring_ascii_case(platform, platform_both);
    if (entry.fields.size() <= version_field) return entry;

    const std::string& second = entry.fields[version_field];
    entry.kind = read_version(second).kind;
    if (entry.kind == list_entry_kind::none && equals_ignoring_ascii_case(list_field_text(second), manual_keyword))
        entry.kind = list_entry_kind::manual;
    return entry;
}

bool read_installer_list(const std::vector<char>& body, bool windows_64bit, installer_list& list) {
    list.accepted = false;
    if (body.empty()) return false;
    const std::vector<std::string> lines = list_lines(std::string(body.begin(), body.end()));
    // Line 0 is the header, whatever it holds.
    for (std::size_t l = 1; l < lines.size(); ++l) {
        const list_entry entry = read_list_entry(lines[l], windows_64bit);
        if (entry.for_this_machine && take_entry(entry, list)) list.accepted = true;
    }
    return list.accepted;
}

installer_list parse_installer_list(const std::vector<char>& body, bool windows_64bit) {
    installer_list list;
    read_installer_list(body, windows_64bit, list);
    return list;
}
