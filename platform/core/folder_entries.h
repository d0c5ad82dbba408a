#pragma once
// A folder's entries as the system names them, byte for byte: a name that does not decode in the locale
// is listed like any other.

#include <string>
#include <vector>

namespace platform {

struct FolderEntry {
    std::string name;    // the entry's name, its own bytes
    bool folder = false; // a folder, or a link to one
    bool file = false;   // a regular file, or a link to one
};

// The entries of the folder ("." and ".." left out), in the order of their bytes; false when the folder
// cannot be read.
bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries);

// What the path names, following links.
bool IsFolder(const std::string& path);
bool IsRegularFile(const std::string& path);

// The folder the program works in, its own bytes ("/" when the system cannot say).
std::string WorkingFolder();

} // namespace platform
