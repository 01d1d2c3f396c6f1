// Composes a correct installer list file from the files to publish and
// their addresses, with digests taken the way the launcher takes them.
#pragma once

#include <string>
#include <vector>

struct published_file {
    std::wstring path;    // the file on this machine, to digest
    std::wstring address; // where users download it, or its web page
};

struct list_request {
    std::wstring version;  // of the current installers, major version 6
    published_file setup32;
    published_file setup64;
    published_file manual;  // address: the manual's web page
    bool newer = false;
    std::wstring newer_version;  // major version above 6
    std::wstring newer_page;
};

// The list file's text, CR LF line ends. False with a message for the
// user when an input cannot give a correct entry.
bool compose_list(const list_request& request, std::vector<char>& body, std::string& error);
