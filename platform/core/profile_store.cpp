#include "profile_store.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// A profile file is small; anything past this is not read.
constexpr std::size_t kMaxFileBytes = 16u << 20;

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i]))
            return false;
    }
    return true;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = lowerAscii(c);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

const char kHex[] = "0123456789abcdef";

void appendQuoted(std::string& out, const std::string& text)
{
    out += '"';
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (u < 0x20 || u == 0x7f) {
            out += "\\x";
            out += kHex[u >> 4];
            out += kHex[u & 0xf];
        } else {
            out += c;
        }
    }
    out += '"';
}

// Reads a quoted text starting at line[pos] == '"'; on success pos is just past the closing quote.
bool readQuoted(const std::string& line, std::size_t& pos, std::string& out)
{
    if (pos >= line.size() || line[pos] != '"')
        return false;
    ++pos;
    out.clear();
    while (pos < line.size()) {
        const char c = line[pos++];
        if (c == '"')
            return true;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (pos >= line.size())
            return false;
        const char e = line[pos++];
        switch (e) {
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 'x': {
            if (pos + 2 > line.size())
                return false;
            const int hi = hexDigit(line[pos]);
            const int lo = hexDigit(line[pos + 1]);
            if (hi < 0 || lo < 0)
                return false;
            out += static_cast<char>(hi * 16 + lo);
            pos += 2;
            break;
        }
        default: out += e; break;
        }
    }
    return false;
}

bool parseValue(const std::string& text, ProfileValue& value)
{
    std::size_t pos = 0;
    if (!text.empty() && text[0] == '"') {
        value.type = ProfileValue::Type::String;
        return readQuoted(text, pos, value.text) && pos == text.size();
    }
    if (text.rfind("dword:", 0) == 0) {
        const std::string digits = text.substr(6);
        if (digits.empty() || digits.size() > 8)
            return false;
        std::uint32_t n = 0;
        for (char c : digits) {
            const int d = hexDigit(c);
            if (d < 0)
                return false;
            n = n * 16 + static_cast<std::uint32_t>(d);
        }
        value.type = ProfileValue::Type::Int;
        value.number = static_cast<std::int32_t>(n);
        return true;
    }
    if (text.rfind("hex:", 0) == 0) {
        value.type = ProfileValue::Type::Binary;
        value.bytes.clear();
        pos = 4;
        while (pos < text.size()) {
            if (pos + 2 > text.size())
                return false;
            const int hi = hexDigit(text[pos]);
            const int lo = hexDigit(text[pos + 1]);
            if (hi < 0 || lo < 0)
                return false;
            value.bytes.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
            pos += 2;
            if (pos < text.size()) {
                if (text[pos] != ',' || pos + 1 == text.size())
                    return false;
                ++pos;
            }
        }
        return true;
    }
    return false;
}

std::string formatValue(const ProfileValue& value)
{
    std::string out;
    switch (value.type) {
    case ProfileValue::Type::String: appendQuoted(out, value.text); break;
    case ProfileValue::Type::Int: {
        char buffer[24];
        std::snprintf(buffer, sizeof buffer, "dword:%08x", static_cast<std::uint32_t>(value.number));
        out = buffer;
        break;
    }
    case ProfileValue::Type::Binary:
        out = "hex:";
        for (std::size_t i = 0; i < value.bytes.size(); ++i) {
            if (i)
                out += ',';
            out += kHex[value.bytes[i] >> 4];
            out += kHex[value.bytes[i] & 0xf];
        }
        break;
    }
    return out;
}

std::string trimRight(std::string s)
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.pop_back();
    return s;
}

bool readFile(const std::string& path, std::string& text)
{
    text.clear();
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    char buffer[8192];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0 && text.size() < kMaxFileBytes)
        text.append(buffer, std::min(n, kMaxFileBytes - text.size()));
    std::fclose(file);
    return true;
}

// Creates every missing folder of path (mode 0700, as configuration folders are private).
bool makeFolders(const std::string& folder)
{
    if (folder.empty())
        return true;
    std::size_t pos = 0;
    while (pos != std::string::npos) {
        pos = folder.find('/', pos + 1);
        const std::string part = folder.substr(0, pos);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    struct stat st {};
    return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool writeFileAtomically(const std::string& path, const std::string& text)
{
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash);
    if (!makeFolders(folder))
        return false;
    std::string temp = path + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0)
        return false;
    std::size_t done = 0;
    bool ok = true;
    while (ok && done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            done += static_cast<std::size_t>(n);
    }
    ok = ok && fchmod(fd, 0600) == 0 && fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok && std::rename(temp.c_str(), path.c_str()) == 0)
        return true;
    ::unlink(temp.c_str());
    return false;
}

std::string safePart(std::string part)
{
    for (char& c : part) {
        if (c == '/' || c == '\0')
            c = '_';
    }
    return part;
}

std::atomic<Profile*> g_applicationProfile{nullptr};

} // namespace

std::string Profile::getString(const std::string& section, const std::string& entry, const std::string& fallback) const
{
    return getString(section, entry).value_or(fallback);
}

std::int32_t Profile::getInt(const std::string& section, const std::string& entry, std::int32_t fallback) const
{
    return getInt(section, entry).value_or(fallback);
}

std::vector<ProfileSection> parseProfileText(const std::string& text)
{
    std::vector<ProfileSection> sections;
    ProfileSection* current = nullptr;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = trimRight(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        if (line[0] == '[') {
            if (line.size() < 2 || line.back() != ']') {
                current = nullptr;
                continue;
            }
            const std::string name = line.substr(1, line.size() - 2);
            current = nullptr;
            for (ProfileSection& s : sections) {
                if (sameName(s.name, name))
                    current = &s;
            }
            if (!current) {
                sections.push_back({name, {}});
                current = &sections.back();
            }
            continue;
        }
        if (!current)
            continue;
        std::string name;
        std::size_t pos = 0;
        if (line[0] == '@') {
            pos = 1;
        } else if (!readQuoted(line, pos, name)) {
            continue;
        }
        if (pos >= line.size() || line[pos] != '=')
            continue;
        ProfileValue value;
        if (!parseValue(line.substr(pos + 1), value))
            continue;
        bool replaced = false;
        for (auto& [n, v] : current->values) {
            if (sameName(n, name)) {
                v = value;
                replaced = true;
            }
        }
        if (!replaced)
            current->values.emplace_back(name, std::move(value));
    }
    return sections;
}

std::optional<std::string> formatProfileText(const std::vector<ProfileSection>& sections)
{
    std::string out;
    for (const ProfileSection& section : sections) {
        if (section.values.empty())
            continue;
        if (section.name.find_first_of("\r\n") != std::string::npos)
            return std::nullopt;
        out += '[';
        out += section.name;
        out += "]\n";
        for (const auto& [name, value] : section.values) {
            if (name.empty())
                out += '@';
            else
                appendQuoted(out, name);
            out += '=';
            out += formatValue(value);
            out += '\n';
        }
        out += '\n';
    }
    return out;
}

ProfileStore::ProfileStore(std::string filePath)
    : m_path(std::move(filePath))
{
    reload();
}

std::string ProfileStore::configHome()
{
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && xdg[0] == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    return std::string(home && home[0] ? home : ".") + "/.config";
}

std::string ProfileStore::pathForKey(const std::string& key)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= key.size()) {
        std::size_t end = key.find('\\', start);
        if (end == std::string::npos)
            end = key.size();
        std::string part = safePart(key.substr(start, end - start));
        if (!part.empty() && part != "." && part != "..")
            parts.push_back(std::move(part));
        start = end + 1;
    }
    if (!parts.empty() && sameName(parts.front(), "Software"))
        parts.erase(parts.begin());
    if (parts.empty())
        return {};
    std::string path = configHome();
    for (const std::string& part : parts)
        path += '/' + part;
    return path + ".ini";
}

void ProfileStore::reload()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sections.clear();
    std::string text;
    if (!m_path.empty() && readFile(m_path, text))
        m_sections = parseProfileText(text);
}

const ProfileValue* ProfileStore::find(const std::string& section, const std::string& entry) const
{
    for (const ProfileSection& s : m_sections) {
        if (!sameName(s.name, section))
            continue;
        for (const auto& [name, value] : s.values) {
            if (sameName(name, entry))
                return &value;
        }
    }
    return nullptr;
}

std::optional<std::string> ProfileStore::getString(const std::string& section, const std::string& entry) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const ProfileValue* value = find(section, entry);
    if (!value || value->type != ProfileValue::Type::String)
        return std::nullopt;
    return value->text;
}

std::optional<std::int32_t> ProfileStore::getInt(const std::string& section, const std::string& entry) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const ProfileValue* value = find(section, entry);
    if (!value || value->type != ProfileValue::Type::Int)
        return std::nullopt;
    return value->number;
}

std::optional<ProfileBytes> ProfileStore::getBinary(const std::string& section, const std::string& entry) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const ProfileValue* value = find(section, entry);
    if (!value || value->type != ProfileValue::Type::Binary)
        return std::nullopt;
    return value->bytes;
}

bool ProfileStore::store(const std::string& section, const std::string& entry, ProfileValue value)
{
    if (section.find_first_of("\r\n") != std::string::npos)
        return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::vector<ProfileSection> before = m_sections;
    ProfileSection* target = nullptr;
    for (ProfileSection& s : m_sections) {
        if (sameName(s.name, section))
            target = &s;
    }
    if (!target) {
        m_sections.push_back({section, {}});
        target = &m_sections.back();
    }
    bool replaced = false;
    for (auto& [name, v] : target->values) {
        if (sameName(name, entry)) {
            v = value;
            replaced = true;
        }
    }
    if (!replaced)
        target->values.emplace_back(entry, std::move(value));
    if (save())
        return true;
    m_sections = before;
    return false;
}

bool ProfileStore::writeString(const std::string& section, const std::string& entry, const std::string& value)
{
    ProfileValue v;
    v.type = ProfileValue::Type::String;
    v.text = value;
    return store(section, entry, std::move(v));
}

bool ProfileStore::writeInt(const std::string& section, const std::string& entry, std::int32_t value)
{
    ProfileValue v;
    v.type = ProfileValue::Type::Int;
    v.number = value;
    return store(section, entry, std::move(v));
}

bool ProfileStore::writeBinary(const std::string& section, const std::string& entry, const ProfileBytes& value)
{
    ProfileValue v;
    v.type = ProfileValue::Type::Binary;
    v.bytes = value;
    return store(section, entry, std::move(v));
}

bool ProfileStore::deleteEntry(const std::string& section, const std::string& entry)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const std::vector<ProfileSection> before = m_sections;
    bool removed = false;
    for (ProfileSection& s : m_sections) {
        if (!sameName(s.name, section))
            continue;
        for (auto it = s.values.begin(); it != s.values.end();) {
            if (sameName(it->first, entry)) {
                it = s.values.erase(it);
                removed = true;
            } else {
                ++it;
            }
        }
    }
    if (!removed || save())
        return true;
    m_sections = before;
    return false;
}

bool ProfileStore::save() const
{
    if (m_path.empty())
        return true;
    const std::optional<std::string> text = formatProfileText(m_sections);
    return text && writeFileAtomically(m_path, *text);
}

std::vector<std::string> ProfileStore::sections() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string> names;
    for (const ProfileSection& s : m_sections) {
        if (!s.values.empty())
            names.push_back(s.name);
    }
    return names;
}

std::vector<std::string> ProfileStore::entries(const std::string& section) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<std::string> names;
    for (const ProfileSection& s : m_sections) {
        if (sameName(s.name, section)) {
            for (const auto& value : s.values)
                names.push_back(value.first);
        }
    }
    return names;
}

Profile* applicationProfile()
{
    return g_applicationProfile.load();
}

Profile* setApplicationProfile(Profile* profile)
{
    return g_applicationProfile.exchange(profile);
}

} // namespace platform
