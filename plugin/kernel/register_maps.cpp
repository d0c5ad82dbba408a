// The register-to-context-slot maps of each processor port, written as in the kernel's port manuals:
// one entry per register number, "-" for the stack pointer (no slot), "*" for a register a short frame
// does not save.
#include "plugin/kernel/registers.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace kernel {
namespace {

const char* const kPort3Rows =
    "1 - 2 7* 8* 9* 10* 11* 12* 5* 6* 13* 14* 15* 16* 17* 18* 19* 20* 21* 22* 23* 24* 25* 26* 27* 28* 29* 30* 31* "
    "32* 33* 34* 35* 36* 37* 38* 39* 40* 41* 42* 3* 4* 43* 44* 45* 46* 47* 48* 49* 50* 51* 52* 53* 54* 55* 56* 57* "
    "58* 59* 60* 61* 62* 63* 64* 65* 66* 70* 71* 72* 73* 74* 75* 76* 77* 78* 79* 80* 81* 82* 83* 84* 85* 86* 87* "
    "88* 89* 90* 91* 92* 93* 94*";
const char* const kPort4Rows =
    "42 - 43 5 7* 8* 9* 10* 11* 12* 13* 14* 15* 16 17 18 19 20 21 22 23 24 25 26 27 28 29 30 31 32 33 34 35 36 40 "
    "41 37 38 45 46 47 48";
const char* const kPort5Rows = "3 - 4 5* 6* 7* 8* 9* 10* 11* 12* 13* 14* 15* 16* 17* 18* 19*";
const char* const kPort6Rows =
    "3 - 2 5* 6* 7* 8* 9* 10* 11* 12* 13* 14* 15* 16* 17* 18* 19* 20* 22* 23* 24* 25* 26* 27* 28* 29* 30* 31* 32* "
    "33 34 35 36 37 38 39 40 4* 41* 42* 43* 44* 45* 46* 47*";
const char* const kPort7Rows = "17 - 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 0";
const char* const kPort8Rows =
    "3 - 2 5* 6* 7* 8* 9* 10* 11* 12* 13* 14* 15* 16* 17* 18* 19* 20* 21* 22* 23* 24* 25* 26* 27* 28* 29* 30* 31* "
    "32* 33* 34* 35* 36* 37* 38* 39* 40* 41* 42* 43*";
const char* const kPort9Rows =
    "24 - 23 6* 7* 8* 9* 10* 11* 12* 13* 14* 16* 17* 18* 19* 20* 21* 22* 3* 4* 5* 25* 26* 27* 28* 29* 30* 31* 32* "
    "33* 34* 35* 36* 37* 38* 0 0 0 0";

std::vector<RegisterRow> parseRows(const char* text)
{
    std::vector<RegisterRow> rows;
    const std::string s(text);
    std::size_t pos = 0;
    while (pos < s.size()) {
        const std::size_t end = s.find(' ', pos) == std::string::npos ? s.size() : s.find(' ', pos);
        const std::string item = s.substr(pos, end - pos);
        pos = end + 1;
        if (item.empty())
            continue;
        if (item == "-")
            rows.push_back({-1, false});
        else
            rows.push_back({std::atoi(item.c_str()), item.back() == '*'});
    }
    return rows;
}

struct PortMaps {
    std::vector<RegisterRow> port3 = parseRows(kPort3Rows), port4 = parseRows(kPort4Rows),
                             port5 = parseRows(kPort5Rows), port6 = parseRows(kPort6Rows),
                             port7 = parseRows(kPort7Rows), port8 = parseRows(kPort8Rows),
                             port9 = parseRows(kPort9Rows);
    RegisterMap map3{port3.data(), static_cast<int>(port3.size()), 92, 89, 69};
    RegisterMap map13{port3.data(), static_cast<int>(port3.size()), 92, 92, 69};
    RegisterMap map4{port4.data(), static_cast<int>(port4.size()), 42, 42, 44};
    RegisterMap map5{port5.data(), static_cast<int>(port5.size()), 18, 18, 20};
    RegisterMap map6{port6.data(), static_cast<int>(port6.size()), 46, 46, 41};
    RegisterMap map7{port7.data(), static_cast<int>(port7.size()), 18, 18, -1};
    RegisterMap map8{port8.data(), static_cast<int>(port8.size()), 42, 42, 37};
    RegisterMap map9{port9.data(), static_cast<int>(port9.size()), 36, 40, -1};
};

} // namespace

const RegisterMap* GetRegisterMap(int port)
{
    static const PortMaps maps;
    switch (port) {
    case 3: case 10: return &maps.map3;
    case 13: return &maps.map13;
    case 4: return &maps.map4;
    case 5: return &maps.map5;
    case 6: return &maps.map6;
    case 7: return &maps.map7;
    case 8: return &maps.map8;
    case 9: return &maps.map9;
    default: return nullptr;
    }
}

} // namespace kernel
