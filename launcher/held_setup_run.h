// Starting a setup program only while it is held as its digest (and, with
// a publisher, its signature) was checked (see setup_hold.h). A file that
// can no longer be held, or whose content no longer matches, is not
// started; the run decides what the user is told.
#pragma once

#include <windows.h>

class CDataControl;

// The setup at hand, checked against the digest it had when it was found.
// False, starting nothing, when it cannot be held as it was; true
// otherwise (also when there is no setup at hand to start).
bool run_held_existing_setup(const CDataControl& data, HWND owner);
// The downloaded setup, checked against the list file's digest; false
// likewise.
bool run_held_downloaded_setup(const CDataControl& data, HWND owner);
