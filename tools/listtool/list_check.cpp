#include "list_check.h"

#include "list_fields.h"
#include "list_lines.h"
#include "string_convert.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <regex>

static const std::size_t entry_field_count = 4;  // platform, version, digest, address
static const std::size_t shown_field_limit = 100;
// The explaining searches recurse per character; longer fields get the
// plain answer.
static const std::size_t explained_field_limit = 256;

const char* machine_name(int machine) { return machine == machine_32bit ? "32-bit" : "64-bit"; }

bool list_check::every_machine_served() const {
    return taken[machine_32bit].accepted && taken[machine_64bit].accepted;
}

std::string shown_field(const std::string& field) {
    std::string text;
    std::size_t i = 0;
    while (i < field.size()) {
        if (text.size() >= shown_field_limit) {
            text += "...";
            break;
        }
        unsigned char c = static_cast<unsigned char>(field[i]);
        if (c == '\t') {
            text += "\\t";
        } else if (c < 0x20 || c == 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof(escaped), "\\x%02x", c);
            text += escaped;
        } else if (c >= 0x80 && ::IsDBCSLeadByte(c) && i + 1 < field.size()) {
            text += field.substr(i, 2);  // keep a double-byte character whole
            ++i;
        } else {
            text += static_cast<char>(c);
        }
        ++i;
    }
    return "\"" + text + "\"";
}

static std::string field_count_text(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " field" : " fields");
}

// What someone may have meant as a version: digits and dots in any number.
static const std::regex& version_like() {
    static const std::regex pattern("[0-9]+(\\.[0-9]*)+|[0-9]*(\\.[0-9]+)+");
    return pattern;
}

class line_checker {
public:
    explicit line_checker(list_check& result) : result_(result) {}

    void header(const list_line& line) {
        if (line.fields.empty()) return;
        const list_entry on32 = read_list_entry(line.text, false);
        const list_entry on64 = read_list_entry(line.text, true);
        bool entry_like = on32.for_this_machine || on64.for_this_machine || on64.kind != list_entry_kind::none;
        if (entry_like)
            warn(line, "header",
                 "the first line is always read as the header and ignored, but it looks like an entry; "
                 "put a header line (any text) above it");
    }

    void entry(const list_line& line) {
        const std::vector<std::string>& f = line.fields;
        if (f.empty()) return;  // a line of spaces stores nothing and harms nothing
        std::size_t tab = line.text.find('\t');
        if (tab != std::string::npos)
            warn(line, "tab",
                 "tab character in field " + std::to_string(field_index_at(line.text, tab)) +
                     ": only spaces separate fields, so the launcher reads the tab and the text around it as "
                     "one field");
        if (line.text.find('\0') != std::string::npos)
            warn(line, "zero-byte", "zero byte: the launcher's copy of the field that holds it ends there");

        const list_entry read[machine_type_count] = {read_list_entry(line.text, false), read_list_entry(line.text, true)};
        bool on[machine_type_count] = {read[machine_32bit].for_this_machine, read[machine_64bit].for_this_machine};
        if (!on[machine_32bit] && !on[machine_64bit]) {
            warn(line, "platform",
                 "unknown platform word " + shown_field(f[0]) +
                     " (use 32bit, 64bit or both): the entry is skipped on every machine");
            return;
        }
        if (f.size() < 2) {
            warn(line, "fields",
                 "an entry needs platform, version, digest and address; this line has only the platform and "
                 "is skipped");
            return;
        }
        const list_entry_kind kind = read[machine_64bit].kind;
        if (kind == list_entry_kind::none) {
            explain_skipped_version(line, f[1]);
            return;
        }
        if (kind != list_entry_kind::manual && !is_plain_version(f[1]))
            warn(line, "version-text",
                 "version " + shown_field(f[1]) +
                     " has text around its four numbers; the launcher goes by the first number it finds "
                     "and shows the whole field as the version");

        bool complete = f.size() >= entry_field_count;
        if (kind == list_entry_kind::latest_setup) {
            if (!complete)
                warn(line, "fields",
                     "a latest-installer entry needs platform, version, digest and address; this line has " +
                         field_count_text(f.size()) + " and stores nothing");
            if (f.size() >= 3) check_digest(line, f[2], "the installer at hand never matches and every download "
                                                        "fails its check");
        } else if (kind == list_entry_kind::manual) {
            if (!complete)
                warn(line, "fields",
                     "a manual entry needs platform, \"manual\", digest and page; this line has " +
                         field_count_text(f.size()) + " and stores nothing");
            if (f.size() >= 3) check_digest(line, f[2], "the manual on the medium never matches and users are "
                                                        "always sent to the manual page");
        } else if (!complete) {
            warn(line, "fields",
                 "a newer-release entry needs the release's web page in the fourth field; without it the "
                 "notice has no page to open (or keeps the page of an earlier newer-release line)");
        }
        if (complete && !is_web_address(f[3]))
            warn(line, "address", "address " + shown_field(f[3]) + " is not an http:// or https:// address");
        else if (complete && kind == list_entry_kind::latest_setup)
            check_download_address(line, f[3]);

        for (int m = 0; m < machine_type_count; ++m) {
            if (!on[m]) continue;
            if (kind == list_entry_kind::latest_setup && complete) latest_[m].push_back(line.number);
            if (kind == list_entry_kind::newer_release) newer_[m].push_back(line.number);
            if (kind == list_entry_kind::manual && complete) manual_[m].push_back(line.number);
        }
        fields_by_line_.push_back(line);
    }

    // Several accepted lines of one kind: the last one wins, silently.
    void superseded() {
        report_superseded(latest_, "latest-installer");
        report_superseded(newer_, "newer-release");
        report_superseded(manual_, "manual");
    }

    // Which lines the launcher's values came from, confirmed against them.
    void attribute() {
        for (int m = 0; m < machine_type_count; ++m) {
            const installer_list& v = result_.taken[m];
            if (!latest_[m].empty() && field_of(latest_[m].back(), 3) == v.latest_setup.url)
                result_.setup_line[m] = latest_[m].back();
            if (!newer_[m].empty() && field_of(newer_[m].back(), 1) == v.newer_release.version)
                result_.newer_line[m] = newer_[m].back();
            if (!manual_[m].empty() && field_of(manual_[m].back(), 3) == v.manual.page_url)
                result_.manual_line[m] = manual_[m].back();
        }
    }

private:
    void warn(const list_line& line, const char* kind, const std::string& message) {
        result_.warnings.push_back(list_warning{line.number, kind, message});
    }

    static std::size_t field_index_at(const std::string& text, std::size_t position) {
        std::string before = text.substr(0, position);
        std::size_t complete_fields = list_fields(before).size();
        bool inside_field = !before.empty() && before.back() != ' ';
        return inside_field ? complete_fields : complete_fields + 1;
    }

    void explain_skipped_version(const list_line& line, const std::string& field) {
        if (field.size() > explained_field_limit) {
            warn(line, "version",
                 "second field of " + std::to_string(field.size()) +
                     " bytes is neither a version (four numbers joined by dots) nor \"manual\": the entry is "
                     "skipped");
        } else if (const version_reading version = read_version(field); version.found) {
            warn(line, "version",
                 "the launcher reads major version " + version.major + " from " + shown_field(field) +
                     "; only 6 (this release) or above (a newer release) count, so the entry is skipped");
        } else if (std::regex_search(field, version_like())) {
            warn(line, "version",
                 "version " + shown_field(field) +
                     " is not four numbers joined by dots (like 6.0.21.4): the entry is skipped");
        } else {
            warn(line, "version",
                 "second field " + shown_field(field) +
                     " is neither a version (four numbers joined by dots) nor \"manual\": the entry is skipped");
        }
    }

    // The launcher asks the server for the address as its parsing leaves
    // it; a server that does not expect the change answers 404.
    void check_download_address(const list_line& line, const std::string& field) {
        const address_changes changes = changes_before_request(list_field_text(field));
        const std::string shown = shown_field(field);
        if (changes.capitals)
            warn(line, "address-case",
                 "address " + shown + " has capital letters after the host; the launcher asks for them in small "
                 "letters, so the server must answer the path in any letter case");
        if (changes.escapes)
            warn(line, "address-escape",
                 "address " + shown + " has percent-escapes; the launcher decodes them before it asks, so the "
                 "server gets the decoded characters");
        if (changes.non_ascii)
            warn(line, "address-bytes",
                 "address " + shown + " has bytes outside ASCII; the launcher sends them in the list's code "
                 "page and folds every byte among them that reads as a capital letter, so the server must know "
                 "that name");
    }

    void check_digest(const list_line& line, const std::string& field, const char* consequence) {
        if (is_list_digest(field)) return;
        if (is_hex_digest_any_case(field))
            warn(line, "digest",
                 "digest " + shown_field(field) + " has upper-case letters; digests are compared exactly, so " +
                     consequence);
        else
            warn(line, "digest",
                 "digest " + shown_field(field) + " is not 32 lower-case hexadecimal characters, so " + consequence);
    }

    void report_superseded(const std::vector<int> (&lines)[machine_type_count], const char* what) {
        // One warning per replaced line and replacing line, naming the
        // machine types it applies to.
        struct replacement {
            int line;
            int by;
            bool on[machine_type_count];
        };
        std::vector<replacement> found;
        for (int m = 0; m < machine_type_count; ++m) {
            for (std::size_t k = 0; k + 1 < lines[m].size(); ++k) {
                int by = lines[m].back();
                auto same = std::find_if(found.begin(), found.end(), [&](const replacement& r) {
                    return r.line == lines[m][k] && r.by == by;
                });
                if (same == found.end()) {
                    found.push_back(replacement{lines[m][k], by, {false, false}});
                    same = found.end() - 1;
                }
                same->on[m] = true;
            }
        }
        for (const replacement& r : found) {
            std::string machines = r.on[machine_32bit] && r.on[machine_64bit] ? "32-bit and 64-bit"
                                   : r.on[machine_32bit]                      ? "32-bit"
                                                                              : "64-bit";
            result_.warnings.push_back(list_warning{
                r.line, "superseded",
                std::string("only the last ") + what + " entry counts: line " + std::to_string(r.by) +
                    " replaces this one on " + machines + " machines"});
        }
    }

    std::wstring field_of(int line_number, std::size_t index) const {
        for (const list_line& line : fields_by_line_)
            if (line.number == line_number && index < line.fields.size())
                return ansi_to_wide(list_field_text(line.fields[index]));
        return std::wstring();
    }

    list_check& result_;
    std::vector<int> latest_[machine_type_count];
    std::vector<int> newer_[machine_type_count];
    std::vector<int> manual_[machine_type_count];
    std::vector<list_line> fields_by_line_;
};

static void check_machines(list_check& result) {
    for (int m = 0; m < machine_type_count; ++m) {
        const installer_list& v = result.taken[m];
        std::string machines = std::string(machine_name(m)) + " machines";
        if (!v.accepted) {
            result.warnings.push_back(list_warning{
                0, "no-entry",
                machines + " get no usable entry: the launcher counts the update check as failed and "
                           "shows message 104 or 105"});
        } else if (v.latest_setup.url.empty()) {
            result.warnings.push_back(list_warning{
                0, "no-installer",
                machines + " get a newer-release notice but no latest installer: without a setup program at "
                           "hand the download has no address and message 105 follows"});
        }
        if (v.manual.page_url.empty())
            result.warnings.push_back(list_warning{
                0, "no-manual",
                machines + " get no manual entry: the manual on the medium is opened unchecked, and without "
                           "one the fallback support page is offered"});
    }
}

list_check check_list(const std::vector<char>& body) {
    list_check result;
    result.taken[machine_32bit] = parse_installer_list(body, false);
    result.taken[machine_64bit] = parse_installer_list(body, true);

    std::vector<list_line> lines = cut_list_lines(body);
    line_checker checker(result);
    for (std::size_t l = 0; l < lines.size(); ++l) {
        if (l == 0)
            checker.header(lines[l]);
        else
            checker.entry(lines[l]);
    }
    checker.superseded();
    checker.attribute();
    std::stable_sort(result.warnings.begin(), result.warnings.end(), [](const list_warning& a, const list_warning& b) {
        if ((a.line == 0) != (b.line == 0)) return b.line == 0;
        return a.line < b.line;
    });
    check_machines(result);
    return result;
}
