// Reading a sectioned text: one pass over a text the file keeps, which finds line ends, comments, the "="
// of each entry and whether a value has to be decoded, all in the same scan. Entries are views into the
// text; lines joined by a block comment are closed up inside the text itself, which only ever shrinks.
#include "engine/sectioned/sectioned_file.h"

#include "engine/util/path.h"

#include <algorithm>
#include <bit>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace engine {
namespace {

// What the scan of a line must stop at.
enum ByteClass : unsigned char {
    Ordinary,    // nothing to do
    LineEnd,     // "\n"
    CommentMark, // ";" or "/", which may start a comment
    Equals,      // "=": the first one ends the key
    Special,     // a byte that a value can only hold when written in quotes and escapes, or "*"
};

struct ByteClasses {
    unsigned char of[256] = {};
    constexpr ByteClasses()
    {
        for (int c = 0; c < 256; ++c)
            of[c] = (c < 32 || c >= 127) ? Special : Ordinary;
        of[static_cast<unsigned char>('\n')] = LineEnd;
        of[static_cast<unsigned char>(';')] = CommentMark;
        of[static_cast<unsigned char>('/')] = CommentMark;
        of[static_cast<unsigned char>('=')] = Equals;
        for (char c : {'\\', '"', '\'', '*'})
            of[static_cast<unsigned char>(c)] = Special;
    }
};
constexpr ByteClasses kClasses;

bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The first byte at or after `p` that is not Ordinary, or `end`; sixteen bytes at a time where the
// processor allows.
char* skipOrdinary(char* p, char* end)
{
#if defined(__SSE2__)
    const __m128i below = _mm_set1_epi8(32); // with bytes of 128 and above, which compare as negative
    const __m128i del = _mm_set1_epi8(127);
    const __m128i marks[] = {_mm_set1_epi8(';'), _mm_set1_epi8('/'),  _mm_set1_epi8('='), _mm_set1_epi8('\\'),
                             _mm_set1_epi8('"'), _mm_set1_epi8('\''), _mm_set1_epi8('*')};
    while (end - p >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i stop = _mm_or_si128(_mm_cmplt_epi8(bytes, below), _mm_cmpeq_epi8(bytes, del));
        for (const __m128i& mark : marks)
            stop = _mm_or_si128(stop, _mm_cmpeq_epi8(bytes, mark));
        if (const int mask = _mm_movemask_epi8(stop))
            return p + std::countr_zero(static_cast<unsigned>(mask));
        p += 16;
    }
#endif
    while (p < end && kClasses.of[static_cast<unsigned char>(*p)] == Ordinary)
        ++p;
    return p;
}

// The start of the line after the one holding `from`.
char* nextLine(char* from, char* end)
{
    void* lineEnd = std::memchr(from, '\n', static_cast<std::size_t>(end - from));
    return lineEnd ? static_cast<char*>(lineEnd) + 1 : end;
}

// The "*/" that closes a block comment opened at `open`, or null.
char* blockCommentEnd(char* open, char* end)
{
    for (char* p = open + 2; p + 1 < end; ++p) {
        p = static_cast<char*>(std::memchr(p, '*', static_cast<std::size_t>(end - 1 - p)));
        if (p == nullptr)
            return nullptr;
        if (p[1] == '/')
            return p;
    }
    return nullptr;
}

} // namespace

// Parses texts into a file (a friend of the file and its sections).
class SectionedParser {
public:
    explicit SectionedParser(SectionedFile& file) : m_file(file) {}

    void parse(std::string& text)
    {
        char* p = text.data();
        char* const end = p + text.size();
        // Editors may start a file with a UTF-8 byte-order mark; it is no part of the first line.
        if (text.size() >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0)
            p += 3;
        while (p < end) {
            char* const line = p;
            char* equals = nullptr;
            char* special = nullptr; // the first special byte after the "="
            char* contentEnd = end;
            bool joined = false;
            for (;;) {
                p = skipOrdinary(p, end);
                if (p == end) {
                    contentEnd = end;
                    break;
                }
                const unsigned char kind = kClasses.of[static_cast<unsigned char>(*p)];
                if (kind == LineEnd) {
                    contentEnd = p++;
                    break;
                }
                if (kind == Equals) {
                    if (!equals)
                        equals = p;
                } else if (*p == '\r' && p + 1 < end && p[1] == '\n') {
                    // CR LF ends the line at once (the CR is a trailing blank, never part of the content).
                    contentEnd = p;
                    p += 2;
                    break;
                } else if (kind == Special) {
                    if (equals && !special)
                        special = p;
                } else if (*p == ';' || (p + 1 < end && p[1] == '/')) {
                    contentEnd = p;
                    p = nextLine(p + 1, end);
                    break;
                } else if (p + 1 < end && p[1] == '*') {
                    contentEnd = joinBlockComments(p, p, end);
                    joined = true;
                    break;
                }
                ++p;
            }
            handleLine(line, contentEnd, joined, equals, special);
        }
        finishSection();
    }

private:
    // Removes the block comment opening at `open` and any that follow on the joined line, closing the text
    // up in place; returns the end of the line's content and leaves `p` at the next line.
    char* joinBlockComments(char* open, char*& p, char* end)
    {
        char* out = open;
        char* q = open;
        for (;;) {
            char* close = blockCommentEnd(q, end);
            if (close == nullptr) {
                p = end; // an open comment runs to the end of the text
                return out;
            }
            q = close + 2;
            for (;;) {
                if (q == end) {
                    p = end;
                    return out;
                }
                const char c = *q;
                if (c == '\n') {
                    p = q + 1;
                    return out;
                }
                if (c == ';' || (c == '/' && q + 1 < end && q[1] == '/')) {
                    p = nextLine(q + 1, end);
                    return out;
                }
                if (c == '/' && q + 1 < end && q[1] == '*')
                    break;
                *out++ = c;
                ++q;
            }
        }
    }

    void handleLine(char* begin, char* end, bool joined, char* equals, char* special)
    {
        while (begin < end && isBlank(*begin))
            ++begin;
        while (end > begin && isBlank(end[-1]))
            --end;
        if (begin == end)
            return;
        if (*begin == '[') {
            header(begin + 1, end);
            return;
        }
        if (m_current == nullptr)
            return;
        if (joined) {
            // The scan's positions do not hold for a line that was closed up: look again.
            equals = static_cast<char*>(std::memchr(begin, '=', static_cast<std::size_t>(end - begin)));
            special = begin;
        }
        char* keyEnd = equals ? equals : end;
        while (keyEnd > begin && isBlank(keyEnd[-1]))
            --keyEnd;
        if (keyEnd == begin)
            return;
        SectionedFileEntry& entry = m_pending.emplace_back();
        entry.m_section = m_current;
        entry.m_name = begin;
        entry.m_nameSize = static_cast<std::uint32_t>(keyEnd - begin);
        if (equals) {
            entry.m_text = equals + 1;
            entry.m_textSize = static_cast<std::uint32_t>(end - equals - 1);
        }
        entry.m_form = (special && special < end) ? SectionedFileEntry::Written : SectionedFileEntry::Plain;
    }

    void header(char* begin, char* end)
    {
        if (void* close = std::memchr(begin, ']', static_cast<std::size_t>(end - begin)))
            end = static_cast<char*>(close);
        while (begin < end && isBlank(*begin))
            ++begin;
        while (end > begin && isBlank(end[-1]))
            --end;
        if (begin == end)
            return; // "[]" keeps the section before
        finishSection();
        const std::string_view name(begin, static_cast<std::size_t>(end - begin));
        const std::uint32_t hash = sectioned::hashName(name, m_file.m_caseSensitive);
        if (m_file.findSectionNumber(name, hash) != sectioned::NameIndex::kNone) {
            // A repeated header: its entries are dropped, and the file says so.
            if (m_file.m_droppedSection.empty())
                m_file.m_droppedSection = std::string(name);
            m_current = nullptr;
            return;
        }
        m_current = m_file.addSection(std::string(name), hash);
    }

    void finishSection()
    {
        if (m_current != nullptr && !m_pending.empty())
            m_current->adopt(m_pending);
        m_pending.clear();
    }

    SectionedFile& m_file;
    SectionedFileSection* m_current = nullptr;
    std::vector<SectionedFileEntry> m_pending; // the entries of the current section so far
};

ReadResult SectionedFile::Load(bool clearFirst)
{
    std::string bytes;
    ReadResult result = ReadWholeFile(MakeNativePath(GetPath()), bytes);
    if (result != ReadResult::Ok)
        return result;
    if (clearFirst)
        Clear();
    parseText(std::move(bytes));
    return ReadResult::Ok;
}

void SectionedFile::parseText(std::string&& text)
{
    // Nothing after a zero byte is read; the line that holds it is kept, so the readers refuse the file
    // instead of losing every key after it.
    if (const void* zero = std::memchr(text.data(), '\0', text.size())) {
        const auto at = static_cast<std::size_t>(static_cast<const char*>(zero) - text.data());
        if (m_zeroByteLine == 0)
            m_zeroByteLine = 1 + static_cast<std::size_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
        text.resize(at);
    }
    auto owned = std::make_shared<std::string>(std::move(text));
    SectionedParser(*this).parse(*owned);
    m_texts.push_back(std::move(owned));
}

int SectionedFile::Read(bool clearFirst)
{
    return Load(clearFirst) == ReadResult::Ok ? static_cast<int>(m_sections.size()) : 0;
}

int SectionedFile::ParseSectionedText(std::string_view input, bool clearFirst)
{
    if (input.size() > kMaxReadSize) {
        if (clearFirst)
            Clear();
        return static_cast<int>(m_sections.size());
    }
    std::string text(input); // copied first: the input may be a view of this file's own text
    if (clearFirst)
        Clear();
    parseText(std::move(text));
    return static_cast<int>(m_sections.size());
}

} // namespace engine
