#include "engine/records/records.h"
#include "engine/records/text_field.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <type_traits>
#include <vector>

using namespace engine;

namespace {

template <typename... R>
constexpr bool allPlain = ((std::is_standard_layout_v<R> && std::is_trivially_copyable_v<R>) && ...);

static_assert(allPlain<ConfigRecord, ModelEntry, ScriptEntry, KernelRecord, ExtendedContextRow, TaskAttributeRow,
                       ModelOptionRow, KernelServiceRow, KernelClassAttribute, KernelClassRecord, MemoryFootprint,
                       ProjectRecord, CpuRecord, ApplicationRecord, ApplicationOption, ApplicationClassEntry,
                       ObjectRecord, LevelData, ThreadData, ExceptionData, CounterData, AlarmData, PipeData,
                       TaskData, SemaphoreData, QueueData, MailboxData, PartitionData, MutexData,
                       CodeGeneratorParams>);

// Offsets of the listed fields must rise strictly: the records keep the documented order.
bool rising(const std::vector<std::size_t>& offsets)
{
    for (std::size_t i = 1; i < offsets.size(); ++i)
        if (offsets[i] <= offsets[i - 1])
            return false;
    return true;
}

#define AT(R, f) offsetof(R, f)

TEST(RecordLayout, FieldsStandInDocumentedOrder)
{
    EXPECT_TRUE(rising({AT(KernelRecord, modelIndex), AT(KernelRecord, kernelPath), AT(KernelRecord, modelVersion),
                        AT(KernelRecord, codeGeneratorLibrary), AT(KernelRecord, mode),
                        AT(KernelRecord, taskStackModulus2), AT(KernelRecord, sizeUnitName),
                        AT(KernelRecord, featureMask), AT(KernelRecord, asmHeaderExtension),
                        AT(KernelRecord, defaultServiceLocal), AT(KernelRecord, defaultServiceOutgoing),
                        AT(KernelRecord, defaultServiceIncoming), AT(KernelRecord, extendedContextCount),
                        AT(KernelRecord, extendedContexts), AT(KernelRecord, contextIncludeFile),
                        AT(KernelRecord, scriptCount), AT(KernelRecord, scripts), AT(KernelRecord, defaultFramework),
                        AT(KernelRecord, taskAttributes), AT(KernelRecord, enableAlignment),
                        AT(KernelRecord, options), AT(KernelRecord, classes), AT(KernelRecord, attributeBitNames),
                        AT(KernelRecord, edited), AT(KernelRecord, writable), AT(KernelRecord, framework)}));
    EXPECT_TRUE(rising({AT(ApplicationRecord, treeItem), AT(ApplicationRecord, regenerate),
                        AT(ApplicationRecord, path), AT(ApplicationRecord, options),
                        AT(ApplicationRecord, classEntries), AT(ApplicationRecord, reportPath),
                        AT(ApplicationRecord, userTrace), AT(ApplicationRecord, footprint),
                        AT(ApplicationRecord, systemRamAvailable), AT(ApplicationRecord, kernelStackLabel),
                        AT(ApplicationRecord, instances), AT(ApplicationRecord, asmHeaderExtension),
                        AT(ApplicationRecord, externConst), AT(ApplicationRecord, nodeName),
                        AT(ApplicationRecord, userTexts), AT(ApplicationRecord, generateDosFiles),
                        AT(ApplicationRecord, extendedContext), AT(ApplicationRecord, suffix),
                        AT(ApplicationRecord, file)}));
    EXPECT_TRUE(rising({AT(ApplicationClassEntry, classType), AT(ApplicationClassEntry, treeItem),
                        AT(ApplicationClassEntry, name), AT(ApplicationClassEntry, numberOfDynamics),
                        AT(ApplicationClassEntry, chained), AT(ApplicationClassEntry, objects),
                        AT(ApplicationClassEntry, maxKeyLength), AT(ApplicationClassEntry, footprint)}));
    EXPECT_TRUE(rising({AT(ObjectRecord, treeItem), AT(ObjectRecord, name), AT(ObjectRecord, traceActor),
                        AT(ObjectRecord, data), AT(ObjectRecord, childCount), AT(ObjectRecord, children),
                        AT(ObjectRecord, enabled)}));
    EXPECT_TRUE(rising({AT(CpuRecord, treeItem), AT(CpuRecord, description), AT(CpuRecord, kernel),
                        AT(CpuRecord, applications), AT(CpuRecord, kernelFile), AT(CpuRecord, modelFile)}));
    EXPECT_TRUE(rising({AT(PipeData, alignment), AT(PipeData, manual)}));
    EXPECT_TRUE(rising({AT(QueueData, manual), AT(QueueData, alignment)}));
    EXPECT_TRUE(rising({AT(PartitionData, manual), AT(PartitionData, alignment)}));
}

TEST(RecordLayout, WordOffsetsOfThePointerFreeHead)
{
    // Everything before the first pointer is 32-bit words and texts, so these offsets hold on every ABI.
    EXPECT_EQ(offsetof(KernelRecord, scripts), 4928u);
    EXPECT_EQ(offsetof(KernelRecord, scriptCount), 4924u);
    EXPECT_EQ(offsetof(ApplicationRecord, optionCount), 552u);
    EXPECT_EQ(offsetof(ObjectRecord, isMp), 268u);
    EXPECT_EQ(offsetof(ApplicationClassEntry, numberOfDynamics), 168u);
}

TEST(RecordLayout, SizesOnThisAbi)
{
    if (sizeof(void*) != 8)
        GTEST_SKIP() << "sizes pinned for 64-bit pointers";
    EXPECT_EQ(sizeof(KernelRecord), 11184u);
    EXPECT_EQ(sizeof(CpuRecord), 11488u);
    EXPECT_EQ(sizeof(ApplicationRecord), 3296u);
    EXPECT_EQ(sizeof(ApplicationClassEntry), 232u);
    EXPECT_EQ(sizeof(ObjectRecord), 320u);
    EXPECT_EQ(sizeof(ProjectRecord), 552u);
    EXPECT_EQ(sizeof(ConfigRecord), 560u);
    EXPECT_EQ(sizeof(KernelClassRecord), 1120u);
    EXPECT_EQ(sizeof(KernelClassAttribute), 328u);
    EXPECT_EQ(sizeof(CodeGeneratorParams), 24u);
}

TEST(RecordLayout, DataBlockSizeTable)
{
    const int32_t expected[] = {0, 4, 128, 136, 0, 12, 264, 404, 304, 8, 404, 4, 404, 8, 0, 0};
    for (int32_t type = 0; type <= 15; ++type)
        EXPECT_EQ(objectDataSize(type), expected[type]) << "class type " << type;
    EXPECT_EQ(objectDataSize(-1), 0);
    EXPECT_EQ(objectDataSize(ClassEventSource), 0);
    EXPECT_EQ(objectDataSize(ClassSpecialService), 0);
}

TEST(TextField, CutsZeroFillsAndReadsBounded)
{
    char field[8];
    std::memset(field, 'x', sizeof field);
    EXPECT_TRUE(setText(field, "abc"));
    EXPECT_EQ(textOf(field), "abc");
    for (std::size_t i = 3; i < sizeof field; ++i)
        EXPECT_EQ(field[i], 0);

    EXPECT_FALSE(setText(field, "abcdefgh"));
    EXPECT_EQ(textOf(field), "abcdefg");
    EXPECT_FALSE(textFits(field, "abcdefgh"));
    EXPECT_TRUE(textFits(field, "abcdefg"));

    std::memset(field, 'y', sizeof field);  // no terminator at all
    EXPECT_EQ(textOf(field).size(), sizeof field);

    char other[8];
    setText(field, "same");
    setText(other, "same");
    EXPECT_TRUE(sameText(field, other));
    EXPECT_EQ(std::memcmp(field, other, sizeof field), 0);
    setText(other, "");
    EXPECT_FALSE(sameText(field, other));
    EXPECT_EQ(textString(other), "");
}

}  // namespace
