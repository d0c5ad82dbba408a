// The application sheet's transaction and pages on the demo project.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <utility>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

#include "engine/files/file_chooser.h"
#include "engine/footprint/structure_size.h"
#include "engine/names/project_walk.h"
#include "engine/ops/project_manager.h"
#include "engine/records/text_field.h"
#include "engine/sectioned/sectioned_file.h"
#include "engine/util/text.h"
#include "engine/util/path.h"
#include "engine/usertext/user_text_store.h"
#include "gui/editors/model/page_application.h"
#include "gui/editors/sheets/application_pages.h"
#include "gui/editors/sheets/page_view.h"
#include "gui/editors/sheets/tests/demo_project.h"
#include "platform/qt/testing/seen_messages.h"
#include "platform/qt/control_id.h"
#include "platform/qt/property_sheet.h"

namespace editors::test {
namespace {

using namespace app_ids;

class ApplicationPagesTest : public DemoProject {
protected:
    void SetUp() override
    {
        DemoProject::SetUp();
        if (HasFatalFailure())
            return;
        m_context.project = &m_project;
        useApplication("Control");
    }
    void useApplication(const char* name)
    {
        m_context.application = &application(name);
        m_context.cpu = &cpuOf(*m_context.application);
    }
    engine::ApplicationRecord& app() { return *m_context.application; }
    void clearFlags()
    {
        engine::ApplicationRecord& a = app();
        a.edited = a.kernelHDirty = a.kernelMDirty = a.projectHDirty = a.projectCDirty = a.regenerate = 0;
        engine::ForEachApplicationClassEntry(a, [](engine::ApplicationClassEntry& e) {
            e.cFileDirty = e.hFileDirty = e.mFileDirty = 0;
            return 0;
        });
    }
    int entryFlags(int32_t type, int32_t engine::ApplicationClassEntry::*flag)
    {
        return engine::FindApplicationClassEntryByType(app(), type)->*flag;
    }

    ApplicationSheetContext m_context;
    ViewState m_state;
};

TEST_F(ApplicationPagesTest, TransactionMarksChangesAndRestoresEveryFieldOnCancel)
{
    clearFlags();
    {
        ApplicationSheetTransaction transaction(*m_context.cpu, app());
        ASSERT_TRUE(transaction.begin());
        transaction.finish(1);
        EXPECT_EQ(app().edited + app().kernelHDirty + app().kernelMDirty + app().projectHDirty, 0);
    }
    {
        ApplicationSheetTransaction transaction(*m_context.cpu, app());
        ASSERT_TRUE(transaction.begin());
        app().userVersion = 4;
        transaction.finish(1);
        EXPECT_EQ(app().edited + app().kernelHDirty + app().kernelMDirty + app().projectHDirty, 4);
        EXPECT_EQ(app().projectCDirty, 0);
    }

    engine::ApplicationRecord before{};
    ASSERT_TRUE(engine::ProjectManager::CloneApplication(*m_context.cpu, before, app()));
    {
        ApplicationSheetTransaction transaction(*m_context.cpu, app());
        ASSERT_TRUE(transaction.begin());
        // Changes of shape, as a Load of another file or Restore Defaults make them.
        engine::setText(app().name, "Other");
        engine::ProjectManager::FreeApplication(app());
        app().userVersion = 9;
        transaction.finish(2);
    }
    EXPECT_FALSE(engine::ProjectManager::ApplicationsDiffer(app(), before));
    EXPECT_EQ(engine::textString(app().name), "Control");
    EXPECT_GT(app().classEntryCount, 0);
    EXPECT_EQ(app().userTexts->owner(), &app());

    // A file written inside a cancelled sheet leaves the application marked.
    app().edited = 0;
    {
        ApplicationSheetTransaction transaction(*m_context.cpu, app());
        ASSERT_TRUE(transaction.begin());
        transaction.noteFileWritten();
        transaction.finish(2);
    }
    EXPECT_EQ(app().edited, 1);
    engine::ProjectManager::FreeApplication(before);
}

TEST_F(ApplicationPagesTest, GeneralPageStoresTrimmedValuesAndChecksInOrder)
{
    AppGeneralPage page(m_context);
    page.reload(m_state);
    EXPECT_TRUE(m_state.text(Name).empty()) << "nothing is loaded before the page is shown";
    page.initialise(m_state);
    EXPECT_EQ(m_state.text(Name), "Control");
    EXPECT_EQ(m_state.text(UserVersion), "3");
    EXPECT_FALSE(m_state[NodeName].visible);
    EXPECT_FALSE(m_state[Instances].visible);
    EXPECT_EQ(m_state[Name].limit, 127);

    // A value confirmed with Enter (no focus loss) is stored by the leave check.
    m_state[Name].text = "  Drive  ";
    m_state[Description].text = " d ";
    EXPECT_TRUE(page.killActive(m_state).close);
    EXPECT_EQ(engine::textString(app().name), "Drive");
    EXPECT_EQ(engine::textString(app().description), "d");

    const struct {
        const char* name;
        const char* message;
    } refused[] = {
        {"", "Application must have a name"},
        {"a/b", "Application name cannot contain any of the following characters: \\/:*?\"<>|"},
        {"   ", "Application must have non-blank name"},
        // Texts the project file cannot carry in the name it lists the application under.
        {"a=b", "Application name cannot contain any of the following texts: = ; // /* ]"},
        {"Drive;2", "Application name cannot contain any of the following texts: = ; // /* ]"},
        {"[Main]", "Application name cannot contain any of the following texts: = ; // /* ]"},
        {"[x", "Application name cannot start with \"[\""},
        {"  [x", "Application name cannot start with \"[\""},
        // The CPU lists its applications by name.
        {"monitor", "Application name cannot be the name of another application of CPU \"Main\""},
    };
    for (const auto& r : refused) {
        m_messages->clear();
        m_state[Name].text = r.name;
        const OkOutcome outcome = page.killActive(m_state);
        EXPECT_FALSE(outcome.close) << r.name;
        EXPECT_EQ(outcome.focusId, Name);
        ASSERT_EQ(messages().size(), 1u) << r.name;
        EXPECT_EQ(messages()[0], r.message);
        EXPECT_EQ(m_messages->boxes()[0].caption, "Application");
    }
    m_state[Name].text = "Control";
    m_state[UserVersion].text = "65536";
    m_messages->clear();
    EXPECT_FALSE(page.killActive(m_state).close);
    EXPECT_EQ(messages().at(0), "User Version must be in the range of 0 to 65535");
    EXPECT_EQ(app().userVersion, 3) << "a value out of range is not stored";
}

// The project file lists a CPU or application under its name, as a key and as a section name: every
// name its writer would refuse is refused by the General pages, before anything is written.
TEST_F(ApplicationPagesTest, GeneralPagesRefuseEveryNameTheProjectFileCannotHold)
{
    AppGeneralPage page(m_context);
    page.initialise(m_state);
    for (const char* name : {"x", "[x", " [x", "x[", "a]b", "]", "a=b", "a;b", "a//b", "a/*b", "a[b]", "x y"}) {
        engine::SectionedFile file;
        const std::string stored = engine::TrimText(name, true, true);
        file.AddSection(stored)->AddEntry(stored, "1");
        const bool writable = file.FindUnwritableName().empty();
        m_messages->clear();
        m_state[Name].text = name;
        EXPECT_EQ(page.killActive(m_state).close, writable) << name;
        EXPECT_EQ(FileSyntaxProblem(name).empty(), writable) << name;
        EXPECT_EQ(messages().empty(), writable) << name;
    }
}

TEST_F(ApplicationPagesTest, ClassPageShowsTheSizeOfATask)
{
    AppClassPage page(m_context);
    page.initialise(m_state);
    EXPECT_EQ(m_state.text(ClassHeading), "Bytes per Object");
    const std::vector<ListLine> lines = page.items(ClassList);
    const uint32_t tcb = engine::GetStructureSize("TCB", *m_context.cpu);
    ASSERT_GT(tcb, 0u);
    bool listed = false;
    for (const ListLine& line : lines)
        listed = listed || line.text == "Task\t" + std::to_string(tcb);
    EXPECT_TRUE(listed);
}

TEST_F(ApplicationPagesTest, GeneralPageChecksTheNodeNameOfMultiprocessorApplications)
{
    useApplication("Link");
    AppGeneralPage page(m_context);
    page.initialise(m_state);
    EXPECT_TRUE(m_state[NodeName].visible);
    EXPECT_EQ(m_state.text(NodeName), "comms");

    m_state[NodeName].text = "1node";
    OkOutcome outcome = page.killActive(m_state);
    EXPECT_FALSE(outcome.close);
    EXPECT_EQ(outcome.focusId, NodeName);
    EXPECT_EQ(messages().at(0), "Node name starts with a digit. This is an invalid symbol name for the compiler.");

    // Another multiprocessor application with the name.
    engine::ApplicationRecord& monitor = application("Monitor");
    monitor.isMp = 1;
    engine::setText(monitor.nodeName, "shared");
    m_messages->clear();
    m_state[NodeName].text = " shared ";
    outcome = page.killActive(m_state);
    EXPECT_FALSE(outcome.close);
    EXPECT_EQ(messages().at(0), "Node name must be unique");
    m_state[NodeName].text = "own";
    EXPECT_TRUE(page.killActive(m_state).close);

    // Without Is MP the node name is not checked.
    app().isMp = 0;
    m_state[NodeName].text = "shared";
    EXPECT_TRUE(page.killActive(m_state).close);
}

TEST_F(ApplicationPagesTest, AllClassesSwitchesChangeOnlyWhatDiffers)
{
    m_context.cpu->kernel.enableStatistics = 1;
    engine::ForEachApplicationClassEntry(app(), [](engine::ApplicationClassEntry& e) {
        e.statistics = 1;
        return 0;
    });
    clearFlags();
    AppGeneralPage page(m_context);
    page.initialise(m_state);
    EXPECT_FALSE(m_state[EnableStatistics].enabled);
    EXPECT_TRUE(m_state[DisableStatistics].enabled);
    EXPECT_FALSE(page.clicked(EnableStatistics, m_state));
    EXPECT_EQ(app().kernelHDirty, 0);

    EXPECT_TRUE(page.clicked(DisableStatistics, m_state));
    EXPECT_FALSE(m_state[DisableStatistics].enabled);
    EXPECT_TRUE(m_state[EnableStatistics].enabled);
    EXPECT_EQ(app().kernelHDirty + app().kernelMDirty, 2);
    EXPECT_EQ(entryFlags(engine::ClassTask, &engine::ApplicationClassEntry::statistics), 0);
    EXPECT_EQ(entryFlags(engine::ClassTask, &engine::ApplicationClassEntry::cFileDirty), 1);

    // A binary-only kernel locks every switch and User trace.
    m_context.cpu->kernel.binaryDistribution = 1;
    page.reload(m_state);
    for (int id : {EnableStatistics, EnableDiagnostics, EnableTrace, DisableStatistics, DisableDiagnostics,
                   DisableTrace, UserTrace})
        EXPECT_FALSE(m_state[id].enabled) << id;
}

TEST_F(ApplicationPagesTest, ClassPageListsSelectedClassesWithTheirChains)
{
    AppClassPage page(m_context);
    page.initialise(m_state);
    EXPECT_EQ(m_state.text(ClassHeading), "Bytes per Object");
    EXPECT_FALSE(m_state[ClassOptions].enabled);
    const std::vector<ListLine> lines = page.items(ClassList);
    ASSERT_FALSE(lines.empty());
    bool chained = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const engine::ApplicationClassEntry* entry = page.entryOfLine(static_cast<int>(i));
        ASSERT_NE(entry, nullptr);
        EXPECT_NE(lines[i].text.find('\t'), std::string::npos);
        if (lines[i].text.rfind("> ", 0) == 0) {
            chained = true;
            EXPECT_NE(engine::parentClassType(entry->classType), 0) << lines[i].text;
        }
    }
    EXPECT_TRUE(chained);
    EXPECT_EQ(lines[0].text.rfind("Level\t", 0), 0u) << lines[0].text;
    EXPECT_GT(lines[0].text.size(), 6u) << "the size of the class's header structure";

    int opened = 0;
    m_context.hooks.classOptions = [&](engine::ApplicationClassEntry&) {
        ++opened;
        return 1;
    };
    m_state[ClassList].check = 0;
    EXPECT_TRUE(page.clicked(ClassList, m_state));
    EXPECT_TRUE(m_state[ClassOptions].enabled);
    EXPECT_TRUE(page.doubleClicked(ClassList, m_state));
    EXPECT_EQ(opened, 1);
}

TEST_F(ApplicationPagesTest, SystemPageRefusesARamSizeOrClockRatePast32Bits)
{
    AppSystemPage page(m_context);
    page.initialise(m_state);
    const int32_t ram = app().systemRamAvailable;
    for (const auto& [edit, message] :
         {std::pair{RamSize, "System RAM Size must be in the range of 0 to 4294967295"},
          std::pair{ClockRate, "System Clock Rate must be in the range of 0 to 4294967295"}}) {
        SCOPED_TRACE(message);
        const std::string kept = m_state.text(edit);
        m_state[edit].text = "99999999999";
        m_messages->clear();
        const OkOutcome outcome = page.killActive(m_state);
        EXPECT_FALSE(outcome.close);
        EXPECT_EQ(outcome.focusId, edit);
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_EQ(messages()[0], message);
        m_state[edit].text = kept;
    }
    m_state[RamSize].text = "0xFFFFFFFF";
    m_messages->clear();
    EXPECT_TRUE(page.killActive(m_state).close) << "the largest 32-bit number fits";
    EXPECT_TRUE(messages().empty());
    EXPECT_NE(app().systemRamAvailable, ram);
}

TEST_F(ApplicationPagesTest, SystemPageChecksLabelsSizesAndAnchorThenRaisesFlags)
{
    clearFlags();
    AppSystemPage page(m_context);
    page.initialise(m_state);
    EXPECT_EQ(m_state.text(ClockTick), "1");
    m_state[ClockRate].text = "3";
    page.clicked(ClockRate, m_state);
    EXPECT_EQ(m_state.text(ClockTick), "333");
    m_state[ClockRate].text = "0";
    page.clicked(ClockRate, m_state);
    EXPECT_EQ(m_state.text(ClockTick), "");
    m_state[ClockRate].text = "1000";

    // Equal manual labels: the System RAM check finds the kernel stack label first.
    m_state[RamManual].check = 1;
    m_state[RamAutomatic].check = 0;
    m_state[RamLabel].text = "kernel_stack";
    OkOutcome outcome = page.killActive(m_state);
    EXPECT_FALSE(outcome.close);
    EXPECT_EQ(outcome.focusId, RamLabel);
    EXPECT_EQ(messages().at(0), "System RAM placement label conflicts with Kernel Stack placement label");
    EXPECT_EQ(m_messages->boxes()[0].caption, "Control");

    m_state[RamLabel].text = "ram-area";
    m_messages->clear();
    outcome = page.killActive(m_state);
    EXPECT_FALSE(outcome.close);
    EXPECT_EQ(m_state.text(RamLabel), "ram_area");
    EXPECT_EQ(engine::textString(app().systemRamLabel), "ram_area");

    m_messages->clear();
    m_state[StackSize].text = "100";
    outcome = page.killActive(m_state);
    EXPECT_EQ(outcome.focusId, StackSize);
    EXPECT_EQ(messages().at(0), "Kernel Stack Size must be in the range of 256 to 65536");
    m_messages->clear();
    m_state[StackSize].text = "260";
    page.killActive(m_state);
    EXPECT_EQ(messages().at(0), "Kernel Stack Size must be an integer multiple of 8");
    m_state[StackSize].text = "0x200";

    m_state[AnchorFixed].check = 1;
    m_state[AnchorFloating].check = 0;
    m_state[AnchorAddress].text = "0x10";
    m_messages->clear();
    outcome = page.killActive(m_state);
    EXPECT_EQ(outcome.focusId, AnchorAddress);
    EXPECT_EQ(messages().at(0), "Anchor address must be a numeric hexadecimal address");
    EXPECT_EQ(app().kernelHDirty + app().projectCDirty, 0) << "no flag while the page fails";

    m_state[AnchorAddress].text = "1000";
    EXPECT_TRUE(page.killActive(m_state).close);
    EXPECT_EQ(app().anchorAddressLabel, 0x1000);
    EXPECT_EQ(app().kernelStackAvailable, 512);
    EXPECT_EQ(app().projectCDirty, 1);   // a placement changed
    EXPECT_EQ(app().projectHDirty, 0);   // no size or rate changed
    EXPECT_EQ(app().kernelHDirty + app().kernelMDirty, 2);  // the anchor
}

TEST_F(ApplicationPagesTest, CodeGenerationPageValidatesThenRaisesTheTableFlags)
{
    clearFlags();
    AppCodegenPage page(m_context);
    page.initialise(m_state);
    EXPECT_FALSE(m_state[Instrumentation].visible);
    EXPECT_EQ(m_state.text(AsmSourceExt), "s");

    m_state[CSourceExt].text = "";
    m_state[AsmHeaderExt].text = " ";
    OkOutcome outcome = page.killActive(m_state);
    EXPECT_EQ(outcome.focusId, AsmHeaderExt);
    EXPECT_EQ(messages().at(0), "File extension cannot be blank");
    m_state[CSourceExt].text = "c";
    m_state[AsmHeaderExt].text = "inc";

    m_messages->clear();
    m_state[Suffix].text = "a-b";
    outcome = page.killActive(m_state);
    EXPECT_EQ(outcome.focusId, Suffix);
    EXPECT_EQ(m_state.text(Suffix), "a_b");
    EXPECT_EQ(messages().at(0), "Symbol suffix has been modified to meet compiler restrictions. Please inspect the "
                                "modified version before proceeding.");
    m_state[Suffix].text = "";
    page.killActive(m_state);  // back to the record's suffix
    clearFlags();

    // Only the line terminators: every flag but the Exception-only ones.
    m_state[DosFiles].check = 1;
    m_state[UnixFiles].check = 0;
    EXPECT_TRUE(page.killActive(m_state).close);
    EXPECT_EQ(app().generateDosFiles, 1);
    EXPECT_EQ(app().generateI2Symbols, 0) << "visiting the page clears Generate i2symbols";
    EXPECT_EQ(app().projectCDirty + app().projectHDirty + app().kernelHDirty + app().kernelMDirty + app().regenerate,
              5);
    EXPECT_EQ(entryFlags(engine::ClassTask, &engine::ApplicationClassEntry::cFileDirty) +
                  entryFlags(engine::ClassTask, &engine::ApplicationClassEntry::hFileDirty) +
                  entryFlags(engine::ClassTask, &engine::ApplicationClassEntry::mFileDirty),
              3);

    // Restore Defaults touches only the controls.
    m_state[Suffix].text = "x";
    page.clicked(RestoreDefaults, m_state);
    EXPECT_EQ(m_state.text(Suffix), "");
    EXPECT_EQ(app().generateDosFiles, 1);
}

TEST_F(ApplicationPagesTest, ContextPageAsksBeforeTakingAContextFromTasks)
{
    useApplication("Link");
    engine::CpuRecord& comms = *m_context.cpu;
    ASSERT_TRUE(ApplicationHasContextPage(comms));
    EXPECT_FALSE(ApplicationHasContextPage(cpu("Main")));
    AppContextPage page(m_context);
    page.initialise(m_state);
    const int count = comms.kernel.extendedContextCount;
    for (int i = 0; i < engine::kMaxExtendedContexts; ++i)
        EXPECT_EQ(m_state[Context0 + i].visible, i < count) << i;
    ASSERT_GE(count, 1);
    EXPECT_EQ(m_state[Context0].caption, engine::textString(comms.kernel.extendedContexts[0].name));

    // Give a task the first context, then switch it off.
    engine::ApplicationClassEntry* tasks = engine::FindApplicationClassEntryByType(app(), engine::ClassTask);
    ASSERT_NE(tasks, nullptr);
    ASSERT_GT(tasks->objectCount, 0);
    auto* task = static_cast<engine::TaskData*>(tasks->objects[0].data);
    task->extendedContext[0] = 1;
    app().extendedContext[0] = 1;
    tasks->hFileDirty = 0;
    app().kernelHDirty = 0;
    m_state[Context0].check = 0;
    m_messages->queueAnswer(platform::IdNo);
    EXPECT_FALSE(page.killActive(m_state).close);
    EXPECT_EQ(task->extendedContext[0], 1);
    m_messages->queueAnswer(platform::IdYes);
    EXPECT_TRUE(page.killActive(m_state).close);
    EXPECT_EQ(task->extendedContext[0], 0);
    EXPECT_EQ(tasks->hFileDirty, 1);
    EXPECT_EQ(app().kernelHDirty, 1);
    EXPECT_EQ(app().extendedContext[0], 0);
}

TEST_F(ApplicationPagesTest, LoadAndSaveAsInsideACancelledSheet)
{
    engine::ApplicationRecord before{};
    ASSERT_TRUE(engine::ProjectManager::CloneApplication(*m_context.cpu, before, app()));
    engine::PresetFileChooser chooser;
    engine::FileChooser* previous = engine::SetFileChooser(&chooser);
    const std::string saved = (m_programFolder / "copy.app").string();
    // Another application's file under a name of its own (the project lists neither).
    const std::string spare = (m_programFolder / "spare.app").string();
    {
        std::ifstream in(m_demo / "monitor.app", std::ios::binary);
        std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        text.replace(text.find("Name=Monitor"), 12, "Name=Spare");
        std::ofstream(spare, std::ios::binary) << text;
    }
    {
        ApplicationSheetTransaction transaction(*m_context.cpu, app());
        ASSERT_TRUE(transaction.begin());
        m_context.transaction = &transaction;
        int refreshed = 0;
        m_context.hooks.refreshPages = [&refreshed] { ++refreshed; };
        AppGeneralPage page(m_context);
        page.initialise(m_state);

        // Load a file no application lists: the record takes its shape; the pages reload.
        chooser.QueueAnswer(spare);
        page.clicked(Load, m_state);
        EXPECT_EQ(refreshed, 1);
        EXPECT_EQ(engine::textString(app().name), "Spare");
        const std::string loadedPath = engine::textString(app().path);
        EXPECT_TRUE(loadedPath.ends_with("/spare.app")) << loadedPath;

        // Save As writes a file; a cancelled chooser changes nothing.
        page.clicked(SaveAs, m_state);
        EXPECT_EQ(engine::textString(app().path), loadedPath);
        chooser.QueueAnswer(saved);
        page.clicked(SaveAs, m_state);
        EXPECT_TRUE(std::filesystem::exists(saved));
        EXPECT_EQ(m_state.text(FilePath), engine::textString(app().path));
        app().edited = 0;
        transaction.finish(2);
    }
    engine::SetFileChooser(previous);
    EXPECT_FALSE(engine::ProjectManager::ApplicationsDiffer(app(), before));
    EXPECT_EQ(engine::textString(app().name), "Control");
    EXPECT_EQ(app().edited, 1) << "a file was written while the sheet ran";
    EXPECT_TRUE(messages().empty());
    engine::ProjectManager::FreeApplication(before);
}

TEST_F(ApplicationPagesTest, PathsPageRefusesABrowsedFolderTooLongForItsField)
{
    std::string chosen = "/" + std::string(engine::kPathSize + 10, 'd');
    int asked = 0;
    m_context.hooks.chooseFolder = [&](const std::string& purpose, const std::string&, std::string& out) {
        EXPECT_EQ(purpose, "Code Files");
        ++asked;
        out = chosen;
        return true;
    };
    AppPathsPage page(m_context);
    page.initialise(m_state);
    const std::string before = engine::textString(app().codePath);
    EXPECT_FALSE(page.clicked(BrowseCode, m_state));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(engine::textString(app().codePath), before);
    EXPECT_EQ(m_state.text(CodePath), before);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], "The chosen folder's path is too long: a path holds at most 259 characters");

    // A folder that fits is stored relative to the current folder.
    chosen = engine::GetCurrentDirectoryText() + "/generated";
    EXPECT_TRUE(page.clicked(BrowseCode, m_state));
    EXPECT_EQ(engine::textString(app().codePath), m_state.text(CodePath));
    EXPECT_NE(m_state.text(CodePath).find("generated"), std::string::npos);
    EXPECT_EQ(m_state.text(CodePath).find(engine::GetCurrentDirectoryText()), std::string::npos);
}

using platform::testing::SeenMessages;

// Types into the edit of a page in a sheet and presses the sheet's OK; the messages with what the edit
// showed while each was up.
std::vector<std::pair<std::string, std::string>> typeAndOk(PageModel& model, const ControlTable& rows, int editId,
                                                           const QString& typed)
{
    SeenMessages seen(editId);
    whenModal([&](QWidget* modal) {
        auto* sheet = qobject_cast<platform::PropertySheet*>(modal);
        auto* edit = platform::findControl<QLineEdit>(sheet->GetPage(0), editId);
        ASSERT_NE(edit, nullptr);
        edit->setText(typed);
        QTest::mouseClick(platform::findControl<QPushButton>(sheet, platform::PropertySheet::IdOk), Qt::LeftButton);
        settle();
        EXPECT_TRUE(sheet->isVisible()) << "refused";
        sheet->reject();
    });
    platform::PropertySheet sheet(QStringLiteral("Application Properties"));
    sheet.AddPage(new ModelPage(model, rows));
    sheet.exec();
    return seen.shown;
}

// A corrected node name, RAM label or suffix is in its edit while its message is up.
TEST_F(ApplicationPagesTest, CorrectedTextsShowBeforeTheirMessages)
{
    {
        useApplication("Link");
        AppGeneralPage page(m_context);
        const auto seen = typeAndOk(page, appGeneralRows(), NodeName, QStringLiteral("no de"));
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_NE(seen[0].second, "no de");
        EXPECT_EQ(seen[0].second, engine::textString(app().nodeName)) << seen[0].first;
    }
    {
        useApplication("Control");
        app().systemRamManual = 1;
        AppSystemPage page(m_context);
        const auto seen = typeAndOk(page, appSystemRows(), RamLabel, QStringLiteral("ram label"));
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_NE(seen[0].second, "ram label");
        EXPECT_EQ(seen[0].second, engine::textString(app().systemRamLabel)) << seen[0].first;
    }
    {
        AppCodegenPage page(m_context);
        const auto seen = typeAndOk(page, appCodegenRows(), Suffix, QStringLiteral("x y"));
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_NE(seen[0].second, "x y");
        EXPECT_EQ(seen[0].second, engine::textString(app().suffix)) << seen[0].first;
    }
}

// Leaving a page by its tab happens inside the tab's mouse press: a refusal keeps the page at once and
// says why once the press has ended, then the refused edit has the focus.
TEST_F(ApplicationPagesTest, ARefusedTabChangeSpeaksAfterThePress)
{
    bool clicking = false;
    std::vector<std::pair<std::string, bool>> shown;
    struct Recording : platform::MessageService {
        std::function<void(const std::string&)> seen;
        int show(const std::string& text, const std::string&, unsigned) override
        {
            seen(text);
            return platform::IdOk;
        }
    } recording;
    recording.seen = [&](const std::string& text) { shown.emplace_back(text, clicking); };
    platform::MessageService* previous = platform::setMessageService(&recording);
    AppGeneralPage general(m_context);
    AppCodegenPage codegen(m_context);
    int activeAfter = -1;
    bool nameFocused = false;
    whenModal([&](QWidget* modal) {
        auto* sheet = qobject_cast<platform::PropertySheet*>(modal);
        auto* name = platform::findControl<QLineEdit>(sheet->GetPage(0), Name);
        name->setText(QStringLiteral("a=b"));
        clicking = true;
        QTest::mouseClick(sheet->tabBar(), Qt::LeftButton, {}, sheet->tabBar()->tabRect(1).center());
        clicking = false;
        settle();
        activeAfter = sheet->GetActiveIndex();
        nameFocused = sheet->GetPage(0)->focusWidget() == name;
        sheet->reject();
    });
    platform::PropertySheet sheet(QStringLiteral("Application Properties"));
    sheet.AddPage(new ModelPage(general, appGeneralRows()));
    sheet.AddPage(new ModelPage(codegen, appCodegenRows()));
    sheet.exec();
    platform::setMessageService(previous);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].first, "Application name cannot contain any of the following texts: = ; // /* ]");
    EXPECT_FALSE(shown[0].second) << "shown inside the press";
    EXPECT_EQ(activeAfter, 0);
    EXPECT_TRUE(nameFocused);
}

} // namespace
} // namespace editors::test
