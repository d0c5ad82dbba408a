#pragma once
// The user text blocks of an application: for every file that code generation produces, an include
// block and a top and a bottom revision-comment block that the code generator places into that file.
// They are stored in the application file, one section per block.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace engine {

struct ApplicationRecord;
struct CpuRecord;
struct KernelRecord;
class SectionedFile;

// The kind of generated file, chosen by a block's first two flag bytes.
enum class UserTextFileKind { CSource, CHeader, AsmSource, AsmHeader };

struct UserTextBlock {
    // 0 for a project-level file, 3 for the user exception file, else the class type number (1 to 13).
    int32_t kind = 0;
    std::string baseName;
    // The first two choose the file kind; the other three are carried for the code generator.
    uint8_t flags[5] = {};
    std::vector<std::string> include;         // "_user_incl"
    std::vector<std::string> revisionTop;     // "_rev_top"
    std::vector<std::string> revisionBottom;  // "_rev_bot"

    UserTextFileKind fileKind() const;
    // "c", "h", "asm" or "inc": the extension used in the block's section names.
    const char* fixedExtension() const;
    // The section name of one of the three lists (0 include, 1 top, 2 bottom).
    std::string sectionName(int list) const;
    std::vector<std::string>& list(int index);
    const std::vector<std::string>& list(int index) const;

    bool operator==(const UserTextBlock& other) const = default;
};

constexpr int kUserTextListCount = 3;

class UserTextStore {
public:
    // Creates the blocks for the owner's generated files from the CPU's kernel classes; with load set,
    // fills them from the owner's application file.
    UserTextStore(ApplicationRecord* owner, const KernelRecord& kernel, bool load);
    // An empty store (no blocks) for the owner.
    explicit UserTextStore(ApplicationRecord* owner);
    // Same owner, a copy of every block.
    UserTextStore(const UserTextStore& other);
    UserTextStore& operator=(const UserTextStore& other) = delete;
    ~UserTextStore();

    // Sets the owner, drops any blocks and creates the blocks of every generated file.
    void Build(ApplicationRecord* owner, const KernelRecord& kernel);
    // Refills every list from the owner's sectioned file (nothing when it has none).
    void Load();
    // The same from `file`; a line numbered after a gap (which ends its block) is not read, and the answer
    // names it ("" when every line was read), so that a reader refuses what a save would drop.
    std::string Load(const SectionedFile& file);
    // Adds every block's three sections (empty ones too) with one key per line; blocks that share a
    // section name (classes with one tag) add it once, from the first of them. Returns false when a
    // section of that name was already in the file (the caller refuses such files before writing).
    bool Save(SectionedFile& file) const;
    // Every section name Save adds, in order, each once.
    std::vector<std::string> SectionNames() const;

    bool Equals(const UserTextStore& other) const;
    bool Differs(const UserTextStore& other) const { return !Equals(other); }

    // Iteration for the editors: a position is 0 for "done", else index + 1.
    std::size_t GetStartPosition() const { return m_blocks.empty() ? 0 : 1; }
    // The block at the position, advancing the position.
    UserTextBlock* Lookup(std::size_t& position);
    std::size_t blockCount() const { return m_blocks.size(); }
    UserTextBlock& block(std::size_t index) { return *m_blocks[index]; }
    const UserTextBlock& block(std::size_t index) const { return *m_blocks[index]; }

    // "." and the owner's extension for the block's file kind.
    std::string GetFileLabel(const UserTextBlock& block) const;
    // The file name the user sees: base name and label.
    std::string GetUserTextFileName(const UserTextBlock& block) const;
    // Opens the text editor on the block's lists; returns the editor's answer (1 OK, 2 Cancel).
    int EditTextForFile(UserTextBlock& block);

    void SetOwner(ApplicationRecord* owner) { m_owner = owner; }
    ApplicationRecord* owner() const { return m_owner; }

private:
    ApplicationRecord* m_owner = nullptr;
    std::vector<std::unique_ptr<UserTextBlock>> m_blocks;
};

// Points an application's store at the application (after the record was copied or moved).
void SetOwner(UserTextStore* store, ApplicationRecord* application);
// Points every application's store of a CPU at its application; call after the application array was
// reallocated or shifted.
void RepointUserTextOwners(CpuRecord& cpu);

// The text editor the GUI installs: (title, top revision, include, bottom revision) edited in place;
// returns 1 for OK and 2 for Cancel. Without one, editing answers Cancel and changes nothing.
using EditTextHandler = std::function<int(const std::string& title, std::vector<std::string>& top,
                                          std::vector<std::string>& include,
                                          std::vector<std::string>& bottom)>;
// Installs the editor (an empty function removes it); returns the previous one.
EditTextHandler SetEditTextHandler(EditTextHandler handler);

}  // namespace engine
