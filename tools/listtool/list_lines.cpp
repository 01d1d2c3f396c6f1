#include "list_lines.h"

#include "installer_list.h"

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
            lines.push_back(list_line{number, text, list_fields(text)});
        }
        if (i < body.size()) {
            if (body[i] == '\r' && i + 1 < body.size() && body[i + 1] == '\n') ++i;
            ++i;
            ++number;
        }
    }
    return lines;
}
