// Prints the digest of each file named on the command line, one
// "DIGEST  PATH" line per file, as md5sum does; "--time" first adds the
// seconds each digest took. Exit code 1 when a file could not be digested.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "md5.h"

int main(int argc, char** argv) {
    int first = 1;
    bool timed = argc > 1 && std::strcmp(argv[1], "--time") == 0;
    if (timed) ++first;
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    int result = 0;
    for (int k = first; k < argc; ++k) {
        LARGE_INTEGER start, end;
        ::QueryPerformanceCounter(&start);
        unsigned char digest[16];
        bool ok = md5_file(argv[k], digest);
        ::QueryPerformanceCounter(&end);
        if (!ok) {
            std::printf("failed  %s\n", argv[k]);
            result = 1;
            continue;
        }
        std::printf("%s  %s", hex_string(digest).c_str(), argv[k]);
        if (timed) std::printf("  %.6f", double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart));
        std::printf("\n");
    }
    return result;
}
