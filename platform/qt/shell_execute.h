#pragma once
// Opening a document or address with the desktop, as the shell's "open" verb does. The result follows the
// classic convention: above 32 on success, else an error code (2 not found, 31 no application for it).
// A file is named to the system by its own bytes; tests and programs may install their own handler.

#include <functional>
#include <string>

namespace platform {

using ShellExecuteHandler = std::function<int(const std::string& verb, const std::string& target)>;

int shellExecute(const std::string& verb, const std::string& target);

// What the desktop is asked to open for a target: an address with a scheme ("https:", "mailto:") as it is;
// any other text is a file, a relative one taken from the program's folder, named by its bytes.
struct ShellTarget {
    bool address = false;
    std::string text; // the address, or the file's path ("" for an empty target)
    bool operator==(const ShellTarget&) const = default;
};
ShellTarget shellTarget(const std::string& target);

// Installs a handler (an empty one restores the desktop's); returns the previous one.
ShellExecuteHandler setShellExecuteHandler(ShellExecuteHandler handler);

} // namespace platform
