// Reading the installer list file: a header line, then entries of
// space-separated fields "platform version-or-manual digest address".
#include "installer_downloader.h"
#include "platform.h"
#include "string_convert.h"

#include <boost/regex.hpp>

#include <exception>

typedef boost::regex version_pattern_type;

// The release the launcher installs; a higher first version group means
// a newer release exists.
static const long current_major_version = 6;

static const char field_separator = ' ';
static const char* const platform_64bit = "64bit";
static const char* const platform_32bit = "32bit";
static const char* const platform_both = "both";
static const char* const manual_keyword = "manual";

// Built at first use; the compiled pattern is only read afterwards, so
// both workers may search with it at once.
static const version_pattern_type& version_pattern() {
    static const version_pattern_type pattern("([0-9]+)\\.([0-9]+)\\.([0-9]+)\\.([0-9]+)",
                                              boost::regex_constants::perl);
    return pattern;
}

enum version_kind { version_other, version_current, version_newer };

// The first group decides, read as a decimal number with leading zeros
// allowed. A group with more significant digits than any int holds is
// certainly above the current major version.
static version_kind classify_major(const std::string& digits) {
    const std::size_t max_small_digits = 9;  // every 9-digit number fits in 32 bits
    std::size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos) return version_other;  // all zeros: 0
    if (digits.size() - first > max_small_digits) return version_newer;
    long value = 0;
    for (std::size_t i = first; i < digits.size(); ++i) value = value * 10 + (digits[i] - '0');
    if (value == current_major_version) return version_current;
    return value > current_major_version ? version_newer : version_other;
}

static version_kind classify_version(const std::string& field) {
    boost::match_results<std::string::const_iterator> groups;
    try {
        if (!boost::regex_search(field, groups, version_pattern())) return version_other;
    } catch (const std::exception&) {
        // The engine gives up on fields whose search would take quadratic
        // time (long digit runs without the dots); no version there.
        return version_other;
    }
    return classify_major(groups[1].str());
}

static bool equals_ignoring_ascii_case(const std::string& text, const char* word) {
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
static std::vector<std::string> split_runs(const std::string& text, const char* separators) {
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

// A zero byte inside a field ends the stored text.
static std::wstring field_text(const std::string& field) {
    return ansi_to_wide(field.substr(0, field.find('\0')));
}

bool ParseLtFile(const std::vector<char>& body, CInstallerDownloader& downloader) {
    return ParseLtFile(body, downloader, is_64bit_windows());
}

bool ParseLtFile(const std::vector<char>& body, CInstallerDownloader& downloader, bool windows_64bit) {
    if (body.empty()) return false;

    const std::string line_breaks("\r\n", 2);
    const std::string separators(1, field_separator);
    const char* const own_platform = windows_64bit ? platform_64bit : platform_32bit;

    std::vector<std::string> lines = split_runs(std::string(body.begin(), body.end()), line_breaks.c_str());
    bool result = false;

    // Line 0 is the header, whatever it holds.
    for (std::size_t l = 1; l < lines.size(); ++l) {
        bool latest = false;
        bool newer = false;
        bool manual = false;
        std::wstring version;
        std::wstring digest;

        std::vector<std::string> fields = split_runs(lines[l], separators.c_str());
        for (std::size_t f = 0; f < fields.size(); ++f) {
            const std::string& field = fields[f];
            if (f == 0) {
                if (!equals_ignoring_ascii_case(field, own_platform) &&
                    !equals_ignoring_ascii_case(field, platform_both))
                    break;
            } else if (f == 1) {
                version_kind kind = classify_version(field);
                if (kind == version_current) {
                    latest = true;
                    version = field_text(field);
                } else if (kind == version_newer) {
                    newer = true;
                    downloader.newer_release = true;
                    downloader.newer_release_version = field_text(field);
                    result = true;
                } else if (equals_ignoring_ascii_case(field, manual_keyword)) {
                    manual = true;
                    downloader.list_manual_found = true;
                } else {
                    break;
                }
            } else if (f == 2) {
                if (latest || manual) digest = field_text(field);
            } else if (f == 3) {
                if (latest) {
                    downloader.list_setup_url = field_text(field);
                    downloader.list_setup_version = version;
                    downloader.list_setup_digest = digest;
                    result = true;
                } else if (newer) {
                    downloader.newer_release_url = field_text(field);
                } else if (manual) {
                    downloader.list_manual_digest = digest;
                    downloader.list_manual_page_url = field_text(field);
                }
            } else {
                break;  // fields 5 and later carry nothing
            }
        }
    }
    return result;
}
