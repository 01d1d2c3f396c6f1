// Checks an installer list file for entries that the launcher would skip
// or misread, and records what the launcher takes from it on each machine
// type. The values and the reading of every line come from the launcher's
// own parser (installer_list.h), so the tool can never disagree with the
// launcher; the line scan only explains them.
#pragma once

#include "installer_list.h"

#include <string>
#include <vector>

enum machine_type { machine_32bit, machine_64bit, machine_type_count };

struct list_warning {
    int line;          // 1-based line of the file; 0 for the file as a whole
    std::string kind;  // short stable tag: "tab", "digest", ...
    std::string message;
};

struct list_check {
    installer_list taken[machine_type_count];
    // The line each taken value came from, 0 when none.
    int setup_line[machine_type_count] = {0, 0};
    int newer_line[machine_type_count] = {0, 0};
    int manual_line[machine_type_count] = {0, 0};
    std::vector<list_warning> warnings;  // by line, file-wide ones last

    // A machine type that gets no usable entry fails the update check.
    bool every_machine_served() const;
};

list_check check_list(const std::vector<char>& body);

// A field as it may be shown in a message: control bytes escaped, long
// texts cut at a character boundary.
std::string shown_field(const std::string& field);

const char* machine_name(int machine);
