#pragma once
// Reading values from and building sections of the sectioned files of projects and applications, with
// the checks both file kinds share: required sections, values with defaults, and section names that
// must not repeat (case-insensitively), because the reader would merge them.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/records/field_descriptions.h"
#include "engine/sectioned/name_set.h"

namespace engine {

class SectionedFile;
class SectionedFileSection;

// The keys of a section in file order.
std::vector<std::string> sectionKeys(const SectionedFileSection& section);
// The keys of a list section (each key names a thing) in file order; nullopt, after a message naming the
// file, the section and the key, when the file repeated a key in another letter case, which would
// otherwise drop that thing silently.
std::optional<std::vector<std::string>> listKeys(const SectionedFileSection& section, std::string_view fileKind,
                                                 std::string_view path);

// A value as text; nullopt when the key is missing.
std::optional<std::string> findValue(const SectionedFileSection& section, std::string_view key);
std::string readText(const SectionedFileSection& section, std::string_view key, std::string_view fallback = {});

// Fitting file text into record fields: a text longer than its field is refused, never cut. Each check
// shows a message naming the file, the section, the key and the field's limit, and returns false.
// `fileKind` is "project" or "application".
class FieldReader {
public:
    FieldReader(std::string_view fileKind, std::string_view path) : m_kind(fileKind), m_path(path) {}
    // The value of `key` (the fallback when missing) into the field.
    bool text(char* field, std::size_t size, const SectionedFileSection& section, std::string_view key,
              std::string_view fallback = {}) const;
    template <std::size_t N>
    bool text(char (&field)[N], const SectionedFileSection& section, std::string_view key,
              std::string_view fallback = {}) const
    {
        return text(field, N, section, key, fallback);
    }
    // A name that a list section gives as a key (or another value names), checked against a field of
    // `size` bytes before anything is looked up by it.
    bool nameFits(std::size_t size, std::string_view name, std::string_view sectionName) const;
    // The same for every name of a list.
    bool namesFit(std::size_t size, const std::vector<std::string>& names, std::string_view sectionName) const;

private:
    std::string m_kind;
    std::string m_path;
};

// Case-folded form of a section name, as the readers look sections up.
std::string sectionLookupKey(std::string_view name);

// Adds sections to a file being written and remembers every name, so that a name used twice (the
// readers fold case) is caught before anything is written.
class SectionWriter {
public:
    explicit SectionWriter(SectionedFile& file) : m_file(file) {}
    // A new section; null when the name was used before (the first repeated name is kept).
    SectionedFileSection* add(std::string_view name);
    void addText(SectionedFileSection& section, std::string_view key, std::string_view value);
    void addInt(SectionedFileSection& section, std::string_view key, int32_t value);
    void addFlag(SectionedFileSection& section, std::string_view key, int32_t value);
    // A value as its field's description writes it (under `key` when given, for a numbered key).
    void addField(SectionedFileSection& section, const FieldDescription& field, int32_t value,
                  std::string_view key = {});
    // Reserves names that another writer adds itself (for example the user text sections).
    bool reserve(std::string_view name);
    // The first name used twice, or "" when every name was distinct.
    const std::string& repeatedName() const { return m_repeated; }
    SectionedFile& file() { return m_file; }

private:
    SectionedFile& m_file;
    sectioned::NameSet m_names;
    std::string m_repeated;
};

}  // namespace engine
