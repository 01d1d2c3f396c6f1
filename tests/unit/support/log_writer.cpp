// Another process sharing the log, for the log tests.
// Usage: log_writer FOLDER TAG COUNT PADDING
//        log_writer FOLDER --hold MS
// (FOLDER without its final backslash)
// The first form writes through the process's own log, so that tests can run
// several writers at once: each line is "TAG line N " followed by PADDING
// 'x' characters, and the exit code is the number of lines the log did not
// take.
// The second form takes the log's mutex as another program sharing the log
// would: it opens it by its exact name, with no more than the rights a
// writer needs, checks that it carries a null DACL (so processes of every
// user may open it), and holds it for MS milliseconds between the lines
// "held" and "released", which it appends to FOLDER\system.log itself.
// Exit codes: 0 held and released; 1 no mutex of that name; 2 its security
// descriptor unreadable or its DACL not null; 3 not acquired.
#include <windows.h>
#include <aclapi.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "string_convert.h"
#include "system_log.h"
#include "win_handle.h"

namespace {

constexpr wchar_t log_mutex_name[] = L"Global\\OVN5_SYSTEM_LOG_MUTEX_KEY";
constexpr DWORD acquire_wait_ms = 30000;

bool append_line(const std::wstring& path, const std::string& line) {
    file_handle file(::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && ::WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

// A null DACL: the descriptor says a DACL is present but holds no list,
// which grants everyone every right. A missing DACL, or a list without
// entries (which denies everyone), is something else.
bool has_null_dacl(HANDLE object) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PACL dacl = nullptr;
    if (::GetSecurityInfo(object, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                          &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    bool null_dacl = ::GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) && present && !dacl;
    ::LocalFree(descriptor);
    return null_dacl;
}

int hold_log_mutex(const std::wstring& folder, DWORD hold_ms) {
    kernel_handle mutex(::OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE | READ_CONTROL, FALSE, log_mutex_name));
    if (!mutex) return 1;
    if (!has_null_dacl(mutex.get())) return 2;
    DWORD waited = ::WaitForSingleObject(mutex.get(), acquire_wait_ms);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) return 3;
    const std::wstring log_file = folder + L"system.log";
    append_line(log_file, "held\r\n");
    ::Sleep(hold_ms);
    append_line(log_file, "released\r\n");
    ::ReleaseMutex(mutex.get());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return -1;
    std::wstring folder = ansi_to_wide(argv[1]) + L"\\";
    if (argc == 4 && std::strcmp(argv[2], "--hold") == 0) {
        return hold_log_mutex(folder, static_cast<DWORD>(std::atoi(argv[3])));
    }
    if (argc != 5) return -1;
    if (!system_log().initialize(folder, L"Writer")) return -2;
    int count = std::atoi(argv[3]);
    std::string padding(static_cast<size_t>(std::atoi(argv[4])), 'x');
    int dropped = 0;
    for (int n = 0; n < count; ++n) {
        if (!system_log().write_a(log_level_info, "%s line %d %s", argv[2], n, padding.c_str())) ++dropped;
    }
    return dropped;
}
