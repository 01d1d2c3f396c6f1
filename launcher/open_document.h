// Documents and web pages handed to the shell. Each opener returns true
// when the shell reports success. The first three run on the worker
// threads, the reader page on the window thread.
#pragma once

#include <windows.h>

class CDataControl;

// The pages the list file names are opened only when they are http or
// https addresses; any other text counts as no page.
bool open_release_page(const CDataControl& data);
// The list's manual page, else the maker's customer-support page.
bool open_latest_manual_page(const CDataControl& data);
bool open_local_manual(const CDataControl& data);
// On success also shows the message that a PDF reader is needed.
bool open_reader_page(HWND owner);
