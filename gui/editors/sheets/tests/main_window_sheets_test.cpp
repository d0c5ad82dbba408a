// The sheets run from the main window on a copy of the demo project: kernel paths relative to the
// project's folder, and the tree and footprint following what the application sheet's pages do.
#include <gtest/gtest.h>

#include <functional>
#include <regex>

#include <QApplication>
#include <QComboBox>
#include <QTimer>
#include <QWindow>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>

#include <sys/wait.h>

#include "engine/files/file_chooser.h"
#include "engine/names/application_sections.h"
#include "engine/names/project_walk.h"
#include "engine/ops/cpu_record_handler.h"
#include "engine/ops/project_manager.h"
#include "engine/project/object_keys.h"
#include "engine/records/field_descriptions.h"
#include "engine/records/model_bounds.h"
#include "engine/records/text_field.h"
#include "engine/util/path.h"
#include "engine/util/tests/held_save_lock.h"
#include "engine/util/text.h"
#include "gui/editors/model/object_dialog_model.h"
#include "gui/editors/model/object_models.h"
#include "gui/editors/model/page_application.h"
#include "gui/editors/model/page_cpu.h"
#include "gui/editors/model/page_cpu_class.h"
#include "gui/editors/model/property_models.h"
#include "gui/editors/services/editors_impl.h"
#include "gui/editors/sheets/sheet_services.h"
#include "gui/editors/sheets/tests/demo_project.h"
#include "gui/shell/main_dialog.h"
#include "gui/shell/project_tree.h"
#include "gui/shell/qt_file_chooser.h"
#include "platform/qt/control_id.h"
#include "platform/qt/file_dialog.h"
#include "platform/qt/property_sheet.h"
#include "platform/qt/testing/window_stack.h"

namespace fs = std::filesystem;

namespace editors::test {
namespace {

// Runs the step on the next modal window other than `except`.
void whenOtherModal(QWidget* except, std::function<void(QWidget*)> step)
{
    QTimer::singleShot(0, [except, step] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == except)
            return whenOtherModal(except, step);
        step(modal);
    });
}

// The main window over a copy of the demo project; the current folder is then elsewhere.
class MainWindowSheetsTest : public DemoProject {
protected:
    void SetUp() override
    {
        DemoProject::SetUp();
        if (HasFatalFailure())
            return;
        m_projectFolder = m_programFolder / "project";
        fs::create_directories(m_projectFolder);
        for (const char* name : {"demo.omb", "main.cpu", "comms.cpu", "control.app", "link.app", "monitor.app"})
            fs::copy_file(m_demo / name, m_projectFolder / name, fs::copy_options::overwrite_existing);
        shell::setEditorServices(&editorsImpl());
        m_window = std::make_unique<CMainDialog>();
        m_window->Initialize({"OMBAgen", (m_projectFolder / "demo.omb").string()},
                             CMainDialog::StartOptions{0});
        settle();
        ASSERT_GT(m_window->GetProject().cpuCount, 0);
        fs::current_path(m_programFolder);
        m_messages->clear();
    }
    void TearDown() override
    {
        m_window.reset();
        DemoProject::TearDown();
    }

    engine::CpuRecord& windowCpu(const char* name)
    {
        engine::ProjectRecord& project = m_window->GetProject();
        for (int32_t i = 0; i < project.cpuCount; ++i) {
            if (engine::textOf(project.cpus[i].name) == name)
                return project.cpus[i];
        }
        ADD_FAILURE() << "no CPU " << name;
        return project.cpus[0];
    }

    fs::path m_projectFolder;
    std::unique_ptr<CMainDialog> m_window;
    engine::PresetFileChooser m_chooser;
    engine::ScopedFileChooser m_useChooser{&m_chooser};
};

TEST_F(MainWindowSheetsTest, KernelFileLoadedFromTheCpuSheetIsStoredRelativeToTheProject)
{
    // A file of its own (one another CPU keeps is refused), of a kernel Main's model offers.
    fs::copy_file(m_projectFolder / "main.cpu", m_projectFolder / "spare.cpu");
    engine::CpuRecord& main = windowCpu("Main");
    engine::CpuRecordHandler handler(&main.kernel, &m_window->config(), &main);
    m_chooser.QueueAnswer((m_projectFolder / "spare.cpu").string());
    whenModal(
        [](QWidget* modal) {
            QTest::mouseClick(platform::findControl<QPushButton>(modal, cpu_ids::Load), Qt::LeftButton);
            qobject_cast<QDialog*>(modal)->accept();
        },
        QStringLiteral("CPU Properties"));
    std::string name = "Main";
    std::string description;
    ASSERT_EQ(shell::editorServices().ShowCpuProperties(handler, name, description), 1);
    EXPECT_EQ(engine::textString(main.kernel.kernelPath), "./spare.cpu");
    EXPECT_TRUE(messages().empty());
}

TEST_F(MainWindowSheetsTest, ApplicationSheetKeepsTheTreeAndTheFootprintUpToDate)
{
    // A file of its own for the Load: one that another application lists is refused.
    fs::copy_file(m_projectFolder / "link.app", m_projectFolder / "spare.app");
    engine::ProjectRecord& project = m_window->GetProject();
    engine::CpuRecord& main = windowCpu("Main");
    engine::ApplicationRecord& control = main.applications[0];
    ASSERT_EQ(engine::textString(control.name), "Control");
    control.footprint = engine::MemoryFootprint();
    control.edited = 1;
    shell::RefreshTreeLabels(m_window->manager(), project);
    const int editedImage = m_window->tree()->imageOf(control.treeItem);
    int savedImage = -1;
    int imageAfterSave = -1;
    bool footprintShown = false;
    uint32_t itemAfterLoad = 0;
    const uint32_t itemBefore = control.treeItem;

    whenModal(
        [&](QWidget* modal) {
            auto* sheet = qobject_cast<platform::PropertySheet*>(modal);
            ASSERT_NE(sheet, nullptr);
            // Class options OK: the footprint is recomputed and shown.
            ASSERT_NE(clickTab(sheet, QStringLiteral("Class")), nullptr);
            auto* classes = platform::findControl<QTreeWidget>(sheet->GetActivePage(), app_ids::ClassList);
            ASSERT_TRUE(classes && classes->topLevelItemCount() > 0);
            classes->setCurrentItem(classes->topLevelItem(0));
            settle();
            whenOtherModal(modal, [](QWidget* options) { qobject_cast<QDialog*>(options)->accept(); });
            QTest::mouseClick(platform::findControl<QPushButton>(sheet->GetActivePage(), app_ids::ClassOptions),
                              Qt::LeftButton);
            footprintShown = control.footprint.IsValid() && !m_window->statusLine()->text().isEmpty();

            // Save: the tree shows the application saved.
            clickTab(sheet, QStringLiteral("General"));
            QTest::mouseClick(platform::findControl<QPushButton>(modal, app_ids::Save), Qt::LeftButton);
            imageAfterSave = m_window->tree()->imageOf(control.treeItem);
            savedImage = shell::ApplicationImage(control);

            // Load: the tree is rebuilt once the window gets to it.
            m_chooser.QueueAnswer((m_projectFolder / "spare.app").string());
            QTest::mouseClick(platform::findControl<QPushButton>(modal, app_ids::Load), Qt::LeftButton);
            settle();
            itemAfterLoad = control.treeItem;
            qobject_cast<QDialog*>(modal)->reject();
        },
        QStringLiteral("Application Properties"));
    shell::editorServices().ShowApplicationProperties(m_window->manager(), project, control, main);
    EXPECT_TRUE(footprintShown);
    EXPECT_NE(savedImage, editedImage);
    EXPECT_EQ(imageAfterSave, savedImage);
    EXPECT_NE(itemAfterLoad, itemBefore);
    EXPECT_NE(itemAfterLoad, 0u);
}

std::string readFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every file of the folder with its bytes, to prove later that nothing was written.
std::map<fs::path, std::string> folderFiles(const fs::path& folder)
{
    std::map<fs::path, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file())
            files[entry.path()] = readFile(entry.path());
    }
    return files;
}

void expectFilesUnchanged(const std::map<fs::path, std::string>& before)
{
    for (const auto& [path, text] : before)
        EXPECT_EQ(readFile(path), text) << path;
}

void writeFile(const fs::path& file, const std::string& text)
{
    std::ofstream(file, std::ios::binary) << text;
}

// The file's text with its "Name=" line replaced.
std::string withName(const fs::path& file, const std::string& name)
{
    std::string text = readFile(file);
    const std::size_t start = text.find("\nName=");
    const std::size_t end = text.find('\n', start + 1);
    return text.replace(start + 1, end - start - 1, "Name=" + name);
}

TEST_F(MainWindowSheetsTest, LoadRefusesAFileTheProjectCouldNotSaveAndKeepsTheApplication)
{
    engine::ProjectRecord& project = m_window->GetProject();
    engine::CpuRecord& main = windowCpu("Main");
    engine::ApplicationRecord& monitor = main.applications[1];
    ASSERT_EQ(engine::textString(monitor.name), "Monitor");
    writeFile(m_projectFolder / "nameless.app", withName(m_projectFolder / "monitor.app", ""));
    writeFile(m_projectFolder / "twin.app", withName(m_projectFolder / "monitor.app", "control"));
    writeFile(m_projectFolder / "bracket.app", withName(m_projectFolder / "monitor.app", "[x"));
    const struct {
        const char* file;
        const char* message;
    } cases[] = {
        {"nameless.app", "gives the application of CPU \"Main\" an empty name"},
        {"twin.app", "CPU \"Main\" has another application named \"control\""},
        {"bracket.app", "the application name \"[x\" of CPU \"Main\" could not be saved"},
        {"control.app", "the project lists it as the application file of \"Control\" of CPU \"Main\""},
        {"link.app", "the project lists it as the application file of \"Link\" of CPU \"Comms\""},
    };
    const auto before = folderFiles(m_projectFolder);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        m_messages->clear();
        std::string shownName;
        whenModal(
            [&](QWidget* modal) {
                m_chooser.QueueAnswer((m_projectFolder / c.file).string());
                QTest::mouseClick(platform::findControl<QPushButton>(modal, app_ids::Load), Qt::LeftButton);
                settle();
                shownName = platform::findControl<QLineEdit>(modal, app_ids::Name)->text().toStdString();
                auto* sheet = qobject_cast<QDialog*>(modal);
                sheet->accept();
                // A page that refuses OK keeps the sheet open: the test ends it rather than wait.
                if (sheet->isVisible())
                    sheet->reject();
            },
            QStringLiteral("Application Properties"));
        shell::editorServices().ShowApplicationProperties(m_window->manager(), project, monitor, main);
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_NE(messages()[0].find("Unable to load application file " + (m_projectFolder / c.file).string()),
                  std::string::npos)
            << messages()[0];
        EXPECT_NE(messages()[0].find(c.message), std::string::npos) << messages()[0];
        // A refused Load is a failed load, captioned as the Load's and Save As's other failures are.
        EXPECT_EQ(m_messages->boxes()[0].caption, "File I/O Error");
        EXPECT_EQ(shownName, "Monitor");
        EXPECT_EQ(engine::textString(monitor.name), "Monitor");
        EXPECT_EQ(engine::textString(monitor.path), "monitor.app");
        EXPECT_EQ(monitor.edited, 0);
        EXPECT_EQ(project.edited, 0);
    }
    expectFilesUnchanged(before);
}

// Save As on the application and CPU pages refuse a file the project keeps for something else (another application, a kernel file, the project file) with a message, before anything is
// written; the record keeps its file and the files on disk stay as they were.
TEST_F(MainWindowSheetsTest, SaveAsAndLoadRefuseAFileTheProjectKeepsForSomethingElse)
{
    engine::ProjectRecord& project = m_window->GetProject();
    engine::CpuRecord& main = windowCpu("Main");
    engine::ApplicationRecord& control = main.applications[0];
    const auto before = folderFiles(m_projectFolder);
    const struct {
        bool cpuPage;
        int button;
        const char* file;
        const char* message;
    } cases[] = {
        {false, app_ids::SaveAs, "monitor.app", "the application file of \"Monitor\" of CPU \"Main\""},
        {false, app_ids::SaveAs, "link.app", "the application file of \"Link\" of CPU \"Comms\""},
        {false, app_ids::SaveAs, "main.cpu", "the kernel file of CPU \"Main\""},
        {false, app_ids::SaveAs, "demo.omb", "the project file"},
        {true, cpu_ids::SaveAs, "control.app", "the application file of \"Control\" of CPU \"Main\""},
        {true, cpu_ids::SaveAs, "comms.cpu", "the kernel file of CPU \"Comms\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file) + (c.cpuPage ? " CPU page" : " application page"));
        m_messages->clear();
        m_chooser.QueueAnswer((m_projectFolder / c.file).string());
        const auto press = [&](QWidget* modal) {
            QTest::mouseClick(platform::findControl<QPushButton>(modal, c.button), Qt::LeftButton);
            settle();
            qobject_cast<QDialog*>(modal)->reject();
        };
        if (c.cpuPage) {
            whenModal(press, QStringLiteral("CPU Properties"));
            engine::CpuRecordHandler handler(&main.kernel, &m_window->config(), &main);
            std::string name = "Main";
            std::string description;
            shell::editorServices().ShowCpuProperties(handler, name, description);
        } else {
            whenModal(press, QStringLiteral("Application Properties"));
            shell::editorServices().ShowApplicationProperties(m_window->manager(), project, control, main);
        }
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_NE(messages()[0].find((m_projectFolder / c.file).string() + ": the project lists it as " + c.message),
                  std::string::npos)
            << messages()[0];
        EXPECT_EQ(engine::textString(control.path), "control.app");
        EXPECT_EQ(engine::textString(main.kernel.kernelPath), "main.cpu");
    }
    expectFilesUnchanged(before);
}

// Leaving a path edit with Tab shows the path as the record now holds it, "/" for "\\".
TEST_F(MainWindowSheetsTest, APathEditLeftWithTabShowsWhatTheRecordHolds)
{
    engine::CpuRecord& main = windowCpu("Main");
    engine::ApplicationRecord& control = main.applications[0];
    QString shown;
    std::string stored;
    whenModal(
        [&](QWidget* modal) {
            auto* sheet = qobject_cast<platform::PropertySheet*>(modal);
            ASSERT_NE(clickTab(sheet, QStringLiteral("Paths")), nullptr);
            auto* edit = platform::findControl<QLineEdit>(sheet->GetActivePage(), app_ids::CodePath);
            // Focus leaves the edit only in the active window: under a window manager activation comes later.
            sheet->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(sheet));
            edit->setFocus();
            for (int i = 0; i < 500 && !edit->hasFocus(); ++i)
                QTest::qWait(10);
            ASSERT_TRUE(edit->hasFocus());
            edit->selectAll();
            QTest::keyClicks(edit, QStringLiteral("gen\\x\\"));
            QTest::keyClick(edit, Qt::Key_Tab);
            settle();
            EXPECT_FALSE(edit->hasFocus());
            shown = edit->text();
            stored = engine::textString(control.codePath);
            sheet->reject();
        },
        QStringLiteral("Application Properties"));
    shell::editorServices().ShowApplicationProperties(m_window->manager(), m_window->GetProject(), control, main);
    EXPECT_EQ(stored, "gen/x/");
    EXPECT_EQ(shown.toStdString(), stored);
}

// A multiprocessor application loaded over one of a CPU that is not MP-enabled: the General page hides
// its node name and OK does not judge it, so a copy of Link (whose node name Link already has) is kept.
TEST_F(MainWindowSheetsTest, OkAfterLoadingAMultiprocessorApplicationJudgesOnlyWhatThePageShows)
{
    fs::copy_file(m_projectFolder / "link.app", m_projectFolder / "linkcopy.app");
    engine::CpuRecord& main = windowCpu("Main");
    engine::ApplicationRecord& control = main.applications[0];
    bool nodeShown = true;
    bool stayed = true;
    whenModal(
        [&](QWidget* modal) {
            m_chooser.QueueAnswer((m_projectFolder / "linkcopy.app").string());
            QTest::mouseClick(platform::findControl<QPushButton>(modal, app_ids::Load), Qt::LeftButton);
            settle();
            nodeShown = platform::findControl<QLineEdit>(modal, app_ids::NodeName)->isVisible();
            auto* sheet = qobject_cast<QDialog*>(modal);
            sheet->accept();
            settle();
            stayed = sheet->isVisible();
            if (stayed)
                sheet->reject();
        },
        QStringLiteral("Application Properties"));
    m_messages->clear();
    const int result = shell::editorServices().ShowApplicationProperties(m_window->manager(), m_window->GetProject(),
                                                                          control, main);
    EXPECT_FALSE(nodeShown);
    EXPECT_FALSE(stayed);
    EXPECT_EQ(result, 1);
    for (const std::string& text : messages())
        EXPECT_EQ(text.find("Node name"), std::string::npos) << text;
    EXPECT_EQ(engine::textString(control.name), "Link");
    EXPECT_EQ(control.isMp, 1);
}

// A Load on the CPU page that is refused (a file another CPU keeps, the project file) or cannot read the file
// (one without a KERNEL section) is a failed load: its reason and "Unable to read selected kernel file" are
// captioned "File I/O Error", and the CPU keeps its kernel and its kernel file, through OK and Save All.
TEST_F(MainWindowSheetsTest, ARefusedKernelLoadIsAFileError)
{
    engine::CpuRecord& main = windowCpu("Main");
    writeFile(m_projectFolder / "notes.cpu", "[NOTES]\r\nText=not a kernel\r\n");
    const auto before = folderFiles(m_projectFolder);
    for (const char* file : {"comms.cpu", "demo.omb", "notes.cpu"}) {
        SCOPED_TRACE(file);
        m_messages->clear();
        m_chooser.QueueAnswer((m_projectFolder / file).string());
        whenModal(
            [&](QWidget* modal) {
                QTest::mouseClick(platform::findControl<QPushButton>(modal, cpu_ids::Load), Qt::LeftButton);
                settle();
                qobject_cast<QDialog*>(modal)->accept();
                settle();
                if (modal->isVisible())
                    qobject_cast<QDialog*>(modal)->reject();
            },
            QStringLiteral("CPU Properties"));
        engine::CpuRecordHandler handler(&main.kernel, &m_window->config(), &main);
        std::string name = "Main";
        std::string description;
        shell::editorServices().ShowCpuProperties(handler, name, description);
        const auto boxes = m_messages->boxes();
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_NE(boxes[0].text.find((m_projectFolder / file).string()), std::string::npos) << boxes[0].text;
        EXPECT_EQ(boxes[1].text, "Unable to read selected kernel file");
        for (const auto& box : boxes)
            EXPECT_EQ(box.caption, "File I/O Error") << box.text;
        EXPECT_EQ(engine::textString(main.kernel.kernelPath), "main.cpu");
        EXPECT_EQ(main.kernel.nameSize, 12);
    }
    m_window->OnFileSaveAll();
    EXPECT_EQ(readFile(m_projectFolder / "notes.cpu"), before.at(m_projectFolder / "notes.cpu"));
}

// The General page's Save and Save As run the checks its OK runs, on the name as it will be stored: a
// refused name writes nothing and chooses no file.
// The Save As chooser of the Application Properties sheet belongs to the sheet: while it is open the sheet
// stays above the main window and under the chooser, as the window manager stacks them.
TEST_F(MainWindowSheetsTest, TheApplicationSheetStaysAboveTheMainWindowWhileItsSaveAsChooserIsOpen)
{
    m_window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    shell::QtFileChooser desktop(m_window.get());
    const engine::ScopedFileChooser useDesktop(&desktop);
    engine::ProjectRecord& project = m_window->GetProject();
    engine::CpuRecord& main = windowCpu("Main");
    bool chooserSeen = false;
    std::function<void(QWidget*)> onChooser;
    std::function<void()> awaitChooser = [&] {
        auto* chooser = qobject_cast<platform::FileDialog*>(QApplication::activeModalWidget());
        if (!chooser || !chooser->isVisible()) {
            QTimer::singleShot(10, awaitChooser);
            return;
        }
        onChooser(chooser);
        chooser->reject();
    };
    whenModal(
        [&](QWidget* sheet) {
            onChooser = [&, sheet](QWidget* chooser) {
                chooserSeen = true;
                EXPECT_EQ(chooser->parentWidget(), sheet);
                ASSERT_NE(chooser->windowHandle(), nullptr);
                EXPECT_EQ(chooser->windowHandle()->transientParent(), sheet->windowHandle());
                if (platform::testing::WindowManagerStackingOrder().empty())
                    return; // no window manager to stack them
                // The window manager has the chooser in its order once it has framed and shown it.
                EXPECT_TRUE(QTest::qWaitFor([&] {
                    return platform::testing::StackingPlace(platform::testing::WindowManagerStackingOrder(), chooser) >= 0;
                }));
                const std::vector<WId> order = platform::testing::WindowManagerStackingOrder();
                const int mainPlace = platform::testing::StackingPlace(order, m_window.get());
                const int sheetPlace = platform::testing::StackingPlace(order, sheet);
                const int chooserPlace = platform::testing::StackingPlace(order, chooser);
                EXPECT_GE(mainPlace, 0);
                EXPECT_GT(sheetPlace, mainPlace) << "the sheet sank under the main window";
                EXPECT_GT(chooserPlace, sheetPlace);
            };
            QTimer::singleShot(0, awaitChooser);
            QTest::mouseClick(platform::findControl<QPushButton>(sheet, app_ids::SaveAs), Qt::LeftButton);
            qobject_cast<QDialog*>(sheet)->reject();
        },
        QStringLiteral("Application Properties"));
    shell::editorServices().ShowApplicationProperties(m_window->manager(), project, main.applications[0], main);
    EXPECT_TRUE(chooserSeen);
}

TEST_F(MainWindowSheetsTest, ApplicationSaveButtonsRefuseWhatOkRefusesAndWriteNothing)
{
    engine::ProjectRecord& project = m_window->GetProject();
    engine::CpuRecord& main = windowCpu("Main");
    engine::ApplicationRecord& control = main.applications[0];
    ASSERT_EQ(engine::textString(control.name), "Control");
    const auto before = folderFiles(m_projectFolder);
    const struct {
        const char* typed;
        const char* message;
    } cases[] = {
        {"Monitor", "Application name cannot be the name of another application of CPU \"Main\""},
        {" monitor", "Application name cannot be the name of another application of CPU \"Main\""},
        {"Monitor ", "Application name cannot be the name of another application of CPU \"Main\""},
        {"[x", "Application name cannot start with \"[\""},
        {"a=b", "Application name cannot contain any of the following texts: = ; // /* ]"},
    };
    for (const auto& c : cases) {
        for (const int button : {app_ids::Save, app_ids::SaveAs}) {
            SCOPED_TRACE(std::string(c.typed) + (button == app_ids::Save ? " Save" : " Save As"));
            m_messages->clear();
            const std::size_t requests = m_chooser.Requests().size();
            bool stayed = false;
            whenModal(
                [&](QWidget* modal) {
                    auto* name = platform::findControl<QLineEdit>(modal, app_ids::Name);
                    name->selectAll();
                    QTest::keyClicks(name, QString::fromLatin1(c.typed));
                    QTest::mouseClick(platform::findControl<QPushButton>(modal, button), Qt::LeftButton);
                    settle();
                    stayed = modal->isVisible();
                    qobject_cast<QDialog*>(modal)->reject();
                },
                QStringLiteral("Application Properties"));
            shell::editorServices().ShowApplicationProperties(m_window->manager(), project, control, main);
            EXPECT_TRUE(stayed);
            ASSERT_EQ(messages().size(), 1u);
            EXPECT_EQ(messages()[0], c.message);
            EXPECT_EQ(engine::textString(control.name), "Control") << "Cancel puts the name back";
            EXPECT_EQ(m_chooser.Requests().size(), requests) << "no file is chosen for a refused name";
        }
    }
    expectFilesUnchanged(before);
    // A name that passes is written, trimmed (the application's path is relative to the project's folder).
    fs::current_path(m_projectFolder);
    m_messages->clear();
    whenModal(
        [&](QWidget* modal) {
            platform::findControl<QLineEdit>(modal, app_ids::Name)->setText(QStringLiteral("  Drive "));
            QTest::mouseClick(platform::findControl<QPushButton>(modal, app_ids::Save), Qt::LeftButton);
            qobject_cast<QDialog*>(modal)->reject();
        },
        QStringLiteral("Application Properties"));
    shell::editorServices().ShowApplicationProperties(m_window->manager(), project, control, main);
    EXPECT_TRUE(messages().empty()) << messages().at(0);
    EXPECT_NE(readFile(m_projectFolder / "control.app").find("\nName=Drive\r"), std::string::npos);
}

// A CPU may not take a name the project file already uses for a section: another CPU's name in any
// letter case, a section of the file's own, another CPU's application list. The CPU page and Add CPU
// refuse it before anything is written, naming the other CPU; the project still saves and opens.
TEST_F(MainWindowSheetsTest, CpuNamesThatWouldShareASectionAreRefusedOnThePageAndAtAdd)
{
    engine::ProjectRecord& project = m_window->GetProject();
    const struct {
        const char* typed;
        const char* message;
    } cases[] = {
        {"Main", "CPU name cannot be the name of CPU \"Main\""},
        {" main ", "CPU name cannot be the name of CPU \"Main\""},
        {"Project", "CPU name cannot be \"PROJECT\", the name of a section of the project file"},
        {"cpus", "CPU name cannot be \"CPUS\", the name of a section of the project file"},
        {"apps main", "CPU name cannot be \"APPS Main\", the section that lists the applications of CPU \"Main\""},
        {"a]b", "CPU name cannot contain any of the following texts: = ; // /* ]"},
    };
    const auto before = folderFiles(m_projectFolder);
    const int32_t cpus = project.cpuCount;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const auto typeAndOk = [&](QWidget* modal) {
            auto* name = platform::findControl<QLineEdit>(modal, cpu_ids::Name);
            name->selectAll();
            QTest::keyClicks(name, QString::fromLatin1(c.typed));
            auto* sheet = qobject_cast<QDialog*>(modal);
            sheet->accept();
            if (sheet->isVisible())
                sheet->reject();
        };
        // The CPU page of Comms.
        m_messages->clear();
        engine::CpuRecord& comms = windowCpu("Comms");
        engine::CpuRecordHandler handler(&comms.kernel, &m_window->config(), &comms);
        whenModal(typeAndOk, QStringLiteral("CPU Properties"));
        std::string name = "Comms";
        std::string description;
        EXPECT_NE(shell::editorServices().ShowCpuProperties(handler, name, description), 1);
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_EQ(messages()[0], c.message);
        EXPECT_EQ(engine::textString(comms.name), "Comms");
        // Add CPU.
        m_messages->clear();
        whenModal(typeAndOk);
        EXPECT_NE(shell::editorServices().AddCpu(m_window->manager(), project, m_window->config()), 1);
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_EQ(messages()[0], c.message);
        EXPECT_EQ(project.cpuCount, cpus);
    }
    expectFilesUnchanged(before);
}

// Where a numeric edit stands on a sheet: its page, the position of the page's scroll bar, its id and the
// text it shows.
struct NumericEdit {
    QString page;
    int scroll = -1;  // no scroll bar
    int id = 0;
    QString shown;
};

// The page's scroll bar, when it has one.
QScrollBar* scrollBarOf(platform::PropertyPage* page)
{
    const QList<QScrollBar*> bars = page->findChildren<QScrollBar*>();
    return bars.isEmpty() ? nullptr : bars.front();
}

// An edit the user can type into that shows a whole number; on a page whose rows scroll (the option rows),
// also one shown in hexadecimal without its prefix.
bool isNumericEdit(const QLineEdit* edit, bool scrolledRows)
{
    const std::string text = edit->text().trimmed().toStdString();
    return edit->isVisible() && edit->isEnabled() && !edit->isReadOnly() &&
           (engine::IsWholeNumber(text) || (scrolledRows && !text.empty() && engine::IsWholeNumber("0x" + text)));
}

// The numeric edits of every page of the open sheet, found from the controls, at every position of a
// page's scroll bar.
std::vector<NumericEdit> numericEditsOf(platform::PropertySheet* sheet)
{
    std::vector<NumericEdit> found;
    for (int t = 0; t < sheet->GetPageCount(); ++t) {
        const QString caption = sheet->GetPage(t)->caption();
        platform::PropertyPage* page = clickTab(sheet, caption);
        if (!page)
            continue;
        QScrollBar* bar = scrollBarOf(page);
        const int first = bar ? bar->minimum() : -1;
        const int last = bar ? bar->maximum() : -1;
        for (int at = first; at <= last; ++at) {
            if (bar) {
                bar->setValue(at);
                settle();
            }
            for (QLineEdit* edit : page->findChildren<QLineEdit*>()) {
                if (isNumericEdit(edit, bar != nullptr))
                    found.push_back({caption, at, platform::controlId(edit), edit->text()});
            }
        }
    }
    return found;
}

// A message that gives the field's range; the option rows word it as the kernel file gives it.
bool isRangeMessage(const std::string& text)
{
    return text.find(" must be in the range of ") != std::string::npos || text.find(" range is ") != std::string::npos;
}

// Runs the sheet (titled title) through open, types `typed` into the field, as found again on its page and
// scroll position (showing what it showed, when asked), and presses OK; a sheet that stays is cancelled.
// True when OK was refused.
bool typeAndPressOk(const QString& title, const std::function<void()>& open, const NumericEdit& field,
                    const char* typed, bool expectShown)
{
    bool stayed = false;
    whenModal(
        [&](QWidget* modal) {
            auto* sheet = qobject_cast<platform::PropertySheet*>(modal);
            platform::PropertyPage* page = clickTab(sheet, field.page);
            ASSERT_NE(page, nullptr);
            if (QScrollBar* bar = scrollBarOf(page)) {
                bar->setValue(field.scroll);
                settle();
            }
            auto* edit = platform::findControl<QLineEdit>(page, field.id);
            ASSERT_NE(edit, nullptr);
            if (expectShown) {
                EXPECT_EQ(edit->text(), field.shown);
            }
            edit->setText(QString::fromLatin1(typed));
            sheet->accept();
            settle();
            stayed = sheet->isVisible();
            if (stayed)
                sheet->reject();
        },
        title);
    open();
    return stayed;
}

const char* const kPast32Bits[] = {"99999999999", "0x1FFFFFFFF", "4294967296"};

// Walks every numeric edit of every page of a sheet, found from the controls: each number past 32 bits is
// refused at OK with the field's range message and the sheet stays; opened again, every field shows what
// it showed before. open runs the sheet (titled title) once.
void walkNumericEdits(const QString& title, const std::function<void()>& open, std::size_t atLeast,
                      const std::function<std::vector<std::string>()>& messages,
                      const std::function<void()>& clearMessages)
{
    std::vector<NumericEdit> numeric;
    whenModal(
        [&](QWidget* modal) {
            auto* sheet = qobject_cast<platform::PropertySheet*>(modal);
            ASSERT_NE(sheet, nullptr);
            numeric = numericEditsOf(sheet);
            sheet->reject();
        },
        title);
    open();
    ASSERT_GE(numeric.size(), atLeast) << title.toStdString();
    for (const NumericEdit& field : numeric) {
        for (const char* typed : kPast32Bits) {
            SCOPED_TRACE(title.toStdString() + " " + field.page.toStdString() + " " + std::to_string(field.scroll) +
                         " " + std::to_string(field.id) + " " + typed);
            clearMessages();
            EXPECT_TRUE(typeAndPressOk(title, open, field, typed, true)) << "the sheet stays";
            const std::vector<std::string> shown = messages();
            ASSERT_EQ(shown.size(), 1u);
            EXPECT_TRUE(isRangeMessage(shown[0])) << shown[0];
        }
    }
    // Nothing refused was kept: every field shows what it showed at the start.
    std::vector<NumericEdit> after;
    whenModal(
        [&](QWidget* modal) {
            auto* sheet = qobject_cast<platform::PropertySheet*>(modal);
            after = numericEditsOf(sheet);
            sheet->reject();
        },
        title);
    open();
    ASSERT_EQ(after.size(), numeric.size());
    for (std::size_t i = 0; i < after.size(); ++i)
        EXPECT_EQ(after[i].shown, numeric[i].shown) << after[i].page.toStdString() << " " << after[i].id;
}

// Every numeric field of every page of the application sheet refuses a number past 32 bits.
TEST_F(MainWindowSheetsTest, EveryNumericFieldOfTheApplicationSheetRefusesNumbersPast32Bits)
{
    engine::ProjectRecord& project = m_window->GetProject();
    engine::CpuRecord& main = windowCpu("Main");
    engine::ApplicationRecord& control = main.applications[0];
    walkNumericEdits(
        QStringLiteral("Application Properties"),
        [&] { shell::editorServices().ShowApplicationProperties(m_window->manager(), project, control, main); }, 3,
        [this] { return messages(); }, [this] { m_messages->clear(); });
}

// The same for the CPU sheet of every CPU (General, Options with every row scrolled into view, Class).
TEST_F(MainWindowSheetsTest, EveryNumericFieldOfTheCpuSheetRefusesNumbersPast32Bits)
{
    engine::ProjectRecord& project = m_window->GetProject();
    std::size_t cpusWithNumbers = 0;
    for (int32_t c = 0; c < project.cpuCount; ++c) {
        engine::CpuRecord& cpu = project.cpus[c];
        engine::CpuRecordHandler handler(&cpu.kernel, &m_window->config(), &cpu);
        std::string name = engine::textString(cpu.name);
        std::string description = engine::textString(cpu.description);
        cpusWithNumbers += handler.CountVariantOptions() > 0 ? 1 : 0;
        walkNumericEdits(
            QStringLiteral("CPU Properties"),
            [&] { shell::editorServices().ShowCpuProperties(handler, name, description); },
            handler.CountVariantOptions() > 0 ? 1 : 0, [this] { return messages(); },
            [this] { m_messages->clear(); });
        EXPECT_EQ(name, engine::textString(cpu.name));
    }
    EXPECT_GT(cpusWithNumbers, 0u);
}

// The class sheet the CPU's Class page opens has pages of check lists only: a numeric edit added to one
// of them shows here and must join the walk above.
TEST_F(MainWindowSheetsTest, TheClassSheetOfTheCpuHasNoNumericEdit)
{
    engine::CpuRecord& main = windowCpu("Main");
    engine::CpuRecordHandler handler(&main.kernel, &m_window->config(), &main);
    std::string name = "Main";
    std::string description;
    int pages = 0;
    int sheets = 0;
    std::vector<NumericEdit> numeric;
    whenModal(
        [&](QWidget* modal) {
            auto* sheet = qobject_cast<platform::PropertySheet*>(modal);
            ASSERT_NE(sheet, nullptr);
            platform::PropertyPage* page = clickTab(sheet, QStringLiteral("Class"));
            ASSERT_NE(page, nullptr);
            auto* list = platform::findControl<QListWidget>(page, class_ids::ClassList);
            auto* properties = platform::findControl<QPushButton>(page, class_ids::Properties);
            ASSERT_TRUE(list && properties);
            // Every class whose sheet can be opened.
            for (int line = 0; line < list->count(); ++line) {
                list->setCurrentItem(list->item(line));
                settle();
                if (!properties->isEnabled())
                    continue;
                whenOtherModal(modal, [&](QWidget* classSheet) {
                    auto* inner = qobject_cast<platform::PropertySheet*>(classSheet);
                    ASSERT_NE(inner, nullptr);
                    pages += inner->GetPageCount();
                    for (const NumericEdit& found : numericEditsOf(inner))
                        numeric.push_back(found);
                    inner->reject();
                });
                properties->click();
                settle();
                ++sheets;
            }
            sheet->reject();
        },
        QStringLiteral("CPU Properties"));
    shell::editorServices().ShowCpuProperties(handler, name, description);
    EXPECT_GT(sheets, 1);
    EXPECT_GT(pages, sheets);
    EXPECT_EQ(numeric.size(), 0u) << (numeric.empty() ? std::string() : numeric.front().page.toStdString());
}

// Runs the step on the next modal window other than `except` if one comes up within a few turns of the
// event loop.
void whenOtherModalSoon(QWidget* except, std::function<void(QWidget*)> step, int turns = 100)
{
    QTimer::singleShot(0, [except, step, turns] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != except)
            step(modal);
        else if (turns > 0)
            whenOtherModalSoon(except, step, turns - 1);
    });
}

// A double-click on a class row that is not the current one does what Options does, the first time.
TEST_F(MainWindowSheetsTest, ADoubleClickOnAClassRowThatIsNotCurrentOpensItsOptions)
{
    engine::ProjectRecord& project = m_window->GetProject();
    engine::CpuRecord& main = windowCpu("Main");
    engine::ApplicationRecord& control = main.applications[0];
    int opened = 0;
    int rows = 0;
    QStringList titles;
    whenModal(
        [&](QWidget* modal) {
            auto* sheet = qobject_cast<platform::PropertySheet*>(modal);
            ASSERT_NE(sheet, nullptr);
            ASSERT_NE(clickTab(sheet, QStringLiteral("Class")), nullptr);
            auto* classes = platform::findControl<QTreeWidget>(sheet->GetActivePage(), app_ids::ClassList);
            ASSERT_NE(classes, nullptr);
            rows = classes->topLevelItemCount();
            // A double-click as the system delivers it: press, release, double-click, release, on a row
            // that is not current when the first press lands; the window's queued work runs between the
            // two clicks, or (a quick double-click) only after both.
            for (const auto& [row, between] : {std::pair{1, true}, std::pair{rows - 1, true}, std::pair{2, false}}) {
                ASSERT_GT(rows, row);
                ASSERT_NE(classes->currentItem(), classes->topLevelItem(row));
                const QPoint at = classes->visualItemRect(classes->topLevelItem(row)).center();
                // A chained class's row reads "> Thread".
                const QString className = classes->topLevelItem(row)->text(0).remove(QLatin1Char('>')).trimmed();
                whenOtherModalSoon(modal, [&, className](QWidget* options) {
                    // The options opened are those of the row double-clicked.
                    opened += options->windowTitle() == className + QStringLiteral(" Properties") ? 1 : 0;
                    titles << options->windowTitle() + QStringLiteral(" for ") + className;
                    qobject_cast<QDialog*>(options)->reject();
                });
                QTest::mousePress(classes->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseRelease(classes->viewport(), Qt::LeftButton, {}, at);
                if (between)
                    settle();
                QTest::mouseDClick(classes->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseRelease(classes->viewport(), Qt::LeftButton, {}, at);
                settle();
                for (int turn = 0; turn < 100; ++turn)
                    QCoreApplication::processEvents();
            }
            qobject_cast<QDialog*>(modal)->reject();
        },
        QStringLiteral("Application Properties"));
    shell::editorServices().ShowApplicationProperties(m_window->manager(), project, control, main);
    EXPECT_EQ(opened, 3) << titles.join(QLatin1Char('|')).toStdString();
}

// Every road that saves a file, under its own name or a new one, from the main window or a page: a file
// that cannot be written (its temporary file is blocked) gets one box that names it and says why, Save All
// adds its summary, and the old file is as it was.
TEST_F(MainWindowSheetsTest, EverySaveRoadShowsOneBoxPerFailedFileSayingWhyAndKeepsTheOldFile)
{
    fs::current_path(m_projectFolder);
    engine::ProjectRecord& project = m_window->GetProject();
    engine::CpuRecord& main = windowCpu("Main");
    engine::ApplicationRecord& control = main.applications[0];
    ASSERT_EQ(engine::textString(control.name), "Control");
    const std::string controlPath = engine::textString(control.path);
    const std::string kernelPath = engine::textString(main.kernel.kernelPath);
    const std::string projectPath = engine::textString(project.path);
    const auto clearMarks = [&project] {
        project.edited = 0;
        for (int32_t c = 0; c < project.cpuCount; ++c) {
            project.cpus[c].kernel.edited = 0;
            for (int32_t a = 0; a < project.cpus[c].applicationCount; ++a)
                project.cpus[c].applications[a].edited = 0;
        }
    };
    const auto promptYes = [this] {
        for (int i = 0; i < 3; ++i)
            m_messages->queueAnswer(platform::IdYes);
        m_window->PromptSaveChanges(true, false);
    };
    const auto onPage = [](const char* title, int button, std::function<void()> show) {
        whenModal(
            [button](QWidget* modal) {
                QTest::mouseClick(platform::findControl<QPushButton>(modal, button), Qt::LeftButton);
                settle();
                qobject_cast<QDialog*>(modal)->reject();
            },
            QString::fromLatin1(title));
        show();
    };
    const auto applicationPage = [&, onPage](int button) {
        onPage("Application Properties", button, [&] {
            shell::editorServices().ShowApplicationProperties(m_window->manager(), project, control, main);
        });
    };
    const auto cpuPage = [&, onPage](int button) {
        onPage("CPU Properties", button, [&] {
            engine::CpuRecordHandler handler(&main.kernel, &m_window->config(), &main);
            std::string name = "Main";
            std::string description;
            shell::editorServices().ShowCpuProperties(handler, name, description);
        });
    };
    const std::string newApplication = (m_projectFolder / "saved.app").string();
    const std::string newKernel = (m_projectFolder / "saved.cpu").string();
    const std::string newProject = (m_projectFolder / "saved.omb").string();
    struct Road {
        const char* name;
        const char* what;
        std::string file; // as the box names it
        bool summary;     // Save All ends with the list of files not saved
        std::function<void()> save;
    };
    const Road roads[] = {
        {"Save All", "application file", controlPath, true,
         [&] {
             control.edited = 1;
             m_window->OnFileSaveAll();
         }},
        {"Save All", "kernel file", kernelPath, true,
         [&] {
             main.kernel.edited = 1;
             m_window->OnFileSaveAll();
         }},
        {"Save All", "project file", projectPath, true,
         [&] {
             project.edited = 1;
             m_window->OnFileSaveAll();
         }},
        {"save prompt", "application file", controlPath, false,
         [&] {
             control.edited = 1;
             promptYes();
         }},
        {"save prompt", "kernel file", kernelPath, false,
         [&] {
             main.kernel.edited = 1;
             promptYes();
         }},
        {"save prompt", "project file", projectPath, false,
         [&] {
             project.edited = 1;
             promptYes();
         }},
        {"Save Project", "project file", projectPath, false,
         [&] {
             project.edited = 1;
             m_window->OnFileSaveProject();
         }},
        {"Save Project As", "project file", newProject, false,
         [&] {
             m_chooser.QueueAnswer(newProject);
             m_window->OnFileSaveProjectAs();
         }},
        {"Save All, new application file", "application file", newApplication, true,
         [&] {
             engine::setText(control.path, "");
             control.edited = 1;
             m_chooser.QueueAnswer(newApplication);
             m_window->OnFileSaveAll();
         }},
        {"Save All, new kernel file", "kernel file", newKernel, true,
         [&] {
             engine::setText(main.kernel.kernelPath, "");
             main.kernel.edited = 1;
             m_chooser.QueueAnswer(newKernel);
             m_window->OnFileSaveAll();
         }},
        {"application page Save", "application file", controlPath, false, [&] { applicationPage(app_ids::Save); }},
        {"application page Save As", "application file", newApplication, false,
         [&] {
             m_chooser.QueueAnswer(newApplication);
             applicationPage(app_ids::SaveAs);
         }},
        {"CPU page Save", "kernel file", kernelPath, false, [&] { cpuPage(cpu_ids::Save); }},
        {"CPU page Save As", "kernel file", newKernel, false,
         [&] {
             m_chooser.QueueAnswer(newKernel);
             cpuPage(cpu_ids::SaveAs);
         }},
    };
    for (const std::string& file : {newApplication, newKernel, newProject})
        std::ofstream(file, std::ios::binary) << "; the old file\n";
    for (const Road& road : roads) {
        SCOPED_TRACE(std::string(road.name) + ": " + road.what);
        // Another save holds the project folder, where every file of the roads lies, all the time a save waits.
        const engine::testing::HeldSaveLock held(m_projectFolder.string());
        ASSERT_TRUE(held.held());
        const std::string before = readFile(road.file);
        clearMarks();
        m_messages->clear();
        const std::size_t requests = m_chooser.Requests().size();
        road.save();
        std::vector<std::string> boxes; // what the user reads: every box but the save questions
        for (const platform::ScriptedMessageService::Box& box : m_messages->boxes()) {
            if ((box.style & 0xFu) == platform::MbOk) {
                boxes.push_back(box.text);
                EXPECT_EQ(box.caption, "File I/O Error") << box.text;
            }
        }
        EXPECT_EQ(boxes.size(), road.summary ? 2u : 1u) << (boxes.empty() ? "" : boxes.back());
        if (!boxes.empty()) {
            const bool chosen = road.file == newApplication || road.file == newKernel || road.file == newProject;
            const std::string what = road.what;
            const std::string failed = what == "project file" ? std::string("Error writing project")
                                       : chosen               ? "Unable to write or create " + what
                                                              : "Unable to write " + what;
            EXPECT_EQ(boxes[0], failed + " " + road.file +
                                    ": the project is being saved by another program; try again once that save has "
                                    "ended");
        }
        if (road.summary && boxes.size() > 1) {
            EXPECT_EQ(boxes[1].rfind("No file was saved, and every file keeps its changes. These files could not be "
                                     "written:\n",
                                     0),
                      0u)
                << boxes[1];
        }
        EXPECT_EQ(readFile(road.file), before);
        // A failed save under a new name leaves each file record with the name it had.
        EXPECT_NE(engine::textString(control.path), newApplication);
        EXPECT_NE(engine::textString(main.kernel.kernelPath), newKernel);
        EXPECT_NE(engine::textString(project.path), newProject);
        const bool newName = road.file == newApplication || road.file == newKernel || road.file == newProject;
        EXPECT_EQ(m_chooser.Requests().size() - requests, newName ? 1u : 0u);
        // What a failed save under a new name may have left is put back for the next road.
        engine::setText(control.path, controlPath);
        engine::setText(main.kernel.kernelPath, kernelPath);
    }
    EXPECT_EQ(engine::textString(project.path), projectPath) << "a failed Save As keeps the project's file";
    clearMarks();
}


// ---------------------------------------------------------------------------------------------------
// The editing roads walked to their end: each road is fed values its Part allows and another road refuses,
// then Save All, then the console program opens the project. An edit a road keeps reopens with its value;
// a road that refuses writes nothing.

// The console program opens the project folder's project and generates its code, as a user would after
// Save All: its return code and what it printed.
struct ConsoleRun {
    int code = -1;
    std::string output;
};

ConsoleRun openWithConsole(const fs::path& programFolder, const fs::path& projectFolder)
{
    const char* binary = std::getenv("KORVANE_BINARY_DIR");
    const fs::path program = fs::path(binary ? binary : ".") / "bin" / "OMBAgenCmd";
    const fs::path output = programFolder / "console.txt";
    const std::string command = "cd '" + projectFolder.string() + "' && '" + program.string() + "' demo.omb -x >'" +
                                output.string() + "' 2>&1 </dev/null";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(output)};
}

// A radio button of the dialog by its text ("Manual"), or null.
QAbstractButton* radioNamed(QWidget* dialog, const QString& text)
{
    for (auto* button : dialog->findChildren<QRadioButton*>()) {
        if (button->text().remove(QLatin1Char('&')) == text)
            return button;
    }
    return nullptr;
}

// The numeric edits of an object dialog.
std::vector<int> dialogNumericEdits(QWidget* dialog)
{
    std::vector<int> ids;
    for (QLineEdit* edit : dialog->findChildren<QLineEdit*>()) {
        if (isNumericEdit(edit, false))
            ids.push_back(platform::controlId(edit));
    }
    return ids;
}

// Every number of every object's data block, in walk order, with the object's name: what a reopen must give.
std::vector<std::pair<std::string, std::vector<int32_t>>> objectNumbers(const engine::ProjectRecord& project)
{
    std::vector<std::pair<std::string, std::vector<int32_t>>> numbers;
    engine::VisitProjectObjects(project, [&](const engine::ObjectPlace& place) {
        std::vector<int32_t> values;
        for (const engine::ObjectKey& key : engine::objectKeysOfClass(place.entry->classType)) {
            int32_t value = 0;
            if (key.kind == engine::ObjectKeyKind::Number && place.object->data)
                std::memcpy(&value, static_cast<const char*>(place.object->data) + key.offset, sizeof value);
            values.push_back(value);
        }
        numbers.emplace_back(engine::textString(place.object->name), values);
        return 0;
    });
    return numbers;
}

// The number the object's data block holds under the key (0 when its class has no such key).
int32_t blockValue(const engine::ObjectPlace& place, std::string_view key)
{
    int32_t value = 0;
    for (const engine::ObjectKey& k : engine::objectKeysOfClass(place.entry->classType)) {
        if (k.field.key == key && place.object->data)
            std::memcpy(&value, static_cast<const char*>(place.object->data) + k.offset, sizeof value);
    }
    return value;
}

class EditRoadsWalk : public MainWindowSheetsTest {
protected:
    void SetUp() override
    {
        MainWindowSheetsTest::SetUp();
        // The program works in the project's folder, where the project's relative paths lead.
        fs::current_path(m_projectFolder);
    }

    // Runs the object's dialog from the editors, with `act` on its first run; a further run (the dialog
    // asking again after a change it could not keep) is cancelled. Returns the edit's result.
    int editObject(const engine::ObjectPlace& place, const std::function<void(QWidget*)>& act)
    {
        return runDialog(
            [&] {
                return shell::editorServices().EditObjectProperties(m_window->manager(), m_window->GetProject(),
                                                                    *place.cpu, *place.application, *place.entry,
                                                                    *place.object);
            },
            act);
    }

    // Runs a modal dialog through `open`, with `act` on its first run; a further dialog is cancelled.
    static int runDialog(const std::function<int()>& open, const std::function<void(QWidget*)>& act)
    {
        int runs = 0;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog || dialog->property("walked").toBool())
                return;
            dialog->setProperty("walked", true);
            if (runs++ == 0)
                act(dialog);
            else
                dialog->reject();
        });
        poll.start(5);
        const int result = open();
        poll.stop();
        return result;
    }

    // Save All, then the console program opens the project; then the project read again holds every
    // object number the window holds.
    void saveAllAndReopen(const std::string& road)
    {
        SCOPED_TRACE(road);
        m_messages->clear();
        m_window->OnFileSaveAll();
        EXPECT_TRUE(messages().empty()) << road << ": " << messages().front();
        const ConsoleRun run = openWithConsole(m_programFolder, m_projectFolder);
        ASSERT_EQ(run.code, 0) << run.output;
        engine::ProjectRecord reread{};
        engine::ProjectManager::ResetProject(reread, true);
        std::string path = (m_projectFolder / "demo.omb").string();
        ASSERT_EQ(m_manager.OpenProjectFile(reread, m_config, path, true), 1);
        EXPECT_EQ(objectNumbers(reread), objectNumbers(m_window->GetProject()));
        EXPECT_FALSE(engine::ProjectsDiffer(reread, m_window->GetProject())) << "the project read again differs";
        engine::ProjectManager::FreeProject(reread);
    }

    std::vector<engine::ObjectPlace> places()
    {
        std::vector<engine::ObjectPlace> all;
        engine::VisitProjectObjects(m_window->GetProject(), [&](const engine::ObjectPlace& place) {
            all.push_back(place);
            return 0;
        });
        return all;
    }
};

// Every numeric field of every object dialog, with the placement each offers (an alignment typed under
// Automatic and kept under Manual), takes each extreme or refuses it with its range; what OK keeps is
// saved by Save All and opens again through the console program with the same value.
TEST_F(EditRoadsWalk, EveryObjectNumberTheDialogsKeepReopensThroughTheConsole)
{
    int kept = 0;
    int refused = 0;
    int keptManual = 0;
    for (const char* typed : {"4294967295", "2147483648", "-1", "-2147483648", "99999999999", "-4294967295"}) {
        for (const engine::ObjectPlace& place : places()) {
            std::vector<int> fields;
            bool placed = false;
            editObject(place, [&](QWidget* dialog) {
                if (QAbstractButton* automatic = radioNamed(dialog, QStringLiteral("Automatic"))) {
                    automatic->click();
                    placed = true;
                }
                fields = dialogNumericEdits(dialog);
                qobject_cast<QDialog*>(dialog)->reject();
            });
            for (const int id : fields) {
                for (const bool manual : placed ? std::vector<bool>{false, true} : std::vector<bool>{false}) {
                    SCOPED_TRACE(engine::textString(place.object->name) + " " + std::to_string(id) + " " + typed +
                                 (manual ? " Manual" : ""));
                    m_messages->clear();
                    bool stayed = false;
                    const int32_t alignmentBefore = blockValue(place, "Alignment");
                    const int result = editObject(place, [&](QWidget* dialog) {
                        if (QAbstractButton* automatic = radioNamed(dialog, QStringLiteral("Automatic")))
                            automatic->click();
                        platform::findControl<QLineEdit>(dialog, id)->setText(QString::fromLatin1(typed));
                        if (manual) {
                            radioNamed(dialog, QStringLiteral("Manual"))->click();
                            // Manual placement asks for a label of the object's own.
                            auto* label = platform::findControl<QLineEdit>(dialog, IdLabel);
                            if (label && label->text().isEmpty())
                                label->setText(QStringLiteral("lbl_") +
                                               QString::fromLatin1(engine::textString(place.object->name)));
                        }
                        QTest::mouseClick(platform::findControl<QPushButton>(dialog, IdOkButton), Qt::LeftButton);
                        stayed = dialog->isVisible();
                        if (!stayed)
                            return;
                        // The user can correct what was refused: an edit has the focus and takes typing.
                        QWidget* focused = dialog->focusWidget();
                        EXPECT_TRUE(qobject_cast<QLineEdit*>(focused) && focused->isEnabled());
                        qobject_cast<QDialog*>(dialog)->reject();
                    });
                    // Manual placement leaves the alignment unused: what its disabled edit shows is not
                    // taken, and the OK keeps the placement the user chose with the alignment as it was.
                    if (manual && id == IdAlignment) {
                        EXPECT_EQ(result, 1) << (messages().empty() ? "" : messages().back());
                        EXPECT_EQ(blockValue(place, "Manual"), 1);
                        EXPECT_EQ(blockValue(place, "Alignment"), alignmentBefore);
                        ++keptManual;
                    }
                    if (result == 1) {
                        ++kept;
                    } else {
                        ++refused;
                        // A refusal says why.
                        EXPECT_FALSE(messages().empty());
                    }
                }
            }
        }
        saveAllAndReopen(typed);
    }
    EXPECT_GT(kept, 20);
    EXPECT_GT(refused, 20);
    EXPECT_GT(keptManual, 0);
}


// An object name the application file cannot hold beside another section (another object in another letter
// case, enabled or not, a class, the file's own sections) is refused by the dialog and by a drop; the
// project then saves and opens as it was. A name the file can hold is kept, and a drop of it moves the
// object out of one file into the other, both saved together.
TEST_F(EditRoadsWalk, ObjectNamesTheFileCannotHoldAreRefusedOnEveryRoad)
{
    const auto find = [this](const char* name) {
        for (const engine::ObjectPlace& place : places()) {
            if (engine::textOf(place.object->name) == name)
                return place;
        }
        ADD_FAILURE() << "no object " << name;
        return engine::ObjectPlace{};
    };
    const auto rename = [this](const engine::ObjectPlace& place, const char* name) {
        m_messages->clear();
        return editObject(place, [&](QWidget* dialog) {
            platform::findControl<QLineEdit>(dialog, IdName)->setText(QString::fromLatin1(name));
            QTest::mouseClick(platform::findControl<QPushButton>(dialog, IdOkButton), Qt::LeftButton);
            if (dialog->isVisible())
                qobject_cast<QDialog*>(dialog)->reject();
        });
    };
    // Enable object switches Control's thrMotor off (the road a disabled twin comes from).
    m_window->tree()->SelectItem(find("thrMotor").object->treeItem);
    settle();
    m_window->OnObjectToggleEnable();
    ASSERT_EQ(find("thrMotor").object->enabled, 0);
    saveAllAndReopen("a disabled object");
    const auto before = folderFiles(m_projectFolder);
    const struct {
        const char* object;
        const char* name;
    } refused[] = {{"tskComms", "TSKMAIN"}, {"tskComms", "Application"}, {"tskComms", "mutex"},
                   {"thrSensor", "THRMOTOR"}, {"tskComms", "SEMAPHORE"}, {"tskComms", "application"}};
    for (const auto& road : refused) {
        SCOPED_TRACE(std::string(road.object) + " as " + road.name);
        EXPECT_EQ(rename(find(road.object), road.name), 2);
        ASSERT_FALSE(messages().empty());
        EXPECT_EQ(messages()[0], "The name '" + std::string(road.name) + "' is already in use.");
    }
    saveAllAndReopen("refused names");
    expectFilesUnchanged(before);

    // A semaphore of Monitor and one of Control that differ in letter case only: a drop of the one onto
    // the other's class is refused; so is a thread whose name a disabled thread of Control bears. The
    // refusal names the object already there, as it is spelled there.
    ASSERT_EQ(rename(find("semAlarm"), "SEMA"), 1);
    ASSERT_EQ(rename(find("semTxDone"), "sema"), 1);
    ASSERT_EQ(rename(find("thrBeat"), "THRMOTOR"), 1);
    saveAllAndReopen("renamed");
    const auto renamed = folderFiles(m_projectFolder);
    const engine::ObjectPlace control = find("sema");
    const struct {
        const char* dragged;
        uint32_t target;
        const char* clash;
    } drops[] = {{"SEMA", control.entry->treeItem, "sema"},
                 {"THRMOTOR", find("lvlControl").object->treeItem, "thrMotor"},
                 {"lvlMon", find("lvlControl").entry->treeItem, "thrMotor"}};
    for (const auto& drop : drops) {
        SCOPED_TRACE(drop.dragged);
        m_messages->clear();
        m_window->DropTreeItem(drop.target, find(drop.dragged).object->treeItem);
        settle();
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_EQ(messages()[0], "There is already an object named \"" + std::string(drop.clash) +
                                     "\" in the destination application");
    }
    saveAllAndReopen("refused drops");
    expectFilesUnchanged(renamed);

    // A name Control can hold moves with its object: out of monitor.app and into control.app at once.
    ASSERT_EQ(rename(find("SEMA"), "semMon"), 1);
    m_messages->clear();
    m_window->DropTreeItem(find("sema").entry->treeItem, find("semMon").object->treeItem);
    settle();
    EXPECT_TRUE(messages().empty()) << messages().front();
    saveAllAndReopen("moved");
    EXPECT_NE(readFile(m_projectFolder / "control.app").find("[semMon]"), std::string::npos);
    EXPECT_EQ(readFile(m_projectFolder / "monitor.app").find("[semMon]"), std::string::npos);
}


// Every numeric field of every page of every application and CPU sheet takes each extreme or refuses it at
// OK; what the sheet keeps is saved by Save All and opens again through the console program as it was.
TEST_F(EditRoadsWalk, EverySheetNumberKeptReopensThroughTheConsole)
{
    engine::ProjectRecord& project = m_window->GetProject();
    struct Sheet {
        QString title;
        std::function<void()> open;
    };
    std::vector<Sheet> sheets;
    for (int32_t c = 0; c < project.cpuCount; ++c) {
        engine::CpuRecord& cpu = project.cpus[c];
        for (int32_t a = 0; a < cpu.applicationCount; ++a) {
            engine::ApplicationRecord& application = cpu.applications[a];
            sheets.push_back({QStringLiteral("Application Properties"), [this, &project, &cpu, &application] {
                                  shell::editorServices().ShowApplicationProperties(m_window->manager(), project,
                                                                                    application, cpu);
                              }});
        }
        sheets.push_back({QStringLiteral("CPU Properties"), [this, &cpu] {
                              engine::CpuRecordHandler handler(&cpu.kernel, &m_window->config(), &cpu);
                              std::string name = engine::textString(cpu.name);
                              std::string description = engine::textString(cpu.description);
                              shell::editorServices().ShowCpuProperties(handler, name, description);
                          }});
    }
    int kept = 0;
    int refused = 0;
    for (const char* typed : {"3000000000", "4294967295", "2147483648", "-1", "-2147483648"}) {
        for (const Sheet& shown : sheets) {
            std::vector<NumericEdit> numeric;
            whenModal(
                [&](QWidget* modal) {
                    auto* sheet = qobject_cast<platform::PropertySheet*>(modal);
                    numeric = numericEditsOf(sheet);
                    sheet->reject();
                },
                shown.title);
            shown.open();
            for (const NumericEdit& field : numeric) {
                SCOPED_TRACE(shown.title.toStdString() + " " + field.page.toStdString() + " " +
                             std::to_string(field.id) + " " + typed);
                m_messages->clear();
                if (typeAndPressOk(shown.title, shown.open, field, typed, false)) {
                    ++refused;
                    EXPECT_FALSE(messages().empty()) << "a refusal says why";
                } else {
                    ++kept;
                }
            }
        }
        saveAllAndReopen(typed);
    }
    EXPECT_GT(kept, 5);
    EXPECT_GT(refused, 5);
}


// Types `text` into the edit `id` of the page `page` of the Application Properties sheet of `application` and
// presses OK: true when the sheet stayed (the edit was refused); the sheet is then cancelled.
bool typeTextInApplicationSheet(CMainDialog& window, engine::CpuRecord& cpu, engine::ApplicationRecord& application,
                                const QString& page, int id, const char* text)
{
    bool stayed = false;
    whenModal(
        [&](QWidget* modal) {
            auto* sheet = qobject_cast<platform::PropertySheet*>(modal);
            ASSERT_NE(clickTab(sheet, page), nullptr);
            platform::findControl<QLineEdit>(sheet->GetActivePage(), id)->setText(QString::fromLatin1(text));
            sheet->accept();
            settle();
            stayed = sheet->isVisible();
            if (stayed)
                sheet->reject();
        },
        QStringLiteral("Application Properties"));
    shell::editorServices().ShowApplicationProperties(window.manager(), window.GetProject(), application, cpu);
    return stayed;
}

// A second model whose task stacks lie between 1024 and 2048 (Comms's, whose tasks fit it; Main's tskMon has
// 512): choosing it for Main on the CPU page and dropping tskMon onto a Comms application are refused with
// the round trip's message and change nothing. Paths and extensions typed as the reader would rewrite them
// are stored as it reads them, or refused. Save All then writes what the console program opens as the window
// holds it.
TEST_F(EditRoadsWalk, ASecondModelsLimitsAndRewrittenTextsKeepOnlyWhatReopens)
{
    const fs::path modelFile = m_programFolder / "models/z5mp.mdl";
    std::string text = readFile(modelFile);
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"Minimum Task Stack Size=128", "Minimum Task Stack Size=1024"},
                                   {"Maximum Task Stack Size=32768", "Maximum Task Stack Size=2048"}}) {
        const std::size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
    }
    writeFile(modelFile, text);
    m_window = std::make_unique<CMainDialog>();
    m_window->Initialize({"OMBAgen", (m_projectFolder / "demo.omb").string()}, CMainDialog::StartOptions{0});
    settle();
    fs::current_path(m_projectFolder);
    ASSERT_EQ(m_window->GetProject().cpuCount, 2);
    const std::string refusal = "The change cannot be kept: the project could not be saved and opened again, as ";

    // The model change on Main's CPU page: OK is refused, Cancel keeps the model.
    engine::CpuRecord& main = windowCpu("Main");
    const int32_t model = main.kernel.modelIndex;
    m_messages->clear();
    m_messages->queueAnswer(platform::IdYes);  // "Changing Model will set all other selections to defaults"
    bool stayed = false;
    whenModal(
        [&](QWidget* modal) {
            auto* sheet = qobject_cast<platform::PropertySheet*>(modal);
            auto* models = platform::findControl<QComboBox>(sheet->GetActivePage(), cpu_ids::Model);
            ASSERT_NE(models, nullptr);
            models->setCurrentIndex(1 - model);
            emit models->activated(1 - model);
            settle();
            sheet->accept();
            settle();
            stayed = sheet->isVisible();
            if (stayed)
                sheet->reject();
        },
        QStringLiteral("CPU Properties"));
    {
        engine::CpuRecordHandler handler(&main.kernel, &m_window->config(), &main);
        std::string name = "Main";
        std::string description = engine::textString(main.description);
        EXPECT_EQ(shell::editorServices().ShowCpuProperties(handler, name, description), 2);
    }
    EXPECT_TRUE(stayed);
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_EQ(messages()[1].rfind(refusal, 0), 0u) << messages()[1];
    EXPECT_NE(messages()[1].find("\"Stack Size\""), std::string::npos) << messages()[1];
    EXPECT_EQ(main.kernel.modelIndex, model);
    saveAllAndReopen("model change refused");

    // A drop of Main's tskMon onto the tasks of Comms's Link: refused, tskMon stays in Monitor.
    engine::ObjectPlace monitorTask{};
    engine::ObjectPlace linkTask{};
    for (const engine::ObjectPlace& place : places()) {
        if (engine::textOf(place.object->name) == "tskMon")
            monitorTask = place;
        if (engine::textOf(place.application->name) == "Link" && place.entry->classType == engine::ClassTask)
            linkTask = place;
    }
    ASSERT_TRUE(monitorTask.object && linkTask.entry);
    const auto before = folderFiles(m_projectFolder);
    m_messages->clear();
    m_window->DropTreeItem(linkTask.entry->treeItem, monitorTask.object->treeItem);
    settle();
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0].rfind(refusal, 0), 0u) << messages()[0];
    bool inMonitor = false;
    for (const engine::ObjectPlace& place : places())
        inMonitor = inMonitor || (engine::textOf(place.object->name) == "tskMon" &&
                                  engine::textOf(place.application->name) == "Monitor");
    EXPECT_TRUE(inMonitor);
    saveAllAndReopen("drop refused");
    expectFilesUnchanged(before);

    // Texts the reader rewrites: a path with "\" is stored with "/", trailing blanks in a path and an
    // extension that would make a path are kept only as they read back, or refused with a message.
    engine::ApplicationRecord& control = main.applications[0];
    m_messages->clear();
    EXPECT_FALSE(typeTextInApplicationSheet(*m_window, main, control, QStringLiteral("Paths"), app_ids::CodePath,
                                            "gen\\x\\"));
    EXPECT_EQ(engine::textString(control.codePath), "gen/x/");
    saveAllAndReopen("path with backslashes");
    const struct {
        QString page;
        int id;
        const char* text;
    } typed[] = {{QStringLiteral("Paths"), app_ids::HeaderPath, "gen/../inc/  "},
                 {QStringLiteral("Code Generation"), app_ids::CSourceExt, "c/../../../esc/pwn"},
                 {QStringLiteral("Code Generation"), app_ids::CHeaderExt, " hh "}};
    for (const auto& road : typed) {
        SCOPED_TRACE(road.text);
        m_messages->clear();
        if (typeTextInApplicationSheet(*m_window, main, control, road.page, road.id, road.text)) {
            EXPECT_FALSE(messages().empty()) << "a refusal says why";
        }
        saveAllAndReopen(road.text);
    }
    EXPECT_EQ(engine::textString(control.cSourceExtension), "c");
    EXPECT_EQ(engine::textString(control.cHeaderExtension), "hh");
}

// A model change is judged as it would be kept: a second model whose "Application Heap" allows at most 1024
// (Control holds 4096) resets the option to the model's default with the change, so OK keeps it and the
// project opens again with the default. With a model whose task stack limits Control's tasks do not meet,
// the CPU page's Save refuses as OK does and writes nothing.
TEST_F(EditRoadsWalk, AModelChangeIsJudgedWithItsResetsOnOkAndOnTheCpuPagesSave)
{
    const fs::path modelFile = m_programFolder / "models/z5mp.mdl";
    const std::string original = readFile(modelFile);
    const auto rewriteModel = [&](const std::vector<std::pair<std::string, std::string>>& changes) {
        std::string text = original;
        for (const auto& [from, to] : changes) {
            const std::size_t at = text.find(from);
            ASSERT_NE(at, std::string::npos) << from;
            text.replace(at, from.size(), to);
        }
        writeFile(modelFile, text);
        m_window = std::make_unique<CMainDialog>();
        m_window->Initialize({"OMBAgen", (m_projectFolder / "demo.omb").string()}, CMainDialog::StartOptions{0});
        settle();
        fs::current_path(m_projectFolder);
        ASSERT_EQ(m_window->GetProject().cpuCount, 2);
    };
    // Runs Main's CPU sheet: the other model chosen (Yes to the warning), then `then` on the page.
    const auto changeMainsModel = [&](const std::function<void(platform::PropertySheet*)>& then) {
        engine::CpuRecord& main = windowCpu("Main");
        const int32_t model = main.kernel.modelIndex;
        m_messages->clear();
        m_messages->queueAnswer(platform::IdYes);
        whenModal(
            [&](QWidget* modal) {
                auto* sheet = qobject_cast<platform::PropertySheet*>(modal);
                auto* models = platform::findControl<QComboBox>(sheet->GetActivePage(), cpu_ids::Model);
                ASSERT_NE(models, nullptr);
                models->setCurrentIndex(1 - model);
                emit models->activated(1 - model);
                settle();
                then(sheet);
                if (sheet->isVisible())
                    sheet->reject();
            },
            QStringLiteral("CPU Properties"));
        // Through Edit > Change on Main's tree item, as the user opens the sheet.
        m_window->tree()->SelectItem(main.treeItem);
        m_window->OnEditChange();
        settle();
        return main.kernel.modelIndex != model;
    };
    const auto heapOf = [](const engine::ApplicationRecord& application) {
        for (int32_t i = 0; i < application.optionCount; ++i)
            if (engine::textOf(application.options[i].name) == "Application Heap")
                return application.options[i].value;
        return -1;
    };

    // Comms, of that model already, holds a heap the tighter range takes.
    std::string link = readFile(m_projectFolder / "link.app");
    link.replace(link.find("[Application Heap]\r\nValue=8192"), 30, "[Application Heap]\r\nValue=1024");
    writeFile(m_projectFolder / "link.app", link);
    rewriteModel({{"Default=2048\r\nMinimum=0\r\nMaximum=1048576", "Default=512\r\nMinimum=0\r\nMaximum=1024"}});
    EXPECT_EQ(heapOf(windowCpu("Main").applications[0]), 4096);
    EXPECT_TRUE(changeMainsModel([](platform::PropertySheet* sheet) {
        sheet->accept();
        settle();
    }));
    ASSERT_EQ(messages().size(), 1u) << messages().back();  // the warning only
    EXPECT_EQ(heapOf(windowCpu("Main").applications[0]), 512);
    saveAllAndReopen("model change with a tighter heap");

    // Stack limits Control's tasks do not meet: the page's Save refuses with the judge's words.
    for (const char* name : {"demo.omb", "main.cpu", "control.app", "monitor.app"})
        fs::copy_file(m_demo / name, m_projectFolder / name, fs::copy_options::overwrite_existing);
    rewriteModel({{"Minimum Task Stack Size=128", "Minimum Task Stack Size=1024"},
                  {"Maximum Task Stack Size=32768", "Maximum Task Stack Size=2048"}});
    const auto before = folderFiles(m_projectFolder);
    EXPECT_FALSE(changeMainsModel([](platform::PropertySheet* sheet) {
        QTest::mouseClick(platform::findControl<QPushButton>(sheet->GetActivePage(), cpu_ids::Save), Qt::LeftButton);
        settle();
    }));
    ASSERT_EQ(messages().size(), 2u);
    EXPECT_EQ(messages()[1].rfind("The change cannot be kept: the project could not be saved and opened again, as ", 0),
              0u)
        << messages()[1];
    expectFilesUnchanged(before);
    saveAllAndReopen("CPU page Save refused");

    // A model whose queue width, interrupt levels or vectors Control's objects exceed (Comms's Link, of that
    // model already, within them): the change is refused naming the object's key, and nothing is written.
    link = readFile(m_projectFolder / "link.app");
    link.replace(link.find("Width=16\r\n"), 10, "Width=2\r\n");
    writeFile(m_projectFolder / "link.app", link);
    for (const auto& [limit, key] : {std::pair<std::string, std::string>{"Maximum Queue Width=2", "\"Width\""},
                                     {"Maximum ISR Level=4", "\"Interrupt Level\""},
                                     {"Maximum ISR Vector=20", "\"Vector Number\""}}) {
        SCOPED_TRACE(limit);
        const std::string from = limit.substr(0, limit.find('=') + 1);
        const std::size_t at = original.find(from);
        ASSERT_NE(at, std::string::npos);
        const std::string was = original.substr(at, original.find('\r', at) - at);
        rewriteModel({{was, limit}});
        const auto files = folderFiles(m_projectFolder);
        EXPECT_FALSE(changeMainsModel([](platform::PropertySheet* sheet) {
            sheet->accept();
            settle();
        }));
        ASSERT_EQ(messages().size(), 2u);
        EXPECT_NE(messages()[1].find(key), std::string::npos) << messages()[1];
        expectFilesUnchanged(files);
    }

    // A model whose least kernel stack is above the applications' (which the System page may not offer to
    // change for the model's framework): the change raises it, and the project opens again with it.
    link = readFile(m_projectFolder / "link.app");
    link.replace(link.find("Kernel Stack Available=256"), 26, "Kernel Stack Available=1024");
    writeFile(m_projectFolder / "link.app", link);
    rewriteModel({{"Minimum Kernel Stack Size=256", "Minimum Kernel Stack Size=1024"}});
    EXPECT_TRUE(changeMainsModel([](platform::PropertySheet* sheet) {
        sheet->accept();
        settle();
    }));
    for (int32_t a = 0; a < windowCpu("Main").applicationCount; ++a)
        EXPECT_EQ(windowCpu("Main").applications[a].kernelStackAvailable, 1024);
    saveAllAndReopen("model change raising the kernel stack");
}

// Every sequence of up to three of the CPU sheet's buttons on Main (the model changed to the other one, Load of
// a spare kernel file, Save, Save As onto a new file, OK, Cancel; a button after OK or Cancel opens the sheet
// again, a sheet left open is cancelled), then Exit answering No to every question, then Exit answering Yes:
// after each the files open as one project, after No every file holds what it held or what a Save of the sheet
// wrote, after Yes the project opens as the window holds it. The console program opens a spread sample. Each
// run walks the sequences that start with one button.
class CpuSheetSequences : public EditRoadsWalk, public ::testing::WithParamInterface<int> {};

TEST_P(CpuSheetSequences, LeaveFilesThatOpen)
{
    enum Button { Model, Load, Save, SaveAs, Ok, Cancel };
    const char* const names[] = {"Model", "Load", "Save", "Save As", "OK", "Cancel"};
    const char* const files[] = {"demo.omb", "main.cpu", "comms.cpu", "control.app", "link.app", "monitor.app"};
    const auto restore = [&] {
        for (const auto& entry : fs::directory_iterator(m_projectFolder)) {
            if (entry.is_regular_file())
                fs::remove(entry.path());
        }
        for (const char* name : files)
            fs::copy_file(m_demo / name, m_projectFolder / name);
        fs::copy_file(m_demo / "main.cpu", m_projectFolder / "spare.cpu");
    };
    const auto opensAs = [&](const engine::ProjectRecord* window) {
        engine::ProjectRecord reread{};
        engine::ProjectManager::ResetProject(reread, true);
        std::string path = (m_projectFolder / "demo.omb").string();
        const bool opened = m_manager.OpenProjectFile(reread, m_config, path, true) == 1;
        const bool same = opened && (!window || !engine::ProjectsDiffer(reread, *window));
        engine::ProjectManager::FreeProject(reread);
        return same;
    };
    // Presses the buttons, the sheet opened through Edit > Change on Main; the folder after each Save and
    // Save As.
    const auto press = [&](const std::vector<Button>& buttons) {
        std::vector<std::map<fs::path, std::string>> saved;
        std::size_t next = 0;
        while (next < buttons.size()) {
            whenModal(
                [&](QWidget* modal) {
                    auto* sheet = qobject_cast<platform::PropertySheet*>(modal);
                    while (next < buttons.size() && sheet->isVisible()) {
                        const Button button = buttons[next];
                        const auto click = [&](int id) {
                            QTest::mouseClick(platform::findControl<QPushButton>(sheet->GetActivePage(), id),
                                              Qt::LeftButton);
                        };
                        m_messages->clear();
                        switch (button) {
                        case Model: {
                            auto* models = platform::findControl<QComboBox>(sheet->GetActivePage(), cpu_ids::Model);
                            const int other = 1 - models->currentIndex();
                            m_messages->queueAnswer(platform::IdYes);
                            models->setCurrentIndex(other);
                            emit models->activated(other);
                            break;
                        }
                        case Load:
                            m_chooser.QueueAnswer((m_projectFolder / "spare.cpu").string());
                            click(cpu_ids::Load);
                            break;
                        case Save:
                            click(cpu_ids::Save);
                            break;
                        case SaveAs:
                            m_chooser.QueueAnswer((m_projectFolder / ("saved" + std::to_string(next) + ".cpu")).string());
                            click(cpu_ids::SaveAs);
                            break;
                        case Ok:
                            sheet->accept();
                            break;
                        case Cancel:
                            sheet->reject();
                            break;
                        }
                        settle();
                        if (button == Save || button == SaveAs)
                            saved.push_back(folderFiles(m_projectFolder));
                        ++next;
                    }
                    if (sheet->isVisible())
                        sheet->reject();
                },
                QStringLiteral("CPU Properties"));
            m_window->tree()->SelectItem(windowCpu("Main").treeItem);
            m_window->OnEditChange();
            settle();
        }
        return saved;
    };
    const auto exitAnswering = [&](int answer) {
        m_messages->clear();
        for (int i = 0; i < 16; ++i)
            m_messages->queueAnswer(answer);
        EXPECT_EQ(m_window->PromptSaveChanges(true, false), 1);
    };

    std::vector<std::vector<Button>> sequences;
    for (int length = 1; length <= 3; ++length) {
        std::vector<Button> buttons(static_cast<std::size_t>(length), static_cast<Button>(GetParam()));
        for (int n = 0; n < std::pow(6, length - 1); ++n) {
            for (int i = 1, rest = n; i < length; ++i, rest /= 6)
                buttons[static_cast<std::size_t>(i)] = static_cast<Button>(rest % 6);
            sequences.push_back(buttons);
        }
    }
    const auto original = [&] {
        restore();
        return folderFiles(m_projectFolder);
    }();
    int walked = 0;
    for (std::size_t s = 0; s < sequences.size(); ++s) {
        std::string trace;
        for (const Button button : sequences[s])
            trace += std::string(trace.empty() ? "" : " > ") + names[button];
        SCOPED_TRACE(trace);
        restore();
        m_messages->clear();
        ASSERT_TRUE(m_window->OpenProjectFile((m_projectFolder / "demo.omb").string(), false));
        settle();
        const auto saved = press(sequences[s]);
        // The two journeys that once lost the old kernel, and a spread of the others, through the console.
        const bool console = trace == "Model > Save > Cancel" || trace == "Model > Save > OK" || s == 20;

        exitAnswering(platform::IdNo);
        EXPECT_TRUE(opensAs(nullptr)) << "after Exit answering No";
        for (const auto& [file, text] : folderFiles(m_projectFolder)) {
            bool kept = original.count(file) != 0 && original.at(file) == text;
            for (const auto& state : saved)
                kept = kept || (state.count(file) != 0 && state.at(file) == text);
            EXPECT_TRUE(kept) << file << " holds neither what it held nor what a Save wrote";
        }
        for (const auto& [file, text] : original)
            EXPECT_TRUE(fs::exists(file)) << file;
        if (console) {
            const ConsoleRun run = openWithConsole(m_programFolder, m_projectFolder);
            EXPECT_EQ(run.code, 0) << run.output;
        }

        exitAnswering(platform::IdYes);
        EXPECT_TRUE(opensAs(&m_window->GetProject())) << "after Exit answering Yes";
        if (console) {
            const ConsoleRun run = openWithConsole(m_programFolder, m_projectFolder);
            EXPECT_EQ(run.code, 0) << run.output;
        }
        ++walked;
        if (HasFailure())
            break;
    }
    EXPECT_EQ(walked, 1 + 6 + 36);
    std::printf("[ walked %d sequences of the CPU sheet's buttons that start with %s ]\n", walked, names[GetParam()]);
}

INSTANTIATE_TEST_SUITE_P(FirstButton, CpuSheetSequences, ::testing::Range(0, 6));

// Offers its names in turn as the program's file dialog does: a name the caller's check refuses (with its
// message) is not chosen, and the next one is offered; "" when none is left.
class CheckingChooser : public engine::FileChooser {
public:
    std::deque<std::string> names;
    std::string Choose(bool open, int, const std::string&) override
    {
        while (!names.empty()) {
            std::string name = names.front();
            names.pop_front();
            if (open || engine::ChosenFileAccepted(name))
                return name;
        }
        return {};
    }
};

// The Save As journeys that once wrote one file over another: each Save As onto a file the project lists for
// something else is refused, the sheet is left by OK or Cancel, Save All follows, and the project opens
// with every listed file as it was. The refusal reads the same, as a failed save, whether the file dialog
// refuses the name while the user chooses or the page refuses it once chosen.
TEST_F(EditRoadsWalk, SaveAsOntoAFileTheProjectListsIsRefusedAndTheProjectStillOpens)
{
    engine::ProjectRecord& project = m_window->GetProject();
    engine::CpuRecord& main = windowCpu("Main");
    engine::ApplicationRecord& control = main.applications[0];
    const std::string monitor = readFile(m_projectFolder / "monitor.app");
    const std::string controlText = readFile(m_projectFolder / "control.app");
    const auto expectOneSaveFailure = [this] {
        const auto boxes = m_messages.service().boxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, "File I/O Error");
    };
    CheckingChooser whileChoosing;
    for (const bool chosen : {true, false}) {
        // Refused once chosen (the chooser asks nothing), or by the file dialog while the user chooses.
        std::optional<engine::ScopedFileChooser> dialog;
        if (!chosen)
            dialog.emplace(&whileChoosing);
        const auto offer = [&](const fs::path& file) {
            if (chosen)
                m_chooser.QueueAnswer(file.string());
            else
                whileChoosing.names.push_back(file.string());
        };
        for (const bool ok : {true, false}) {
            SCOPED_TRACE(std::string(ok ? "OK" : "Cancel") + (chosen ? ", chosen" : ", while choosing"));
            m_messages->clear();
            offer(m_projectFolder / "monitor.app");
            whenModal(
                [&](QWidget* modal) {
                    QTest::mouseClick(platform::findControl<QPushButton>(modal, app_ids::SaveAs), Qt::LeftButton);
                    settle();
                    auto* sheet = qobject_cast<QDialog*>(modal);
                    if (ok)
                        sheet->accept();
                    if (sheet->isVisible())
                        sheet->reject();
                },
                QStringLiteral("Application Properties"));
            shell::editorServices().ShowApplicationProperties(m_window->manager(), project, control, main);
            expectOneSaveFailure();
            ASSERT_FALSE(messages().empty());
            EXPECT_NE(messages()[0].find("Unable to write application file " + (m_projectFolder / "monitor.app").string() +
                                         ": the project lists it as the application file of \"Monitor\""),
                      std::string::npos)
                << messages()[0];
            saveAllAndReopen(ok ? "Save As, OK" : "Save As, Cancel");
            EXPECT_EQ(readFile(m_projectFolder / "monitor.app"), monitor);
            EXPECT_EQ(engine::textString(control.path), "control.app");
        }
        SCOPED_TRACE(chosen ? "CPU, chosen" : "CPU, while choosing");
        m_messages->clear();
        offer(m_projectFolder / "control.app");
        whenModal(
            [&](QWidget* modal) {
                QTest::mouseClick(platform::findControl<QPushButton>(modal, cpu_ids::SaveAs), Qt::LeftButton);
                settle();
                qobject_cast<QDialog*>(modal)->reject();
            },
            QStringLiteral("CPU Properties"));
        {
            engine::CpuRecordHandler handler(&main.kernel, &m_window->config(), &main);
            std::string name = "Main";
            std::string description = engine::textString(main.description);
            shell::editorServices().ShowCpuProperties(handler, name, description);
        }
        expectOneSaveFailure();
        ASSERT_FALSE(messages().empty());
        EXPECT_NE(messages()[0].find("Unable to write kernel file " + (m_projectFolder / "control.app").string()),
                  std::string::npos)
            << messages()[0];
        saveAllAndReopen("CPU Save As, Cancel");
        EXPECT_EQ(readFile(m_projectFolder / "control.app"), controlText);
        EXPECT_EQ(engine::textString(main.kernel.kernelPath), "main.cpu");
    }

    // Every Save As road (the project's, an application's, a kernel's) onto every file the project lists for
    // something else: one refusal in the same words, and every file as it was.
    const char* listed[] = {"demo.omb", "main.cpu", "comms.cpu", "control.app", "link.app", "monitor.app"};
    std::map<std::string, std::string> texts;
    for (const char* name : listed)
        texts[name] = readFile(m_projectFolder / name);
    const struct {
        const char* road;
        const char* what;
        const char* own;
        std::function<void()> saveAs;
    } roads[] = {
        {"Save Project As", "project file", "demo.omb", [&] { m_window->OnFileSaveProjectAs(); }},
        {"application Save As", "application file", "control.app",
         [&] {
             whenModal(
                 [&](QWidget* modal) {
                     QTest::mouseClick(platform::findControl<QPushButton>(modal, app_ids::SaveAs), Qt::LeftButton);
                     settle();
                     qobject_cast<QDialog*>(modal)->reject();
                 },
                 QStringLiteral("Application Properties"));
             shell::editorServices().ShowApplicationProperties(m_window->manager(), project, control, main);
         }},
        {"CPU Save As", "kernel file", "main.cpu",
         [&] {
             whenModal(
                 [&](QWidget* modal) {
                     QTest::mouseClick(platform::findControl<QPushButton>(modal, cpu_ids::SaveAs), Qt::LeftButton);
                     settle();
                     qobject_cast<QDialog*>(modal)->reject();
                 },
                 QStringLiteral("CPU Properties"));
             engine::CpuRecordHandler handler(&main.kernel, &m_window->config(), &main);
             std::string name = "Main";
             std::string description = engine::textString(main.description);
             shell::editorServices().ShowCpuProperties(handler, name, description);
         }},
    };
    for (const auto& road : roads) {
        for (const char* name : listed) {
            if (std::string(name) == road.own)
                continue;
            SCOPED_TRACE(std::string(road.road) + " onto " + name);
            m_messages->clear();
            const std::string target = (m_projectFolder / name).string();
            m_chooser.QueueAnswer(target);
            road.saveAs();
            expectOneSaveFailure();
            ASSERT_FALSE(messages().empty());
            EXPECT_EQ(messages()[0].rfind(std::string("Unable to write ") + road.what + " " + target +
                                              ": the project lists it as ",
                                          0),
                      0u)
                << messages()[0];
            for (const char* file : listed)
                EXPECT_EQ(readFile(m_projectFolder / file), texts[file]) << file;
        }
    }
    EXPECT_EQ(engine::textString(project.path), (m_projectFolder / "demo.omb").string());
    saveAllAndReopen("every Save As refused");
}


// Enable MP (of an object and of an application) and Add CPU keep their change only if the project it
// leaves would open: with a value in memory that the open refuses, each road refuses with the check's
// message and changes nothing; with the value put right, each keeps its change, and Save All and the
// console program open the project with it.
TEST_F(EditRoadsWalk, EnableMpAndAddCpuKeepOnlyWhatTheProjectWouldOpenWith)
{
    engine::ProjectRecord& project = m_window->GetProject();
    engine::CpuRecord& comms = windowCpu("Comms");
    engine::ApplicationRecord& link = comms.applications[0];
    ASSERT_EQ(engine::textString(link.name), "Link");
    ASSERT_EQ(link.isMp, 1);
    engine::ObjectRecord* object = nullptr;
    for (const engine::ObjectPlace& place : places()) {
        if (place.application == &link && place.entry->classType != engine::ClassMutex && !object)
            object = place.object;
    }
    ASSERT_NE(object, nullptr);
    engine::ApplicationRecord& control = windowCpu("Main").applications[0];
    const int32_t cpus = project.cpuCount;
    const auto enableObjectMp = [&] {
        m_window->tree()->SelectItem(object->treeItem);
        settle();
        m_window->OnObjectEnableMp();
    };
    const auto enableApplicationMp = [&] {
        m_window->tree()->SelectItem(link.treeItem);
        settle();
        m_window->OnApplicationEnableMp();
    };
    const auto addCpu = [&] {
        whenModal([](QWidget* modal) {
            platform::findControl<QLineEdit>(modal, cpu_ids::Name)->setText(QStringLiteral("Spare"));
            auto* sheet = qobject_cast<QDialog*>(modal);
            sheet->accept();
            if (sheet->isVisible())
                sheet->reject();
        });
        return shell::editorServices().AddCpu(m_window->manager(), project, m_window->config());
    };
    const auto before = folderFiles(m_projectFolder);
    // An application name the project file cannot hold.
    engine::setText(control.name, "Con=trol");
    ASSERT_FALSE(engine::KeptEditProblem(project).empty()) << "the open takes the name";
    const auto expectRefused = [&](const char* road) {
        SCOPED_TRACE(road);
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_EQ(messages()[0].rfind("The change cannot be kept: ", 0), 0u) << messages()[0];
        EXPECT_NE(messages()[0].find("Con=trol"), std::string::npos) << messages()[0];
        m_messages->clear();
    };
    const int32_t objectMp = object->isMp;
    enableObjectMp();
    expectRefused("object Enable MP");
    EXPECT_EQ(object->isMp, objectMp);
    enableApplicationMp();
    expectRefused("application Enable MP");
    EXPECT_EQ(link.isMp, 1);
    EXPECT_NE(addCpu(), 1);
    expectRefused("Add CPU");
    EXPECT_EQ(project.cpuCount, cpus);
    engine::setText(control.name, "Control");
    saveAllAndReopen("refused");
    expectFilesUnchanged(before);

    enableObjectMp();
    EXPECT_NE(object->isMp, objectMp);
    enableApplicationMp();
    EXPECT_EQ(link.isMp, 0);
    EXPECT_EQ(addCpu(), 1);
    EXPECT_TRUE(messages().empty()) << messages().front();
    ASSERT_EQ(project.cpuCount, cpus + 1);
    m_chooser.QueueAnswer((m_projectFolder / "spare.cpu").string());
    saveAllAndReopen("kept");
}


// The class dialogs (Class Options and Dynamic Objects) of every class entry of every application: each
// numeric field takes each extreme or refuses it; Save All and the console program then open the project
// with what they kept.
TEST_F(EditRoadsWalk, EveryClassDialogNumberKeptReopensThroughTheConsole)
{
    engine::ProjectRecord& project = m_window->GetProject();
    using Open = std::function<int()>;
    std::vector<Open> dialogs;
    for (int32_t c = 0; c < project.cpuCount; ++c) {
        engine::CpuRecord& cpu = project.cpus[c];
        for (int32_t a = 0; a < cpu.applicationCount; ++a) {
            engine::ApplicationRecord& application = cpu.applications[a];
            for (int32_t e = 0; e < application.classEntryCount; ++e) {
                engine::ApplicationClassEntry& entry = application.classEntries[e];
                dialogs.push_back([&entry, &cpu, &application] {
                    return shell::editorServices().ClassOptionsDialog(entry, cpu, application, nullptr);
                });
                dialogs.push_back([&entry, &cpu, &application] {
                    return shell::editorServices().DynamicObjectsDialog(entry, cpu.kernel, &application, nullptr);
                });
            }
        }
    }
    int kept = 0;
    int refused = 0;
    for (const char* typed : {"4294967295", "2147483648", "-1", "99999999999"}) {
        for (const Open& open : dialogs) {
            std::vector<int> fields;
            runDialog(open, [&](QWidget* dialog) {
                fields = dialogNumericEdits(dialog);
                qobject_cast<QDialog*>(dialog)->reject();
            });
            for (const int id : fields) {
                SCOPED_TRACE(std::to_string(id) + " " + typed);
                m_messages->clear();
                const int result = runDialog(open, [&](QWidget* dialog) {
                    platform::findControl<QLineEdit>(dialog, id)->setText(QString::fromLatin1(typed));
                    QTest::mouseClick(platform::findControl<QPushButton>(dialog, IdOkButton), Qt::LeftButton);
                    if (dialog->isVisible())
                        qobject_cast<QDialog*>(dialog)->reject();
                });
                if (result == 1) {
                    ++kept;
                } else {
                    ++refused;
                    EXPECT_FALSE(messages().empty()) << "a refusal says why";
                }
            }
        }
        saveAllAndReopen(typed);
    }
    EXPECT_GT(kept + refused, 20);
}

// Sets `key` of `section` in the file to `value`; false when the section has no such key.
bool setKeyInFile(const fs::path& file, const std::string& section, const std::string& key, const std::string& value)
{
    std::string text = readFile(file);
    const std::size_t start = text.find("[" + section + "]\r\n");
    if (start == std::string::npos)
        return false;
    const std::size_t end = text.find("\r\n[", start + 1);
    const std::size_t at = text.find("\r\n" + key + "=", start);
    if (at == std::string::npos || (end != std::string::npos && at > end))
        return false;
    const std::size_t lineEnd = text.find("\r\n", at + 2);
    text.replace(at + 2, lineEnd - at - 2, key + "=" + value);
    writeFile(file, text);
    return true;
}

// Every editor field that has a range, held to the one range the open takes (the field's description, or
// the model's bounds and stack modulus): its least and greatest values are kept; one past either end, and a
// stack off the modulus, are refused or corrected by the editor; and a file holding each value opens in the
// console program exactly when the value lies in the range.
TEST_F(EditRoadsWalk, EveryEditorRangeIsTheRangeTheOpenTakes)
{
    engine::ProjectRecord& project = m_window->GetProject();
    engine::CpuRecord& main = windowCpu("Main");
    engine::CpuRecord& comms = windowCpu("Comms");
    engine::ApplicationRecord& control = main.applications[0];
    engine::ApplicationRecord* link = nullptr;
    for (int32_t a = 0; a < comms.applicationCount; ++a)
        if (engine::textOf(comms.applications[a].name) == "Link")
            link = &comms.applications[a];
    ASSERT_NE(link, nullptr);
    ASSERT_TRUE(link->isMp);
    engine::ApplicationClassEntry* tasks = engine::FindApplicationClassEntryByType(control, engine::ClassTask);
    ASSERT_NE(tasks, nullptr);
    engine::ObjectPlace monitorTask;
    engine::ObjectPlace counter;
    for (const engine::ObjectPlace& place : places()) {
        if (engine::textOf(place.object->name) == "tskMon")
            monitorTask = place;
        if (place.application == &control && place.entry->classType == engine::ClassCounter && !counter.object)
            counter = place;
    }
    ASSERT_NE(monitorTask.object, nullptr);
    ASSERT_NE(counter.object, nullptr);
    const engine::KernelRecord& kernel = main.kernel;
    const engine::KernelClassRecord* taskClass = nullptr;
    for (int32_t i = 0; i < kernel.classCount; ++i)
        if (kernel.classes[i].classType == engine::ClassTask)
            taskClass = &kernel.classes[i];
    ASSERT_NE(taskClass, nullptr);
    const auto described = [](const char* kind, const char* key) {
        return *engine::FindFieldDescription(engine::FieldFile::Application, kind, key);
    };
    const auto typeInSheet = [&](engine::CpuRecord& cpu, engine::ApplicationRecord& application, const char* page,
                                 int id) {
        return [&, page, id](const std::string& typed) {
            typeTextInApplicationSheet(*m_window, cpu, application, QString::fromLatin1(page), id, typed.c_str());
        };
    };
    const auto typeInDialog = [&](std::function<int()> open, int id) {
        return [this, open, id](const std::string& typed) {
            runDialog(open, [&](QWidget* dialog) {
                platform::findControl<QLineEdit>(dialog, id)->setText(QString::fromLatin1(typed.c_str()));
                QTest::mouseClick(platform::findControl<QPushButton>(dialog, IdOkButton), Qt::LeftButton);
                if (dialog->isVisible())
                    qobject_cast<QDialog*>(dialog)->reject();
            });
        };
    };
    const auto numberOf = [](const int32_t& field, bool unsignedField) {
        return [&field, unsignedField] {
            return unsignedField ? int64_t{static_cast<uint32_t>(field)} : int64_t{field};
        };
    };
    const auto& taskData = *static_cast<engine::TaskData*>(monitorTask.object->data);
    struct Road {
        std::string what;
        std::function<void(const std::string&)> type;
        std::function<int64_t()> held;
        std::string file, section, key;
        int64_t least, greatest, modulus;
        bool unsignedField;
    };
    const auto fromDescription = [&](const char* kind, const char* key) {
        const engine::FieldDescription field = described(kind, key);
        return std::pair<int64_t, int64_t>{field.minimum, field.maximum};
    };
    const auto [nameLeast, nameGreatest] = fromDescription("CLASS", "Max Key Length");
    const auto [orderLeast, orderGreatest] = fromDescription("Task", "Starting Order Number");
    const auto [modulusLeast, modulusGreatest] = fromDescription("Counter", "Modulus");
    const auto [instancesLeast, instancesGreatest] = fromDescription("APPLICATION", "Instances");
    const auto [versionLeast, versionGreatest] = fromDescription("APPLICATION", "User Version");
    const auto [ramLeast, ramGreatest] = fromDescription("APPLICATION", "System RAM Available");
    const auto [clockLeast, clockGreatest] = fromDescription("APPLICATION", "System Clock Rate Hz");
    const int64_t dynamicsGreatest =
        engine::dynamicsMaximum(*taskClass, engine::CountClassEntryObjects(control, *tasks));
    const int64_t modulus = kernel.taskStackModulus;
    const auto up = [modulus](int64_t value) { return modulus > 0 ? (value + modulus - 1) / modulus * modulus : value; };
    const auto down = [modulus](int64_t value) { return modulus > 0 ? value / modulus * modulus : value; };
    const Road roads[] = {
        {"Class Options: maximum name length",
         typeInDialog([&] { return shell::editorServices().ClassOptionsDialog(*tasks, main, control, nullptr); },
                      IdMaxNameLength),
         numberOf(tasks->maxKeyLength, false), "control.app", "Task", "Max Key Length", nameLeast, nameGreatest, 0,
         false},
        {"Dynamic Objects: number of dynamics",
         typeInDialog([&] { return shell::editorServices().DynamicObjectsDialog(*tasks, main.kernel, &control, nullptr); },
                      dynamicCountId(0)),
         numberOf(tasks->numberOfDynamics, true), "control.app", "Task", "Number of Dynamics", 0, dynamicsGreatest, 0,
         true},
        {"Task: stack size",
         [&](const std::string& typed) {
             editObject(monitorTask, [&](QWidget* dialog) {
                 platform::findControl<QLineEdit>(dialog, IdTaskStackSize)->setText(QString::fromLatin1(typed.c_str()));
                 QTest::mouseClick(platform::findControl<QPushButton>(dialog, IdOkButton), Qt::LeftButton);
                 if (dialog->isVisible())
                     qobject_cast<QDialog*>(dialog)->reject();
             });
         },
         numberOf(taskData.stackSize, false), "monitor.app", "tskMon", "Stack Size", up(kernel.minTaskStackSize),
         down(kernel.maxTaskStackSize), modulus, false},
        {"Task: starting order",
         [&](const std::string& typed) {
             editObject(monitorTask, [&](QWidget* dialog) {
                 platform::findControl<QLineEdit>(dialog, IdTaskStartingOrder)->setText(QString::fromLatin1(typed.c_str()));
                 QTest::mouseClick(platform::findControl<QPushButton>(dialog, IdOkButton), Qt::LeftButton);
                 if (dialog->isVisible())
                     qobject_cast<QDialog*>(dialog)->reject();
             });
         },
         numberOf(taskData.startingOrder, false), "monitor.app", "tskMon", "Starting Order Number", orderLeast,
         orderGreatest, 0, false},
        {"Counter: modulus",
         [&](const std::string& typed) {
             editObject(counter, [&](QWidget* dialog) {
                 platform::findControl<QLineEdit>(dialog, IdField1067)->setText(QString::fromLatin1(typed.c_str()));
                 QTest::mouseClick(platform::findControl<QPushButton>(dialog, IdOkButton), Qt::LeftButton);
                 if (dialog->isVisible())
                     qobject_cast<QDialog*>(dialog)->reject();
             });
         },
         numberOf(static_cast<engine::CounterData*>(counter.object->data)->modulus, true), "control.app",
         engine::textString(counter.object->name), "Modulus", modulusLeast, modulusGreatest, 0, true},
        {"General: instances", typeInSheet(comms, *link, "General", app_ids::Instances), numberOf(link->instances, false),
         "link.app", "APPLICATION", "Instances", instancesLeast, instancesGreatest, 0, false},
        {"General: user version", typeInSheet(main, control, "General", app_ids::UserVersion),
         numberOf(control.userVersion, false), "control.app", "APPLICATION", "User Version", versionLeast,
         versionGreatest, 0, false},
        {"System: kernel stack", typeInSheet(main, control, "System", app_ids::StackSize),
         numberOf(control.kernelStackAvailable, true), "control.app", "APPLICATION", "Kernel Stack Available",
         up(kernel.minKernelStackSize), down(kernel.maxKernelStackSize), modulus, true},
        {"System: RAM", typeInSheet(main, control, "System", app_ids::RamSize),
         numberOf(control.systemRamAvailable, true), "control.app", "APPLICATION", "System RAM Available", ramLeast,
         ramGreatest, 0, true},
        {"System: clock rate", typeInSheet(main, control, "System", app_ids::ClockRate),
         numberOf(control.systemClockRateHz, true), "control.app", "APPLICATION", "System Clock Rate Hz", clockLeast,
         clockGreatest, 0, true},
    };
    // The console program opens copies of the files as Save All left them, one value changed at a time.
    m_window->OnFileSaveAll();
    const fs::path copy = m_programFolder / "ranges";
    fs::create_directories(copy);
    for (const auto& entry : fs::directory_iterator(m_projectFolder))
        if (entry.is_regular_file())
            fs::copy_file(entry.path(), copy / entry.path().filename(), fs::copy_options::overwrite_existing);
    int kept = 0;
    for (const Road& road : roads) {
        std::vector<int64_t> values{road.least, road.greatest, road.greatest + 1};
        // One below the least, unless it is the stored pattern of an unsigned field's greatest.
        if (!road.unsignedField || road.least > 0)
            values.push_back(road.least - 1);
        if (road.modulus > 1 && road.least + 1 < road.greatest)
            values.push_back(road.least + 1);
        for (const int64_t value : values) {
            const std::string typed = std::to_string(value);
            SCOPED_TRACE(road.what + " " + typed);
            const bool inRange = value >= road.least && value <= road.greatest &&
                                 (road.modulus <= 1 || value % road.modulus == 0);
            m_messages->clear();
            road.type(typed);
            const int64_t held = road.held();
            if (inRange) {
                EXPECT_EQ(held, value) << "the editor refused a value of its range";
                kept += held == value ? 1 : 0;
            } else {
                EXPECT_NE(held, value) << "the editor kept a value outside its range";
                EXPECT_FALSE(messages().empty()) << "a refusal says why";
            }
            const std::string original = readFile(copy / road.file);
            ASSERT_TRUE(setKeyInFile(copy / road.file, road.section, road.key, typed));
            const ConsoleRun run = openWithConsole(m_programFolder, copy);
            EXPECT_EQ(run.code == 0, inRange) << run.output;
            writeFile(copy / road.file, original);
        }
    }
    EXPECT_GE(kept, 16);
    (void)project;
}

} // namespace
} // namespace editors::test
