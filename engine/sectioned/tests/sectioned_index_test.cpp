#include "engine/sectioned/name_set.h"
#include "engine/sectioned/sectioned_file.h"
#include "engine/sectioned/sectioned_index.h"

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
    for (int count : {3, 8, 9, 16, 17, 40, 1000}) {
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

// Names are compared a word at a time with overlapping reads: every byte of every length counts.
TEST(SectionedIndex, NamesOfEveryLengthMatchInAnyCaseAndDifferInAnyByte)
{
    for (std::size_t size = 0; size <= 40; ++size) {
        std::string name;
        for (std::size_t i = 0; i < size; ++i)
            name += static_cast<char>('a' + i % 26);
        // Copies in buffers of their own, so that a read past either end would be seen by the sanitizer.
        const auto held = [](const std::string& text) { return std::make_unique<std::string>(text); };
        EXPECT_TRUE(sectioned::sameName(*held(name), *held(name), true)) << size;
        EXPECT_FALSE(sectioned::sameName(*held(name), *held(name + "a"), false)) << size;
        for (std::size_t at = 0; at < size; ++at) {
            std::string upper = name;
            upper[at] = static_cast<char>(upper[at] - 32);
            EXPECT_TRUE(sectioned::sameName(*held(name), *held(upper), false)) << size << " " << at;
            EXPECT_FALSE(sectioned::sameName(*held(name), *held(upper), true)) << size << " " << at;
            std::string other = name;
            other[at] = '#';
            EXPECT_FALSE(sectioned::sameName(*held(name), *held(other), false)) << size << " " << at;
            EXPECT_EQ(sectioned::hashName(name, false), sectioned::hashName(upper, false)) << size << " " << at;
        }
    }
    // A set keeps the first spelling of a name and finds it in any case; "[" and "{" are not letters.
    sectioned::NameSet set;
    EXPECT_TRUE(set.insert("OBJS Task"));
    EXPECT_FALSE(set.insert("objs TASK"));
    EXPECT_TRUE(set.contains("Objs task"));
    EXPECT_TRUE(set.insert("["));
    EXPECT_FALSE(set.contains("{"));
    for (int n = 0; n < 1000; ++n)
        EXPECT_TRUE(set.insert("Name " + std::to_string(n)));
    for (int n = 0; n < 1000; ++n)
        EXPECT_FALSE(set.insert("NAME " + std::to_string(n)));
    EXPECT_EQ(set.size(), 1002u);
    sectioned::NameSet sensitive(true);
    EXPECT_TRUE(sensitive.insert("Main"));
    EXPECT_TRUE(sensitive.insert("MAIN"));
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
