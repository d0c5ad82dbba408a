#include "gui/editors/model/sheet_page_model.h"

#include "engine/names/report_texts.h"
#include "engine/project/name_rules.h"
#include "engine/records/text_field.h"
#include "engine/util/path.h"
#include "engine/util/text.h"
#include "platform/core/message_service.h"

namespace editors {

namespace {
PageMessageDeferral* g_deferral = nullptr;
}

PageMessageDeferral::PageMessageDeferral() : m_outer(g_deferral)
{
    g_deferral = this;
}

PageMessageDeferral::~PageMessageDeferral()
{
    g_deferral = m_outer;
}

PageMessageDeferral* PageMessageDeferral::current()
{
    return g_deferral;
}

void pageMessage(const std::string& text, const std::string& caption, unsigned style)
{
    if (PageMessageDeferral* deferral = PageMessageDeferral::current()) {
        deferral->keep({text, caption, style});
        return;
    }
    platform::messageBox(text, caption, style);
}

std::string FileSyntaxProblem(const std::string& name)
{
    return engine::nameSyntaxProblem(engine::TrimText(name, true, true));
}

std::string ProjectRelativePath(const engine::ProjectRecord* project, const std::string& path)
{
    const std::string projectFolder =
        project ? engine::DirectoryOfPath(engine::textOf(project->path)) : engine::GetCurrentDirectoryText();
    std::string folder = engine::MakeRelativePath(projectFolder, engine::DirectoryOfPath(path));
    if (folder.empty() || (folder.back() != '/' && folder.back() != '\\'))
        folder += '/';
    return folder + engine::FileNameOfPath(path);
}

} // namespace editors
