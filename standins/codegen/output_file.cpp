#include "output_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

namespace codegen {

namespace fs = std::filesystem;

std::string nativePath(const std::string& stored)
{
    std::string path = stored;
    for (char& ch : path) {
        if (ch == '\\')
            ch = '/';
    }
    return path;
}

std::string joinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty() || folder == "." || folder == "./")
        return name;
    if (folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

bool writeTextFile(const std::string& path, const std::string& text, std::string& error)
{
    const fs::path target(path);
    std::error_code ec;
    if (target.has_parent_path()) {
        fs::create_directories(target.parent_path(), ec);
        if (ec) {
            error = "cannot create folder " + target.parent_path().string() + ": " + ec.message();
            return false;
        }
    }
    std::string temp = path + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        error = "cannot create a temporary file beside " + path + ": " + std::strerror(errno);
        return false;
    }
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = "cannot write " + path + ": " + std::strerror(errno);
            ::close(fd);
            ::unlink(temp.c_str());
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    // Generated files are ordinary readable files, not private temporaries.
    fchmod(fd, 0644);
    if (::close(fd) != 0 || std::rename(temp.c_str(), path.c_str()) != 0) {
        error = "cannot replace " + path + ": " + std::strerror(errno);
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

} // namespace codegen
