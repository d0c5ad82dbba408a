// Source positions, ranges and the debugger's path and source-text queries (entries 14, 15, 200).

#include "plugin/sdk/source_positions.h"

#include "plugin/sdk/kernel.h"

#include <tuple>

namespace dk {

SourcePosition::SourcePosition() : m_body(std::make_shared<Body>()) {}

SourcePosition::SourcePosition(const std::string& file, uint32_t line, uint32_t column)
    : m_body(std::make_shared<Body>(Body{line, column, file, true}))
{
}

SourcePosition::SourcePosition(const DkSourceTriple& triple)
    : SourcePosition(triple.file != nullptr ? triple.file : "", triple.line, triple.column)
{
}

DkSourceTriple SourcePosition::ToTriple() const
{
    return DkSourceTriple{m_body->line, m_body->column, m_body->file.c_str()};
}

bool SourcePosition::operator==(const SourcePosition& other) const
{
    return m_body->file == other.m_body->file && m_body->line == other.m_body->line &&
           m_body->column == other.m_body->column;
}

bool SourcePosition::operator<(const SourcePosition& other) const
{
    return std::tie(m_body->line, m_body->column) < std::tie(other.m_body->line, other.m_body->column);
}

bool SourcePosition::operator<=(const SourcePosition& other) const
{
    return std::tie(m_body->line, m_body->column) <= std::tie(other.m_body->line, other.m_body->column);
}

SourceRange::SourceRange() : m_body(std::make_shared<Body>()) {}

SourceRange::SourceRange(const SourcePosition& start, const SourcePosition& end)
    : m_body(std::make_shared<Body>(Body{start, end}))
{
}

namespace {

// The debugger writes at most size - 1 characters; the buffer is terminated here as well.
template <typename Call>
bool pathQuery(std::string& result, Call call)
{
    char buffer[DK_PATH_BUFFER] = {};
    if (call(buffer) == 0)
        return false;
    buffer[DK_PATH_BUFFER - 1] = '\0';
    result = buffer;
    return true;
}

} // namespace

bool ResolvePath(const std::string& path, std::string& result)
{
    return pathQuery(result, [&](char* buffer) {
        return callKernel<DkResolvePathFn>(0, DK_RESOLVE_PATH, path.c_str(), buffer, uint32_t{DK_PATH_BUFFER});
    });
}

bool ResolvePathPair(const std::string& first, const std::string& second, std::string& result)
{
    return pathQuery(result, [&](char* buffer) {
        return callKernel<DkResolvePathPairFn>(0, DK_RESOLVE_PATH_PAIR, first.c_str(), second.c_str(), buffer,
                                               uint32_t{DK_PATH_BUFFER});
    });
}

int32_t GetSourceText(const std::string& file, int32_t firstLine, int32_t firstColumn, int32_t lastLine,
                      int32_t lastColumn, std::string& text)
{
    // The debugger counts from 0; -1 asks for whole lines.
    int32_t columnFrom = firstColumn < 0 ? -1 : firstColumn - 1;
    int32_t columnTo = lastColumn < 0 ? -1 : lastColumn - 1;
    text = takeHostText(callKernel<DkSourceTextFn>(static_cast<const char*>(nullptr), DK_SOURCE_TEXT, file.c_str(),
                                                   firstLine - 1, columnFrom, lastLine - 1, columnTo));
    return lastLine - firstLine + 1;
}

int32_t GetSourceLines(const std::string& file, int32_t firstLine, int32_t lastLine, std::string& text)
{
    return GetSourceText(file, firstLine, -1, lastLine, -1, text);
}

} // namespace dk
