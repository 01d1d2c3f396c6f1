// The benchmark's raw peer (tests/bench/http_bench.sh): one GET through
// WinINet and nothing more, the body read with READ_SIZE-byte reads and kept
// in memory as the client keeps it.
//   wininet_read_loop HOST PORT PATH READ_SIZE
// prints "bytes=N ms=T reads=R".
#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "win_handle.h"

int main(int argc, char** argv) {
    if (argc < 5) return 2;
    const DWORD read_size = static_cast<DWORD>(std::strtoul(argv[4], nullptr, 10));
    if (read_size == 0) return 2;
    std::vector<char> buffer(read_size);
    std::vector<char> body;
    unsigned long long reads = 0;

    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    internet_handle session(InternetOpenA("orvane/6.0", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    internet_handle connection(session ? InternetConnectA(session.get(), argv[1],
                                                          static_cast<INTERNET_PORT>(std::atoi(argv[2])), nullptr,
                                                          nullptr, INTERNET_SERVICE_HTTP, 0, 0)
                                       : nullptr);
    internet_handle request(connection ? HttpOpenRequestA(connection.get(), "GET", argv[3], nullptr, nullptr, nullptr,
                                                          INTERNET_FLAG_RELOAD | INTERNET_FLAG_KEEP_CONNECTION |
                                                              INTERNET_FLAG_PRAGMA_NOCACHE,
                                                          0)
                                       : nullptr);
    if (!request || !HttpSendRequestA(request.get(), nullptr, 0, nullptr, 0)) return 1;
    DWORD length = 0;
    DWORD length_size = sizeof length;
    if (HttpQueryInfoA(request.get(), HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &length_size,
                       nullptr)) {
        body.reserve(length);
    }
    DWORD read = 0;
    while (InternetReadFile(request.get(), buffer.data(), read_size, &read) && read > 0) {
        body.insert(body.end(), buffer.data(), buffer.data() + read);
        ++reads;
    }
    QueryPerformanceCounter(&end);

    std::printf("bytes=%llu ms=%.1f reads=%llu\n", static_cast<unsigned long long>(body.size()),
                (end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart, reads);
    return 0;
}
