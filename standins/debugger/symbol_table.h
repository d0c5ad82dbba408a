#pragma once
// The simulated program's symbols, read from a text file with one symbol a line:
//   name address [zone] [kind]
// The address is decimal or 0x-hex, or "-" for a symbol without a location; kind is a symbol kind
// number (default 5, a variable). Blank lines and lines starting with '#' are skipped.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace simdbg {

struct Symbol {
    std::string name;
    bool hasLocation = true;
    uint32_t zone = 0;
    uint64_t address = 0;
    uint32_t kind = 5;
};

class SymbolTable {
public:
    void clear() { m_symbols.clear(); }
    // Adds one symbol; its handle is its position + 1.
    uint32_t add(const Symbol& symbol);
    // Parses a file's text; on a bad line nothing is added and message names the line.
    bool parse(std::string_view text, std::string& message);
    bool loadFile(const std::string& path, std::string& message);

    // The handle of the first symbol with the name whose kind matches (kind 0 = any); 0 when none.
    uint32_t find(const std::string& name, uint32_t kind) const;
    const Symbol* byHandle(uint32_t handle) const;
    std::vector<uint32_t> handlesOfKind(uint32_t kind) const;
    std::size_t size() const { return m_symbols.size(); }

private:
    std::vector<Symbol> m_symbols;
};

// Parses a decimal or 0x-hex unsigned number that fills the whole text.
std::optional<uint64_t> parseNumber(std::string_view text);

} // namespace simdbg
