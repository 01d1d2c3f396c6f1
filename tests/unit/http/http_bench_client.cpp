// One download with get_data_by_wininet, for tests/bench/http_bench.sh:
//   http_bench_client HOST PORT PATH
// prints "bytes=N ms=T peak_working_set=P result=R status=S".
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "http_client.h"

int main(int argc, char** argv) {
    if (argc < 4) return 2;
    http_request request;
    request.host = argv[1];
    request.port = argv[2];
    request.path = argv[3];
    request.verb = "GET";
    std::string headers;
    int status = 0;
    std::vector<char> body;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    DWORD result = get_data_by_wininet(request, headers, nullptr, status, body);
    QueryPerformanceCounter(&end);
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    std::printf("bytes=%llu ms=%.1f peak_working_set=%llu result=%lu status=%d\n",
                static_cast<unsigned long long>(body.size()),
                (end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart,
                static_cast<unsigned long long>(memory.PeakWorkingSetSize), result, status);
    return result == 0 && status == 200 ? 0 : 1;
}
