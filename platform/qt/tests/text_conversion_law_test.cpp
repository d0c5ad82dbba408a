// Text crosses between Qt and bytes through one file, platform/qt/locale_text.h. This test reads the
// programs' and the plug-in's own sources (gui/, platform/, plugin/, tests excepted) and refuses every
// other conversion by the name of the function or type that does it, whatever the variable it is called
// on. Qt's implicit conversions (QString from const char* or QByteArray, and back) do not compile there
// (the build switches them off), so a literal becomes a QString only as a QStringLiteral or a u"" literal
// written in ASCII (a character beyond ASCII by its number, \u00e9, never by bytes), which this test checks.
// Qt's file classes decode a path themselves: no path reaches the system through one of them, unless a
// comment at the use says why bytes are kept ("Bytes kept: ...").

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const char* const kOneConversion = "platform/qt/locale_text.h";

// Every Qt or library call that turns a QString into bytes or bytes into a QString, or hides such a turn
// (tr() and translate() decode their const char* arguments; qPrintable encodes).
const char* const kConversions =
    "fromLatin1|toLatin1|fromUtf8|toUtf8|fromLocal8Bit|toLocal8Bit|fromStdString|toStdString|"
    "fromStdWString|toStdWString|fromStdU16String|toStdU16String|fromStdU32String|toStdU32String|"
    "fromUcs4|toUcs4|fromWCharArray|toWCharArray|fromUtf16|encodeName|decodeName|fromPercentEncoding|"
    "toPercentEncoding|fromEncoded|toEncoded|fromAce|toAce|QLatin1String|QLatin1StringView|QLatin1Char|"
    "QUtf8StringView|QAnyStringView|QStringDecoder|QStringEncoder|QStringConverter|QTextCodec|QTextStream|"
    "QDataStream|asprintf|vasprintf|qPrintable|qUtf8Printable|toByteArray|fromJson|toJson|tr|translate|"
    "trUtf8|_L1|_ba|QByteArrayLiteral";

// Qt's classes and functions that take a path as text and decode it themselves on its way to the system:
// a name that does not decode never reaches the file it names. The static functions of the file dialogs
// are named by their own names; the classes by theirs, whatever is called on them.
const char* const kPathClasses =
    "QDir|QDirIterator|QFile|QFileInfo|QSaveFile|QTemporaryFile|QTemporaryDir|QLockFile|QFileSystemWatcher|"
    "QFileSystemModel|QStorageInfo|QLibrary|QPluginLoader|QSettings|QProcess|QDesktopServices|QFileSelector|"
    "fromLocalFile|toLocalFile|getOpenFileName|getOpenFileNames|getSaveFileName|getExistingDirectory|"
    "getOpenFileUrl|getOpenFileUrls|getSaveFileUrl|getExistingDirectoryUrl|getOpenFileContent|saveFileContent";

// What a comment at such a use says when it keeps bytes all the same (the text holds no path, or the path
// is the program's own ASCII), on the use's line or in the comment lines right above it.
const char* const kBytesKept = "bytes kept:";

struct Finding {
    int line = 0;
    std::string what;
};

// Comments go; string literals keep their quotes but lose their contents, so a message that names a
// function is no finding. Line breaks stay, so line numbers hold.
std::string withoutCommentsAndTexts(const std::string& source, bool blankTexts)
{
    std::string out;
    out.reserve(source.size());
    for (std::size_t i = 0; i < source.size(); ++i) {
        const char c = source[i];
        if (c == '/' && i + 1 < source.size() && source[i + 1] == '/') {
            while (i < source.size() && source[i] != '\n')
                ++i;
            if (i < source.size())
                out += '\n';
            continue;
        }
        if (c == '/' && i + 1 < source.size() && source[i + 1] == '*') {
            i += 2;
            while (i + 1 < source.size() && !(source[i] == '*' && source[i + 1] == '/')) {
                if (source[i] == '\n')
                    out += '\n';
                ++i;
            }
            ++i;
            continue;
        }
        if (c == '"' || c == '\'') {
            out += c;
            for (++i; i < source.size() && source[i] != c && source[i] != '\n'; ++i) {
                if (source[i] == '\\' && i + 1 < source.size()) {
                    if (!blankTexts)
                        out += source[i];
                    ++i;
                }
                if (!blankTexts)
                    out += source[i];
            }
            if (i < source.size())
                out += source[i];
            continue;
        }
        out += c;
    }
    return out;
}

int lineOf(const std::string& text, std::size_t at)
{
    return 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
}

bool plainAscii(const std::string& literal)
{
    for (std::size_t i = 0; i < literal.size(); ++i) {
        const auto c = static_cast<unsigned char>(literal[i]);
        if (c >= 0x80)
            return false;
        // An escape that gives a byte rather than a character (\x, an octal); \u names a character.
        if (c == '\\' && i + 1 < literal.size()) {
            const char next = literal[i + 1];
            const bool highOctal = (next == '2' || next == '3') && i + 3 < literal.size() &&
                                   literal[i + 2] >= '0' && literal[i + 2] <= '7' && literal[i + 3] >= '0' &&
                                   literal[i + 3] <= '7';
            if (next == 'x' || highOctal)
                return false;
            ++i;
        }
    }
    return true;
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string lowered(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Whether the comment on the line (1-based) or the comment lines right above it say why bytes are kept.
bool bytesKeptAt(const std::vector<std::string>& lines, int line)
{
    const auto comment = [&](int at) {
        const std::string& text = lines[static_cast<std::size_t>(at - 1)];
        const std::size_t start = text.find("//");
        return start == std::string::npos ? std::string() : lowered(text.substr(start));
    };
    if (line < 1 || static_cast<std::size_t>(line) > lines.size())
        return false;
    if (comment(line).find(kBytesKept) != std::string::npos)
        return true;
    for (int at = line - 1; at >= 1; --at) {
        const std::string& text = lines[static_cast<std::size_t>(at - 1)];
        const std::size_t start = text.find_first_not_of(" \t");
        if (start == std::string::npos || text.compare(start, 2, "//") != 0)
            return false;
        if (comment(at).find(kBytesKept) != std::string::npos)
            return true;
    }
    return false;
}

std::vector<Finding> conversionsIn(const std::string& source)
{
    std::vector<Finding> findings;
    const std::string code = withoutCommentsAndTexts(source, true);
    static const std::regex call(std::string("(^|[^A-Za-z0-9_])(") + kConversions + ")(?![A-Za-z0-9_])");
    for (auto it = std::sregex_iterator(code.begin(), code.end(), call); it != std::sregex_iterator(); ++it)
        findings.push_back({lineOf(code, static_cast<std::size_t>(it->position(2))), it->str(2)});
    // Qt's path classes, unless a comment at the use says why bytes are kept. An include names the class
    // for the uses below it and is no use of its own.
    static const std::regex pathUse(std::string("(^|[^A-Za-z0-9_])(") + kPathClasses + ")(?![A-Za-z0-9_])");
    static const std::regex include(R"((^|\n)[ \t]*#[ \t]*include[^\n]*)");
    const std::string uses = std::regex_replace(code, include, "$1");
    const std::vector<std::string> lines = linesOf(source);
    for (auto it = std::sregex_iterator(uses.begin(), uses.end(), pathUse); it != std::sregex_iterator(); ++it) {
        const int line = lineOf(uses, static_cast<std::size_t>(it->position(2)));
        if (!bytesKeptAt(lines, line))
            findings.push_back({line, "path through " + it->str(2)});
    }
    // Literals that become QStrings: ASCII only.
    const std::string texts = withoutCommentsAndTexts(source, false);
    static const std::regex literal(R"((QStringLiteral\s*\(\s*|(^|[^A-Za-z0-9_])u)("([^"\\\n]|\\.)*"|'([^'\\\n]|\\.)*'))");
    for (auto it = std::sregex_iterator(texts.begin(), texts.end(), literal); it != std::sregex_iterator(); ++it) {
        if (!plainAscii(it->str(3)))
            findings.push_back({lineOf(texts, static_cast<std::size_t>(it->position(3))), "literal " + it->str(3)});
    }
    return findings;
}

TEST(TextConversionLaw, TheCheckerSeesEveryFormOfConversion)
{
    struct Case {
        const char* source;
        std::size_t findings;
    };
    const Case cases[] = {
        {"x = QString::fromLatin1(p);", 1},
        {"std::string s = anything.toStdString();", 1},
        {"auto b = whateverItIsCalled ->toUtf8();", 1},
        {"QString::fromUtf8 (p, n)", 1},
        {"QFile::encodeName(name)", 2}, // a conversion, and a path through QFile
        {"QStringDecoder d(QStringDecoder::System);", 2},
        {"label->setText(tr(\"Open\"));", 1},
        {"QLatin1String(\"a\") + QLatin1Char('b')", 2},
        {"QTextStream out(&file);", 1},
        {"qPrintable(text)", 1},
        {"QStringLiteral(\"caf\xc3\xa9\")", 1},
        {"QStringLiteral(\"caf\\xe9\")", 1},
        {"QStringLiteral(\"Copyright \\u00a9\")", 0}, // a character by its number, no bytes
        {"QString s = u\"\xd0\x94\";", 1},
        // Not conversions: the one conversion's functions, ASCII literals, names in texts and comments.
        {"platform::toQString(bytes); platform::toBytes(text);", 0},
        {"QStringLiteral(\"Output from command: \\\"%1\\\"\") + u'\\n'", 0},
        {"message(\"call toLatin1() here\"); // or toUtf8()\n/* fromLatin1 */", 0},
        {"int attr(int); strtr(x); m_translated = 1;", 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(conversionsIn(c.source).size(), c.findings) << c.source;
}

// Qt's own file classes decode a path on their way to the system: each is refused wherever it is used,
// unless a comment at the use says why bytes are kept.
TEST(TextConversionLaw, TheCheckerSeesEveryPathThroughQtsFileClasses)
{
    struct Case {
        const char* source;
        std::size_t findings;
    };
    const Case cases[] = {
        {"QDir().mkdir(platform::toQString(folder));", 1},
        {"QDir::tempPath()", 1},
        {"if (QFile::exists(name)) {}", 1},
        {"QFile file(path);", 1},
        {"const QFileInfo info(path); info.absolutePath();", 1},
        {"QFileInfo::exists(url.toLocalFile())", 2},
        {"m_watcher = new QFileSystemWatcher(this);", 1},
        {"watcher->addPath(toQString(path)); // QFileSystemWatcher", 0}, // the class named in a comment only
        {"return QUrl::fromLocalFile(toQString(target));", 1},
        {"QDesktopServices::openUrl(url);", 1},
        {"const QString p = QFileDialog::getOpenFileName(this, t);", 1},
        {"QFileDialog::getSaveFileName(nullptr)", 1},
        {"QFileDialog::getExistingDirectory(parent)", 1},
        {"QSaveFile out(name); QTemporaryFile t; QLockFile lock(n);", 3},
        {"QDirIterator it(root); QStorageInfo s(root);", 2},
        {"QLibrary library(name); QProcess::startDetached(p);", 2},
        {"std::unique_ptr<QLockFile> m_lock;", 1},
        {"class QFileSystemWatcher;", 1},
        // Not uses: includes, other names that hold a class name, a dialog's instance, a comment that
        // says why bytes are kept (on the line, or in the comment lines right above).
        {"#include <QDir>\n#include <QFileInfo>\n#include <QDesktopServices>", 0},
        {"QDirModelLike m; MyQFile f; QFileDialog dialog(parent); dialog.selectFile(name);", 0},
        {"QDesktopServices::openUrl(address); // Bytes kept: an address, not a path", 0},
        {"// Opens an address with its scheme.\n// Bytes kept: an address names no file.\nQDesktopServices::openUrl(u);", 0},
        {"// Bytes kept: not this one.\n\nQDesktopServices::openUrl(u);", 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(conversionsIn(c.source).size(), c.findings) << c.source;
}

TEST(TextConversionLaw, OnlyTheOneConversionConvertsTextInTheProgramsAndThePlugin)
{
    const char* rootVariable = std::getenv("KORVANE_SOURCE_DIR");
    const fs::path root(rootVariable ? rootVariable : KORVANE_SOURCE_DIR_FALLBACK);
    ASSERT_TRUE(fs::exists(root / kOneConversion));
    std::size_t filesRead = 0;
    std::ostringstream report;
    for (const char* top : {"gui", "platform", "plugin"}) {
        for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root / top)) {
            if (!entry.is_regular_file())
                continue;
            const fs::path relative = fs::relative(entry.path(), root);
            const std::string ext = relative.extension().string();
            if (ext != ".cpp" && ext != ".h" && ext != ".hpp" && ext != ".cc")
                continue;
            bool test = false;
            for (const fs::path& part : relative) {
                if (part == "tests" || part == "testing" || part == "fuzz")
                    test = true;
            }
            if (test || relative == kOneConversion)
                continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::ostringstream content;
            content << in.rdbuf();
            ++filesRead;
            for (const Finding& f : conversionsIn(content.str()))
                report << relative.string() << ':' << f.line << ": " << f.what << '\n';
        }
    }
    EXPECT_GT(filesRead, 100u);
    EXPECT_EQ(report.str(), "") << "convert through " << kOneConversion << " instead";
}

} // namespace
