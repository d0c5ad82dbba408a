#pragma once
// Source positions and ranges as the debugger describes them, and the debugger's path and source-text
// queries. Positions and ranges are shared bodies: copies are cheap and see the same values.

#include "sdk/debugger/dk_abi.h"

#include <cstdint>
#include <memory>
#include <string>

namespace dk {

class SourcePosition {
public:
    SourcePosition(); // line and column unset, empty file name
    SourcePosition(const std::string& file, uint32_t line, uint32_t column);
    // From a triple the debugger filled; its file text is copied, not given back.
    explicit SourcePosition(const DkSourceTriple& triple);

    std::string GetFileName() const { return m_body->file; }
    uint32_t GetLine() const { return m_body->line; }
    uint32_t GetColumn() const { return m_body->column; }
    bool IsSet() const { return m_body->set; }
    // The triple handed to the debugger; its text lives as long as this position.
    DkSourceTriple ToTriple() const;

    // Equality includes the file name; the order compares line, then column, never the file.
    bool operator==(const SourcePosition& other) const;
    bool operator!=(const SourcePosition& other) const { return !(*this == other); }
    bool operator<(const SourcePosition& other) const;
    bool operator<=(const SourcePosition& other) const;
    bool operator>(const SourcePosition& other) const { return other < *this; }
    bool operator>=(const SourcePosition& other) const { return other <= *this; }

private:
    struct Body {
        uint32_t line = 0;
        uint32_t column = 0;
        std::string file;
        bool set = false;
    };
    std::shared_ptr<Body> m_body;
};

class SourceRange {
public:
    SourceRange();
    SourceRange(const SourcePosition& start, const SourcePosition& end);
    SourcePosition GetStart() const { return m_body->start; }
    SourcePosition GetEnd() const { return m_body->end; }
    void SetStart(const SourcePosition& start) { m_body->start = start; }
    void SetEnd(const SourcePosition& end) { m_body->end = end; }

private:
    struct Body {
        SourcePosition start;
        SourcePosition end;
    };
    std::shared_ptr<Body> m_body;
};

// Entry 14 and 15: true when the debugger resolved the path; result takes its text.
bool ResolvePath(const std::string& path, std::string& result);
bool ResolvePathPair(const std::string& first, const std::string& second, std::string& result);

// Entry 200 with 1-based lines and columns: the text of a span, or of whole lines. The result is the
// number of lines asked for (last - first + 1).
int32_t GetSourceText(const std::string& file, int32_t firstLine, int32_t firstColumn, int32_t lastLine,
                      int32_t lastColumn, std::string& text);
int32_t GetSourceLines(const std::string& file, int32_t firstLine, int32_t lastLine, std::string& text);

} // namespace dk
