#pragma once
// The one conversion between the engine's bytes and Qt's text. Engine text is the bytes the files and the
// system use: names, paths, descriptions, list cells, typed values, command lines and arguments, and the
// output of other programs. They cross to and from Qt in the locale's encoding, which is the file-name
// encoding Qt itself uses (UTF-8), so a name typed in a field names the same file on disk and reaches a
// command as the same bytes.
//
// A byte that does not decode is kept: it becomes one of the characters U+DC80-U+DCFF, which no valid text
// holds, is drawn as the replacement character, and turns back into the same byte. So bytes -> text -> bytes
// gives the bytes back whatever they are, and a name that does not decode is kept unless the user edits
// that part of it. Nothing else in the programs converts between QString and bytes.

#include <QChar>
#include <QLatin1StringView>
#include <QString>

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

namespace locale_text_detail {

constexpr char16_t kKeptByteBase = 0xDC00; // a kept byte b is the character 0xDC00 + b (b >= 0x80)

// Length of the valid sequence that starts at text[at], 0 when none starts there, or -1 when the bytes
// that are there begin a valid sequence that the end cuts short.
inline int sequenceLength(std::string_view text, std::size_t at)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    int length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0; // no overlong forms
        if (lead == 0xED)
            high = 0x9F; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F; // nothing above U+10FFFF
    } else {
        return 0;
    }
    for (int i = 1; i < length; ++i) {
        if (at + static_cast<std::size_t>(i) >= text.size())
            return -1;
        const unsigned char next = byte(at + static_cast<std::size_t>(i));
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF))
            return 0;
    }
    return length;
}

// Appends the decoded text and returns how many bytes at the end were left for more to come (only when
// keepIncomplete is set and the bytes there begin a valid sequence).
inline std::size_t decodeInto(QString& out, std::string_view text, bool keepIncomplete)
{
    std::size_t at = 0;
    while (at < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[at]);
        if (lead < 0x80) {
            // A run of ASCII is the same in every step of the way.
            std::size_t end = at + 1;
            while (end < text.size() && static_cast<unsigned char>(text[end]) < 0x80)
                ++end;
            out.append(QLatin1StringView(text.data() + at, static_cast<qsizetype>(end - at)));
            at = end;
            continue;
        }
        const int length = sequenceLength(text, at);
        if (length < 0 && keepIncomplete)
            return text.size() - at;
        if (length <= 0) {
            out.append(QChar(static_cast<char16_t>(kKeptByteBase + lead)));
            ++at;
            continue;
        }
        char32_t code = lead & (length == 2 ? 0x1F : length == 3 ? 0x0F : 0x07);
        for (int i = 1; i < length; ++i)
            code = (code << 6) | (static_cast<unsigned char>(text[at + static_cast<std::size_t>(i)]) & 0x3F);
        if (code > 0xFFFF) {
            out.append(QChar(QChar::highSurrogate(code)));
            out.append(QChar(QChar::lowSurrogate(code)));
        } else {
            out.append(QChar(static_cast<char16_t>(code)));
        }
        at += static_cast<std::size_t>(length);
    }
    return 0;
}

} // namespace locale_text_detail

// Bytes as text for Qt.
inline QString toQString(std::string_view bytes)
{
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    locale_text_detail::decodeInto(text, bytes, false);
    return text;
}

// A text from Qt as the bytes the engine and the system keep.
inline std::string toBytes(const QString& text)
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    const auto put = [&bytes](unsigned value) { bytes.push_back(static_cast<char>(value)); };
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        char32_t code = text.at(i).unicode();
        if (QChar::isHighSurrogate(code) && i + 1 < size && text.at(i + 1).isLowSurrogate()) {
            code = QChar::surrogateToUcs4(static_cast<char16_t>(code), text.at(i + 1).unicode());
            ++i;
        } else if (code >= locale_text_detail::kKeptByteBase + 0x80 && code <= locale_text_detail::kKeptByteBase + 0xFF) {
            put(code - locale_text_detail::kKeptByteBase); // a byte that was kept
            continue;
        } else if (QChar::isSurrogate(code)) {
            code = QChar::ReplacementCharacter; // half a pair: nothing to give back
        }
        if (code < 0x80) {
            put(code);
        } else if (code < 0x800) {
            put(0xC0 | (code >> 6));
            put(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            put(0xE0 | (code >> 12));
            put(0x80 | ((code >> 6) & 0x3F));
            put(0x80 | (code & 0x3F));
        } else {
            put(0xF0 | (code >> 18));
            put(0x80 | ((code >> 12) & 0x3F));
            put(0x80 | ((code >> 6) & 0x3F));
            put(0x80 | (code & 0x3F));
        }
    }
    return bytes;
}

// A text for places that take valid text only, such as a window's caption (the window manager gets it as
// UTF-8, where a kept byte would turn into "?"): every kept byte as the replacement character, as the
// program draws it everywhere else. What it gives is for showing, never to be turned back into bytes.
inline QString captionText(const QString& text)
{
    QString shown = text;
    for (QChar& c : shown) {
        const char16_t code = c.unicode();
        if (code >= locale_text_detail::kKeptByteBase + 0x80 && code <= locale_text_detail::kKeptByteBase + 0xFF)
            c = QChar(QChar::ReplacementCharacter);
    }
    return shown;
}

// Decodes a stream that arrives in pieces: a character split between two pieces is decoded whole once its
// end arrives. Finish() gives what an unfinished character left, as kept bytes.
class StreamDecoder {
public:
    QString Decode(std::string_view piece)
    {
        QString text;
        if (m_held.empty()) {
            const std::size_t left = locale_text_detail::decodeInto(text, piece, true);
            m_held.assign(piece.substr(piece.size() - left));
            return text;
        }
        m_held.append(piece);
        const std::string pending = std::move(m_held);
        m_held.clear();
        const std::size_t left = locale_text_detail::decodeInto(text, pending, true);
        m_held.assign(pending, pending.size() - left, left);
        return text;
    }
    QString Finish()
    {
        QString text = toQString(m_held);
        m_held.clear();
        return text;
    }
    bool Holding() const { return !m_held.empty(); }

private:
    std::string m_held; // at most three bytes of a character still to come
};

} // namespace platform
