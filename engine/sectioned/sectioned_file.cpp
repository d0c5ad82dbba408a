#include "engine/sectioned/sectioned_file.h"

#include "engine/util/escape.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>
#include <new>

namespace engine {
namespace {

// The longest name or value an entry holds (its size has 30 bits).
constexpr std::size_t kMaxTextSize = (std::size_t{1} << 30) - 1;

// The sizes of the file's memory blocks: they grow from the first to the last, which stays below the
// size from which the C library maps fresh pages for every block (it reuses freed smaller ones).
constexpr std::size_t kFirstTextBlock = 1024;
constexpr std::size_t kLastTextBlock = 64 * 1024;

// The first entry block of a section that is built entry by entry.
constexpr std::size_t kFirstEntryBlock = 8;

} // namespace

using sectioned::NameIndex;

std::string SectionedFileNode::LookupKeyOf(std::string_view name, bool caseSensitive)
{
    return caseSensitive ? std::string(name) : ToUpperText(name);
}

// ---- SectionedFileEntry -----------------------------------------------------------------------------

std::string SectionedFileEntry::GetValue() const
{
    return m_form == Written ? UnescapeText(text()) : std::string(text());
}

int SectionedFileEntry::GetIntValue() const
{
    // The number when it takes the whole text (as IsWholeNumber), parsed once.
    const auto wholeNumber = [](std::string_view value) {
        std::size_t consumed = 0;
        const std::uint32_t number = ParseNumber(value, &consumed);
        return !value.empty() && consumed == value.size() ? static_cast<int>(number) : 0;
    };
    if (m_form == Written)
        return wholeNumber(UnescapeText(text()));
    return wholeNumber(text());
}

void SectionedFileEntry::SetValue(std::string_view value)
{
    if (value.size() > kMaxTextSize)
        return;
    m_text = m_section->m_file->keep(value);
    m_textSize = static_cast<std::uint32_t>(value.size());
    m_form = NeedsEscaping(value) ? Quoted : Plain;
}

// ---- SectionedFileSection ---------------------------------------------------------------------------

SectionedFileSection::SectionedFileSection(SectionedFile* file, std::string name, std::uint32_t hash,
                                           bool caseSensitive, bool sorted)
    : m_file(file), m_name(std::move(name)), m_hash(hash), m_caseSensitive(caseSensitive), m_sorted(sorted)
{
}

void SectionedFileSection::addBlock(SectionedFileEntry* block)
{
    // A full list is the inline one or a list in the file's memory whose size is a power of two.
    if (m_blockCount >= kInlineBlocks && std::has_single_bit(m_blockCount)) {
        auto** list = static_cast<SectionedFileEntry**>(
            m_file->allocate(2 * m_blockCount * sizeof(SectionedFileEntry*), alignof(SectionedFileEntry*)));
        std::copy(m_blocks, m_blocks + m_blockCount, list);
        m_blocks = list;
    }
    m_blocks[m_blockCount++] = block;
}

std::uint32_t SectionedFileSection::hashOf(std::uint32_t number) const
{
    return sectioned::hashName(entryAt(number)->Name(), m_caseSensitive);
}

std::uint32_t SectionedFileSection::findNumber(std::string_view key, std::uint32_t hash) const
{
    if (m_count > kScanLimit)
        return m_index.find(key, hash, m_caseSensitive,
                            [this](std::uint32_t number) { return entryAt(number)->Name(); });
    if ((m_nameBits & nameBit(key)) == 0)
        return NameIndex::kNone;
    // Readers ask for keys in the order the writer put them: the entry after the last one found comes first.
    if (m_nextGuess < m_count && sameKey(*entryAt(m_nextGuess), key))
        return static_cast<std::uint32_t>(m_nextGuess++);
    // A scan block by block, which passes over names of another length at once.
    std::size_t number = 0;
    for (std::size_t b = 0; number < m_count; ++b) {
        const SectionedFileEntry* block = m_blocks[b];
        const std::size_t size = std::min(b == 0 ? m_firstBlock : m_firstBlock << (b - 1), m_count - number);
        for (std::size_t i = 0; i < size; ++i) {
            if (sameKey(block[i], key)) {
                m_nextGuess = number + i + 1;
                return static_cast<std::uint32_t>(number + i);
            }
        }
        number += size;
    }
    return NameIndex::kNone;
}

void SectionedFileSection::buildIndex()
{
    m_index.clear();
    m_index.setCount(static_cast<std::uint32_t>(m_count));
    // Room for the section to grow a while: sections built entry by entry reach this size one at a time.
    m_index.rebuild(std::max<std::size_t>(m_count * 2, 32), [this](std::uint32_t number) { return hashOf(number); },
                    SectionedFile::indexMemory, m_file);
}

SectionedFileEntry* SectionedFileSection::FindEntry(std::string_view key) const
{
    const std::uint32_t number =
        findNumber(key, m_count > kScanLimit ? sectioned::hashName(key, m_caseSensitive) : 0);
    return number == NameIndex::kNone ? nullptr : entryAt(number);
}

SectionedFileEntry* SectionedFileSection::AddEntry(std::string_view key, std::string_view text)
{
    if (key.size() > kMaxTextSize || text.size() > kMaxTextSize)
        return nullptr;
    const std::uint32_t hash = m_count >= kScanLimit ? sectioned::hashName(key, m_caseSensitive) : 0;
    if (findNumber(key, hash) != NameIndex::kNone)
        return nullptr;
    // The key and the text are kept side by side, in one piece.
    const std::size_t size = key.size() + text.size();
    char* kept = size == 0 ? nullptr : static_cast<char*>(m_file->allocate(size, 1));
    if (!key.empty())
        std::memcpy(kept, key.data(), key.size());
    if (!text.empty())
        std::memcpy(kept + key.size(), text.data(), text.size());
    return append(std::string_view(key.empty() ? "" : kept, key.size()),
                  std::string_view(text.empty() ? "" : kept + key.size(), text.size()),
                  NeedsEscaping(text) ? SectionedFileEntry::Quoted : SectionedFileEntry::Plain, hash);
}

SectionedFileEntry* SectionedFileSection::AddEntry(std::string_view key, int value)
{
    return AddEntry(key, std::string_view(IntToText(value)));
}

SectionedFileEntry* SectionedFileSection::append(std::string_view key, std::string_view text,
                                                 SectionedFileEntry::Form form, std::uint32_t hash)
{
    const std::size_t capacity = m_blockCount == 0 ? 0 : m_firstBlock << (m_blockCount - 1);
    if (m_count == capacity) {
        if (m_blockCount == 0)
            m_firstBlock = kFirstEntryBlock;
        const std::size_t size = m_blockCount == 0 ? m_firstBlock : m_firstBlock << (m_blockCount - 1);
        addBlock(m_file->allocateEntries(size));
    }
    const auto number = static_cast<std::uint32_t>(m_count);
    SectionedFileEntry* entry = new (entryAt(number)) SectionedFileEntry();
    entry->m_section = this;
    entry->m_name = key.data();
    entry->m_nameSize = static_cast<std::uint32_t>(key.size());
    entry->m_text = text.data();
    entry->m_textSize = static_cast<std::uint32_t>(text.size());
    entry->m_form = form;
    m_nameBits |= nameBit(key);
    ++m_count;
    if (m_count == kScanLimit + 1)
        buildIndex();
    else if (m_count > kScanLimit + 1)
        m_index.insert(number, hash, [this](std::uint32_t n) { return hashOf(n); }, SectionedFile::indexMemory, m_file);
    if (m_sorted) {
        auto at = std::upper_bound(m_order.begin(), m_order.end(), key, [this](std::string_view name, std::uint32_t n) {
            return sectioned::compareNames(name, entryAt(n)->Name(), m_caseSensitive) < 0;
        });
        m_order.insert(at, number);
    }
    return entry;
}

void SectionedFileSection::adopt(std::vector<SectionedFileEntry>& entries)
{
    // Drop repeated keys, the first one winning, while the entries are still in the parser's list.
    const std::size_t total = entries.size();
    const auto nameOf = [&entries](std::uint32_t n) { return entries[n].Name(); };
    const auto hashOfPending = [&](std::uint32_t n) { return sectioned::hashName(entries[n].Name(), m_caseSensitive); };
    const bool indexed = total > kScanLimit;
    if (indexed)
        m_index.rebuild(total, hashOfPending, SectionedFile::indexMemory, m_file);
    std::size_t kept = 0;
    std::uint64_t bits = 0; // the nameBit of every key kept so far
    for (std::size_t i = 0; i < total; ++i) {
        const std::string_view key = entries[i].Name();
        bool repeated = false;
        std::uint32_t hash = 0;
        if (indexed) {
            hash = sectioned::hashName(key, m_caseSensitive);
            repeated = m_index.find(key, hash, m_caseSensitive, nameOf) != NameIndex::kNone;
        } else if ((bits & nameBit(key)) != 0) {
            for (std::size_t n = 0; n < kept && !repeated; ++n)
                repeated = sameKey(entries[n], key);
        }
        if (repeated) {
            if (m_droppedKey.empty())
                m_droppedKey = std::string(key);
            continue;
        }
        if (kept != i)
            entries[kept] = entries[i];
        bits |= nameBit(key);
        if (indexed)
            m_index.insert(static_cast<std::uint32_t>(kept), hash, hashOfPending, SectionedFile::indexMemory, m_file);
        ++kept;
    }
    m_nameBits = bits;
    m_firstBlock = kept;
    SectionedFileEntry* block = m_file->allocateEntries(kept);
    std::uninitialized_copy(entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(kept), block);
    addBlock(block);
    m_count = kept;
    if (indexed && kept <= kScanLimit)
        m_index.clear();
    if (m_sorted) {
        m_order.resize(kept);
        for (std::uint32_t n = 0; n < kept; ++n)
            m_order[n] = n;
        std::stable_sort(m_order.begin(), m_order.end(), [this](std::uint32_t a, std::uint32_t b) {
            return sectioned::compareNames(entryAt(a)->Name(), entryAt(b)->Name(), m_caseSensitive) < 0;
        });
    }
}

std::string SectionedFileSection::GetString(std::string_view key, std::string_view defaultValue) const
{
    const SectionedFileEntry* entry = FindEntry(key);
    return entry ? entry->GetValue() : std::string(defaultValue);
}

int SectionedFileSection::GetInt(std::string_view key, int defaultValue) const
{
    const SectionedFileEntry* entry = FindEntry(key);
    return entry ? entry->GetIntValue() : defaultValue;
}

bool SectionedFileSection::GetBool(std::string_view key, bool defaultValue) const
{
    const SectionedFileEntry* entry = FindEntry(key);
    return entry ? entry->GetBoolValue() : defaultValue;
}

void SectionedFileSection::GetEntryNames(TextList& names) const
{
    names.clear();
    names.reserve(m_count);
    for (const SectionedFileEntry* entry : Entries())
        names.emplace_back(entry->Name());
}

// ---- SectionedFile ----------------------------------------------------------------------------------

std::string SectionedFile::FindReadProblem() const
{
    if (m_zeroByteLine != 0)
        return "line " + std::to_string(m_zeroByteLine) + " holds a zero byte, which no text of this file can hold";
    if (!m_droppedSection.empty())
        return "the section \"" + m_droppedSection + "\" appears twice";
    for (const SectionedFileSection* section : m_sections) {
        if (!section->m_droppedKey.empty())
            return "the key \"" + section->m_droppedKey + "\" is listed twice in section \"" + section->m_name + "\"";
    }
    for (const SectionedFileSection* section : m_sections) {
        for (const SectionedFileEntry* entry : section->Entries()) {
            // Only an escape writes a zero byte (the text read ends at the first one).
            if (entry->m_form != SectionedFileEntry::Written ||
                std::memchr(entry->m_text, '\\', entry->m_textSize) == nullptr)
                continue;
            if (entry->GetValue().find('\0') != std::string::npos)
                return "the value of \"" + entry->GetName() + "\" in section \"" + section->m_name +
                       "\" holds a zero byte (\\x00), which no text of this file can hold";
        }
    }
    return {};
}

SectionedFile::SectionedFile(std::string path, bool caseSensitive, bool sorted, bool loadNow)
    : m_path(std::move(path)), m_caseSensitive(caseSensitive), m_sorted(sorted)
{
    if (loadNow)
        Read(true);
}

SectionedFile::SectionedFile(const SectionedFile& other)
    : m_path(other.m_path), m_caseSensitive(other.m_caseSensitive), m_sorted(other.m_sorted)
{
    copyFrom(other);
}

SectionedFile& SectionedFile::operator=(const SectionedFile& other)
{
    if (this != &other) {
        Clear();
        m_path = other.m_path;
        m_caseSensitive = other.m_caseSensitive;
        m_sorted = other.m_sorted;
        copyFrom(other);
    }
    return *this;
}

SectionedFile::~SectionedFile() = default;

void SectionedFile::copyFrom(const SectionedFile& other)
{
    // The parsed texts are shared; names and texts elsewhere (added by name) are copied.
    m_texts.insert(m_texts.end(), other.m_texts.begin(), other.m_texts.end());
    const auto shared = [&other](const char* text) {
        const std::less<const char*> before;
        for (const auto& parsed : other.m_texts)
            if (!before(text, parsed->data()) && before(text, parsed->data() + parsed->size()))
                return true;
        return false;
    };
    for (const SectionedFileSection* section : other.m_sections) {
        SectionedFileSection* copy = AddSection(section->GetName());
        if (copy == nullptr)
            continue;
        for (const SectionedFileEntry* entry : section->Entries()) {
            const std::string_view key = entry->Name();
            const std::string_view text = entry->text();
            const char* keptKey = !key.empty() && shared(key.data()) ? key.data() : keep(key);
            const char* keptText = !text.empty() && shared(text.data()) ? text.data() : keep(text);
            copy->append(std::string_view(keptKey, key.size()), std::string_view(keptText, text.size()),
                         static_cast<SectionedFileEntry::Form>(entry->m_form),
                         copy->m_count >= SectionedFileSection::kScanLimit ? sectioned::hashName(key, m_caseSensitive)
                                                                           : 0);
        }
    }
}

void* SectionedFile::allocate(std::size_t bytes, std::size_t align)
{
    const std::size_t padding = (0 - reinterpret_cast<std::uintptr_t>(m_blockNext)) & (align - 1);
    if (m_blockNext == nullptr || bytes + padding > m_blockLeft) {
        if (m_nextBlockSize == 0)
            m_nextBlockSize = kFirstTextBlock;
        constexpr std::size_t unit = sizeof(std::max_align_t);
        const std::size_t units = ((bytes > m_nextBlockSize / 2 ? bytes : m_nextBlockSize) + unit - 1) / unit;
        m_blocks.push_back(std::make_unique_for_overwrite<std::max_align_t[]>(units));
        char* start = reinterpret_cast<char*>(m_blocks.back().get());
        if (bytes > m_nextBlockSize / 2)
            return start; // a large piece gets a block of its own; the current block stays in use
        m_blockNext = start;
        m_blockLeft = units * unit;
        m_nextBlockSize = std::min(m_nextBlockSize * 2, kLastTextBlock);
    } else {
        m_blockNext += padding;
        m_blockLeft -= padding;
    }
    char* piece = m_blockNext;
    m_blockNext += bytes;
    m_blockLeft -= bytes;
    return piece;
}

const char* SectionedFile::keep(std::string_view text)
{
    if (text.empty())
        return "";
    char* kept = static_cast<char*>(allocate(text.size(), 1));
    std::memcpy(kept, text.data(), text.size());
    return kept;
}

std::uint32_t SectionedFile::findSectionNumber(std::string_view name, std::uint32_t hash) const
{
    return m_index.find(name, hash, m_caseSensitive, [this](std::uint32_t n) {
        return std::string_view(m_storage[n].m_name);
    });
}

SectionedFileSection* SectionedFile::FindSection(std::string_view name) const
{
    const std::uint32_t number = findSectionNumber(name, sectioned::hashName(name, m_caseSensitive));
    return number == NameIndex::kNone ? nullptr : const_cast<SectionedFileSection*>(&m_storage[number]);
}

SectionedFileSection* SectionedFile::addSection(std::string name, std::uint32_t hash)
{
    const auto number = static_cast<std::uint32_t>(m_storage.size());
    SectionedFileSection* section = &m_storage.emplace_back(this, std::move(name), hash, m_caseSensitive, m_sorted);
    m_index.insert(number, hash, [this](std::uint32_t n) { return m_storage[n].m_hash; }, indexMemory, this);
    if (!m_sorted) {
        m_sections.push_back(section);
    } else {
        auto at = std::upper_bound(m_sections.begin(), m_sections.end(), section,
                                   [this](const SectionedFileSection* a, const SectionedFileSection* b) {
                                       return sectioned::compareNames(a->m_name, b->m_name, m_caseSensitive) < 0;
                                   });
        m_sections.insert(at, section);
    }
    return section;
}

SectionedFileSection* SectionedFile::AddSection(std::string_view name)
{
    const std::uint32_t hash = sectioned::hashName(name, m_caseSensitive);
    if (findSectionNumber(name, hash) != NameIndex::kNone)
        return nullptr;
    return addSection(std::string(name), hash);
}

SectionedFileSection* SectionedFile::FindOrAddSection(std::string_view name)
{
    SectionedFileSection* section = FindSection(name);
    return section ? section : AddSection(name);
}

std::size_t SectionedFile::GetEntryCount(std::string_view sectionName) const
{
    const SectionedFileSection* section = FindSection(sectionName);
    return section ? section->GetEntryCount() : 0;
}

void SectionedFile::Clear()
{
    m_index.clear();
    m_sections.clear();
    m_storage.clear();
    m_droppedSection.clear();
    m_zeroByteLine = 0;
    m_texts.clear();
    m_blocks.clear();
    m_blockNext = nullptr;
    m_blockLeft = 0;
    m_nextBlockSize = 0;
}

} // namespace engine
