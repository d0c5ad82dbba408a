#include "engine/names/report_texts.h"

#include <climits>
#include <filesystem>

#include <unistd.h>

#include <filesystem>

#include "engine/records/text_field.h"
#include "engine/util/text.h"

namespace engine {

namespace {

std::string Slashes(std::string path)
{
    for (char& c : path) {
        if (c == '\\')
            c = '/';
    }
    return path;
}

struct ShellError {
    int32_t code;
    const char* text;
};

constexpr ShellError kShellErrors[] = {
    {0, "The operating system is out of memory or resources."},
    {2, "The specified file was not found."},
    {3, "The specified path was not found."},
    {5, "The operating system denied access to the specified file."},
    {8, "There was not enough memory to complete the operation."},
    {11, "The .exe file is invalid (non-Win32\xAE .exe or error in .exe image)."},
    {26, "A sharing violation occurred."},
    {27, "The file name association is incomplete or invalid."},
    {28, "The DDE transaction could not be completed because the request timed out."},
    {29, "The DDE transaction failed."},
    {30, "The DDE transaction could not be completed because other DDE transactions were being processed."},
    {31, "There is no application associated with the given file name extension."},
    {32, "The specified dynamic-link library was not found."},
};

} // namespace

std::string ReportFileName(const CpuRecord& cpu, const ApplicationRecord& application)
{
    std::string path = Slashes(textString(application.reportPath));
    // An empty path means the current folder, not the file system's root.
    if (path.empty())
        path = ".";
    if (path.back() != '/')
        path += '/';
    return path + textString(cpu.name) + "_" + textString(application.name) + ".txt";
}

std::string ReportFileNameProblem(const std::string& report)
{
    const std::filesystem::path path(report);
    const std::string folder = path.has_parent_path() ? path.parent_path().string() : std::string(".");
    long nameMax = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    if (nameMax <= 0)
        nameMax = NAME_MAX;
    const std::string name = path.filename().string();
    if (name.size() > static_cast<std::size_t>(nameMax))
        return "its name is " + std::to_string(name.size()) + " characters long, longer than the " +
               std::to_string(nameMax) + " a file name may have";
    if (report.size() >= PATH_MAX)
        return "its path is longer than the " + std::to_string(PATH_MAX - 1) + " characters a path may have";
    return {};
}

std::string VersionText(const CpuRecord& cpu)
{
    const std::string_view version = textOf(cpu.kernel.modelVersion);
    const std::size_t dot = version.find('.');
    const std::string major = TrimText(version.substr(0, dot), true, true);
    const std::string minor = dot == std::string_view::npos ? std::string() : TrimText(version.substr(dot + 1), true, true);
    const auto number = [](const std::string& text) { return static_cast<int32_t>(ParseNumber(text)); };
    return std::to_string(number(major)) + "." + std::to_string(number(minor)) + "." +
           std::to_string(cpu.kernel.bindingNumber);
}

std::string ShellExecuteErrorText(int32_t code)
{
    for (const ShellError& error : kShellErrors) {
        if (error.code == code)
            return error.text;
    }
    return "Unknown error code " + std::to_string(code);
}

std::string MakeRelativePath(const std::string& baseFolder, const std::string& folder)
{
    namespace fs = std::filesystem;
    // Absolute and normal, without a trailing separator (which would count as an empty last element).
    const auto folderPath = [](const std::string& text) {
        std::error_code error;
        fs::path path = fs::absolute(fs::path(Slashes(text)), error).lexically_normal();
        if (!path.has_filename() && path.has_relative_path())
            path = path.parent_path();
        return path;
    };
    const fs::path base = folderPath(baseFolder);
    const fs::path target = folderPath(folder);
    std::string relative = target.lexically_relative(base).generic_string();
    while (!relative.empty() && relative.back() == '/')
        relative.pop_back();
    if (relative.empty() || relative == ".")
        return "./";
    if (relative == ".." || relative.rfind("../", 0) == 0)
        return relative;
    return "./" + relative;
}

} // namespace engine
