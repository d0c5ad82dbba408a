#include "engine/usertext/user_text_store.h"
#include "engine/util/text.h"

#include <string>
#include <utility>

#include "engine/records/records.h"
#include "engine/records/text_field.h"
#include "engine/sectioned/name_set.h"
#include "engine/sectioned/sectioned_file.h"

namespace engine {
namespace {

struct BlockTemplate {
    int32_t kind;
    const char* baseName;
    uint8_t flags[5];
};

// The project-level files, in the order the store holds them.
constexpr BlockTemplate kProjectBlocks[] = {
    {0, "kproject", {1, 1, 0, 0, 0}}, {0, "kproject", {1, 0, 0, 0, 0}},
    {0, "koptions", {1, 0, 0, 0, 0}}, {0, "koptions", {0, 0, 0, 0, 0}},
    {0, "aoptions", {1, 0, 0, 0, 0}}, {0, "aoptions", {0, 0, 0, 0, 0}},
    {0, "i2symbol", {1, 1, 0, 1, 0}}, {0, "kmpinfo", {1, 0, 0, 0, 1}},
    {3, "uexcptn", {0, 1, 1, 0, 0}},
};

// Each class file comes as C source, C header and assembler header.
constexpr uint8_t kClassFileFlags[3][5] = {{1, 1, 0, 0, 0}, {1, 0, 0, 0, 0}, {0, 0, 0, 0, 0}};

constexpr int32_t kLastClassWithFiles = ClassMutex;

constexpr const char* kListKeys[kUserTextListCount] = {"_user_incl", "_rev_top", "_rev_bot"};

EditTextHandler& editTextHandler()
{
    static EditTextHandler handler;
    return handler;
}

std::string lowerAscii(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

const KernelClassRecord* kernelClassOfType(const KernelRecord& kernel, int32_t type)
{
    if (kernel.classes == nullptr)
        return nullptr;
    for (int32_t i = 0; i < kernel.classCount; ++i) {
        if (kernel.classes[i].classType == type)
            return &kernel.classes[i];
    }
    return nullptr;
}

std::unique_ptr<UserTextBlock> makeBlock(int32_t kind, std::string baseName, const uint8_t (&flags)[5])
{
    auto block = std::make_unique<UserTextBlock>();
    block->kind = kind;
    block->baseName = std::move(baseName);
    for (int i = 0; i < 5; ++i)
        block->flags[i] = flags[i];
    return block;
}

}  // namespace

UserTextFileKind UserTextBlock::fileKind() const
{
    if (flags[0] != 0)
        return flags[1] != 0 ? UserTextFileKind::CSource : UserTextFileKind::CHeader;
    return flags[1] != 0 ? UserTextFileKind::AsmSource : UserTextFileKind::AsmHeader;
}

const char* UserTextBlock::fixedExtension() const
{
    switch (fileKind()) {
    case UserTextFileKind::CSource: return "c";
    case UserTextFileKind::CHeader: return "h";
    case UserTextFileKind::AsmSource: return "asm";
    case UserTextFileKind::AsmHeader: return "inc";
    }
    return "inc";
}

std::string UserTextBlock::sectionName(int listIndex) const
{
    return baseName + "." + fixedExtension() + kListKeys[listIndex];
}

std::vector<std::string>& UserTextBlock::list(int index)
{
    return index == 0 ? include : index == 1 ? revisionTop : revisionBottom;
}

const std::vector<std::string>& UserTextBlock::list(int index) const
{
    return index == 0 ? include : index == 1 ? revisionTop : revisionBottom;
}

UserTextStore::UserTextStore(ApplicationRecord* owner, const KernelRecord& kernel, bool load)
{
    Build(owner, kernel);
    if (load)
        Load();
}

UserTextStore::UserTextStore(ApplicationRecord* owner) : m_owner(owner) {}

UserTextStore::UserTextStore(const UserTextStore& other) : m_owner(other.m_owner)
{
    m_blocks.reserve(other.m_blocks.size());
    for (const auto& block : other.m_blocks)
        m_blocks.push_back(std::make_unique<UserTextBlock>(*block));
}

UserTextStore::~UserTextStore() = default;

void UserTextStore::Build(ApplicationRecord* owner, const KernelRecord& kernel)
{
    m_owner = owner;
    m_blocks.clear();
    for (const BlockTemplate& t : kProjectBlocks)
        m_blocks.push_back(makeBlock(t.kind, t.baseName, t.flags));
    for (int32_t type = kFirstClassType; type <= kLastClassWithFiles; ++type) {
        const KernelClassRecord* kernelClass = kernelClassOfType(kernel, type);
        if (kernelClass == nullptr)
            continue;
        std::string baseName = "k";
        baseName += lowerAscii(textOf(kernelClass->tag));
        for (const auto& flags : kClassFileFlags)
            m_blocks.push_back(makeBlock(type, baseName, flags));
    }
}

void UserTextStore::Load()
{
    if (m_owner != nullptr && m_owner->file != nullptr)
        Load(*m_owner->file);
}

std::string UserTextStore::Load(const SectionedFile& file)
{
    std::string problem;
    for (auto& block : m_blocks) {
        for (int l = 0; l < kUserTextListCount; ++l) {
            std::vector<std::string>& lines = block->list(l);
            lines.clear();
            const SectionedFileSection* section = file.FindSection(block->sectionName(l));
            if (section == nullptr)
                continue;
            // Keys run "0", "1", ... and the first gap ends the block; a section cannot hold more
            // lines than it has entries.
            const std::size_t entryCount = section->GetEntryCount();
            for (std::size_t n = 0; n < entryCount; ++n) {
                const SectionedFileEntry* entry = section->FindEntry(std::to_string(n));
                if (entry == nullptr)
                    break;
                lines.push_back(entry->GetValue());
            }
            // A line after the gap would be lost at the next save: it is named instead.
            if (lines.size() < entryCount && problem.empty()) {
                for (const SectionedFileEntry* entry : section->Entries()) {
                    const std::string& key = entry->GetName();
                    const bool read = IsWholeNumber(key) && key.find_first_not_of("0123456789") == std::string::npos &&
                                      ParseNumber(key) < lines.size() && key == std::to_string(ParseNumber(key));
                    if (!read) {
                        problem = "the line \"" + key + "\" of section \"" + section->GetName() +
                                  "\" follows a gap in its numbering (line " + std::to_string(lines.size()) +
                                  " is missing), and a gap ends the block";
                        break;
                    }
                }
            }
        }
    }
    return problem;
}

bool UserTextStore::Save(SectionedFile& file) const
{
    // Blocks of classes that share a tag (or have none) share their generated file and so its
    // sections: a section this store added already is not added again.
    sectioned::NameSet added;
    for (const auto& block : m_blocks) {
        for (int l = 0; l < kUserTextListCount; ++l) {
            const std::string name = block->sectionName(l);
            if (!added.insert(name))
                continue;
            SectionedFileSection* section = file.AddSection(name);
            if (section == nullptr)
                return false;
            const std::vector<std::string>& lines = block->list(l);
            for (std::size_t n = 0; n < lines.size(); ++n)
                section->AddEntry(std::to_string(n), lines[n]);
        }
    }
    return true;
}

std::vector<std::string> UserTextStore::SectionNames() const
{
    std::vector<std::string> names;
    sectioned::NameSet seen;
    names.reserve(m_blocks.size() * kUserTextListCount);
    for (const auto& block : m_blocks) {
        for (int l = 0; l < kUserTextListCount; ++l) {
            std::string name = block->sectionName(l);
            if (seen.insert(name))
                names.push_back(std::move(name));
        }
    }
    return names;
}

bool UserTextStore::Equals(const UserTextStore& other) const
{
    if (m_blocks.size() != other.m_blocks.size())
        return false;
    for (std::size_t i = 0; i < m_blocks.size(); ++i) {
        if (!(*m_blocks[i] == *other.m_blocks[i]))
            return false;
    }
    return true;
}

UserTextBlock* UserTextStore::Lookup(std::size_t& position)
{
    if (position == 0 || position > m_blocks.size()) {
        position = 0;
        return nullptr;
    }
    UserTextBlock* block = m_blocks[position - 1].get();
    position = position < m_blocks.size() ? position + 1 : 0;
    return block;
}

std::string UserTextStore::GetFileLabel(const UserTextBlock& block) const
{
    std::string label = ".";
    if (m_owner == nullptr)
        return label;
    switch (block.fileKind()) {
    case UserTextFileKind::CSource: label += textOf(m_owner->cSourceExtension); break;
    case UserTextFileKind::CHeader: label += textOf(m_owner->cHeaderExtension); break;
    case UserTextFileKind::AsmSource: label += textOf(m_owner->asmSourceExtension); break;
    case UserTextFileKind::AsmHeader: label += textOf(m_owner->asmHeaderExtension); break;
    }
    return label;
}

std::string UserTextStore::GetUserTextFileName(const UserTextBlock& block) const
{
    return block.baseName + GetFileLabel(block);
}

int UserTextStore::EditTextForFile(UserTextBlock& block)
{
    const EditTextHandler& handler = editTextHandler();
    if (!handler)
        return 2;
    return handler("Edit text for file " + GetUserTextFileName(block), block.revisionTop, block.include,
                   block.revisionBottom);
}

void SetOwner(UserTextStore* store, ApplicationRecord* application)
{
    if (store != nullptr)
        store->SetOwner(application);
}

void RepointUserTextOwners(CpuRecord& cpu)
{
    if (cpu.applications == nullptr)
        return;
    for (int32_t i = 0; i < cpu.applicationCount; ++i)
        SetOwner(cpu.applications[i].userTexts, &cpu.applications[i]);
}

EditTextHandler SetEditTextHandler(EditTextHandler handler)
{
    return std::exchange(editTextHandler(), std::move(handler));
}

}  // namespace engine
