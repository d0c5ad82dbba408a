// Choosing the file an application is read from or written to.

#include "engine/files/file_chooser.h"
#include "engine/project/application_file.h"
#include "engine/project/application_names.h"
#include "engine/project/file_messages.h"
#include "engine/records/records.h"
#include "engine/records/text_field.h"
#include "engine/util/path.h"

namespace engine {

int ApplicationFile::ChooseAndRead(std::string* outPath)
{
    const std::string chosen = BrowseForFile(true, FileKindApplication, "Choose Appliction File");
    if (outPath != nullptr)
        *outPath = chosen;
    if (chosen.empty())
        return 1;
    return Read(chosen);
}

int ApplicationFile::ChooseAndWrite(std::string* outPath)
{
    // A file the project keeps for something else is never written over (the rule of every Save As).
    bool refused = false;
    const std::string path = chooseFileToSaveAs(m_project, FileKindApplication,
                                                "Choose File for Application \"" + textString(m_application->name) +
                                                    "\"",
                                                nullptr, m_application, "application file", false, &refused);
    if (outPath != nullptr)
        *outPath = path;
    if (path.empty())
        return refused ? 0 : 1;
    if (!textFits(m_application->path, path)) {
        showFileError(formatMessage("The path of application file %s is too long", path));
        return 0;
    }
    // A failed write keeps the file the application had, so that a later save does not aim at the
    // place that just failed.
    const std::string previous = textString(m_application->path);
    setText(m_application->path, path);
    if (Write())
        return 1;
    setText(m_application->path, previous);
    return 0;
}

}  // namespace engine
