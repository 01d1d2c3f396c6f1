// What the launcher makes of a list file, and of a single field of one,
// always found out by running the launcher's own parser (ParseLtFile), so
// the tool can never disagree with the launcher about what is taken.
#pragma once

#include <string>
#include <vector>

// The list fields after the launcher has read a whole file.
struct list_values {
    bool usable = false;  // ParseLtFile's result: false fails the update check
    bool newer_release = false;
    std::wstring newer_release_version;
    std::wstring newer_release_url;
    std::wstring setup_version;
    std::wstring setup_digest;
    std::wstring setup_url;
    bool manual_found = false;
    std::wstring manual_digest;
    std::wstring manual_page_url;
};

list_values read_as_launcher(const std::vector<char>& body, bool windows_64bit);

// Whether an entry with this platform word counts on that machine type.
bool platform_accepted(const std::string& field, bool windows_64bit);

enum class entry_kind { latest_installer, newer_release, manual, none };

// What the second field of an entry makes of it.
entry_kind entry_kind_of(const std::string& second_field);
