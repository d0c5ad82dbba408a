#pragma once
// The control panel's logic without widgets: the table of kernel displays, the class mask of the
// connected kernel, the displays it lists, the search for the kernel anchor symbol and the path of the
// second image.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace views {

struct DisplayEntry {
    uint32_t command;
    const char* name;
    uint32_t classMask;
    // A row with a predicate is listed when it answers true; without one, when its mask meets the
    // kernel's class mask.
    bool (*predicate)();
};

const std::vector<DisplayEntry>& DisplayTable();

// The panel's class mask of the loaded kernel: a class's bit is set when the class is configured and
// its class record loads (the thread bit needs the level record as well).
uint32_t ComputeClassMask();
// Exception class configured, its record loaded and its attribute bit 0x8 set.
bool ShowsExceptionBacktrace();

struct ListedDisplay {
    std::string name;
    int row; // the table row
};
// The displays listed for a class mask, in table order (none when not initialised).
std::vector<ListedDisplay> ListedDisplays(bool initialized, uint32_t classMask);

// Looks up "pKWS" with the prefixes "", "_", "__", ".", "F" in turn; the first answer other than
// 0xFFFFFFFF wins. 0 when none answers.
using SymbolLookup = std::function<uint32_t(const std::string&)>;
uint32_t FindKernelAnchor(const SymbolLookup& lookup);

// The second image beside the data file: its folder, "i2data." and the data file's extension.
std::string SecondImagePath(const std::string& dataFile);
// Loads that image (it holds the services table and may be absent): the message naming file and line
// when it is there but cannot be used, else empty.
std::string LoadServicesImage(const std::string& dataFile);

} // namespace views
