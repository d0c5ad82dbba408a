#pragma once
// Shared pieces of the application and project file tests: scratch folders, file text helpers and a
// small kernel record shaped like the demo model.

#include <string>
#include <vector>

#include "engine/records/records.h"

namespace engine::testing {

// A fresh folder under the system's temporary folder, removed with everything in it afterwards.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// Lines joined with CR LF (and a final CR LF).
std::string crlf(const std::vector<std::string>& lines);
void writeFile(const std::string& path, const std::string& text);
std::string readFile(const std::string& path);
// The names in a folder, sorted.
std::vector<std::string> folderListing(const std::string& folder);
// Every file in a folder with its bytes, sorted by name.
std::vector<std::pair<std::string, std::string>> folderSnapshot(const std::string& folder);

// A CPU whose kernel record has the demo model's fourteen classes (named and tagged alike), two extended
// contexts, two task attributes and three options for applications. Freed by the destructor.
struct DemoCpu {
    CpuRecord cpu{};
    DemoCpu();
    ~DemoCpu();
    DemoCpu(const DemoCpu&) = delete;
    DemoCpu& operator=(const DemoCpu&) = delete;
};

// The path of the demo project folder in the source tree.
std::string demoFolder();
// The build's program folder, where the demo's configuration file and models (with the enciphered one)
// are placed.
std::string programFolder();

}  // namespace engine::testing
