// Starting a setup program through the shell and waiting briefly for it:
// long enough to catch one that fails or ends at once, never for the
// whole installation.
#pragma once

#include <windows.h>

#include <string>

class CDataControl;

// How long the launcher waits for a started setup program.
constexpr DWORD setup_wait_ms = 5000;

// The setup program's command line: SETUP_EASY_INSTALL "1" when
// easy_install, "0" otherwise, and the installer's verbose log in the
// setup's working folder when with_log.
const wchar_t* setup_command_line(bool easy_install, bool with_log);

// The setup's exit code when it ended within setup_wait_ms; WAIT_TIMEOUT
// (258) when it still runs; the launch's Win32 error (-1 when that is 0);
// the wait's Win32 error (-2 when that is 0); 0 for any other wait outcome.
// The path is taken as it is: nothing in it is expanded again.
int run_setup_and_wait(const std::wstring& path, const std::wstring& parameters);
int run_setup_and_wait(const std::wstring& folder, const std::wstring& name, const std::wstring& parameters);

// Run the setup at hand (without log beside the launcher, with log in the
// temporary folder) or the downloaded one (always with log). A refused
// elevation shows the "administrator rights needed" message; nothing else
// is reported. With real_folder (a held setup's, see setup_hold.h), the
// shell starts the setup's name in that folder.
void run_existing_setup(const CDataControl& data, HWND owner = nullptr, const std::wstring& real_folder = std::wstring());
void run_downloaded_setup(const CDataControl& data, HWND owner = nullptr,
                          const std::wstring& real_folder = std::wstring());
