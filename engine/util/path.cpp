#include "engine/util/path.h"

#include "platform/core/program_path.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace engine {
namespace {

bool isSeparator(char c) { return c == '/' || c == '\\'; }

std::tm localNow()
{
    std::time_t now = std::time(nullptr);
    std::tm parts{};
    localtime_r(&now, &parts);
    return parts;
}

} // namespace

std::string MakeNativePath(std::string_view path)
{
    std::string result(path);
    ToNativeSeparators(result);
    return result;
}

void ToNativeSeparators(std::string& path)
{
    for (char& c : path)
        if (c == '\\')
            c = '/';
}

int CurrentYear() { return localNow().tm_year + 1900; }

std::string DateTimeText()
{
    std::tm t = localNow();
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%02d/%02d/%04d %02d:%02d:%02d", t.tm_mon + 1, t.tm_mday,
                  t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec);
    return buffer;
}

bool FileExists(std::string_view path)
{
    if (path.empty())
        return false;
    struct stat info {};
    return ::stat(MakeNativePath(path).c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

std::string ResolvePath(std::string_view path)
{
    std::string native = MakeNativePath(path);
    // No name names no file, not the current folder.
    if (native.empty())
        return {};
    std::string full;
    if (native[0] == '/') {
        full = native;
    } else {
        std::string current = GetCurrentDirectoryText();
        if (current.empty())
            return {};
        full = current + "/" + native;
    }
    std::vector<std::string> parts;
    std::size_t pos = 0;
    while (pos <= full.size()) {
        std::size_t next = full.find('/', pos);
        if (next == std::string::npos)
            next = full.size();
        std::string part = full.substr(pos, next - pos);
        if (part == "..") {
            // ".." is the parent of the folder the system reaches, which differs from the name's own
            // folder after a linked folder: the folder so far is resolved first. A folder that does not
            // exist (yet) holds no link to follow, and its ".." is folded as written.
            std::string reached;
            for (const std::string& kept : parts)
                reached += "/" + kept;
            if (reached.empty()) {
                // the root is its own parent
            } else if (char* real = ::realpath(reached.c_str(), nullptr)) {
                parts.clear();
                const std::string_view resolved(real);
                for (std::size_t at = 1; at < resolved.size();) {
                    const std::size_t end = std::min(resolved.find('/', at), resolved.size());
                    parts.emplace_back(resolved.substr(at, end - at));
                    at = end + 1;
                }
                std::free(real);
                if (!parts.empty())
                    parts.pop_back();
            } else {
                parts.pop_back();
            }
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        pos = next + 1;
    }
    std::string result;
    for (const std::string& part : parts)
        result += "/" + part;
    return result.empty() ? "/" : result;
}

std::string ProgramDirectory() { return platform::programDirectory(); }

std::string DirectoryOfPath(std::string_view path)
{
    std::size_t last = std::string_view::npos;
    for (std::size_t i = 0; i < path.size(); ++i)
        if (isSeparator(path[i]))
            last = i;
    if (last == std::string_view::npos)
        return ".";
    if (last == 0)
        return std::string(1, path[0]);
    std::string directory(path.substr(0, last));
    if (directory.size() == 2 && directory[1] == ':')
        directory.push_back(path[last]); // a drive root keeps its separator
    return directory;
}

std::string FileNameOfPath(std::string_view path)
{
    for (std::size_t i = path.size(); i > 0; --i)
        if (isSeparator(path[i - 1]))
            return std::string(path.substr(i));
    return std::string(path);
}

std::string GetCurrentDirectoryText()
{
    std::vector<char> buffer(4096);
    if (!::getcwd(buffer.data(), buffer.size()))
        return {};
    return buffer.data();
}

bool SetCurrentDirectoryText(std::string_view path)
{
    std::string native = MakeNativePath(path);
    return !native.empty() && ::chdir(native.c_str()) == 0;
}

std::string GetEnvironmentText(const char* name)
{
    const char* value = name ? std::getenv(name) : nullptr;
    if (!value)
        return {};
    std::string text(value);
    return text.size() > 1023 ? std::string() : text;
}

std::string MakeTempFileName(std::string_view folder, std::string_view prefix, unsigned number)
{
    std::string directory = MakeNativePath(folder);
    if (directory.empty()) {
        directory = GetEnvironmentText("TMPDIR");
        if (directory.empty())
            directory = "/tmp";
    }
    if (directory.back() != '/')
        directory.push_back('/');
    std::string start = directory + std::string(prefix.substr(0, 3));
    if (number != 0) {
        char tail[32];
        std::snprintf(tail, sizeof tail, "%X.TMP", number & 0xFFFFu);
        return start + tail;
    }
    std::string pattern = start + "XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0)
        return {};
    ::close(fd);
    ::unlink(name.data());
    return name.data();
}

CurrentDirectoryGuard::CurrentDirectoryGuard(std::string_view directory)
    : m_previous(GetCurrentDirectoryText())
{
    m_changed = !m_previous.empty() && SetCurrentDirectoryText(directory);
}

CurrentDirectoryGuard::~CurrentDirectoryGuard()
{
    if (m_changed && ::chdir(m_previous.c_str()) != 0) {
        // The old folder has gone; nothing sensible is left to do.
    }
}

} // namespace engine
