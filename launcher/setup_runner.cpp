#include "setup_runner.h"

#include <shellapi.h>

#include "data_control.h"
#include "message_box.h"
#include "resource.h"
#include "setup_folder.h"
#include "shell_start.h"
#include "win_handle.h"

namespace {

// The setup passes the text after /v to the installer as its property text.
constexpr wchar_t easy_no_log[] = L"/v\"SETUP_EASY_INSTALL=\"1\"\"";
constexpr wchar_t choose_no_log[] = L"/v\"SETUP_EASY_INSTALL=\"0\"\"";
constexpr wchar_t easy_with_log[] = L"/v\"SETUP_EASY_INSTALL=\"1\" /L*v \".\\instlog.txt\"\"";
constexpr wchar_t choose_with_log[] = L"/v\"SETUP_EASY_INSTALL=\"0\" /L*v \".\\instlog.txt\"\"";

constexpr int launch_failed_without_code = -1;
constexpr int wait_failed_without_code = -2;

// The user declined elevation, or the setup said it lacks the rights.
bool elevation_refused(int result) { return result == ERROR_ACCESS_DENIED || result == ERROR_CANCELLED; }

// The held file's real folder when there is one, else the path's own.
void run_and_report(const std::wstring& path, const std::wstring& real_folder, bool easy_install, bool with_log,
                    HWND owner) {
    const std::wstring folder = real_folder.empty() ? folder_part(path) : real_folder;
    int result = run_setup_and_wait(folder, name_part(path), setup_command_line(easy_install, with_log));
    if (elevation_refused(result)) message_box_by_id(owner, IDS_ADMIN_REQUIRED, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

const wchar_t* setup_command_line(bool easy_install, bool with_log) {
    if (with_log) return easy_install ? easy_with_log : choose_with_log;
    return easy_install ? easy_no_log : choose_no_log;
}

int run_setup_and_wait(const std::wstring& path, const std::wstring& parameters) {
    return run_setup_and_wait(folder_part(path), name_part(path), parameters);
}

int run_setup_and_wait(const std::wstring& folder, const std::wstring& name, const std::wstring& parameters) {
    // The shell finds the program in its folder and makes that folder the
    // working folder, so a setup's log lands beside it.
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    // A process handle for the wait, and the start complete before the
    // call returns, as the worker thread ends soon after.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
    info.hwnd = nullptr;
    info.lpVerb = elevating_verb();
    info.lpFile = name.c_str();
    info.lpParameters = parameters.c_str();
    info.lpDirectory = folder.c_str();
    info.nShow = SW_SHOWNORMAL;

    BOOL started = ::ShellExecuteExW(&info);
    DWORD launch_error = ::GetLastError();
    kernel_handle process(info.hProcess);
    if (!started || !shell_start_succeeded(info.hInstApp)) {
        return launch_error != 0 ? static_cast<int>(launch_error) : launch_failed_without_code;
    }

    switch (::WaitForSingleObject(process.get(), setup_wait_ms)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED: {
        DWORD exit_code = 0;
        if (!::GetExitCodeProcess(process.get(), &exit_code)) return static_cast<int>(::GetLastError());
        return static_cast<int>(exit_code);
    }
    case WAIT_TIMEOUT:
        return WAIT_TIMEOUT;
    case WAIT_FAILED: {
        DWORD wait_error = ::GetLastError();
        return wait_error != 0 ? static_cast<int>(wait_error) : wait_failed_without_code;
    }
    default:
        return 0;
    }
}

void run_existing_setup(const CDataControl& data, HWND owner, const std::wstring& real_folder) {
    const InstallPart& part = data.install();
    if (part.setup_kind != setup_kind_beside_launcher && part.setup_kind != setup_kind_temporary) return;
    if (part.setup_path.empty()) return;
    // Nothing is written on the medium: only the temporary folder's setup logs.
    run_and_report(part.setup_path, real_folder, part.easy_install, part.setup_kind == setup_kind_temporary, owner);
}

void run_downloaded_setup(const CDataControl& data, HWND owner, const std::wstring& real_folder) {
    const InstallPart& part = data.install();
    if (part.download_path.empty()) return;
    run_and_report(part.download_path, real_folder, part.easy_install, true, owner);
}
