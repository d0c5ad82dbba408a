#include "engine/ops/cpu_record_handler.h"
#include "engine/ops/tests/record_builders.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

using namespace engine;
using namespace engine::testing;

namespace {

// Kernel records are large; tests keep them on the heap and free them through the handler.
struct Kernel {
    std::unique_ptr<KernelRecord> record = std::make_unique<KernelRecord>();
    Kernel() { std::memset(static_cast<void*>(record.get()), 0, sizeof(KernelRecord)); }
    ~Kernel() { CpuRecordHandler::FreeKernelRecord(*record); }
    KernelRecord& operator*() { return *record; }
    KernelRecord* operator->() { return record.get(); }
};

TEST(KernelRecordCopy, CloneComparesEqualAndOwnsItsBlocks)
{
    Kernel source, copy;
    buildKernel(*source);
    ASSERT_TRUE(CpuRecordHandler::CloneKernelRecord(*copy, *source));
    EXPECT_FALSE(CpuRecordHandler::KernelRecordsDiffer(*source, *copy));
    EXPECT_NE(copy->options, source->options);
    EXPECT_NE(copy->classes, source->classes);
    EXPECT_NE(copy->scripts, source->scripts);
    const KernelClassRecord& thread = classNamed(*copy, "Thread");
    EXPECT_NE(thread.attributes, classNamed(*source, "Thread").attributes);
    EXPECT_NE(thread.attributes[0].children, classNamed(*source, "Thread").attributes[0].children);
    EXPECT_EQ(textOf(thread.attributes[0].children[0].needs[0]), "Counter");
    // Freeing the source leaves the copy whole (ASan reports any shared block).
    CpuRecordHandler::FreeKernelRecord(*source);
    EXPECT_EQ(textOf(copy->scripts[0].command), "make all");
}

TEST(KernelRecordCopy, EveryComparedFieldIsSeen)
{
    const std::vector<std::pair<const char*, std::function<void(KernelRecord&)>>> edits = {
        {"model version", [](KernelRecord& k) { setText(k.modelVersion, "2.2"); }},
        {"os name", [](KernelRecord& k) { setText(k.osName, "other"); }},
        {"max kernel stack", [](KernelRecord& k) { k.maxKernelStackSize = 7; }},
        {"extension", [](KernelRecord& k) { setText(k.asmHeaderExtension, "inc"); }},
        {"extended context row", [](KernelRecord& k) { k.extendedContexts[1].taskDefault = 1; }},
        {"task attribute row", [](KernelRecord& k) { setText(k.taskAttributes[0].maskName, "M"); }},
        {"script text", [](KernelRecord& k) { setText(k.scripts[0].command, "make clean"); }},
        {"script count", [](KernelRecord& k) { freeRows(k.scriptCount, k.scripts); }},
        {"enable alignment", [](KernelRecord& k) { k.enableAlignment = 1; }},
        {"attribute bit name", [](KernelRecord& k) { setText(k.attributeBitNames[31], "ATTR_X"); }},
        {"h dirty", [](KernelRecord& k) { k.hFileDirty = 1; }},
        {"writable", [](KernelRecord& k) { k.writable = 0; }},
        {"name size", [](KernelRecord& k) { k.nameSize = 12; }},
        {"kernel clock", [](KernelRecord& k) { k.enableKernelClock = 0; }},
        {"variant", [](KernelRecord& k) { k.framework = 4; }},
        {"option value", [](KernelRecord& k) { k.options[0].value = 11; }},
        {"option count", [](KernelRecord& k) { appendRow(k.optionCount, k.options); }},
        {"class selection", [](KernelRecord& k) { classNamed(k, "Alarm").selected = 0; }},
        {"class root name", [](KernelRecord& k) { setText(classNamed(k, "Alarm").rootName, "ALRM"); }},
        {"class plural es", [](KernelRecord& k) { classNamed(k, "Alarm").pluralEs = 1; }},
        {"class service", [](KernelRecord& k) { classNamed(k, "Thread").services[0].outgoing = 1; }},
        {"class needs", [](KernelRecord& k) { setText(classNamed(k, "Thread").needs[0], "Task"); }},
        {"nested attribute", [](KernelRecord& k) { classNamed(k, "Thread").attributes[0].children[0].selected = 0; }},
        {"attribute option", [](KernelRecord& k) { classNamed(k, "Thread").attributes[0].services[0].mp = 1; }},
        {"attribute needs", [](KernelRecord& k) {
             KernelClassAttribute& a = classNamed(k, "Thread").attributes[0].children[0];
             addNeed(a.needsCount, a.needs, "Alarm");
         }},
    };
    Kernel source;
    buildKernel(*source);
    for (const auto& [what, edit] : edits) {
        Kernel copy;
        ASSERT_TRUE(CpuRecordHandler::CloneKernelRecord(*copy, *source));
        edit(*copy);
        EXPECT_TRUE(CpuRecordHandler::KernelRecordsDiffer(*source, *copy)) << what;
        EXPECT_TRUE(CpuRecordHandler::KernelRecordsDiffer(*copy, *source)) << what;
    }
}

TEST(KernelRecordCopy, PathIndexAndEditedFlagTakeNoPart)
{
    Kernel source, copy;
    buildKernel(*source);
    ASSERT_TRUE(CpuRecordHandler::CloneKernelRecord(*copy, *source));
    copy->modelIndex = 3;
    setText(copy->kernelPath, "/elsewhere.cpu");
    copy->edited = 1;
    // Bytes after a text's terminator are not part of the text.
    copy->modelName[sizeof copy->modelName - 1] = 'x';
    copy->modelName[sizeof copy->modelName - 2] = 0;
    EXPECT_FALSE(CpuRecordHandler::KernelRecordsDiffer(*source, *copy));
}

TEST(KernelRecordCopy, AssignRestoresAChangedShapeAndKeepsPathAndIndex)
{
    Kernel source, target;
    buildKernel(*source);
    ASSERT_TRUE(CpuRecordHandler::CloneKernelRecord(*target, *source));
    // The editor reshaped the target: a class more, an attribute more, the scripts gone.
    addClass(*target, ClassMutex, "Mutex");
    KernelClassRecord& thread = classNamed(*target, "Thread");
    addAttribute(thread.attributeCount, thread.attributes, "Extra");
    freeRows(target->scriptCount, target->scripts);
    target->modelIndex = 2;
    setText(target->kernelPath, "/kept.cpu");
    setText(target->modelVersion, "9.9");

    ASSERT_TRUE(CpuRecordHandler::AssignKernelRecord(*target, *source));
    EXPECT_FALSE(CpuRecordHandler::KernelRecordsDiffer(*source, *target));
    EXPECT_EQ(target->modelIndex, 2);
    EXPECT_EQ(textOf(target->kernelPath), "/kept.cpu");
    EXPECT_NE(target->classes, source->classes);
}

TEST(KernelRecordReset, FreshClearsEverythingAndSetsDefaults)
{
    Kernel kernel;
    std::memset(static_cast<void*>(kernel.record.get()), 0x5a, sizeof(KernelRecord));  // never filled
    CpuRecordHandler::ResetKernelRecord(*kernel, true);
    EXPECT_EQ(textOf(kernel->kernelPath), "");
    EXPECT_EQ(kernel->modelIndex, 0);
    EXPECT_EQ(textOf(kernel->sizeUnitName), "bytes");
    EXPECT_EQ(kernel->maxKernelStackSize, 1024);
    EXPECT_EQ(kernel->maxTaskStackSize, 1024);
    EXPECT_EQ(kernel->nameSize, 8);
    EXPECT_EQ(kernel->writable, 1);
    EXPECT_EQ(kernel->enableKernelClock, 1);
    EXPECT_EQ(kernel->defaultServiceLocal, 1);
    EXPECT_EQ(kernel->scalableKernel, 1);
    EXPECT_EQ(kernel->enableStatistics, 1);
    EXPECT_EQ(kernel->enableTrace, 1);
    EXPECT_EQ(kernel->options, nullptr);
    EXPECT_EQ(kernel->classes, nullptr);
    EXPECT_EQ(kernel->scripts, nullptr);
    EXPECT_EQ(kernel->classCount, 0);
    EXPECT_EQ(textOf(kernel->attributeBitNames[5]), "");
}

TEST(KernelRecordReset, RefillKeepsPathAndFreesArrays)
{
    Kernel kernel;
    buildKernel(*kernel);
    kernel->edited = 1;
    kernel->defaultFramework = 6;
    CpuRecordHandler::ResetKernelRecord(*kernel, false);  // LeakSanitizer checks the blocks went
    EXPECT_EQ(textOf(kernel->kernelPath), "/tmp/demo.cpu");
    EXPECT_EQ(textOf(kernel->modelVersion), "");
    EXPECT_EQ(kernel->edited, 0);
    EXPECT_EQ(kernel->framework, 6);
    EXPECT_EQ(kernel->optionCount, 0);
    EXPECT_EQ(kernel->classCount, 0);
    EXPECT_EQ(kernel->scriptCount, 0);
    EXPECT_EQ(kernel->extendedContextCount, 0);
    EXPECT_EQ(textOf(kernel->extendedContexts[0].name), "");
    CpuRecordHandler::FreeKernelRecord(*kernel);  // a second free is harmless
    CpuRecordHandler::FreeKernelRecord(*kernel);
}

class KernelSelections : public ::testing::Test {
protected:
    void SetUp() override { buildKernel(*kernel); }
    Kernel kernel;
};

TEST_F(KernelSelections, NeededClassExcludedByVariantWithdrawsBothInEitherOrder)
{
    for (bool neederFirst : {true, false}) {
        Kernel k;
        CpuRecordHandler::ResetKernelRecord(*k, true);
        k->framework = 1;
        if (neederFirst) {
            KernelClassRecord& a = addClass(*k, ClassTask, "A");
            addNeed(a.needsCount, a.needs, "B");
            addClass(*k, ClassMutex, "B", 2);
        } else {
            addClass(*k, ClassMutex, "B", 2);
            KernelClassRecord& a = addClass(*k, ClassTask, "A");
            addNeed(a.needsCount, a.needs, "B");
        }
        CpuRecordHandler h(k.record.get(), nullptr, nullptr);
        h.NormalizeKernelSelections();
        for (int32_t i = 0; i < k->classCount; ++i) {
            EXPECT_EQ(k->classes[i].selected, 0) << textOf(k->classes[i].name) << " needer first " << neederFirst;
            EXPECT_EQ(k->classes[i].available, 0);
        }
    }
}

TEST_F(KernelSelections, UserChoicesOfAvailableItemsStayAndServicesFollow)
{
    classNamed(*kernel, "Alarm").selected = 0;  // the user's uncheck
    CpuRecordHandler h(kernel.record.get(), nullptr, nullptr);
    h.NormalizeKernelSelections();
    EXPECT_EQ(classNamed(*kernel, "Alarm").selected, 0);
    EXPECT_EQ(classNamed(*kernel, "Alarm").available, 1);
    EXPECT_EQ(classNamed(*kernel, "Task").selected, 1);
    KernelClassRecord& thread = classNamed(*kernel, "Thread");
    EXPECT_EQ(thread.selected, 1);
    EXPECT_EQ(thread.services[0].enabled, 1);
    EXPECT_EQ(thread.attributes[0].children[0].selected, 1);
    EXPECT_TRUE(h.FindSelectedKernelItem("GateTimeout"));

    // Level off: Thread needs it, so Thread, its attributes and their options go off.
    classNamed(*kernel, "Level").selected = 0;
    h.NormalizeKernelSelections();
    EXPECT_EQ(thread.selected, 0);
    EXPECT_EQ(thread.services[0].enabled, 0);
    EXPECT_EQ(thread.attributes[0].selected, 0);
    EXPECT_EQ(thread.attributes[0].services[0].enabled, 0);
    EXPECT_FALSE(h.FindSelectedKernelItem("GateTimeout"));
    EXPECT_FALSE(h.FindSelectedKernelItem("Thread"));

    // Level back on: Thread is available again; its selection is the user's to give back.
    classNamed(*kernel, "Level").selected = 1;
    h.NormalizeKernelSelections();
    EXPECT_EQ(thread.available, 1);
    EXPECT_EQ(thread.selected, 0);
}

TEST_F(KernelSelections, AttributeNeedsAndVariantAreChecked)
{
    KernelClassAttribute& timeout = classNamed(*kernel, "Thread").attributes[0].children[0];
    classNamed(*kernel, "Counter").selected = 0;
    CpuRecordHandler h(kernel.record.get(), nullptr, nullptr);
    h.NormalizeKernelSelections();
    EXPECT_EQ(timeout.selected, 0);
    EXPECT_EQ(timeout.available, 0);
    EXPECT_EQ(classNamed(*kernel, "Thread").attributes[0].selected, 1);

    classNamed(*kernel, "Thread").attributes[0].variantMask = 4;  // not the kernel's variant
    h.NormalizeKernelSelections();
    EXPECT_EQ(classNamed(*kernel, "Thread").attributes[0].selected, 0);
    EXPECT_EQ(classNamed(*kernel, "Thread").selected, 1);
}

TEST_F(KernelSelections, LongChainsOfNeedsSettleQuickly)
{
    // Each attribute needs the next; the last is outside the kernel's variant, so every one goes off.
    // The needs run against the order of the checks, which once took a pass per link.
    constexpr int kLinks = 2000;
    for (bool nested : {false, true}) {
        Kernel k;
        CpuRecordHandler::ResetKernelRecord(*k, true);
        k->framework = 1;
        KernelClassRecord& owner = addClass(*k, ClassTask, "Owner");
        addNeed(owner.needsCount, owner.needs, "A0");
        int32_t* count = &owner.attributeCount;
        KernelClassAttribute** rows = &owner.attributes;
        for (int i = 0; i < kLinks; ++i) {
            KernelClassAttribute& a = addAttribute(*count, *rows, "A" + std::to_string(i));
            if (i + 1 < kLinks)
                addNeed(a.needsCount, a.needs, "A" + std::to_string(i + 1));
            else
                a.variantMask = 2;
            if (nested && i < 10) { // a few levels deep, the rest side by side
                count = &a.childCount;
                rows = &a.children;
            }
        }
        CpuRecordHandler h(k.record.get(), nullptr, nullptr);
        h.NormalizeKernelSelections();
        EXPECT_EQ(owner.available, 0) << nested;
        EXPECT_FALSE(h.FindSelectedKernelItem("A0"));
        EXPECT_FALSE(h.FindSelectedKernelItem("A" + std::to_string(kLinks / 2)));
    }
}

TEST_F(KernelSelections, LookupsAndCounts)
{
    CpuRecordHandler h(kernel.record.get(), nullptr, nullptr);
    EXPECT_TRUE(h.HasKernelClass("Event Source"));
    EXPECT_FALSE(h.HasKernelClass("event source"));
    EXPECT_FALSE(h.FindSelectedKernelItem("Nothing"));
    EXPECT_EQ(h.CountVariantOptions(), 1);  // TICKS; the two application options do not count
    kernel->options[0].shown = 0;
    EXPECT_EQ(h.CountVariantOptions(), 0);
    kernel->options[0].shown = 1;
    kernel->framework = 256;
    EXPECT_EQ(h.CountVariantOptions(), 0);

    CpuRecordHandler empty(nullptr, nullptr, nullptr);
    EXPECT_FALSE(empty.HasKernelClass("Level"));
    EXPECT_FALSE(empty.IsKernelWritable());
    empty.NormalizeKernelSelections();
}

TEST(CpuRecordHandlerAttachments, DeletedWithTheHandler)
{
    struct Probe : CpuHandlerAttachment {
        explicit Probe(int& count) : deleted(count) {}
        ~Probe() override { ++deleted; }
        int& deleted;
    };
    int deleted = 0;
    {
        CpuRecordHandler h(nullptr, nullptr, nullptr);
        h.SetAttachment(0, std::make_unique<Probe>(deleted));
        h.SetAttachment(3, std::make_unique<Probe>(deleted));
        h.SetAttachment(4, std::make_unique<Probe>(deleted));  // out of range: dropped at once
        EXPECT_EQ(deleted, 1);
        EXPECT_NE(h.Attachment(3), nullptr);
        EXPECT_EQ(h.Attachment(1), nullptr);
    }
    EXPECT_EQ(deleted, 3);
}

}  // namespace
