// Holds a file open for reading and writing until told to let go.
// Usage: file_holder PATH read|none EVENT_PREFIX
// Signals EVENT_PREFIX_ready once the file is open, then waits for
// EVENT_PREFIX_done. Exit code 0 when the file was held.
#include <windows.h>

#include <cstring>
#include <string>

#include "win_handle.h"

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    DWORD share = std::strcmp(argv[2], "read") == 0 ? FILE_SHARE_READ : 0;
    file_handle file(::CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, share, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 3;
    std::string prefix = argv[3];
    kernel_handle ready(::OpenEventA(EVENT_MODIFY_STATE, FALSE, (prefix + "_ready").c_str()));
    kernel_handle done(::OpenEventA(SYNCHRONIZE, FALSE, (prefix + "_done").c_str()));
    if (!ready || !done) return 4;
    ::SetEvent(ready.get());
    ::WaitForSingleObject(done.get(), 60000);
    return 0;
}
