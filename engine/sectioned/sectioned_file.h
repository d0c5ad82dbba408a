#pragma once
// A sectioned text file in memory: "[NAME]" lines open sections, "Key=Value" lines inside them give named
// values. Sections and entries keep the order in which they were added (file order for a parsed file) and
// are found through hashed indexes keyed by their lookup key: the name itself in a case-sensitive file,
// else the name in upper case. The first of a repeated section or key wins.
//
// Nothing here shows a message: failures come back as a zero (or false) result and callers report them.

#include "engine/sectioned/sectioned_index.h"
#include "engine/util/file_io.h"
#include "engine/util/text.h"

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

class SectionedFile;
class SectionedFileSection;


// The name and case rule shared by files, sections and entries.
class SectionedFileNode {
public:
    virtual ~SectionedFileNode() = default;

    const std::string& GetName() const { return m_name; }
    bool IsCaseSensitive() const { return m_caseSensitive; }
    // The key under which the node is indexed.
    const std::string& GetLookupKey() const { return m_caseSensitive ? m_name : m_key; }

    static std::string LookupKeyOf(std::string_view name, bool caseSensitive);

protected:
    SectionedFileNode(std::string name, bool caseSensitive);
    SectionedFileNode(const SectionedFileNode&) = default;
    SectionedFileNode& operator=(const SectionedFileNode&) = default;
    void setName(std::string name);

private:
    std::string m_name;
    std::string m_key; // the upper-case name; unused (empty) when case-sensitive
    bool m_caseSensitive = false;
};

// One "Key=Value" line.
class SectionedFileEntry : public SectionedFileNode {
public:
    SectionedFileEntry(SectionedFileSection* section, std::string key, std::string value, bool caseSensitive);

    SectionedFileSection* GetSection() const { return m_section; }
    const std::string& GetValue() const { return m_value; }
    // The value as a number when the whole text is one (see IsWholeNumber), else 0.
    int GetIntValue() const;
    bool GetBoolValue() const { return GetIntValue() != 0; }
    void SetValue(std::string value) { m_value = std::move(value); }

private:
    SectionedFileSection* m_section;
    std::string m_value;
};

// One "[NAME]" block.
class SectionedFileSection : public SectionedFileNode {
public:
    using EntryList = std::vector<SectionedFileEntry*>;

    SectionedFileSection(SectionedFile* file, std::string name, bool caseSensitive, bool sorted);
    SectionedFileSection(const SectionedFileSection&) = delete;
    SectionedFileSection& operator=(const SectionedFileSection&) = delete;

    SectionedFile* GetFile() const { return m_file; }

    SectionedFileEntry* FindEntry(std::string_view key) const;
    // Adds an entry; null (and the existing value left as it is) when the key is already present.
    SectionedFileEntry* AddEntry(std::string_view key, std::string_view text);
    SectionedFileEntry* AddEntry(std::string_view key, int value);

    // The entry's text, integer view or truth view; the default only when the key is missing (a present
    // non-numeric value gives 0 or false).
    std::string GetString(std::string_view key, std::string_view defaultValue = {}) const;
    int GetInt(std::string_view key, int defaultValue) const;
    bool GetBool(std::string_view key, bool defaultValue) const;

    std::size_t GetEntryCount() const { return m_entries.size(); }
    SectionedFileEntry* GetEntry(std::size_t index) const { return m_entries[index]; }
    const EntryList& Entries() const { return m_entries; }
    // The entry names in order.
    void GetEntryNames(TextList& names) const;
    // The first key that a parsed file repeated in this section (in any letter case) and that was
    // therefore dropped; "" when none was.
    const std::string& GetDroppedKey() const { return m_droppedKey; }

private:
    friend class SectionedFile;
    SectionedFile* m_file;
    bool m_sorted;
    std::deque<SectionedFileEntry> m_storage; // owns the entries at stable addresses
    EntryList m_entries;                      // the entries in order
    std::string m_droppedKey;
    SectionedFileEntry* addEntry(std::string key, std::string value);

    SectionedIndex<SectionedFileEntry> m_index;
};

class SectionedFile : public SectionedFileNode {
public:
    using SectionList = std::vector<SectionedFileSection*>;

    // A file named by `path`; with `loadNow` it is read at once (Read with clear-first).
    explicit SectionedFile(std::string path = {}, bool caseSensitive = false, bool sorted = false,
                           bool loadNow = false);
    SectionedFile(const SectionedFile& other);
    SectionedFile& operator=(const SectionedFile& other);
    ~SectionedFile() override = default;

    const std::string& GetPath() const { return GetName(); }
    void SetPath(std::string path) { setName(std::move(path)); }

    // Reads the whole file named by the path (after MakeNativePath) and parses it. The text ends at the
    // first zero byte. When the file cannot be opened or read the content stays as it was.
    ReadResult Load(bool clearFirst = true);
    // As Load; returns the number of sections held afterwards, 0 when the file could not be read.
    int Read(bool clearFirst = true);
    // Parses a text (CR LF or LF line ends, comments allowed, a UTF-8 byte-order mark at its start
    // skipped); returns the number of sections held.
    int ParseSectionedText(std::string_view text, bool clearFirst = true);

    // The file as it is written: per section "[name]", its "key=value" lines and an empty line, all
    // ending in CR LF, values escaped where needed.
    std::string ToText() const;
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

    SectionedFileSection* FindSection(std::string_view name) const;
    // Adds an empty section; null when a section of that lookup key exists (it is not returned).
    SectionedFileSection* AddSection(std::string_view name);
    // Adds the section or returns the existing one.
    SectionedFileSection* FindOrAddSection(std::string_view name);

    std::size_t GetSectionCount() const { return m_sections.size(); }
    SectionedFileSection* GetSection(std::size_t index) const { return m_sections[index]; }
    const SectionList& Sections() const { return m_sections; }
    // The entry count of a section, 0 when it is missing.
    std::size_t GetEntryCount(std::string_view sectionName) const;

    bool IsSorted() const { return m_sorted; }
    void Clear();

private:
    void copyFrom(const SectionedFile& other);
    // Builds the written text; with `problem` given, stops at the first name that would not read back and
    // describes it there (returning false).
    bool buildText(std::string& out, std::string* problem) const;

    bool m_sorted = false;
    std::deque<SectionedFileSection> m_storage; // owns the sections at stable addresses
    SectionList m_sections;                     // the sections in order
    SectionedIndex<SectionedFileSection> m_index;
};

} // namespace engine
