#include "list_lines.h"

static const char list_field_separator = ' ';

std::vector<std::string> cut_fields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = line.find_first_not_of(list_field_separator);
    while (start != std::string::npos) {
        std::size_t end = line.find(list_field_separator, start);
        if (end == std::string::npos) end = line.size();
        fields.push_back(line.substr(start, end - start));
        start = line.find_first_not_of(list_field_separator, end);
    }
    return fields;
}

// The launcher only drops empty pieces between CR and LF characters; line
// numbers follow the usual reading instead, where CR LF is one line end and
// a lone CR or LF is another.
std::vector<list_line> cut_list_lines(const std::vector<char>& body) {
    std::vector<list_line> lines;
    int number = 1;
    std::size_t i = 0;
    while (i < body.size()) {
        std::size_t start = i;
        while (i < body.size() && body[i] != '\r' && body[i] != '\n') ++i;
        if (i > start) {
            std::string text(body.begin() + static_cast<std::ptrdiff_t>(start),
                             body.begin() + static_cast<std::ptrdiff_t>(i));
            lines.push_back(list_line{number, text, cut_fields(text)});
        }
        if (i < body.size()) {
            if (body[i] == '\r' && i + 1 < body.size() && body[i + 1] == '\n') ++i;
            ++i;
            ++number;
        }
    }
    return lines;
}
