#include "standins/debugger/symbol_table.h"

#include <charconv>
#include <fstream>
#include <sstream>

namespace simdbg {

std::optional<uint64_t> parseNumber(std::string_view text)
{
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
        return std::nullopt;
    uint64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

uint32_t SymbolTable::add(const Symbol& symbol)
{
    m_symbols.push_back(symbol);
    return static_cast<uint32_t>(m_symbols.size());
}

bool SymbolTable::parse(std::string_view text, std::string& message)
{
    std::vector<Symbol> parsed;
    std::istringstream lines{std::string(text)};
    std::string line;
    for (std::size_t number = 1; std::getline(lines, line); ++number) {
        std::istringstream words(line);
        std::string name, address, zone, kind;
        words >> name;
        if (name.empty() || name[0] == '#')
            continue;
        words >> address >> zone >> kind;
        std::string rest;
        words >> rest;
        Symbol symbol;
        symbol.name = name;
        auto fail = [&](const std::string& what) {
            message = "line " + std::to_string(number) + ": " + what;
            return false;
        };
        if (address.empty() || !rest.empty())
            return fail("expected: name address [zone] [kind]");
        if (address == "-") {
            symbol.hasLocation = false;
        } else if (auto value = parseNumber(address)) {
            symbol.address = *value;
        } else {
            return fail("bad address \"" + address + "\"");
        }
        if (!zone.empty()) {
            auto value = parseNumber(zone);
            if (!value || *value > 0xFFFFFFFFu)
                return fail("bad zone \"" + zone + "\"");
            symbol.zone = static_cast<uint32_t>(*value);
        }
        if (!kind.empty()) {
            auto value = parseNumber(kind);
            if (!value || *value < 1 || *value > 12)
                return fail("bad kind \"" + kind + "\"");
            symbol.kind = static_cast<uint32_t>(*value);
        }
        parsed.push_back(symbol);
    }
    for (const Symbol& symbol : parsed)
        add(symbol);
    return true;
}

bool SymbolTable::loadFile(const std::string& path, std::string& message)
{
    std::ifstream file(path);
    if (!file) {
        message = path + ": cannot open the file";
        return false;
    }
    std::stringstream text;
    text << file.rdbuf();
    if (!parse(text.str(), message)) {
        message = path + ":" + message.substr(5); // "path:12: ..."
        return false;
    }
    return true;
}

uint32_t SymbolTable::find(const std::string& name, uint32_t kind) const
{
    for (std::size_t i = 0; i < m_symbols.size(); ++i)
        if (m_symbols[i].name == name && (kind == 0 || m_symbols[i].kind == kind))
            return static_cast<uint32_t>(i + 1);
    return 0;
}

const Symbol* SymbolTable::byHandle(uint32_t handle) const
{
    if (handle == 0 || handle > m_symbols.size())
        return nullptr;
    return &m_symbols[handle - 1];
}

std::vector<uint32_t> SymbolTable::handlesOfKind(uint32_t kind) const
{
    std::vector<uint32_t> handles;
    for (std::size_t i = 0; i < m_symbols.size(); ++i)
        if (kind == 0 || m_symbols[i].kind == kind)
            handles.push_back(static_cast<uint32_t>(i + 1));
    return handles;
}

} // namespace simdbg
