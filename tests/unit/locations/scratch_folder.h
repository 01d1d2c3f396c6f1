// A folder of its own for one test under the system's temporary folder,
// removed with everything in it when the test ends.
#pragma once

#include <windows.h>

#include <string>

class scratch_folder {
public:
    scratch_folder();
    ~scratch_folder();
    scratch_folder(const scratch_folder&) = delete;
    scratch_folder& operator=(const scratch_folder&) = delete;

    // Ends with a backslash.
    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
};

// Creates the file (and the folders above it) with the given content.
bool write_file(const std::wstring& path, const std::string& content);
bool read_file(const std::wstring& path, std::string& content);
bool make_folders(const std::wstring& folder);
void remove_tree(const std::wstring& folder);
