#include "engine/sectioned/sectioned_file.h"
#include "engine/util/tests/scratch_dir.h"

#include <gtest/gtest.h>

namespace engine {
namespace {

using engine::testing::ScratchDir;

SectionedFile parse(std::string_view text, bool caseSensitive = false)
{
    SectionedFile file("", caseSensitive);
    file.ParseSectionedText(text);
    return file;
}

TEST(SectionedParse, KeysValuesAndBlanks)
{
    SectionedFile file = parse("[General]\r\nkey = value\r\nempty=\r\nbare\r\n  spaced key  =x  \r\n=nokey\r\n");
    SectionedFileSection* section = file.FindSection("general");
    ASSERT_NE(section, nullptr);
    EXPECT_EQ(section->GetString("key"), " value");
    EXPECT_EQ(section->GetString("empty", "d"), "");
    EXPECT_EQ(section->GetString("bare", "d"), "");
    EXPECT_EQ(section->GetString("spaced key"), "x");
    EXPECT_EQ(section->GetEntryCount(), 4u);
    EXPECT_EQ(section->GetString("missing", "default"), "default");
}

TEST(SectionedParse, SectionHeadersAndRepeats)
{
    SectionedFile file = parse("before=1\n[ Models ]tail\nA=1\na=2\n[MODELS]\nB=3\n[]\nC=4\n[Other\nD=5\n");
    EXPECT_EQ(file.GetSectionCount(), 2u);
    SectionedFileSection* models = file.FindSection("MODELS");
    ASSERT_NE(models, nullptr);
    EXPECT_EQ(models->GetName(), "Models");
    EXPECT_EQ(models->GetString("a"), "1"); // first key wins
    EXPECT_EQ(models->FindEntry("B"), nullptr); // entries under a repeated header are dropped
    EXPECT_EQ(models->FindEntry("C"), nullptr);
    SectionedFileSection* other = file.FindSection("other");
    ASSERT_NE(other, nullptr); // a header without "]" runs to the end of the line
    EXPECT_EQ(other->GetString("D"), "5");

    SectionedFile sensitive = parse("[S]\nA=1\na=2\n[s]\nx=1\n", true);
    EXPECT_EQ(sensitive.GetSectionCount(), 2u);
    EXPECT_EQ(sensitive.FindSection("S")->GetString("A"), "1");
    EXPECT_EQ(sensitive.FindSection("S")->GetString("a"), "2");
    EXPECT_EQ(sensitive.FindSection("S")->FindEntry("x"), nullptr);
    EXPECT_EQ(sensitive.GetEntryCount("s"), 1u);
    EXPECT_EQ(sensitive.GetEntryCount("none"), 0u);
}

// What a parse could not hold as written is described once, first the repeated section, then a repeated
// key, then a text holding a zero byte, under the file's own case rule.
TEST(SectionedParse, ReadProblemsNameWhatWasDroppedOrCut)
{
    struct Row {
        const char* text;
        bool caseSensitive;
        std::string problem;
    };
    const Row rows[] = {
        {"[A]\nk=1\n[B]\nk=1\n", false, ""},
        {"[A]\nk=1\n[a]\nk=2\n", false, "the section \"a\" appears twice"},
        {"[A]\nk=1\n[a]\nk=2\n", true, ""},
        {"[A]\nStack Size=1\nstack size=2\n", false, "the key \"stack size\" is listed twice in section \"A\""},
        {"[A]\nStack Size=1\nstack size=2\n", true, ""},
        {"[A]\nk=1\nk=1\n[A]\n", false, "the section \"A\" appears twice"},
        {"[A]\nName=\"Mon\\x00itor\"\n", false,
         "the value of \"Name\" in section \"A\" holds a zero byte (\\x00), which no text of this file can hold"},
        {"[A]\nName=\"Mon\\0\"\n", false,
         "the value of \"Name\" in section \"A\" holds a zero byte (\\x00), which no text of this file can hold"},
        {"[A]\nName=Mon\\x00itor\n", false, ""}, // unquoted: the backslash is text
        {"[A]\nName=\"Mon\\x01itor\"\n", false, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        SectionedFile file("", row.caseSensitive);
        file.ParseSectionedText(row.text);
        EXPECT_EQ(file.FindReadProblem(), row.problem);
    }
}

TEST(SectionedParse, EmptySectionBracketsKeepTheSectionBefore)
{
    SectionedFile file = parse("[A]\nx=1\n[ ]\ny=2\n");
    EXPECT_EQ(file.GetSectionCount(), 1u);
    EXPECT_EQ(file.FindSection("A")->GetString("y"), "2");
}

TEST(SectionedParse, CommentsInCrLfAndLfFiles)
{
    for (const char* eol : {"\r\n", "\n"}) {
        std::string text = std::string("; header") + eol + "[A] // note" + eol + "x=1 ; one" + eol +
                           "/* block" + eol + "z=9 */y=2" + eol + "w=\"a;b\"" + eol;
        SectionedFile file = parse(text);
        SectionedFileSection* a = file.FindSection("A");
        ASSERT_NE(a, nullptr) << "line end " << (eol[0] == '\r' ? "CR LF" : "LF");
        EXPECT_EQ(a->GetString("x"), "1");
        EXPECT_EQ(a->GetString("y"), "2");
        EXPECT_EQ(a->FindEntry("z"), nullptr);
        EXPECT_EQ(a->GetString("w"), "\"a"); // a ";" inside quotes still starts a comment
    }
}

// A CR before the LF is a trailing blank, whatever comes before it; a CR elsewhere is part of the line.
TEST(SectionedParse, CrLfEndsLinesAsLfDoes)
{
    std::string texts[2];
    for (int variant = 0; variant < 2; ++variant) {
        const std::string eol = variant == 0 ? "\r\n" : "\n";
        const std::string text = "[A] " + eol + eol + "q=\"x y\" " + eol + "lone=a\rb" + eol + "twice=v\r" + eol +
                                 "e=" + eol + "\r" + eol + "t=\"\\x41\"" + eol + "last=z\r";
        SectionedFile file = parse(text);
        SectionedFileSection* a = file.FindSection("A");
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->GetString("q"), "x y");
        EXPECT_EQ(a->GetString("lone"), "a\rb");
        EXPECT_EQ(a->GetString("twice"), "v");
        EXPECT_EQ(a->GetString("e", "d"), "");
        EXPECT_EQ(a->GetString("t"), "A");
        EXPECT_EQ(a->GetString("last"), "z");
        EXPECT_EQ(a->GetEntryCount(), 6u);
        texts[variant] = file.ToText();
    }
    EXPECT_EQ(texts[0], texts[1]);
}

TEST(SectionedParse, QuotedValues)
{
    SectionedFile file = parse("[A]\nq=\"\"\nr=\" padded \"\ns='x'\nt=\"\\x41\\n\"\n");
    SectionedFileSection* a = file.FindSection("A");
    EXPECT_EQ(a->GetString("q"), "\"\"");
    EXPECT_EQ(a->GetString("r"), " padded ");
    EXPECT_EQ(a->GetString("s"), "x");
    EXPECT_EQ(a->GetString("t"), "A\n");
}

TEST(SectionedValues, IntegerAndTruthViews)
{
    SectionedFile file = parse("[A]\nhex=0x10\noct=010\nbad=12abc\nneg=-1\nzero=0\nbig=4294967297\n");
    SectionedFileSection* a = file.FindSection("A");
    EXPECT_EQ(a->GetInt("hex", 5), 16);
    EXPECT_EQ(a->GetInt("oct", 5), 8);
    EXPECT_EQ(a->GetInt("bad", 5), 0); // present but not a number: 0, not the default
    EXPECT_FALSE(a->GetBool("bad", true));
    EXPECT_EQ(a->GetInt("neg", 5), -1);
    EXPECT_FALSE(a->GetBool("zero", true));
    EXPECT_EQ(a->GetInt("big", 0), -1); // 0xFFFFFFFF, never wrapped to 1
    EXPECT_EQ(a->GetInt("missing", 5), 5);
    EXPECT_TRUE(a->GetBool("missing", true));
}

TEST(SectionedBuild, AddFindOrderAndSorting)
{
    SectionedFile file("", false);
    SectionedFileSection* b = file.AddSection("b");
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(file.AddSection("B"), nullptr);
    file.AddSection("a");
    EXPECT_EQ(file.GetSection(0)->GetName(), "b");
    EXPECT_NE(b->AddEntry("k", 7), nullptr);
    EXPECT_EQ(b->AddEntry("K", "other"), nullptr);
    EXPECT_EQ(b->GetString("k"), "7");
    TextList names;
    b->AddEntry("j", "x");
    b->GetEntryNames(names);
    EXPECT_EQ(names, (TextList{"k", "j"}));
    EXPECT_EQ(b->GetEntry(1)->GetSection(), b);
    EXPECT_EQ(b->GetFile(), &file);

    SectionedFile sorted("", true, true);
    for (const char* name : {"m", "c", "x", "a", "c2"})
        sorted.AddSection(name);
    std::string order;
    for (const auto& section : sorted.Sections())
        order += section->GetName() + " ";
    EXPECT_EQ(order, "a c c2 m x ");
    SectionedFileSection* m = sorted.FindSection("m");
    m->AddEntry("z", 1);
    m->AddEntry("b", 2);
    EXPECT_EQ(m->GetEntry(0)->GetName(), "b");
}

TEST(SectionedBuild, CopyIsDeepAndIndependent)
{
    SectionedFile original = parse("[A]\nx=1\n[B]\ny=2\n");
    SectionedFile copy(original);
    copy.FindSection("A")->FindEntry("x")->SetValue("changed");
    EXPECT_EQ(original.FindSection("A")->GetString("x"), "1");
    EXPECT_EQ(copy.FindSection("B")->GetFile(), &copy);
    SectionedFile assigned;
    assigned = copy;
    EXPECT_EQ(assigned.ToText(), copy.ToText());
    assigned.Clear();
    EXPECT_EQ(assigned.GetSectionCount(), 0u);
    EXPECT_EQ(assigned.FindSection("A"), nullptr);
}

TEST(SectionedWrite, LayoutAndRefusals)
{
    SectionedFile file("", true);
    SectionedFileSection* kernel = file.AddSection("KERNEL");
    kernel->AddEntry("Writeable", 1);
    kernel->AddEntry("Empty", "");
    kernel->AddEntry("Path", "a;b");
    file.AddSection("Empty Section");
    EXPECT_EQ(file.ToText(), "[KERNEL]\r\nWriteable=1\r\nEmpty=\r\nPath=\"a\\x3b\\x62\"\r\n\r\n[Empty Section]\r\n\r\n");
    EXPECT_EQ(file.FindUnwritableName(), "");

    for (const char* bad : {"a]b", " lead", "x;y", "a//b", "line\nbreak"}) {
        SectionedFile refused("", true);
        refused.AddSection(bad);
        EXPECT_NE(refused.FindUnwritableName(), "") << bad;
    }
    for (const char* bad : {"a=b", "[x", "c/*d", "trail "}) {
        SectionedFile refused("", true);
        refused.AddSection("S")->AddEntry(bad, "v");
        EXPECT_NE(refused.FindUnwritableName(), "") << bad;
    }

    SectionedFile collide("", true);
    collide.AddSection("Task");
    collide.AddSection("TASK");
    EXPECT_NE(collide.FindNameCollision(), "");
    SectionedFile keys("", true);
    keys.AddSection("S")->AddEntry("k", 1);
    keys.FindSection("S")->AddEntry("K", 2);
    EXPECT_NE(keys.FindNameCollision(), "");
    EXPECT_EQ(file.FindNameCollision(), "");
}

TEST(SectionedFileIo, ReadWriteAndFailures)
{
    ScratchDir dir;
    SectionedFile file(dir.file("out.cpu"), true);
    file.AddSection("A")->AddEntry("x", " v;//\"\\ ");
    EXPECT_EQ(file.WriteSectionedFile(false), 1);

    SectionedFile back(dir.file("out.cpu"), false, false, true);
    EXPECT_EQ(back.FindSection("a")->GetString("X"), " v;//\"\\ ");

    // A file that cannot be read leaves what was held.
    SectionedFile missing(dir.file("missing.cfg"));
    missing.ParseSectionedText("[Kept]\n");
    EXPECT_EQ(missing.Read(true), 0);
    EXPECT_EQ(missing.Load(true), ReadResult::OpenFailed);
    EXPECT_NE(missing.FindSection("Kept"), nullptr);
    SectionedFile folder(dir.path());
    EXPECT_EQ(folder.Load(true), ReadResult::NotRegular);

    // Unwritable targets and names give 0 and keep the sections.
    EXPECT_EQ(file.SaveAs(dir.file("no/such/dir.cpu"), true), 0);
    EXPECT_EQ(file.GetSectionCount(), 1u);
    file.AddSection("bad;name");
    EXPECT_EQ(file.SaveAs(dir.file("refused.cpu")), 0);
    EXPECT_FALSE(file.WriteReplacing());

    // Backslash paths are made native before opening.
    SectionedFile native(dir.path() + "\\out.cpu", false, false, true);
    EXPECT_EQ(native.GetSectionCount(), 1u);
}

TEST(SectionedFileIo, ReplacingWriteLeavesNoTemporaryFile)
{
    ScratchDir dir;
    dir.write("k.cpu", "[Old]\r\n");
    SectionedFile file(dir.file("k.cpu"), true);
    file.AddSection("New")->AddEntry("v", 1);
    EXPECT_TRUE(file.WriteReplacing(true));
    EXPECT_EQ(file.GetSectionCount(), 0u);
    EXPECT_EQ(dir.read("k.cpu"), "[New]\r\nv=1\r\n\r\n");
    EXPECT_EQ(dir.fileCount(), 1u);
}

} // namespace
} // namespace engine
