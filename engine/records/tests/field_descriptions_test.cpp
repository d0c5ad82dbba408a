#include "engine/records/field_descriptions.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

using namespace engine;

namespace {

struct Reading {
    const char* section;
    const char* key;
    const char* text;
    FieldProblem problem;
    std::int32_t stored;
};

// Each kind of field, at its extremes and just past them, in each way a file or a user writes a value.
const Reading kReadings[] = {
    // An unsigned count: its unsigned decimal and the negative decimal of its pattern are one value.
    {"Partition", "Block Size", "3000000000", FieldProblem::None, -1294967296},
    {"Partition", "Block Size", "-1294967296", FieldProblem::None, -1294967296},
    {"Partition", "Block Size", "4294967295", FieldProblem::None, -1},
    {"Partition", "Block Size", "-1", FieldProblem::None, -1},
    {"Partition", "Block Size", "0xFFFFFFFF", FieldProblem::None, -1},
    {"Partition", "Block Size", "4294967296", FieldProblem::OutOfRange, 0},
    {"Partition", "Block Size", "-2147483649", FieldProblem::OutOfRange, 0},
    {"Pipe", "Max Buffer Size", "2147483648", FieldProblem::None, INT32_MIN},
    {"APPLICATION", "System RAM Available", "4294967295", FieldProblem::None, -1},
    // A size: never negative, never past the signed maximum.
    {"Task", "Stack Size", "2147483647", FieldProblem::None, INT32_MAX},
    {"Task", "Stack Size", "-1", FieldProblem::OutOfRange, 0},
    {"Task", "Stack Size", "2147483648", FieldProblem::OutOfRange, 0},
    // A signed number: a hexadecimal number writes the bits.
    {"Exception", "Interrupt Level", "-2147483648", FieldProblem::None, INT32_MIN},
    {"Exception", "Interrupt Level", "0x80000000", FieldProblem::None, INT32_MIN},
    {"Exception", "Interrupt Level", "2147483648", FieldProblem::OutOfRange, 0},
    // What is no whole number is refused as a whole, never read as its start or as 0.
    {"Task", "Stack Size", "2k", FieldProblem::NotANumber, 0},
    {"Task", "Stack Size", "512.0", FieldProblem::NotANumber, 0},
    {"Task", "Stack Size", "1e3", FieldProblem::NotANumber, 0},
    {"Task", "Stack Size", "09", FieldProblem::NotANumber, 0},
    {"Task", "Stack Size", "", FieldProblem::None, 0},
    // A flag: any whole number of 32 bits, non-zero read as 1.
    {"OBJECT", "Enabled", "7", FieldProblem::None, 1},
    {"OBJECT", "Enabled", "x", FieldProblem::NotANumber, 0},
    {"Task", "Extended Context3", "1", FieldProblem::None, 1},
};

class FieldReadingTest : public ::testing::TestWithParam<Reading> {};

TEST_P(FieldReadingTest, ReadsTheTextAsItsFieldHoldsIt)
{
    const Reading& row = GetParam();
    const FieldDescription* field = FindFieldDescription(FieldFile::Application, row.section, row.key);
    ASSERT_NE(field, nullptr) << row.key;
    const FieldReading reading = ReadFieldValue(*field, row.text);
    EXPECT_EQ(reading.problem, row.problem) << row.key << "=" << row.text;
    if (row.problem == FieldProblem::None) {
        EXPECT_EQ(reading.stored, row.stored) << row.key << "=" << row.text;
        // What a save writes reads back as the same value.
        EXPECT_EQ(ReadFieldValue(*field, FieldValueText(*field, reading.stored)).stored, reading.stored);
        EXPECT_TRUE(FieldValueFits(*field, reading.stored));
    }
}

INSTANTIATE_TEST_SUITE_P(Extremes, FieldReadingTest, ::testing::ValuesIn(kReadings));

TEST(FieldDescriptionTest, EveryFileKindFindsItsKeysAndNoOthers)
{
    EXPECT_NE(FindFieldDescription(FieldFile::Kernel, "KERNEL", "Writeable"), nullptr);
    EXPECT_NE(FindFieldDescription(FieldFile::Model, "KERNEL", "Minimum Task Stack Size"), nullptr);
    EXPECT_NE(FindFieldDescription(FieldFile::Project, "CPU", "Kernel"), nullptr);
    EXPECT_NE(FindFieldDescription(FieldFile::Application, "CLASS TYPES", "Task"), nullptr);
    EXPECT_EQ(FindFieldDescription(FieldFile::Kernel, "KERNEL", "Writable"), nullptr);
    EXPECT_EQ(FindFieldDescription(FieldFile::Application, "Task", "Extended Context"), nullptr);
    EXPECT_EQ(FindFieldDescription(FieldFile::Application, "Task", "Block Size"), nullptr);
}

TEST(FieldDescriptionTest, EditorsGetTheRangeOfTheField)
{
    const FieldDescription& field = *FindFieldDescription(FieldFile::Application, "Pipe", "Number of Buffers");
    std::int32_t stored = 5;
    EXPECT_EQ(CheckTypedValue(field, "3000000000", "# of buffers", &stored), "");
    EXPECT_EQ(stored, -1294967296);
    EXPECT_EQ(FieldDisplayText(field, stored), "3000000000");
    EXPECT_EQ(FieldValueText(field, stored), "-1294967296");
    EXPECT_EQ(CheckTypedValue(field, "4294967296", "# of buffers", &stored),
              "# of buffers must be in the range of 1 to 4294967295");
    EXPECT_EQ(stored, -1294967296) << "a refused text leaves the value alone";
}

} // namespace
