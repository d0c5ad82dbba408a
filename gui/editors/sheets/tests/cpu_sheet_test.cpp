// The CPU sheet's transaction and General page on the demo project.
#include <gtest/gtest.h>

#include "engine/ops/cpu_record_handler.h"
#include "engine/records/text_field.h"
#include "gui/editors/model/page_cpu.h"
#include "gui/editors/sheets/tests/demo_project.h"

namespace editors::test {
namespace {

using namespace cpu_ids;

class CpuSheetTest : public DemoProject {
protected:
    engine::KernelRecord copyOf(const engine::KernelRecord& kernel)
    {
        engine::KernelRecord copy{};
        EXPECT_TRUE(engine::CpuRecordHandler::CloneKernelRecord(copy, kernel));
        return copy;
    }
    ViewState m_state;
};

TEST_F(CpuSheetTest, CancelMovesTheSavedRecordBackAfterAModelChange)
{
    engine::CpuRecord& main = cpu("Main");
    engine::KernelRecord before = copyOf(main.kernel);
    engine::SectionedFile* modelFile = main.modelFile;
    main.applications[0].edited = 0;
    main.applications[0].classEntries[0].numberOfDynamics = 3;
    engine::ApplicationClassEntry statistics = main.applications[0].classEntries[0];
    {
        engine::CpuRecordHandler handler(&main.kernel, &m_config, &main);
        CpuSheetTransaction transaction(handler);
        ASSERT_TRUE(transaction.begin());
        main.applications[0].classEntries[0].numberOfDynamics = 0;  // as the class sheet's Dynamics question does
        ASSERT_TRUE(transaction.changeModel(1));
        EXPECT_EQ(main.kernel.modelIndex, 1);
        EXPECT_NE(main.modelFile, modelFile);
        EXPECT_TRUE(engine::CpuRecordHandler::KernelRecordsDiffer(main.kernel, before));
        transaction.finish(2);
    }
    EXPECT_FALSE(engine::CpuRecordHandler::KernelRecordsDiffer(main.kernel, before));
    EXPECT_EQ(main.kernel.modelIndex, before.modelIndex);
    EXPECT_EQ(main.modelFile, modelFile);
    EXPECT_EQ(main.applications[0].edited, 0);
    EXPECT_EQ(main.applications[0].classEntries[0].statistics, statistics.statistics);
    EXPECT_EQ(main.applications[0].classEntries[0].numberOfDynamics, 3);
    engine::CpuRecordHandler::FreeKernelRecord(before);
}

TEST_F(CpuSheetTest, OkMarksTheCpuAndItsApplicationsOnlyWhenTheRecordChanged)
{
    engine::CpuRecord& main = cpu("Main");
    main.kernel.edited = main.kernel.hFileDirty = 0;
    for (int32_t a = 0; a < main.applicationCount; ++a)
        main.applications[a].edited = main.applications[a].projectCDirty = 0;
    engine::CpuRecordHandler handler(&main.kernel, &m_config, &main);
    {
        CpuSheetTransaction transaction(handler);
        ASSERT_TRUE(transaction.begin());
        transaction.finish(1);
    }
    EXPECT_EQ(main.kernel.edited, 0);
    EXPECT_EQ(main.applications[0].edited, 0);
    {
        CpuSheetTransaction transaction(handler);
        ASSERT_TRUE(transaction.begin());
        ASSERT_GT(main.kernel.optionCount, 0);
        main.kernel.options[0].value ^= 1;
        transaction.finish(1);
    }
    EXPECT_EQ(main.kernel.edited + main.kernel.hFileDirty + main.kernel.mFileDirty, 3);
    for (int32_t a = 0; a < main.applicationCount; ++a) {
        EXPECT_EQ(main.applications[a].edited, 1);
        EXPECT_EQ(main.applications[a].projectCDirty, 1);
    }
    // A failed model load changes nothing.
    {
        CpuSheetTransaction transaction(handler);
        ASSERT_TRUE(transaction.begin());
        EXPECT_FALSE(transaction.changeModel(7));
        EXPECT_EQ(main.kernel.modelIndex, 0);
        EXPECT_GT(main.kernel.classCount, 0);
        transaction.finish(2);
    }
}

TEST_F(CpuSheetTest, GeneralPageFrameworkAndNameRules)
{
    engine::CpuRecord& main = cpu("Main");  // a model offering single-stack only
    engine::CpuRecordHandler handler(&main.kernel, &m_config, &main);
    CpuSheetTransaction transaction(handler);
    ASSERT_TRUE(transaction.begin());
    CpuSheetParams params{false, false, "Main", "Main control processor"};
    CpuGeneralPage page(transaction, params, &m_project);
    page.initialise(m_state);
    EXPECT_EQ(m_state.text(Name), "Main");
    EXPECT_FALSE(m_state[Mp].visible);
    EXPECT_TRUE(m_state[SsOnly].enabled);
    EXPECT_FALSE(m_state[MsOnly].enabled);
    EXPECT_FALSE(m_state[MsAndSs].enabled);
    EXPECT_EQ(m_state[SsOnly].check, 1);
    ASSERT_EQ(page.items(Model).size(), 2u);
    EXPECT_EQ(page.items(Model)[1].text, "Z5 Multiprocessor");

    for (const char* name : {"   ", "a/b", "x=y", "[x"}) {
        m_messages->clear();
        m_state[Name].text = name;
        const OkOutcome outcome = page.killActive(m_state);
        EXPECT_FALSE(outcome.close) << name;
        EXPECT_EQ(outcome.focusId, Name);
        EXPECT_EQ(m_messages->boxes().at(0).caption, "CPU");
    }
    EXPECT_EQ(messages().empty(), false);
    m_state[Name].text = " Spaced ";
    EXPECT_TRUE(page.killActive(m_state).close);
    page.ok(m_state);
    EXPECT_EQ(params.name, "Spaced");

    // The same model again asks nothing; another model asks, and No keeps the record.
    m_messages->clear();
    m_state[Model].check = 0;
    page.clicked(Model, m_state);
    EXPECT_TRUE(messages().empty());
    m_state[Model].check = 1;
    m_messages->queueAnswer(platform::IdNo);
    page.clicked(Model, m_state);
    EXPECT_EQ(messages().at(0), "Warning: Changing Model will set all other selections to defaults. Continue?");
    EXPECT_EQ(main.kernel.modelIndex, 0);
    EXPECT_EQ(m_state[Model].check, 0);

    // Yes: the multiprocessor model offers MP; checking it moves SS Only to MS and SS.
    m_state[Model].check = 1;
    m_messages->queueAnswer(platform::IdYes);
    page.clicked(Model, m_state);
    EXPECT_EQ(main.kernel.modelIndex, 1);
    EXPECT_TRUE(m_state[Mp].visible);
    m_state[SsOnly].check = 1;
    m_state[MsAndSs].check = m_state[MsOnly].check = 0;
    m_state[SsOnly].enabled = true;
    m_state[Mp].check = 1;
    page.clicked(Mp, m_state);
    EXPECT_FALSE(m_state[SsOnly].enabled);
    EXPECT_EQ(m_state[SsOnly].check, 0);
    EXPECT_EQ(m_state[MsAndSs].check + m_state[MsOnly].check, 1);
    EXPECT_EQ(main.kernel.framework & 4, 4);
    transaction.finish(2);
    EXPECT_EQ(main.kernel.modelIndex, 0);
}

} // namespace
} // namespace editors::test
