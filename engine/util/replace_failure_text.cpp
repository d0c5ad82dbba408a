// The words that tell the user why a replace failed, naming the user's file.

#include "engine/util/file_io.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace engine {

namespace {

// The folder of the file a save of `path` replaces, named whole for the user.
std::string shownFolderOf(const std::string& path)
{
    const std::filesystem::path target = SaveTargetOf(path);
    std::error_code error;
    const std::filesystem::path whole = std::filesystem::absolute(target, error);
    return (error ? target : whole).parent_path().lexically_normal().string();
}

} // namespace

std::string ReplaceFailureReason(const ReplaceOutcome& outcome)
{
    const int error = outcome.systemError;
    const std::string system = error != 0 ? std::string(std::strerror(error)) : std::string("the system gave no reason");
    if (error == ENOSPC || error == EDQUOT)
        return "the disk is full";
    if (error == EROFS)
        return "the file system is read-only";
    switch (outcome.step) {
    case ReplaceFailure::None:
        break;
    case ReplaceFailure::ReadOnly:
        return "the file is read-only";
    case ReplaceFailure::NotRegular:
        return error == EISDIR ? "it is a folder" : "it is not a regular file";
    case ReplaceFailure::Locked:
        return "the project is being saved by another program; try again once that save has ended";
    case ReplaceFailure::CreateTemporary:
        if (error == ENOENT || error == ENOTDIR)
            return "its folder " + shownFolderOf(outcome.path) + " does not exist";
        if (error == EACCES || error == EPERM)
            return "its folder " + shownFolderOf(outcome.path) + " does not allow new files (" + system + ")";
        return "no new file can be made in its folder " + shownFolderOf(outcome.path) + " (" + system + ")";
    case ReplaceFailure::WriteTemporary:
        return "its new version cannot be written (" + system + ")";
    case ReplaceFailure::Rename:
        return outcome.temporary.empty() ? "its old version cannot be kept to be put back (" + system + ")"
                                         : "its new version cannot take its place (" + system + ")";
    }
    return {};
}

std::string ReplaceFailureText(const ReplaceOutcome& outcome, const std::string& path, std::string_view openFailure,
                               std::string_view writeFailure)
{
    const auto filled = [&path](std::string_view pattern) {
        std::string text(pattern);
        if (const std::size_t at = text.find("%s"); at != std::string::npos)
            text.replace(at, 2, path);
        return text;
    };
    if (outcome.saidBefore)
        return {};
    const std::string reason = ReplaceFailureReason(outcome);
    switch (outcome.step) {
    case ReplaceFailure::None:
        return {};
    case ReplaceFailure::ReadOnly:
        return "Unable to delete old version of file " + path + ": " + reason;
    case ReplaceFailure::Rename:
        if (outcome.temporary.empty())
            return "Unable to rename file " + path + ": " + reason;
        return "Unable to rename file " + outcome.temporary + " to " + path + ": " + reason;
    case ReplaceFailure::NotRegular:
    case ReplaceFailure::CreateTemporary:
        return filled(openFailure) + ": " + reason;
    case ReplaceFailure::WriteTemporary:
    case ReplaceFailure::Locked:
        break;
    }
    return filled(writeFailure) + ": " + reason;
}

} // namespace engine
