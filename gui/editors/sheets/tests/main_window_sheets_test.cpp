// The sheets run from the main window on a copy of the demo project: kernel paths relative to the
// project's folder, and the tree and footprint following what the application sheet's pages do.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <filesystem>
#include <fstream>
#include <map>

#include "engine/files/file_chooser.h"
#include "engine/names/project_walk.h"
#include "engine/ops/cpu_record_handler.h"
#include "engine/records/text_field.h"
#include "engine/util/path.h"
#include "engine/util/text.h"
#include "gui/editors/model/page_application.h"
#include "gui/editors/model/page_cpu.h"
#include "gui/editors/model/page_cpu_class.h"
#include "gui/editors/services/editors_impl.h"
#include "gui/editors/sheets/sheet_services.h"
#include "gui/editors/sheets/tests/demo_project.h"
#include "gui/shell/main_dialog.h"
#include "gui/shell/project_tree.h"
#include "platform/qt/control_id.h"
#include "platform/qt/property_sheet.h"

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
    engine::CpuRecord& main = windowCpu("Main");
    engine::CpuRecordHandler handler(&main.kernel, &m_window->config(), &main);
    m_chooser.QueueAnswer((m_projectFolder / "comms.cpu").string());
    whenModal(
        [](QWidget* modal) {
            QTest::mouseClick(platform::findControl<QPushButton>(modal, cpu_ids::Load), Qt::LeftButton);
            qobject_cast<QDialog*>(modal)->accept();
        },
        QStringLiteral("CPU Properties"));
    std::string name = "Main";
    std::string description;
    ASSERT_EQ(shell::editorServices().ShowCpuProperties(handler, name, description), 1);
    EXPECT_EQ(engine::textString(main.kernel.kernelPath), "./comms.cpu");
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
    for (const auto& entry : fs::directory_iterator(folder))
        files[entry.path()] = readFile(entry.path());
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
        {"control.app", "the file is already listed for \"Control\" of CPU \"Main\""},
        {"link.app", "the file is already listed for \"Link\" of CPU \"Comms\""},
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
        EXPECT_EQ(shownName, "Monitor");
        EXPECT_EQ(engine::textString(monitor.name), "Monitor");
        EXPECT_EQ(engine::textString(monitor.path), "monitor.app");
        EXPECT_EQ(monitor.edited, 0);
        EXPECT_EQ(project.edited, 0);
    }
    expectFilesUnchanged(before);
}

// The General page's Save and Save As run the checks its OK runs, on the name as it will be stored: a
// refused name writes nothing and chooses no file.
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
                    EXPECT_EQ(edit->text(), field.shown);
                    edit->setText(QString::fromLatin1(typed));
                    sheet->accept();
                    settle();
                    stayed = sheet->isVisible();
                    if (stayed)
                        sheet->reject();
                },
                title);
            open();
            EXPECT_TRUE(stayed);
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
    whenModal(
        [&](QWidget* modal) {
            auto* sheet = qobject_cast<platform::PropertySheet*>(modal);
            ASSERT_NE(sheet, nullptr);
            ASSERT_NE(clickTab(sheet, QStringLiteral("Class")), nullptr);
            auto* classes = platform::findControl<QTreeWidget>(sheet->GetActivePage(), app_ids::ClassList);
            ASSERT_NE(classes, nullptr);
            rows = classes->topLevelItemCount();
            for (int row : {1, rows - 1}) {
                ASSERT_GT(rows, row);
                ASSERT_NE(classes->currentItem(), classes->topLevelItem(row));
                const QPoint at = classes->visualItemRect(classes->topLevelItem(row)).center();
                whenOtherModalSoon(modal, [&](QWidget* options) {
                    ++opened;
                    qobject_cast<QDialog*>(options)->reject();
                });
                QTest::mouseClick(classes->viewport(), Qt::LeftButton, {}, at);
                settle();  // the page takes the selection change between the two clicks
                QTest::mouseDClick(classes->viewport(), Qt::LeftButton, {}, at);
                settle();
                for (int turn = 0; turn < 100; ++turn)
                    QCoreApplication::processEvents();
            }
            qobject_cast<QDialog*>(modal)->reject();
        },
        QStringLiteral("Application Properties"));
    shell::editorServices().ShowApplicationProperties(m_window->manager(), project, control, main);
    EXPECT_EQ(opened, 2);
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
        const std::string temporary = road.file + "temp";
        fs::create_directories(temporary + "/blocker");
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
            EXPECT_EQ(boxes[0], failed + " " + road.file + ": its temporary file " + temporary +
                                    " cannot be created (File exists)");
        }
        if (road.summary && boxes.size() > 1) {
            EXPECT_EQ(boxes[1].rfind("These files were not saved; their changes are kept:\n", 0), 0u) << boxes[1];
        }
        EXPECT_EQ(readFile(road.file), before);
        // A failed save under a new name leaves each file record with the name it had.
        EXPECT_NE(engine::textString(control.path), newApplication);
        EXPECT_NE(engine::textString(main.kernel.kernelPath), newKernel);
        EXPECT_NE(engine::textString(project.path), newProject);
        const bool newName = road.file == newApplication || road.file == newKernel || road.file == newProject;
        EXPECT_EQ(m_chooser.Requests().size() - requests, newName ? 1u : 0u);
        fs::remove_all(temporary);
        // What a failed save under a new name may have left is put back for the next road.
        engine::setText(control.path, controlPath);
        engine::setText(main.kernel.kernelPath, kernelPath);
    }
    EXPECT_EQ(engine::textString(project.path), projectPath) << "a failed Save As keeps the project's file";
    clearMarks();
}

} // namespace
} // namespace editors::test
