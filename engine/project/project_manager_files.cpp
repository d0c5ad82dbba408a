// ProjectManager's project-file operations, which run a short-lived ProjectFile for each call.

#include "engine/ops/project_manager.h"
#include "engine/project/project_file.h"

namespace engine {

int ProjectManager::OpenProjectFile(ProjectRecord& project, ConfigRecord& config, std::string& path, bool nameGiven)
{
    ProjectFile file(this, &project, &config);
    return file.OpenProjectDialog(path, nameGiven);
}

int ProjectManager::SaveProjectFile(ProjectRecord& project, ConfigRecord& config)
{
    ProjectFile file(this, &project, &config);
    return file.SaveProjectFile();
}

int ProjectManager::SaveProjectFileAs(ProjectRecord& project, ConfigRecord& config, std::string* outPath)
{
    ProjectFile file(this, &project, &config);
    return file.SaveProjectAs(outPath);
}

}  // namespace engine
