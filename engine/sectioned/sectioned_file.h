#pragma once
// A sectioned text file in memory: "[NAME]" lines open sections, "Key=Value" lines inside them give named
// values. Sections and entries keep the order in which they were added (file order for a parsed file) and
// are found through hash indexes that compare names as they are in a case-sensitive file, else with ASCII
// letters folded. The first of a repeated section or key wins; the parser notes the first one it dropped.
//
// A parsed file keeps the text it was read from: entries are views into it, and a value is decoded from
// its written form only when it is asked for. Texts added later are kept in blocks owned by the file.
// Names and values of 1 GiB or more are not held (nothing the programs read is that large).
//
// Nothing here shows a message: failures come back as a zero (or false) result and callers report them.

#include "engine/sectioned/sectioned_index.h"
#include "engine/util/file_io.h"
#include "engine/util/text.h"

#include <bit>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

class SectionedFile;
class SectionedFileSection;
class SectionedParser;

// The case rule of lookups, shared by files, sections and entries.
class SectionedFileNode {
public:
    // The name as the case-insensitive readers compare it: ASCII letters in upper case.
    static std::string LookupKeyOf(std::string_view name, bool caseSensitive);
};

// One "Key=Value" line. Entries stay at their address until their file is cleared or destroyed.
class SectionedFileEntry {
public:
    SectionedFileSection* GetSection() const { return m_section; }
    std::string GetName() const { return std::string(Name()); }
    std::string_view Name() const { return {m_name, m_nameSize}; }
    // The value, decoded from its written form.
    std::string GetValue() const;
    // The value as a number when the whole text is one (see IsWholeNumber), else 0.
    int GetIntValue() const;
    bool GetBoolValue() const { return GetIntValue() != 0; }
    void SetValue(std::string_view value);

private:
    friend class SectionedFile;
    friend class SectionedFileSection;
    friend class SectionedParser;

    // How the held text relates to the value.
    enum Form : std::uint8_t {
        Plain,   // the text is the value and is written as it stands
        Written, // the text is the value's written form as read (decoded when read)
        Quoted,  // the text is the value, which is written quoted and escaped
    };

    std::string_view text() const { return {m_text, m_textSize}; }

    SectionedFileSection* m_section = nullptr;
    const char* m_name = "";
    const char* m_text = "";
    std::uint32_t m_nameSize = 0;
    std::uint32_t m_textSize : 30 = 0;
    std::uint32_t m_form : 2 = Plain;
};

// The entries of a section in order, as pointers.
class SectionedEntryRange {
public:
    class iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = SectionedFileEntry*;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = SectionedFileEntry*;

        iterator() = default;
        iterator(const SectionedFileSection* section, std::size_t index) : m_section(section), m_index(index) {}
        SectionedFileEntry* operator*() const;
        iterator& operator++()
        {
            ++m_index;
            return *this;
        }
        iterator operator++(int)
        {
            iterator before = *this;
            ++m_index;
            return before;
        }
        bool operator==(const iterator& other) const { return m_index == other.m_index; }

    private:
        const SectionedFileSection* m_section = nullptr;
        std::size_t m_index = 0;
    };

    explicit SectionedEntryRange(const SectionedFileSection& section) : m_section(&section) {}
    iterator begin() const { return {m_section, 0}; }
    iterator end() const;
    std::size_t size() const;
    bool empty() const { return size() == 0; }
    SectionedFileEntry* operator[](std::size_t index) const;

private:
    const SectionedFileSection* m_section;
};

// One "[NAME]" block.
class SectionedFileSection {
public:
    using EntryList = SectionedEntryRange;

    // `hash` is the name's hash (sectioned::hashName) under the file's case rule.
    SectionedFileSection(SectionedFile* file, std::string name, std::uint32_t hash, bool caseSensitive, bool sorted);
    SectionedFileSection(const SectionedFileSection&) = delete;
    SectionedFileSection& operator=(const SectionedFileSection&) = delete;

    SectionedFile* GetFile() const { return m_file; }
    const std::string& GetName() const { return m_name; }
    bool IsCaseSensitive() const { return m_caseSensitive; }

    SectionedFileEntry* FindEntry(std::string_view key) const;
    // Adds an entry; null (and the existing value left as it is) when the key is already present.
    SectionedFileEntry* AddEntry(std::string_view key, std::string_view text);
    SectionedFileEntry* AddEntry(std::string_view key, int value);

    // The entry's text, integer view or truth view; the default only when the key is missing (a present
    // non-numeric value gives 0 or false).
    std::string GetString(std::string_view key, std::string_view defaultValue = {}) const;
    int GetInt(std::string_view key, int defaultValue) const;
    bool GetBool(std::string_view key, bool defaultValue) const;

    std::size_t GetEntryCount() const { return m_count; }
    SectionedFileEntry* GetEntry(std::size_t index) const { return entryAt(m_sorted ? m_order[index] : index); }
    EntryList Entries() const { return EntryList(*this); }
    // The entry names in order.
    void GetEntryNames(TextList& names) const;
    // The first key that a parsed file repeated in this section (in any letter case) and that was
    // therefore dropped; "" when none was.
    const std::string& GetDroppedKey() const { return m_droppedKey; }

private:
    friend class SectionedFile;
    friend class SectionedFileEntry;
    friend class SectionedParser;

    // Sections with more entries than this find them through a hash index, smaller ones by a scan.
    static constexpr std::size_t kScanLimit = 24;
    // The number of entry blocks whose addresses the section holds itself.
    static constexpr std::size_t kInlineBlocks = 4;

    SectionedFileEntry* entryAt(std::size_t number) const
    {
        if (number < m_firstBlock)
            return &m_blocks[0][number];
        const auto block = static_cast<std::size_t>(std::bit_width(number / m_firstBlock));
        return &m_blocks[block][number - (m_firstBlock << (block - 1))];
    }
    std::uint32_t findNumber(std::string_view key, std::uint32_t hash) const;
    // A bit that every key of the same name (in any letter case) shares, from its size and first letter.
    static std::uint64_t nameBit(std::string_view key)
    {
        const unsigned first = key.empty() ? 0u : static_cast<unsigned char>(key.front()) | 0x20u;
        return std::uint64_t{1} << ((key.size() * 7 + first) & 63);
    }
    // True when an entry's key and `key` are the same name in any letter case; a quick look at the size
    // and the first byte settles most keys that differ.
    bool sameKey(const SectionedFileEntry& entry, std::string_view key) const
    {
        if (entry.m_nameSize != key.size())
            return false;
        if (!key.empty() && ((static_cast<unsigned char>(entry.m_name[0]) ^ static_cast<unsigned char>(key[0])) & ~0x20u) != 0)
            return false;
        return sectioned::sameName(entry.Name(), key, m_caseSensitive);
    }
    std::uint32_t hashOf(std::uint32_t number) const;
    // Adds a block after the last one.
    void addBlock(SectionedFileEntry* block);
    // Appends an entry whose name and text are already held by the file and whose key is new; `hash` is
    // the key's hash when the section will be indexed after it (more than kScanLimit entries).
    SectionedFileEntry* append(std::string_view key, std::string_view text, SectionedFileEntry::Form form,
                               std::uint32_t hash);
    // Takes the entries a parser gathered for this empty section, dropping repeated keys.
    void adopt(std::vector<SectionedFileEntry>& entries);
    void buildIndex();

    SectionedFile* m_file;
    std::string m_name;
    std::uint32_t m_hash;
    bool m_caseSensitive;
    bool m_sorted;
    std::size_t m_count = 0;
    std::uint64_t m_nameBits = 0; // the nameBit of every key, which lets a scan pass over most missing keys
    // Where a scan looks first: the entry after the last one a scan found (the engine reads on one thread).
    mutable std::size_t m_nextGuess = 0;
    // Block 0 holds m_firstBlock entries, block k > 0 holds m_firstBlock << (k - 1): entries never move.
    // The blocks are in the file's memory; their addresses are in m_inlineBlocks until there are more
    // than kInlineBlocks, then in a list in the file's memory that doubles as it fills (a section never
    // moves, so m_blocks may point into it).
    std::size_t m_firstBlock = 0;
    std::size_t m_blockCount = 0;
    SectionedFileEntry* m_inlineBlocks[kInlineBlocks] = {};
    SectionedFileEntry** m_blocks = m_inlineBlocks;
    sectioned::NameIndex m_index;     // used once the section has more than kScanLimit entries
    std::vector<std::uint32_t> m_order; // the entry numbers in key order, for a sorted file only
    std::string m_droppedKey;
};

class SectionedFile {
public:
    using SectionList = std::vector<SectionedFileSection*>;

    // A file named by `path`; with `loadNow` it is read at once (Read with clear-first).
    explicit SectionedFile(std::string path = {}, bool caseSensitive = false, bool sorted = false,
                           bool loadNow = false);
    SectionedFile(const SectionedFile& other);
    SectionedFile& operator=(const SectionedFile& other);
    ~SectionedFile();

    const std::string& GetPath() const { return m_path; }
    void SetPath(std::string path) { m_path = std::move(path); }
    bool IsCaseSensitive() const { return m_caseSensitive; }

    // Reads the whole file named by the path (after MakeNativePath) and parses it. The text ends at the
    // first zero byte. When the file cannot be opened or read the content stays as it was.
    ReadResult Load(bool clearFirst = true);
    // As Load; returns the number of sections held afterwards, 0 when the file could not be read.
    int Read(bool clearFirst = true);
    // Parses a text (CR LF or LF line ends, comments allowed, a UTF-8 byte-order mark at its start
    // skipped); returns the number of sections held. A text larger than kMaxReadSize is not parsed.
    int ParseSectionedText(std::string_view text, bool clearFirst = true);

    // The file as it is written: per section "[name]", its "key=value" lines and an empty line, all
    // ending in CR LF, values escaped where needed.
    std::string ToText() const;
    // ToText in `text` and true, unless a name would not read back as written: then `problem` describes
    // the first such name as FindUnwritableName does, and the result is false. One pass over the file.
    bool ToWritableText(std::string& text, std::string& problem) const;
    // Writes ToText() to the path, created or truncated; returns the number of sections written, 0 when
    // the file cannot be written or a name could not be read back (see FindUnwritableName). With
    // clear-after set the sections are freed after a successful write.
    int WriteSectionedFile(bool clearAfter = false);
    int SaveAs(const std::string& path, bool clearAfter = false);
    // As WriteSectionedFile, but through a temporary file in the same folder that is then renamed over
    // the path, so the old file stays whole on failure. True on success.
    bool WriteReplacing(bool clearAfter = false);

    // A description of the first section name or key that would not read back as written (empty, blank
    // at either end, a line break or zero byte, a comment marker, "]" in a section name, "=" or a leading
    // "[" in a key); "" when every name is writable.
    std::string FindUnwritableName() const;
    // A description of the first pair of section names, or of keys within one section, that differ only
    // in case (a case-insensitive reader would merge them); "" when there is none.
    std::string FindNameCollision() const;
    // A description of the first thing a parse could not hold as written: a zero byte in the text (by its
    // line), a repeated section header, a key repeated within one section (under the file's case rule), or
    // a value whose text holds a zero byte; "" when there is none. The reader of every file kind refuses such a file, so nothing is dropped.
    std::string FindReadProblem() const;

    SectionedFileSection* FindSection(std::string_view name) const;
    // Adds an empty section; null when a section of that name exists (it is not returned).
    SectionedFileSection* AddSection(std::string_view name);
    // Adds the section or returns the existing one.
    SectionedFileSection* FindOrAddSection(std::string_view name);

    std::size_t GetSectionCount() const { return m_sections.size(); }
    SectionedFileSection* GetSection(std::size_t index) const { return m_sections[index]; }
    const SectionList& Sections() const { return m_sections; }
    // The entry count of a section, 0 when it is missing.
    std::size_t GetEntryCount(std::string_view sectionName) const;
    // The first section header that a parse repeated (in any letter case, unless the file is
    // case-sensitive) and whose entries were therefore dropped; "" when none was.
    const std::string& GetDroppedSection() const { return m_droppedSection; }

    bool IsSorted() const { return m_sorted; }
    void Clear();

private:
    friend class SectionedFileSection;
    friend class SectionedFileEntry;
    friend class SectionedParser;

    void copyFrom(const SectionedFile& other);
    // Parses a text that becomes one of the file's own.
    void parseText(std::string&& text);
    // Builds the written text; with `problem` given, stops at the first name that would not read back and
    // describes it there (returning false).
    bool buildText(std::string& out, std::string* problem) const;
    // Copies a text into the file's own blocks; the copy lives as long as the file's content.
    const char* keep(std::string_view text);
    // Memory aligned to `align` (a power of two, at most that of std::max_align_t) that lives as long as the file's content.
    void* allocate(std::size_t bytes, std::size_t align);
    SectionedFileEntry* allocateEntries(std::size_t count)
    {
        return static_cast<SectionedFileEntry*>(allocate(count * sizeof(SectionedFileEntry), alignof(SectionedFileEntry)));
    }
    static void* indexMemory(void* file, std::size_t bytes)
    {
        return static_cast<SectionedFile*>(file)->allocate(bytes, alignof(std::uint32_t));
    }
    SectionedFileSection* addSection(std::string name, std::uint32_t hash);
    std::uint32_t findSectionNumber(std::string_view name, std::uint32_t hash) const;

    std::string m_path;
    bool m_caseSensitive = false;
    bool m_sorted = false;
    std::deque<SectionedFileSection> m_storage; // owns the sections at stable addresses, in adding order
    SectionList m_sections;                     // the sections in order
    sectioned::NameIndex m_index;
    std::string m_droppedSection;
    std::size_t m_zeroByteLine = 0; // the line of the first zero byte a parsed text held (1 is the first)
    // Parsed texts, which parsed entries view; they do not change once parsed, so copies share them.
    std::vector<std::shared_ptr<const std::string>> m_texts;
    // Texts added by name (which added entries view), entry blocks and index tables.
    std::vector<std::unique_ptr<std::max_align_t[]>> m_blocks;
    char* m_blockNext = nullptr;
    std::size_t m_blockLeft = 0;
    std::size_t m_nextBlockSize = 0;
};

inline SectionedFileEntry* SectionedEntryRange::iterator::operator*() const { return m_section->GetEntry(m_index); }
inline SectionedEntryRange::iterator SectionedEntryRange::end() const { return {m_section, m_section->GetEntryCount()}; }
inline std::size_t SectionedEntryRange::size() const { return m_section->GetEntryCount(); }
inline SectionedFileEntry* SectionedEntryRange::operator[](std::size_t index) const { return m_section->GetEntry(index); }

} // namespace engine
