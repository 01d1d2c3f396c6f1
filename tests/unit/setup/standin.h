// The project's stand-in setup program, placed in a test's folder under a
// setup program's name, told how to end, and read back; and the verb the
// shell was asked to start it with.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

// One start of the stand-in, as it recorded it.
struct standin_run {
    std::map<std::wstring, std::wstring> values;  // single-valued keys
    std::vector<std::wstring> properties;         // NAME=VALUE as the installer gets them
    std::wstring value(const wchar_t* key) const;
};

// Copies the stand-in to path, with a standin.ini beside it.
bool place_standin(const std::wstring& path, unsigned exit_code, unsigned sleep_ms = 0);
// The runs recorded by the stand-ins in folder, oldest first.
std::vector<standin_run> standin_runs(const std::wstring& folder);
// Ends every stand-in recorded in folder that still runs.
void end_standins(const std::wstring& folder);

// The shell verbs that programs in folder were started with, as the verb
// recorder of the setup tests' prefix saw them: "VERB<tab>PROGRAM" per
// start, oldest first.
std::vector<std::wstring> shell_verbs(const std::wstring& folder);

// Makes folder the current folder while it lives. Wine's shell shows its
// handlers, the verb recorder among them, the program as found from the
// current folder, whatever folder the start names.
class current_folder_scope {
public:
    explicit current_folder_scope(const std::wstring& folder);
    ~current_folder_scope();
    current_folder_scope(const current_folder_scope&) = delete;
    current_folder_scope& operator=(const current_folder_scope&) = delete;

private:
    std::wstring previous_;
};
