// Cuts an installer list file into lines and fields the way the launcher
// does (runs of CR and LF end a line, empty lines vanish, runs of spaces
// separate fields), and remembers where each line stood in the file so a
// warning can point at it.
#pragma once

#include <string>
#include <vector>

struct list_line {
    int number;                       // 1-based, as an editor counts lines
    std::string text;                 // the line without its line end
    std::vector<std::string> fields;  // as the launcher cuts them
};

// Every non-empty line in file order; the first one is the header.
std::vector<list_line> cut_list_lines(const std::vector<char>& body);
