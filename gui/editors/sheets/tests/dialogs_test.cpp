// The user text rules and dialogs, the node name dialog, and the two sheets as widgets on the demo project.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include <filesystem>
#include <cstdlib>
#include <functional>

#include "engine/names/project_walk.h"
#include "engine/ops/cpu_record_handler.h"
#include "engine/records/text_field.h"
#include "engine/usertext/user_text_store.h"
#include "gui/editors/model/page_application.h"
#include "gui/editors/model/page_cpu.h"
#include "gui/editors/model/page_cpu_class.h"
#include "gui/editors/model/page_option_rows.h"
#include "gui/editors/model/user_text_dialogs.h"
#include "gui/editors/sheets/application_sheet_view.h"
#include "gui/editors/sheets/cpu_sheet_view.h"
#include "gui/editors/sheets/page_view.h"
#include "gui/editors/sheets/sheet_services.h"
#include "gui/editors/sheets/tests/demo_project.h"
#include "gui/editors/sheets/user_text_dialogs.h"
#include "platform/qt/control_id.h"
#include "platform/qt/property_sheet.h"

namespace editors::test {
namespace {

std::vector<std::string> fileNames(engine::ApplicationRecord& application, int classType)
{
    std::vector<std::string> names;
    for (engine::UserTextBlock* block : UserTextBlocksToList(application, classType))
        names.push_back(application.userTexts->GetUserTextFileName(*block));
    return names;
}

bool contains(const std::vector<std::string>& names, const std::string& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

using SheetsTest = DemoProject;

TEST_F(SheetsTest, UserTextListingFollowsTheModeAndTheApplicationSwitches)
{
    engine::ApplicationRecord& control = application("Control");
    std::vector<std::string> own = fileNames(control, kApplicationUserTexts);
    EXPECT_TRUE(contains(own, "kproject.c"));
    EXPECT_TRUE(contains(own, "uexcptn.s")) << "Generate User ISRs is set";
    EXPECT_FALSE(contains(own, "kmpinfo.h")) << "not a multiprocessor application";
    // The application lists the files of its classes too.
    EXPECT_TRUE(contains(own, "klvl.c"));
    EXPECT_TRUE(contains(own, "ktask.h"));
    EXPECT_EQ(own, fileNames(control, static_cast<int>(0xFFFFFFFFu)));
    // The user ISR file is an assembler file like the others; Generate User ISRs lists it even without them.
    control.generateUserIsrs = 0;
    EXPECT_TRUE(contains(fileNames(control, kApplicationUserTexts), "uexcptn.s"));
    control.generateAssemblerCode = 0;
    own = fileNames(control, kApplicationUserTexts);
    EXPECT_FALSE(contains(own, "uexcptn.s"));
    EXPECT_FALSE(contains(own, "koptions.inc"));
    control.generateUserIsrs = 1;
    EXPECT_TRUE(contains(fileNames(control, kApplicationUserTexts), "uexcptn.s"));
    control.generateUserIsrs = 0;

    // A Thread class lists the Level and Thread files (C ones only now).
    const std::vector<std::string> threads = fileNames(control, engine::ClassThread);
    ASSERT_FALSE(threads.empty());
    for (engine::UserTextBlock* block : UserTextBlocksToList(control, engine::ClassThread))
        EXPECT_TRUE(block->kind == engine::ClassLevel || block->kind == engine::ClassThread);
}

TEST_F(SheetsTest, UserTextChangesMarkTheirGeneratedFiles)
{
    engine::ApplicationRecord& control = application("Control");
    control.edited = control.kernelHDirty = control.kernelMDirty = control.projectCDirty = control.projectHDirty = 0;
    engine::UserTextStore& store = *control.userTexts;
    for (std::size_t i = 0; i < store.blockCount(); ++i) {
        const engine::UserTextBlock& block = store.block(i);
        if (block.kind == 0 && block.baseName == "koptions" && block.flags[0])
            MarkUserTextChange(control, block);
    }
    EXPECT_EQ(control.kernelHDirty, 1) << "the option files mark the kernel files";
    EXPECT_EQ(control.projectHDirty + control.projectCDirty, 0);
    EXPECT_EQ(control.edited, 1);

    // Join and split keep empty lines and a trailing empty line.
    const std::vector<std::vector<std::string>> lists = {{}, {"a"}, {"a", ""}, {"", "b", ""}, {"x", "y"}};
    for (const auto& list : lists) {
        std::vector<std::string> copy = list;
        EXPECT_FALSE(StoreUserText(copy, JoinUserText(list)));
        EXPECT_EQ(SplitUserText(JoinUserText(list)), list.size() == 1 && list[0].empty() ? std::vector<std::string>{}
                                                                                         : list);
    }
    std::vector<std::string> lines = {"a"};
    EXPECT_TRUE(StoreUserText(lines, "a\r\nb"));
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "b"}));
}

TEST_F(SheetsTest, EditTextDialogReportsOnlyRealChanges)
{
    std::vector<std::string> top = {"rev 1"}, include, bottom = {"end", ""};
    EditTextDialog dialog("Edit text for file kproject.c", top, include, bottom);
    whenModal([](QWidget* modal) {
        auto* ok = platform::findControl<QPushButton>(modal, 1);
        EXPECT_EQ(ok->text(), QStringLiteral("&OK"));
        EXPECT_EQ(platform::findControl<QPushButton>(modal, 2)->text(), QStringLiteral("&Cancel"));
        EXPECT_FALSE(ok->isEnabled()) << "nothing typed yet";
        auto* edit = platform::findControl<QPlainTextEdit>(modal, EditTextDialog::IncludeId);
        edit->setPlainText(QStringLiteral("#include \"x.h\""));
        EXPECT_TRUE(ok->isEnabled());
        ok->click();
    });
    EXPECT_EQ(dialog.exec(), platform::DialogBase::IdOk);
    EXPECT_EQ(include, std::vector<std::string>{"#include \"x.h\""});
    EXPECT_EQ(bottom, (std::vector<std::string>{"end", ""}));
}

// A user text goes to the source file as the locale's bytes for what was typed, whatever the characters.
TEST_F(SheetsTest, EditTextDialogStoresTheLocaleBytesOfWhatWasTyped)
{
    std::vector<std::string> top = {"rev 1"}, include, bottom;
    EditTextDialog dialog("Edit text for file kproject.c", top, include, bottom);
    whenModal([&](QWidget* modal) {
        auto* edit = platform::findControl<QPlainTextEdit>(modal, EditTextDialog::TopId);
        edit->setPlainText(QString::fromUtf8("Hall sensor \u2603 caf\u00e9"));
        platform::findControl<QPushButton>(modal, 1)->click();
    });
    EXPECT_EQ(dialog.exec(), platform::DialogBase::IdOk);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(top, std::vector<std::string>{"Hall sensor \xe2\x98\x83 caf\xc3\xa9"});
}

TEST_F(SheetsTest, NodeNameDialogShowsItsTitleAndReturnsTheName)
{
    engine::ApplicationRecord& link = application("Link");
    NodeNameDialog dialog(link, "comms", "The node name is not unique.", "Enter another:");
    whenModal([](QWidget* modal) {
        EXPECT_EQ(modal->windowTitle(), QStringLiteral("For application \"Link\":"));
        EXPECT_EQ(platform::findControl<QLabel>(modal, NodeNameDialog::FirstLineId)->text(),
                  QStringLiteral("The node name is not unique."));
        platform::findControl<QLineEdit>(modal, NodeNameDialog::NameId)->setText(QStringLiteral(" node2 "));
        platform::findControl<QPushButton>(modal, 1)->click();
    });
    ASSERT_EQ(dialog.exec(), platform::DialogBase::IdOk);
    EXPECT_EQ(dialog.nodeName(), " node2 ");
}

TEST_F(SheetsTest, ApplicationSheetStoresOnOkRestoresOnCancelAndCanBeSeen)
{
    engine::ApplicationRecord& control = application("Control");
    engine::CpuRecord& main = cpuOf(control);
    control.edited = 0;

    // Cancel after a change on two pages: everything comes back.
    whenModal([](QWidget* modal) {
        auto* sheet = qobject_cast<platform::PropertySheet*>(modal);
        EXPECT_EQ(modal->windowTitle(), QStringLiteral("Application Properties"));
        // General, Options, Class, Paths, System, Code Generation; no Extended Context on a single-stack CPU.
        if (sheet && sheet->GetPageCount() == 6) {
            EXPECT_EQ(sheet->GetPage(1)->caption(), QStringLiteral("Options"));
            EXPECT_EQ(platform::findControl<QLabel>(modal, app_ids::InstancesLabel)->text(),
                      QStringLiteral("Instances:"));
            QStringList labels;
            for (const QLabel* label : sheet->GetPage(0)->findChildren<QLabel*>())
                labels << label->text();
            EXPECT_TRUE(labels.contains(QStringLiteral("User Version:")));
            EXPECT_TRUE(labels.contains(QStringLiteral("(0-65535)")));
            auto* name = platform::findControl<QLineEdit>(modal, app_ids::Name);
            // Typing stops at what the record holds.
            name->setText(QString(engine::kNameSize - 2, QLatin1Char('n')));
            name->end(false);
            name->insert(QStringLiteral("xy"));
            EXPECT_EQ(name->text().size(), engine::kNameSize - 2);
            name->insert(QStringLiteral("x"));
            EXPECT_EQ(name->text().size(), engine::kNameSize - 1);
            name->setText(QStringLiteral("Renamed"));
            EXPECT_TRUE(sheet->SetActivePage(3));  // the Paths page: leaving General stores the name
            auto* path = platform::findControl<QLineEdit>(sheet->GetPage(3), app_ids::CodePath);
            EXPECT_EQ(path->text(), QStringLiteral("gen/control/src/"));
            path->setText(QStringLiteral("elsewhere/"));
        } else {
            ADD_FAILURE() << "unexpected pages";
        }
        qobject_cast<QDialog*>(modal)->reject();
    });
    EXPECT_EQ(ShowApplicationPropertiesSheet(m_project, control, main), 2);
    EXPECT_EQ(engine::textString(control.name), "Control");
    EXPECT_EQ(engine::textString(control.codePath), "gen/control/src/");
    EXPECT_EQ(control.edited, 0);

    // OK with the name confirmed by Enter only; and a refusal keeps the sheet open.
    // The picture goes to the build folder (the project's folder is the current one now).
    const char* binary = std::getenv("KORVANE_BINARY_DIR");
    const std::string shot = (std::filesystem::path(binary ? binary : m_programFolder.string()) /
                              "application_properties.png").string();
    whenModal([shot](QWidget* modal) {
        auto* sheet = qobject_cast<platform::PropertySheet*>(modal);
        auto* name = platform::findControl<QLineEdit>(modal, app_ids::Name);
        name->setText(QString());
        sheet->accept();
        EXPECT_TRUE(sheet->isVisible()) << "an empty name keeps the sheet";
        name->setText(QStringLiteral("Drive"));
        modal->grab().save(QString::fromStdString(shot));
        sheet->accept();
    });
    EXPECT_EQ(ShowApplicationPropertiesSheet(m_project, control, main), 1);
    EXPECT_EQ(engine::textString(control.name), "Drive");
    EXPECT_EQ(control.edited, 1);
    EXPECT_EQ(messages().at(0), "Application must have a name");
    EXPECT_TRUE(std::filesystem::exists(shot));
}

TEST_F(SheetsTest, OptionsPageShowsYesNoOptionsUnderTheLabels)
{
    engine::ApplicationRecord& control = application("Control");
    const char* binary = std::getenv("KORVANE_BINARY_DIR");
    const std::string shot = (std::filesystem::path(binary ? binary : m_programFolder.string()) /
                              "application_options.png").string();
    whenModal([shot](QWidget* modal) {
        auto* sheet = qobject_cast<platform::PropertySheet*>(modal);
        ASSERT_NE(sheet, nullptr);
        ASSERT_TRUE(sheet->SetActivePage(1));
        auto* page = sheet->GetPage(1);
        ASSERT_EQ(page->caption(), QStringLiteral("Options"));
        int checks = 0;
        int labels = 0;
        int left = -1;
        for (int slot = 0; slot < option_ids::kSlots; ++slot) {
            auto* label = platform::findControl<QLabel>(page, option_ids::Label[slot]);
            auto* check = platform::findControl<QCheckBox>(page, option_ids::Check[slot]);
            ASSERT_TRUE(label && check);
            const QWidget* shown = check->isVisible() ? static_cast<QWidget*>(check) : label;
            if (!shown->isVisible())
                continue;
            (check->isVisible() ? checks : labels)++;
            const int x = shown->mapTo(page, QPoint(0, 0)).x();
            if (left < 0)
                left = x;
            EXPECT_EQ(x, left) << "slot " << slot;
            EXPECT_FALSE(check->isVisible() && label->isVisible()) << "slot " << slot;
        }
        EXPECT_GT(checks, 0);
        EXPECT_GT(labels, 0);
        EXPECT_TRUE(modal->grab().save(QString::fromStdString(shot)));
        qobject_cast<QDialog*>(modal)->reject();
    });
    EXPECT_EQ(ShowApplicationPropertiesSheet(m_project, control, cpuOf(control)), 2);
}

TEST_F(SheetsTest, CpuSheetHandsBackTheNameOnOkOnly)
{
    engine::CpuRecord& comms = cpu("Comms");
    engine::CpuRecordHandler handler(&comms.kernel, &m_config, &comms);
    CpuSheetParams params{false, false, "Comms", "Communications processor"};
    const int32_t framework = comms.kernel.framework;

    whenModal([](QWidget* modal) {
        EXPECT_EQ(modal->windowTitle(), QStringLiteral("CPU Properties"));
        // The Class page comes with a scalable kernel and fills its check list when first shown.
        if (auto* sheet = qobject_cast<platform::PropertySheet*>(modal)) {
            const int last = sheet->GetPageCount() - 1;
            EXPECT_EQ(sheet->GetPage(last)->caption(), QStringLiteral("Class"));
            EXPECT_TRUE(sheet->SetActivePage(last));
            auto* list = platform::findControl<QListWidget>(sheet->GetPage(last), class_ids::ClassList);
            EXPECT_TRUE(list && list->count() > 0);
            if (const char* binary = std::getenv("KORVANE_BINARY_DIR"))
                modal->grab().save(QString::fromStdString(std::string(binary) + "/cpu_properties_class.png"));
            EXPECT_TRUE(sheet->SetActivePage(0));
        }
        platform::findControl<QLineEdit>(modal, cpu_ids::Name)->setText(QStringLiteral("Changed"));
        platform::findControl<QCheckBox>(modal, cpu_ids::Mp)->click();
        qobject_cast<QDialog*>(modal)->reject();
    });
    EXPECT_EQ(ShowCpuPropertiesSheet(handler, params, &m_project), 2);
    EXPECT_EQ(params.name, "Comms");
    EXPECT_EQ(comms.kernel.framework, framework);

    whenModal([](QWidget* modal) {
        platform::findControl<QLineEdit>(modal, cpu_ids::Name)->setText(QStringLiteral("Link CPU"));
        qobject_cast<QDialog*>(modal)->accept();
    });
    comms.kernel.edited = 0;
    comms.applications[0].edited = 0;
    EXPECT_EQ(ShowCpuPropertiesSheet(handler, params, &m_project), 1);
    EXPECT_EQ(params.name, "Link CPU");
    EXPECT_EQ(comms.kernel.edited, 0) << "opening and closing the sheet changes nothing in the record";
    EXPECT_EQ(comms.applications[0].edited, 0);
}

} // namespace
} // namespace editors::test

namespace editors::test {
namespace {

TEST_F(SheetsTest, AddingACpuAndAnApplicationRunsTheirSheets)
{
    engine::ProjectManager& manager = m_manager;
    // The new CPU's sheet loads the first model; OK keeps the CPU with its name.
    whenModal([](QWidget* modal) {
        platform::findControl<QLineEdit>(modal, cpu_ids::Name)->setText(QStringLiteral(" Third "));
        qobject_cast<QDialog*>(modal)->accept();
    });
    ASSERT_EQ(sheets::AddCpu(manager, m_project, m_config), 1);
    ASSERT_EQ(m_project.cpuCount, 3);
    engine::CpuRecord& third = m_project.cpus[2];
    EXPECT_EQ(engine::textString(third.name), "Third");
    EXPECT_GT(third.kernel.classCount, 0) << "the model was loaded";

    // An application added to it and cancelled goes away again; OK keeps it.
    whenModal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    EXPECT_EQ(sheets::AddApplication(manager, m_project, m_project.cpus[2]), 2);
    EXPECT_EQ(m_project.cpus[2].applicationCount, 0);
    whenModal([](QWidget* modal) {
        platform::findControl<QLineEdit>(modal, app_ids::Name)->setText(QStringLiteral("Fresh"));
        qobject_cast<QDialog*>(modal)->accept();
    });
    EXPECT_EQ(sheets::AddApplication(manager, m_project, m_project.cpus[2]), 1);
    ASSERT_EQ(m_project.cpus[2].applicationCount, 1);
    EXPECT_EQ(engine::textString(m_project.cpus[2].applications[0].name), "Fresh");

    // A new application must be named.
    whenModal([](QWidget* modal) {
        auto* dialog = qobject_cast<QDialog*>(modal);
        dialog->accept();
        EXPECT_TRUE(dialog->isVisible());
        dialog->reject();
    });
    EXPECT_EQ(sheets::AddApplication(manager, m_project, m_project.cpus[2]), 2);
    EXPECT_EQ(messages().back(), "Application must have a name");
}

TEST_F(SheetsTest, ClassSheetOpensFromTheClassPageAndCancelsCleanly)
{
    engine::CpuRecord& comms = cpu("Comms");
    engine::CpuRecordHandler handler(&comms.kernel, &m_config, &comms);
    engine::KernelRecord before{};
    ASSERT_TRUE(engine::CpuRecordHandler::CloneKernelRecord(before, comms.kernel));
    CpuSheetParams params{false, false, "Comms", ""};
    QString classSheetTitle;
    int classPages = 0;
    whenModal([&](QWidget* modal) {
        auto* sheet = qobject_cast<platform::PropertySheet*>(modal);
        const auto close = [modal] { qobject_cast<QDialog*>(modal)->reject(); };
        if (!sheet) {
            ADD_FAILURE();
            return close();
        }
        const int last = sheet->GetPageCount() - 1;
        sheet->SetActivePage(last);
        auto* list = platform::findControl<QListWidget>(sheet->GetPage(last), class_ids::ClassList);
        const auto found = list ? list->findItems(QStringLiteral("Task"), Qt::MatchStartsWith) : QList<QListWidgetItem*>();
        if (found.size() != 1) {
            ADD_FAILURE() << "no Task line";
            return close();
        }
        list->setCurrentItem(found[0]);
        settle();
        auto* properties = platform::findControl<QPushButton>(sheet->GetPage(last), class_ids::Properties);
        EXPECT_TRUE(properties->isEnabled());
        whenModal([&](QWidget* classSheet) {
            classSheetTitle = classSheet->windowTitle();
            if (auto* pages = qobject_cast<platform::PropertySheet*>(classSheet)) {
                classPages = pages->GetPageCount();
                auto* options = platform::findControl<QListWidget>(pages->GetPage(0), class_ids::OptionList);
                EXPECT_TRUE(options && options->count() > 0);
            }
            qobject_cast<QDialog*>(classSheet)->reject();
        });
        properties->click();
        close();
    });
    EXPECT_EQ(ShowCpuPropertiesSheet(handler, params, &m_project), 2);
    EXPECT_EQ(classSheetTitle, QStringLiteral("Task Properties"));
    EXPECT_EQ(classPages, 5) << "Options, Non-MP Services and the three MP pages";
    EXPECT_FALSE(engine::CpuRecordHandler::KernelRecordsDiffer(comms.kernel, before));
    engine::CpuRecordHandler::FreeKernelRecord(before);
}

TEST_F(SheetsTest, UserTextDialogEditsTheChosenFileAndMarksIt)
{
    engine::ApplicationRecord& control = application("Control");
    control.projectCDirty = control.edited = 0;
    whenModal([](QWidget* select) {
        auto* list = platform::findControl<QListWidget>(select, CUserTextDialog::kListId);
        auto* ok = platform::findControl<QPushButton>(select, 1);
        EXPECT_FALSE(ok->isEnabled());
        const auto found = list->findItems(QStringLiteral("kproject.c"), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        list->setCurrentItem(found[0]);
        EXPECT_TRUE(ok->isEnabled());
        whenModal([](QWidget* edit) {
            EXPECT_EQ(edit->windowTitle(), QStringLiteral("Edit text for file kproject.c"));
            platform::findControl<QPlainTextEdit>(edit, EditTextDialog::TopId)->setPlainText(QStringLiteral("v2"));
            platform::findControl<QPushButton>(edit, 1)->click();
        });
        ok->click();
    });
    EXPECT_EQ(sheets::UserTextDialog(control, -1, nullptr), 1);
    EXPECT_EQ(control.projectCDirty, 1);
    EXPECT_EQ(control.edited, 1);
}

// The list makes its first line current, unhighlighted, when it takes the focus: OK stays off and Enter
// opens nothing; a double-click chooses its line and opens the edit dialog after the click.
TEST_F(SheetsTest, UserTextDialogChoosesNothingUntilALineIsHighlighted)
{
    engine::ApplicationRecord& control = application("Control");
    QStringList editsOpened;
    QTimer watcher;
    watcher.setInterval(10);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->windowTitle().startsWith(QStringLiteral("Edit text for file"))) {
            editsOpened << modal->windowTitle();
            qobject_cast<QDialog*>(modal)->reject();
        }
    });
    watcher.start();
    whenModal([&](QWidget* select) {
        auto* list = platform::findControl<QListWidget>(select, CUserTextDialog::kListId);
        auto* ok = platform::findControl<QPushButton>(select, 1);
        list->setFocus(Qt::TabFocusReason);
        QFocusEvent focusIn(QEvent::FocusIn, Qt::TabFocusReason);
        QCoreApplication::sendEvent(list, &focusIn);
        EXPECT_EQ(list->currentRow(), 0);
        EXPECT_TRUE(list->selectedItems().isEmpty());
        EXPECT_FALSE(ok->isEnabled()) << "nothing highlighted";
        QTest::keyClick(list, Qt::Key_Return);
        settle();
        EXPECT_TRUE(editsOpened.isEmpty());
        EXPECT_EQ(QApplication::activeModalWidget(), select);

        const auto found = list->findItems(QStringLiteral("kproject.c"), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        const QPoint line = list->visualItemRect(found[0]).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, line);
        EXPECT_TRUE(ok->isEnabled());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, line);
        EXPECT_TRUE(editsOpened.isEmpty()) << "not inside the double-click";
        settle();
        if (QApplication::activeModalWidget() == select)
            qobject_cast<QDialog*>(select)->reject();
    });
    sheets::UserTextDialog(control, -1, nullptr);
    watcher.stop();
    EXPECT_EQ(editsOpened, QStringList{QStringLiteral("Edit text for file kproject.c")});
}

TEST_F(SheetsTest, UserTextOfAnAssemblerSourceRegeneratesItsClassSource)
{
    engine::ApplicationRecord& control = application("Control");
    engine::ApplicationClassEntry* exceptions =
        engine::FindApplicationClassEntryByType(control, engine::ClassException);
    ASSERT_NE(exceptions, nullptr);
    exceptions->cFileDirty = exceptions->hFileDirty = exceptions->mFileDirty = 0;
    whenModal([](QWidget* select) {
        auto* list = platform::findControl<QListWidget>(select, CUserTextDialog::kListId);
        EXPECT_EQ(list->findItems(QStringLiteral("klvl.c"), Qt::MatchExactly).size(), 1) << "class files are listed";
        const auto found = list->findItems(QStringLiteral("uexcptn.s"), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1);
        list->setCurrentItem(found[0]);
        whenModal([](QWidget* edit) {
            auto* bottom = platform::findControl<QPlainTextEdit>(edit, EditTextDialog::BottomId);
            bottom->setPlainText(QStringLiteral("; end"));
            platform::findControl<QPushButton>(edit, 1)->click();
        });
        platform::findControl<QPushButton>(select, 1)->click();
    });
    EXPECT_EQ(sheets::UserTextDialog(control, -1, nullptr), 1);
    EXPECT_EQ(exceptions->cFileDirty, 1) << "a source file, assembler or C, regenerates";
    EXPECT_EQ(exceptions->mFileDirty, 0);
    EXPECT_EQ(control.edited, 1);
}

} // namespace
} // namespace editors::test
