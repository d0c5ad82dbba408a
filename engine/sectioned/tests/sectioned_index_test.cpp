#include "engine/sectioned/sectioned_file.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace engine {
namespace {

// A section of `count` keys "Key 0" to "Key <count - 1>" whose values are their numbers, one quoted.
std::string numberedSection(const std::string& name, int count)
{
    std::string text = "[" + name + "]\r\n";
    for (int k = 0; k < count; ++k)
        text += "Key " + std::to_string(k) + "=" + (k == 3 ? "\"3\"" : std::to_string(k)) + "\r\n";
    return text;
}

TEST(SectionedIndex, RepeatedHeadersAreNotedAndKeysFoundInAnyCaseBySizeOfSection)
{
    const std::string text = "[Main]\nx=1\n[MAIN]\ny=2\n[Other]\n[main]\nz=3\n";
    SectionedFile folded("", false);
    folded.ParseSectionedText(text);
    EXPECT_EQ(folded.GetSectionCount(), 2u);
    EXPECT_EQ(folded.GetDroppedSection(), "MAIN"); // the first repeat, as written
    SectionedFile sensitive("", true);
    sensitive.ParseSectionedText(text);
    EXPECT_EQ(sensitive.GetSectionCount(), 4u);
    EXPECT_EQ(sensitive.GetDroppedSection(), "");
    folded.Clear();
    EXPECT_EQ(folded.GetDroppedSection(), "");

    // Small sections are scanned, large ones indexed, parsed or built entry by entry: both find every key
    // in any letter case and refuse a key that differs only in case.
    for (int count : {3, 8, 9, 40, 1000}) {
        SectionedFile parsed("", false);
        parsed.ParseSectionedText(numberedSection("S", count) + "key 1=repeated\r\n");
        SectionedFile built("", false);
        SectionedFileSection* section = built.AddSection("S");
        for (int k = 0; k < count; ++k)
            ASSERT_NE(section->AddEntry("Key " + std::to_string(k), k == 3 ? "3" : std::to_string(k)), nullptr);
        EXPECT_EQ(section->AddEntry("KEY 0", "again"), nullptr) << count;
        for (SectionedFile* file : {&parsed, &built}) {
            const SectionedFileSection* s = file->FindSection("s");
            ASSERT_NE(s, nullptr);
            ASSERT_EQ(s->GetEntryCount(), static_cast<std::size_t>(count));
            for (int k = 0; k < count; ++k) {
                EXPECT_EQ(s->GetInt("kEY " + std::to_string(k), -1), k) << count;
                EXPECT_EQ(s->GetEntry(static_cast<std::size_t>(k))->GetName(), "Key " + std::to_string(k));
            }
            EXPECT_EQ(s->FindEntry("Key " + std::to_string(count)), nullptr);
        }
        EXPECT_EQ(parsed.FindSection("S")->GetDroppedKey(), "key 1");
        EXPECT_EQ(parsed.ToText(), built.ToText()) << count;
    }
}

TEST(SectionedIndex, CopiesAndAddedEntriesOutliveTheTextTheyCameFrom)
{
    auto original = std::make_unique<SectionedFile>("", false);
    original->ParseSectionedText(numberedSection("A", 20) + numberedSection("B", 2) + "[C]\nv=\"a\\x3b b\"\n");
    SectionedFile copy(*original);
    SectionedFile assigned;
    assigned = *original;
    const std::string text = original->ToText();
    original->FindSection("A")->FindEntry("Key 5")->SetValue("changed");
    original.reset();
    for (SectionedFile* file : {&copy, &assigned}) {
        EXPECT_EQ(file->ToText(), text);
        EXPECT_EQ(file->FindSection("c")->GetString("V"), "a; b");
        SectionedFileSection* a = file->FindSection("A");
        EXPECT_EQ(a->GetString("Key 5"), "5");
        ASSERT_NE(a->AddEntry("Added", "x;y"), nullptr);
        a->FindEntry("Key 7")->SetValue(" seven ");
        EXPECT_EQ(a->GetString("added"), "x;y");
        EXPECT_EQ(a->GetString("key 7"), " seven ");
        EXPECT_EQ(a->GetEntry(20)->GetSection(), a);
    }
    SectionedFile again("", false);
    again.ParseSectionedText(copy.ToText());
    EXPECT_EQ(again.ToText(), copy.ToText());
    EXPECT_EQ(again.FindSection("A")->GetString("Key 7"), " seven ");
}

} // namespace
} // namespace engine
