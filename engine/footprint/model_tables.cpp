#include "engine/footprint/model_tables.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "engine/sectioned/sectioned_file.h"
#include "engine/util/text.h"

namespace engine {

namespace {

std::string Key(const char* format, long number, const char* field = nullptr)
{
    std::string key = format;
    key += std::to_string(number);
    if (field)
        key += field;
    return key;
}

class TableReader {
public:
    TableReader(const SectionedFile& model, ModelTables& tables, const TableMessageSink& report, std::string* problem)
        : m_model(model), m_tables(tables), m_report(report), m_problem(problem)
    {
    }

    bool Read()
    {
        m_tables.types.Clear();
        m_tables.structures.Clear();
        return ReadTypes() && ReadStructures();
    }

private:
    bool Fail(const std::string& text)
    {
        if (m_report)
            m_report(text);
        return false;
    }

    // A value the tables cannot hold: described in `problem` when the caller asked for it (it names the
    // file), else reported as a sentence of its own.
    bool Refuse(const std::string& description)
    {
        if (m_problem) {
            *m_problem = description;
            return false;
        }
        std::string text = description;
        text[0] = 'T';
        return Fail(text);
    }

    bool MissingSection(const std::string& name) { return Fail("The required section \"" + name + "\" is missing"); }
    bool MissingValue(const std::string& key, const std::string& section)
    {
        return Fail("The required value \"" + key + "\" is missing in section \"" + section + "\"");
    }

    // A required count, never negative.
    bool Count(const SectionedFileSection& section, const std::string& key, long& count)
    {
        const SectionedFileEntry* entry = section.FindEntry(key);
        if (!entry)
            return MissingValue(key, section.GetName());
        return CountValue(*entry, count);
    }

    // A count as written: a whole number from 0 to the largest signed 32-bit number. A text that is no
    // number, or a number outside that range (a negative one included), is refused rather than read as an
    // empty table.
    bool CountValue(const SectionedFileEntry& entry, long& count)
    {
        const std::string& text = entry.GetValue();
        const std::optional<WholeNumber> whole = ParseWholeNumber(text);
        if (!whole)
            return Refuse("the value \"" + text + "\" of \"" + entry.GetName() + "\" in section \"" +
                          entry.GetSection()->GetName() + "\" is not a count");
        if (whole->value < 0 || whole->value > INT32_MAX)
            return Refuse("the value " + text + " of \"" + entry.GetName() + "\" in section \"" +
                          entry.GetSection()->GetName() + "\" is outside the range 0 to " + std::to_string(INT32_MAX));
        count = static_cast<long>(whole->value);
        return true;
    }

    bool ReadTypes()
    {
        const SectionedFileSection* section = m_model.FindSection("Types");
        if (!section)
            return MissingSection("Types");
        long count = 0;
        if (!Count(*section, "NumberOfTypes", count))
            return false;
        for (long n = 1; n <= count; ++n) {
            const std::string nameKey = Key("Type_", n, "_Name");
            if (!section->FindEntry(nameKey))
                return MissingValue(nameKey, section->GetName());
            TypeDefinition type;
            type.name = TrimText(section->GetString(nameKey), true, true);
            type.isStruct = section->GetBool(Key("Type_", n, "_IsStruct"), false);
            const std::string sizeKey = Key("Type_", n, "_Size");
            const std::string size = TrimText(section->GetString(sizeKey), true, true);
            if (IsWholeNumber(size)) {
                // A size is a count of bytes: never negative, never past the 31 bits every size field holds.
                const std::optional<WholeNumber> whole = ParseWholeNumber(size);
                if (!whole || whole->value < 0 || whole->value > INT32_MAX)
                    return Refuse("the value " + size + " of \"" + sizeKey + "\" in section \"Types\" is outside the "
                                  "range 0 to " + std::to_string(INT32_MAX));
                type.hasSize = true;
                type.size = static_cast<std::uint32_t>(whole->value);
            } else if (!size.empty()) {
                type.copyOf = m_tables.types.IndexOf(size);
                if (type.copyOf < 0)
                    return Fail("The sizing data type \"" + size + "\" referred to by data type \"" + type.name +
                                "\" is unknown");
            }
            if (!type.hasSize && !type.isStruct && type.copyOf < 0)
                return Fail("Type \"" + type.name +
                            "\" is required to either be given a size, declared a structure, or have its size "
                            "copied from another type");
            const std::string name = type.name;
            if (n > kMaxModelTableRows || name.empty() || !m_tables.types.Add(std::move(type)))
                return Fail("Couldn't add type \"" + name + "\"");
        }
        return true;
    }

    bool ReadStructures()
    {
        const SectionedFileSection* section = m_model.FindSection("Structures");
        if (!section)
            return MissingSection("Structures");
        const SectionedFileEntry* counter = section->FindEntry("NumberOfStructures");
        const bool counted = counter != nullptr;
        long count = static_cast<long>(section->GetEntryCount());
        if (counted && !CountValue(*counter, count))
            return false;
        for (long n = 1; n <= count; ++n) {
            StructureDefinition structure;
            if (counted) {
                const std::string nameKey = Key("Structure_", n, "_Name");
                if (!section->FindEntry(nameKey))
                    return MissingValue(nameKey, section->GetName());
                structure.name = TrimText(section->GetString(nameKey), true, true);
            } else {
                structure.name = section->GetEntry(static_cast<std::size_t>(n - 1))->GetName();
            }
            structure.needs = section->GetString(Key("Structure_", n, "_Needs"));
            const std::string name = structure.name;
            if (n > kMaxModelTableRows || name.empty() || !m_tables.structures.Add(std::move(structure)))
                return Fail("Couldn't add struct \"" + name + "\"");
        }
        // Members are read once every structure is known, so a member may name a later structure.
        for (std::size_t i = 0; i < m_tables.structures.Size(); ++i) {
            if (!ReadMembers(m_tables.structures.At(i)))
                return false;
        }
        return true;
    }

    bool ReadMembers(StructureDefinition& structure)
    {
        const std::string sectionName = "Structure_" + structure.name;
        const SectionedFileSection* section = m_model.FindSection(sectionName);
        if (!section)
            return MissingSection(sectionName);
        long count = 0;
        if (!Count(*section, "NumberOfMembers", count))
            return false;
        for (long n = 1; n <= count; ++n) {
            if (n > kMaxModelTableRows)
                return Fail("Couldn't add member #" + std::to_string(n) + " to structure \"" + structure.name + "\"");
            StructureMember member;
            // Members may be named ("Member_<n>_Name"); the name only shows in messages.
            member.name = TrimText(section->GetString(Key("Member_", n, "_Name")), true, true);
            if (member.name.empty())
                member.name = Key("Member_", n);
            const std::string typeKey = Key("Member_", n, "_Type");
            if (!section->FindEntry(typeKey))
                return MissingValue(typeKey, section->GetName());
            member.type = TrimText(section->GetString(typeKey), true, true);
            if (!m_tables.types.Find(member.type) && !m_tables.structures.Find(member.type))
                return Fail("The data type \"" + member.type + "\" for member \"" + member.name +
                            "\" of structure \"" + structure.name + "\" is unknown");
            member.needs = section->GetString(Key("Member_", n, "_Needs"));
            member.elements = section->GetString(Key("Member_", n, "_Elements"));
            structure.members.push_back(std::move(member));
        }
        return true;
    }

    const SectionedFile& m_model;
    ModelTables& m_tables;
    const TableMessageSink& m_report;
    std::string* m_problem;
};

} // namespace

bool ReadModelTables(const SectionedFile& model, ModelTables& tables, const TableMessageSink& report,
                     std::string* problem)
{
    if (problem)
        problem->clear();
    return TableReader(model, tables, report, problem).Read();
}

} // namespace engine
