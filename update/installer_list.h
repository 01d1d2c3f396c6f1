// The installer list file as a value: what one machine type takes from the
// list the product's web server publishes, and the reading of its lines.
//
// A list is a header line, then entries of space-separated fields
// "platform version-or-manual digest address". Runs of CR and LF end a
// line and empty lines vanish; only the space separates fields, and a zero
// byte inside a field ends that field.
#pragma once

#include <string>
#include <vector>

struct installer_list {
    // The current release's setup program for this machine type.
    struct setup_entry {
        std::wstring version;  // the whole version field as written
        std::wstring digest;
        std::wstring url;
    };
    // A release with a higher major version.
    struct release_entry {
        bool announced = false;
        std::wstring version;
        std::wstring page_url;
    };
    struct manual_entry {
        bool found = false;
        std::wstring digest;
        std::wstring page_url;
    };

    // A latest-setup entry with all four fields, or a newer-release entry,
    // was taken; otherwise the update check counts as failed.
    bool accepted = false;
    setup_entry latest_setup;
    release_entry newer_release;
    manual_entry manual;
};

// Reads body for one machine type; a list with nothing accepted is empty
// but for what its manual entries gave.
installer_list parse_installer_list(const std::vector<char>& body, bool windows_64bit);

// The same over what list already holds: every value the file gives
// replaces the one before it (the last entry of a kind wins) and nothing is
// cleared. Returns whether this body was accepted and sets list.accepted
// to that.
bool read_installer_list(const std::vector<char>& body, bool windows_64bit, installer_list& list);

// What the second field makes of an entry.
enum class list_entry_kind { none, latest_setup, newer_release, manual };

// One entry line as the launcher reads it.
struct list_entry {
    std::vector<std::string> fields;  // as cut at the spaces, zero bytes kept
    bool for_this_machine = false;    // the platform word names this type or both
    list_entry_kind kind = list_entry_kind::none;
};
list_entry read_list_entry(const std::string& line, bool windows_64bit);

// The version test of one field: a search for four runs of digits joined
// by dots; the leftmost match counts and only its first number decides.
struct version_reading {
    bool found = false;
    std::string major;         // the first number as written
    bool whole_field = false;  // nothing stands before or after the match
    list_entry_kind kind = list_entry_kind::none;  // latest_setup for 6, newer_release above
};
version_reading read_version(const std::string& field);

// The pieces of a list: its non-empty lines, and the fields of one line.
std::vector<std::string> list_lines(const std::string& body);
std::vector<std::string> list_fields(const std::string& line);

// A field's text as the launcher tests and stores it: up to its first zero
// byte.
std::string list_field_text(const std::string& field);
