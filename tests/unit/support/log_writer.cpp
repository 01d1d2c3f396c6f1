// Writes lines through the process's own log, so that tests can run
// several writers at once.
// Usage: log_writer FOLDER TAG COUNT PADDING (FOLDER without its final
// backslash)
// Each line is "TAG line N " followed by PADDING 'x' characters. The exit
// code is the number of lines the log did not take.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "string_convert.h"
#include "system_log.h"

int main(int argc, char** argv) {
    if (argc != 5) return -1;
    std::wstring folder = ansi_to_wide(argv[1]) + L"\\";
    if (!system_log().initialize(folder, L"Writer")) return -2;
    int count = std::atoi(argv[3]);
    std::string padding(static_cast<size_t>(std::atoi(argv[4])), 'x');
    int dropped = 0;
    for (int n = 0; n < count; ++n) {
        if (!system_log().write_a(log_level_info, "%s line %d %s", argv[2], n, padding.c_str())) ++dropped;
    }
    return dropped;
}
