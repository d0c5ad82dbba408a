#include "gui/editors/model/user_text_dialogs.h"

#include "engine/names/project_walk.h"

namespace editors {

namespace {

enum BlockFlag { FlagCLanguage = 0, FlagSource = 1, FlagUserIsr = 2, FlagInstrumentation = 3, FlagMp = 4 };

bool flag(const engine::UserTextBlock& block, BlockFlag which)
{
    return block.flags[which] != 0;
}

// Level and Thread share their files' listing, and so do Event Source, Counter and Alarm.
int classGroup(int32_t type)
{
    if (type == engine::ClassLevel || type == engine::ClassThread)
        return engine::ClassLevel;
    if (type == engine::ClassEventSource || type == engine::ClassCounter || type == engine::ClassAlarm)
        return engine::ClassEventSource;
    return type;
}

bool listed(engine::ApplicationRecord& application, const engine::UserTextBlock& block, int classType)
{
    bool shown = flag(block, FlagCLanguage) || application.generateAssemblerCode;
    if (classType == kApplicationUserTexts) {
        // Every generated file of the application, the class files included.
        if (flag(block, FlagInstrumentation) && !application.generateI2Symbols)
            shown = false;
        if (flag(block, FlagMp) && !application.isMp)
            shown = false;
        if (flag(block, FlagUserIsr) && application.generateUserIsrs)
            shown = true;
        return shown;
    }
    shown = shown && classGroup(block.kind) == classGroup(classType);
    if (flag(block, FlagUserIsr) && classType == engine::ClassException && application.generateUserIsrs)
        shown = true;
    const engine::ApplicationClassEntry* entry = engine::FindApplicationClassEntryByType(application, block.kind);
    return shown && entry && entry->enabled;
}

} // namespace

std::vector<engine::UserTextBlock*> UserTextBlocksToList(engine::ApplicationRecord& application, int classType)
{
    std::vector<engine::UserTextBlock*> blocks;
    if (static_cast<uint32_t>(classType) == 0xFFFFFFFFu)
        classType = kApplicationUserTexts;
    if (!application.userTexts)
        return blocks;
    for (std::size_t i = 0; i < application.userTexts->blockCount(); ++i) {
        engine::UserTextBlock& block = application.userTexts->block(i);
        if (listed(application, block, classType))
            blocks.push_back(&block);
    }
    return blocks;
}

void MarkUserTextChange(engine::ApplicationRecord& application, const engine::UserTextBlock& block)
{
    if (block.kind == 0) {
        if (flag(block, FlagInstrumentation))
            application.regenerate = 1;
        if (flag(block, FlagMp))
            application.projectHDirty = 1;
        // The kernel's and the application's option files ("koptions", "aoptions").
        if (block.baseName.find("options") != std::string::npos) {
            if (flag(block, FlagCLanguage))
                application.kernelHDirty = 1;
            else
                application.kernelMDirty = 1;
        } else if (flag(block, FlagSource)) {
            application.projectCDirty = 1;
        } else {
            application.projectHDirty = 1;
        }
    } else {
        int32_t type = block.kind;
        if (type == engine::ClassThread)
            type = engine::ClassLevel;
        if (type == engine::ClassCounter || type == engine::ClassAlarm)
            type = engine::ClassEventSource;
        engine::ApplicationClassEntry* entry = engine::FindApplicationClassEntryByType(application, type);
        // A source file, C or assembler, regenerates the class's C file.
        for (int depth = 0; entry && depth < engine::kMaxChainDepth; entry = entry->chained, ++depth) {
            if (flag(block, FlagSource))
                entry->cFileDirty = 1;
            else if (flag(block, FlagCLanguage))
                entry->hFileDirty = 1;
            else
                entry->mFileDirty = 1;
        }
    }
    application.edited = 1;
}

int EditUserTextBlock(engine::ApplicationRecord& application, engine::UserTextBlock& block)
{
    if (!application.userTexts)
        return 2;
    const engine::UserTextBlock before = block;
    if (application.userTexts->EditTextForFile(block) != 1 || block == before)
        return 2;
    MarkUserTextChange(application, block);
    return 1;
}

std::string JoinUserText(const std::vector<std::string>& lines)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += '\n';
        text += lines[i];
    }
    return text;
}

std::vector<std::string> SplitUserText(const std::string& text)
{
    std::vector<std::string> lines;
    if (text.empty())
        return lines;
    std::string::size_type start = 0;
    for (;;) {
        const std::string::size_type end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return lines;
}

bool StoreUserText(std::vector<std::string>& lines, const std::string& text)
{
    if (JoinUserText(lines) == text)
        return false;
    lines = SplitUserText(text);
    return true;
}

} // namespace editors
