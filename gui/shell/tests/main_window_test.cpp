// The main window over the demo project: start-up, tree and lists, command state, save prompts, code
// generation and printing through the stand-in generator, utilities, and a screenshot.

#include "shell_fixture.h"

#include "gui/shell/about_dialog.h"
#include "gui/shell/command_output_dialog.h"
#include "gui/shell/countdown.h"
#include "gui/shell/editor_services.h"
#include "gui/shell/instance_requests.h"
#include "gui/shell/object_list_pane.h"
#include "gui/shell/qt_file_chooser.h"
#include "gui/shell/single_instance.h"
#include "gui/shell/text_printer.h"

#include "platform/qt/file_dialog.h"
#include "platform/qt/locale_text.h"
#include "platform/qt/shell_execute.h"

#include "engine/records/text_field.h"
#include "engine/util/print_text.h"
#include "engine/util/save_lock.h"
#include "engine/files/file_chooser.h"
#include "platform/core/tests/run_unprivileged.h"

#include <QAbstractItemView>
#include <QAction>
#include <QLineEdit>
#include <QDeadlineTimer>
#include <QDialog>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTreeWidgetItemIterator>
#include <QImage>
#include <QSet>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace shell::test {
namespace {

QStringList treeTexts(const DragTreeCtrl* tree)
{
    QStringList texts;
    for (QTreeWidgetItemIterator it(const_cast<DragTreeCtrl*>(tree)); *it; ++it) {
        QString indent;
        for (QTreeWidgetItem* up = (*it)->parent(); up; up = up->parent())
            indent += "  ";
        texts << indent + (*it)->text(0);
    }
    return texts;
}

[[maybe_unused]] QStringList headers(const QTreeWidget* list)
{
    QStringList titles;
    for (int i = 0; i < list->columnCount(); ++i)
        titles << list->headerItem()->text(i);
    return titles;
}

[[maybe_unused]] QStringList column(const QTreeWidget* list, int c)
{
    QStringList cells;
    for (int r = 0; r < list->topLevelItemCount(); ++r)
        cells << list->topLevelItem(r)->text(c);
    return cells;
}

using MainWindow = ShellFixture;

TEST_F(MainWindow, OpensTheDemoAndShowsItsTree)
{
    startWindow(true);
    const QStringList texts = treeTexts(m_window->tree());
    ASSERT_FALSE(texts.isEmpty()) << m_boxes->service().texts().size();
    EXPECT_EQ(texts.first(), "Demo");
    EXPECT_TRUE(texts.contains("  Main"));
    EXPECT_TRUE(texts.contains("    Control"));
    EXPECT_TRUE(texts.contains("    Monitor"));
    EXPECT_EQ(m_window->windowTitle(), QString::fromStdString("OMBAgen - " + demoPath()));
    EXPECT_EQ(m_window->recentList().GetFirst(), demoPath());
    EXPECT_TRUE(m_boxes->service().texts().empty());
    for (const QString& line : texts)
        std::printf("%s\n", line.toLatin1().constData());
}

} // namespace
} // namespace shell::test

namespace shell::test {
namespace {

// The number of colours in a part of a picture: one for a blank stretch, more where text is drawn.
int coloursIn(const QImage& picture, const QRect& part)
{
    QSet<QRgb> colours;
    const QRect inside = part.intersected(picture.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            colours.insert(picture.pixel(x, y));
    return static_cast<int>(colours.size());
}

// In a picture of the window: every row the view lays out (up to the view's bottom) is drawn with text,
// and the view's space below its last row is blank. The number of rows checked.
int expectRowsDrawn(const QImage& picture, const QWidget* window, const QTreeWidget* view)
{
    const QWidget* viewport = view->viewport();
    const QPoint offset = viewport->mapTo(window, QPoint(0, 0));
    int rows = 0;
    int bottom = 0;
    for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(view)); *it; ++it) {
        const QRect row = view->visualItemRect(*it);
        if (row.isEmpty() || row.top() >= viewport->height())
            continue;
        EXPECT_GT(coloursIn(picture, row.translated(offset)), 1) << (*it)->text(0).toStdString();
        bottom = std::max(bottom, row.bottom() + 1);
        ++rows;
    }
    if (bottom + 4 < viewport->height()) {
        const QRect below(0, bottom + 2, viewport->width(), viewport->height() - bottom - 2);
        EXPECT_EQ(coloursIn(picture, below.translated(offset)), 1);
    }
    return rows;
}

TEST_F(MainWindow, ScreenshotWithTheDemoOpen)
{
    startWindow(true);
    m_window->resize(1000, 560);
    m_window->show();
    selectNode("Control");
    m_window->tree()->expandAll();
    settle();
    const QImage shot = m_window->grab().toImage();
    ASSERT_FALSE(shot.isNull());
    shot.save(QString::fromStdString(std::string(KORVANE_BUILD_DIR) + "/main_window.png"));
    // The picture shows the tree's nodes and the list's rows where the views lay them out.
    EXPECT_GE(expectRowsDrawn(shot, m_window.get(), m_window->tree()), 4);
    const QTreeWidget* list = m_window->listPane().list();
    EXPECT_GE(expectRowsDrawn(shot, m_window.get(), list), 3);
    // The list's column headers are drawn too.
    const QWidget* header = list->header();
    EXPECT_GT(coloursIn(shot, QRect(header->mapTo(m_window.get(), QPoint(0, 0)), header->size())), 1);

    selectNode("Tasks");
    const QImage tasks = m_window->grab().toImage();
    tasks.save(QString::fromStdString(std::string(KORVANE_BUILD_DIR) + "/main_window_tasks.png"));
    EXPECT_GE(expectRowsDrawn(tasks, m_window.get(), list), 1);
    EXPECT_NE(tasks, shot);
}

} // namespace
} // namespace shell::test

namespace shell::test {
namespace {

TEST_F(MainWindow, ListShowsTheChildrenOfEachKindOfNode)
{
    startWindow(true);
    const QTreeWidget* list = m_window->listPane().list();
    selectNode("Demo");
    EXPECT_EQ(headers(list), (QStringList{"CPU", "Model", "File Name", "Description"}));
    EXPECT_EQ(column(list, 0), (QStringList{"Main", "*Comms"}));
    selectNode("Main");
    EXPECT_EQ(headers(list).first(), "Application");
    EXPECT_EQ(column(list, 0), (QStringList{"Control", "Monitor"}));
    selectNode("Control");
    EXPECT_EQ(column(list, 0).mid(0, 3), (QStringList{"Level", "> Thread", "Exception"}));
    EXPECT_TRUE(column(list, 0).contains("> > Alarm"));
    selectNode("Semaphores");
    EXPECT_EQ(headers(list), (QStringList{"Name", "Signal Type", "Waiting Order", "Description"}));
    // Every row leads back to its tree node.
    for (int r = 0; r < list->topLevelItemCount(); ++r)
        EXPECT_NE(m_window->listPane().treeItemOfRow(list->topLevelItem(r)), 0u);
    // No column is wider than 200 pixels after a fill.
    for (int c = 0; c < list->columnCount(); ++c)
        EXPECT_LE(list->columnWidth(c), ObjectListPane::kMaxWidth);
    EXPECT_TRUE(m_window->statusLine()->text().startsWith("For application Control, System RAM="));
}

// The list shows a number as its dialog shows and takes it: an unsigned field's largest value (stored
// files hold it as -1) reads 4294967295, never -1.
TEST_F(MainWindow, NumberCellsShowWhatTheirDialogShows)
{
    const std::string file = m_projectDir + "/control.app";
    std::string text = readFile(file);
    for (const auto& [from, to] : {std::pair<std::string, std::string>{"Number of Buffers=8", "Number of Buffers=-1"},
                                   {"Max Buffer Size=64", "Max Buffer Size=4294967295"}}) {
        const std::size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
    }
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
    startWindow(true);
    const QTreeWidget* list = m_window->listPane().list();
    selectNode("Control");
    selectNode("Pipes");
    const QStringList titles = headers(list);
    ASSERT_TRUE(titles.contains("Buffers") && titles.contains("Buffer Size")) << titles.join(u',').toStdString();
    const int row = static_cast<int>(column(list, 0).indexOf("pipeConsole"));
    ASSERT_GE(row, 0);
    EXPECT_EQ(list->topLevelItem(row)->text(static_cast<int>(titles.indexOf("Buffers"))),
              "4294967295 (CONSOLE_BUFFERS)");
    EXPECT_EQ(list->topLevelItem(row)->text(static_cast<int>(titles.indexOf("Buffer Size"))), "4294967295");
}

TEST_F(MainWindow, MenusFollowTheSelectedNode)
{
    startWindow(false);
    // Nothing open: everything that needs a project is greyed.
    for (int id : {CmdFileSaveProject, CmdFileSaveProjectAs, CmdSaveAll, CmdGenerateCode, CmdGenerateAll, CmdPrint,
                   CmdFileCloseProject, CmdEditAdd, CmdEditDelete, CmdEditChange})
        EXPECT_FALSE(m_window->action(id)->isEnabled()) << id;
    m_window->OpenProjectFile(demoPath(), true);
    settle();
    selectNode("Control");
    EXPECT_EQ(m_window->action(CmdEditAdd)->text(), "&Add ");
    EXPECT_FALSE(m_window->action(CmdEditAdd)->isEnabled());
    EXPECT_EQ(m_window->action(CmdEditDelete)->text(), "&Delete Application");
    EXPECT_EQ(m_window->commandState().classType, -1);
    EXPECT_TRUE(m_window->action(CmdGenerateCode)->isEnabled());
    selectNode("thrMotor");
    EXPECT_FALSE(m_window->action(CmdEditAdd)->isEnabled());
    EXPECT_EQ(m_window->action(CmdEditChange)->text(), "&Change thrMotor");
    selectNode("Demo");
    EXPECT_EQ(m_window->action(CmdEditAdd)->text(), "&Add CPU");
    EXPECT_FALSE(m_window->action(CmdEditDelete)->isEnabled());
    // The Utilities menu: the configuration's script, then the CPU's model scripts once a CPU is current.
    ASSERT_NE(m_window->utilitiesMenu(), nullptr);
    EXPECT_EQ(m_window->utilitiesMenu()->actions().size(), 1);
    EXPECT_EQ(m_window->utilitiesMenu()->actions().first()->text(), "List_files here");
    selectNode("Main");
    EXPECT_GT(m_window->utilitiesMenu()->actions().size(), 1);
}

TEST_F(MainWindow, ClosingAsksForEachEditedFileInOrderAndCancelKeepsItOpen)
{
    startWindow(true);
    engine::ProjectRecord& project = m_window->GetProject();
    project.cpus[0].applications[1].edited = 1; // Monitor
    project.edited = 1;
    m_boxes->service().queueAnswer(platform::IdCancel);
    EXPECT_FALSE(m_window->OnCancel());
    ASSERT_EQ(m_boxes->service().boxes().size(), 1u);
    EXPECT_EQ(m_boxes->service().boxes()[0].text, "Save application 'Monitor' to disk?");
    EXPECT_EQ(m_boxes->service().boxes()[0].caption, "Application has been edited");
    EXPECT_EQ(project.cpus[0].applications[1].edited, 1);

    // No to the application, Yes to the project: the project file is written, the application is not.
    m_boxes->service().clear();
    const std::string monitorBefore = readFile(m_projectDir + "/monitor.app");
    std::filesystem::remove(demoPath());
    m_boxes->service().queueAnswer(platform::IdNo);
    m_boxes->service().queueAnswer(platform::IdYes);
    EXPECT_EQ(m_window->PromptSaveChanges(true, false), 1);
    ASSERT_EQ(m_boxes->service().texts().size(), 2u);
    EXPECT_EQ(m_boxes->service().texts()[1], "Save project 'Demo' to disk?");
    EXPECT_TRUE(std::filesystem::exists(demoPath()));
    EXPECT_EQ(readFile(m_projectDir + "/monitor.app"), monitorBefore);
    EXPECT_EQ(project.edited, 0);
}

TEST_F(MainWindow, SaveAllPassesOverAKernelThatMayNotBeSavedAndWritesEverythingElse)
{
    // The Comms kernel file forbids saving; the kernel is marked edited and the project renamed.
    const std::string comms = m_projectDir + "/comms.cpu";
    std::string kernel = readFile(comms);
    kernel.replace(kernel.find("Writeable=1"), 11, "Writeable=0");
    std::ofstream(comms, std::ios::binary) << kernel;
    startWindow(true);
    engine::ProjectRecord& project = m_window->GetProject();
    project.cpus[1].kernel.edited = 1;
    engine::setText(project.name, "Renamed");
    project.edited = 1;
    m_window->OnFileSaveAll();
    EXPECT_TRUE(m_boxes->service().texts().empty()) << m_boxes->service().texts().size();
    EXPECT_NE(readFile(demoPath()).find("Name=Renamed"), std::string::npos);
    EXPECT_EQ(readFile(comms), kernel);
    EXPECT_EQ(project.edited, 0);

    // At exit, Yes on that kernel does not keep the program open.
    m_boxes->service().queueAnswer(platform::IdYes);
    EXPECT_EQ(m_window->PromptSaveChanges(true, false), 1);
    ASSERT_EQ(m_boxes->service().texts().size(), 1u);
    EXPECT_EQ(m_boxes->service().texts()[0], "Save kernel 'Comms' to disk?");
}

// Save All saves the edited files as one: when one cannot be written it is named, no file changes and every
// edited mark stays, in the tree and the list alike; once it can, every file is written.
TEST_F(MainWindow, SaveAllWritesNoFileWhenOneFailsAndSaysWhichFailed)
{
    startWindow(true);
    engine::ProjectRecord& project = m_window->GetProject();
    for (int32_t c = 0; c < project.cpuCount; ++c) {
        project.cpus[c].kernel.edited = 1;
        for (int32_t a = 0; a < project.cpus[c].applicationCount; ++a)
            project.cpus[c].applications[a].edited = 1;
    }
    project.edited = 1;
    // A folder stands where Control's file was (the file is kept aside); the others are changed on disk by
    // hand, so that a write would show.
    const auto blockWithFolder = [this](const std::string& name) {
        std::filesystem::rename(m_projectDir + "/" + name, m_projectDir + "/" + name + ".aside");
        std::filesystem::create_directories(m_projectDir + "/" + name + "/blocker");
    };
    const auto unblock = [this](const std::string& name) {
        std::filesystem::remove_all(m_projectDir + "/" + name);
        std::filesystem::rename(m_projectDir + "/" + name + ".aside", m_projectDir + "/" + name);
    };
    const std::vector<std::string> names{"control.app", "monitor.app", "link.app", "main.cpu", "comms.cpu", "demo.omb"};
    for (const std::string& name : names) {
        if (name != "control.app")
            std::ofstream(m_projectDir + "/" + name, std::ios::app) << "; by hand\n";
    }
    std::map<std::string, std::string> before;
    for (const std::string& name : names)
        before[name] = readFile(m_projectDir + "/" + name);
    const auto current = [this](const std::string& name) {
        const std::string path = m_projectDir + "/" + name;
        return readFile(std::filesystem::is_directory(path) ? path + ".aside" : path);
    };
    blockWithFolder("control.app");
    engine::setText(project.name, "Renamed");
    m_window->OnFileSaveAll();
    // One box for the file, saying why, and the summary.
    EXPECT_EQ(m_boxes->service().texts(),
              (std::vector<std::string>{"Unable to write application file control.app: it is a folder",
                                        "No file was saved, and every file keeps its changes. These files could "
                                        "not be written:\ncontrol.app"}));
    EXPECT_EQ(m_boxes->service().boxes().back().caption, "File I/O Error");
    for (const std::string& name : names)
        EXPECT_EQ(current(name), before[name]) << name;
    for (int32_t c = 0; c < project.cpuCount; ++c) {
        EXPECT_EQ(project.cpus[c].kernel.edited, 1);
        for (int32_t a = 0; a < project.cpus[c].applicationCount; ++a)
            EXPECT_EQ(project.cpus[c].applications[a].edited, 1);
    }
    EXPECT_EQ(project.edited, 1);
    selectNode("Main");
    EXPECT_EQ(column(m_window->listPane().list(), 0), (QStringList{"*Control", "*Monitor"}));

    // A project file that cannot be written is named too, with every other failure.
    blockWithFolder("demo.omb");
    m_boxes->service().clear();
    m_window->OnFileSaveAll();
    ASSERT_FALSE(m_boxes->service().texts().empty());
    EXPECT_EQ(m_boxes->service().texts().back(),
              "No file was saved, and every file keeps its changes. These files could not be written:\ncontrol.app\n" +
                  demoPath());
    EXPECT_EQ(project.edited, 1);
    for (const std::string& name : names)
        EXPECT_EQ(current(name), before[name]) << name;

    // Once the files can be written, Save All writes every one.
    unblock("control.app");
    unblock("demo.omb");
    m_boxes->service().clear();
    m_window->OnFileSaveAll();
    EXPECT_TRUE(m_boxes->service().texts().empty()) << m_boxes->service().texts().front();
    for (const std::string& name : names)
        EXPECT_EQ(readFile(m_projectDir + "/" + name).find("; by hand"), std::string::npos) << name;
    EXPECT_NE(readFile(demoPath()).find("Name=Renamed"), std::string::npos);
    EXPECT_EQ(project.edited, 0);
    EXPECT_EQ(project.cpus[0].applications[0].edited, 0);
    m_boxes->service().clear();

    // While another program's save holds the folder, one box says so, then the summary, and nothing is
    // written. With nothing edited, Save All touches nothing and waits for nothing.
    const int held = ::open(m_projectDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    const auto wait = engine::SetSaveLockWait(std::chrono::milliseconds(0));
    for (int32_t c = 0; c < project.cpuCount; ++c) {
        project.cpus[c].kernel.edited = 1;
        for (int32_t a = 0; a < project.cpus[c].applicationCount; ++a)
            project.cpus[c].applications[a].edited = 1;
    }
    for (const std::string& name : names)
        before[name] = readFile(m_projectDir + "/" + name);
    m_window->OnFileSaveAll();
    ASSERT_EQ(m_boxes->service().texts().size(), 2u);
    EXPECT_EQ(m_boxes->service().texts()[0], "Unable to write application file control.app: the project is being saved "
                                             "by another program; try again once that save has ended");
    EXPECT_EQ(m_boxes->service().texts()[1].rfind("No file was saved", 0), 0u);
    for (const std::string& name : names)
        EXPECT_EQ(readFile(m_projectDir + "/" + name), before[name]) << name;
    engine::SetSaveLockWait(std::chrono::milliseconds(60000));
    for (int32_t c = 0; c < project.cpuCount; ++c) {
        project.cpus[c].kernel.edited = 0;
        for (int32_t a = 0; a < project.cpus[c].applicationCount; ++a)
            project.cpus[c].applications[a].edited = 0;
    }
    project.edited = 0;
    m_boxes->service().clear();
    QElapsedTimer saving;
    saving.start();
    m_window->OnFileSaveAll();
    EXPECT_LT(saving.elapsed(), 30000);
    EXPECT_TRUE(m_boxes->service().texts().empty());
    engine::SetSaveLockWait(wait);
    ::close(held);
}

// Every road that writes a named file says once why it failed: Save All, the prompt at close, Save
// Project, for an application, a kernel and the project file alike.
TEST_F(MainWindow, AFailedSaveShowsOneBoxPerFileSayingWhy)
{
    struct Road {
        const char* name;
        std::function<void()> save;
    };
    const Road roads[] = {
        {"save all", [this] { m_window->OnFileSaveAll(); }},
        {"prompt",
         [this] {
             for (int i = 0; i < 3; ++i)
                 m_boxes->service().queueAnswer(platform::IdYes);
             m_window->PromptSaveChanges(true, false);
         }},
    };
    struct FileKind {
        const char* file;
        std::string what;
        std::function<void(engine::ProjectRecord&)> edit;
    };
    const FileKind kinds[] = {
        {"control.app", "application file", [](engine::ProjectRecord& p) { p.cpus[0].applications[0].edited = 1; }},
        {"main.cpu", "kernel file", [](engine::ProjectRecord& p) { p.cpus[0].kernel.edited = 1; }},
        {"demo.omb", "project file", [](engine::ProjectRecord& p) { p.edited = 1; }},
    };
    startWindow(true);
    engine::ProjectRecord& project = m_window->GetProject();
    for (const FileKind& kind : kinds) {
        // A folder stands where the file was (the file is kept aside).
        const std::string file = m_projectDir + "/" + kind.file;
        std::filesystem::rename(file, file + ".aside");
        std::filesystem::create_directories(file + "/blocker");
        // Files the project names relative to its folder are named so; the project by its full path.
        const std::string shown = kind.what == "project file" ? demoPath() : std::string(kind.file);
        const std::string failed = kind.what == "project file" ? std::string("Error writing project")
                                                              : "Unable to write " + kind.what;
        const std::string reason = failed + " " + shown + ": it is a folder";
        for (const Road& road : roads) {
            SCOPED_TRACE(std::string(kind.file) + " through " + road.name);
            kind.edit(project);
            m_boxes->service().clear();
            road.save();
            std::vector<std::string> errors;
            for (const platform::ScriptedMessageService::Box& box : m_boxes->service().boxes()) {
                if (box.caption == "File I/O Error")
                    errors.push_back(box.text);
            }
            ASSERT_FALSE(errors.empty());
            EXPECT_EQ(errors.front(), reason);
            EXPECT_EQ(errors.size(), std::string(road.name) == "save all" ? 2u : 1u);
            if (errors.size() > 1) {
                EXPECT_EQ(errors[1].rfind("No file was saved", 0), 0u) << errors[1];
            }
        }
        {
            SCOPED_TRACE(std::string(kind.file) + " through Save Project");
            project.edited = 1;
            m_boxes->service().clear();
            m_window->OnFileSaveProject();
            if (kind.what == "project file") {
                EXPECT_EQ(m_boxes->service().texts(), std::vector<std::string>{reason});
            }
        }
        std::filesystem::remove_all(file);
        std::filesystem::rename(file + ".aside", file);
        m_window->OnFileSaveAll();
    }
}

// Choosing a file that exists to save to asks in the program's own box, captioned with the whole title,
// whether to replace it: No asks for a file again, Yes takes it; a new name is taken without a question.
TEST(SaveChooser, ReplacingAFileIsAskedInABoxWhoseCaptionReadsWhole)
{
    QTemporaryDir folder;
    const std::string existing = (folder.path() + "/control.app").toStdString();
    std::ofstream(existing) << "x";
    platform::ScopedScriptedMessages boxes;
    boxes->queueAnswer(platform::IdNo);
    boxes->queueAnswer(platform::IdYes);
    const std::string title = "Choose File for Application \"Contr\xf4le\"";
    std::vector<QString> picks{folder.path() + "/control.app", folder.path() + "/control.app",
                               folder.path() + "/fresh.app"};
    int shown = 0;
    QTimer chooser;
    QObject::connect(&chooser, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<platform::FileDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        dialog->selectFile(picks[std::min<std::size_t>(shown++, picks.size() - 1)]);
        dialog->accept();
    });
    chooser.start(10);
    QtFileChooser choose;
    EXPECT_EQ(choose.Choose(false, engine::FileKindApplication, title), existing);
    ASSERT_EQ(boxes->boxes().size(), 2u);
    for (const auto& box : boxes->boxes()) {
        EXPECT_EQ(box.text, existing + " already exists.\nDo you want to replace it?");
        EXPECT_EQ(box.caption, title);
    }
    boxes->clear();
    shown = 2;
    EXPECT_EQ(choose.Choose(false, engine::FileKindApplication, title), (folder.path() + "/fresh.app").toStdString());
    EXPECT_TRUE(boxes->boxes().empty());
    chooser.stop();
}

// A file the caller refuses (a file the project keeps for something else) is refused with the caller's
// message before any question whether to replace it, and the user chooses again.
TEST(SaveChooser, AFileTheCallerRefusesIsNotOfferedForReplacing)
{
    QTemporaryDir folder;
    const std::string listed = (folder.path() + "/monitor.app").toStdString();
    std::ofstream(listed) << "x";
    platform::ScopedScriptedMessages boxes;
    const engine::ScopedChosenFileCheck check([&](const std::string& path) {
        if (path != listed)
            return true;
        platform::messageBox("listed elsewhere", "File I/O Error", platform::MbOk);
        return false;
    });
    const std::vector<QString> picks{folder.path() + "/monitor.app", folder.path() + "/fresh.app"};
    std::size_t shown = 0;
    QTimer chooser;
    QObject::connect(&chooser, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<platform::FileDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        // As a user types the name into the name box.
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(picks[std::min(shown++, picks.size() - 1)]);
        dialog->accept();
    });
    chooser.start(10);
    QtFileChooser choose;
    EXPECT_EQ(choose.Choose(false, engine::FileKindApplication, "Choose"), (folder.path() + "/fresh.app").toStdString());
    EXPECT_EQ(shown, 2u);
    chooser.stop();
    EXPECT_EQ(boxes->texts(), std::vector<std::string>{"listed elsewhere"});
}

TEST(SaveChooser, ARefusedTargetIsAFileTheUserMayNotWrite)
{
    QTemporaryDir folder;
    const std::string writable = (folder.path() + "/open.omb").toStdString();
    const std::string locked = (folder.path() + "/locked.omb").toStdString();
    std::ofstream(writable) << "x";
    std::ofstream(locked) << "x";
    std::filesystem::permissions(locked, std::filesystem::perms::owner_read | std::filesystem::perms::others_read);
    korvane::testing::OpenFolderToEveryone(folder.path().toStdString());
    // Root may write any file, so the check runs as a user without special rights.
    const int result = korvane::testing::RunUnprivileged([&] {
        if (!QtFileChooser::RefusedSaveTarget(writable).empty())
            return 1;
        if (!QtFileChooser::RefusedSaveTarget((folder.path() + "/new.omb").toStdString()).empty())
            return 2;
        return QtFileChooser::RefusedSaveTarget(locked) ==
                       locked + "\nThis file is set to read-only.\nTry again with a different file name."
                   ? 0
                   : 3;
    });
    EXPECT_EQ(result, 0);
}

TEST_F(MainWindow, AfterSaveAllTheListNoLongerMarksTheSavedApplication)
{
    startWindow(true);
    engine::ProjectRecord& project = m_window->GetProject();
    project.cpus[0].applications[0].edited = 1; // Control
    selectNode("Main");
    const QTreeWidget* list = m_window->listPane().list();
    ASSERT_EQ(column(list, 0), (QStringList{"*Control", "Monitor"}));
    m_window->OnFileSaveAll();
    EXPECT_EQ(project.cpus[0].applications[0].edited, 0);
    EXPECT_EQ(column(list, 0), (QStringList{"Control", "Monitor"}));
}

TEST_F(MainWindow, SavingANewApplicationThroughThePromptMarksTheProject)
{
    startWindow(true);
    engine::ProjectRecord& project = m_window->GetProject();
    engine::ApplicationRecord& monitor = project.cpus[0].applications[1];
    monitor.edited = 1;
    monitor.path[0] = 0;
    engine::PresetFileChooser chooser({m_projectDir + "/monitor2.app"});
    engine::ScopedFileChooser useChooser(&chooser);
    m_boxes->service().queueAnswer(platform::IdYes);    // the application
    m_boxes->service().queueAnswer(platform::IdCancel); // the project, asked because of the new file
    EXPECT_EQ(m_window->PromptSaveChanges(true, false), 0);
    EXPECT_TRUE(std::filesystem::exists(m_projectDir + "/monitor2.app"));
    ASSERT_EQ(m_boxes->service().texts().size(), 2u);
    EXPECT_EQ(m_boxes->service().texts()[1], "Save project 'Demo' to disk?");

    // A cancelled file choice in a prompt stops the prompts (nothing is lost silently).
    monitor.edited = 1;
    monitor.path[0] = 0;
    m_boxes->service().clear();
    m_boxes->service().queueAnswer(platform::IdYes);
    EXPECT_EQ(m_window->PromptSaveChanges(true, false), 0);
    EXPECT_EQ(monitor.edited, 1);
}

TEST_F(MainWindow, AProjectThatCannotBeReadLeavesAnEmptyProject)
{
    startWindow(false);
    EXPECT_FALSE(m_window->OpenProjectFile(m_projectDir + "/missing.omb", true));
    ASSERT_TRUE(m_boxes->service().texts().size() >= 1u);
    EXPECT_EQ(m_boxes->service().texts().back(), "Error reading project");
    EXPECT_EQ(m_window->GetProject().cpuCount, 0);
    EXPECT_EQ(m_window->GetProject().name[0], 0);
    EXPECT_EQ(m_window->windowTitle(), "OMBAgen");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr); // no busy cursor left after the failure
    // At start-up (not asking) the same failure is silent.
    m_boxes->service().clear();
    EXPECT_FALSE(m_window->OpenProjectFile(m_projectDir + "/missing.omb", false));
    EXPECT_TRUE(m_boxes->service().texts().empty());
}

// A project in a folder whose name is not ASCII opens from the command line, saves, generates, stands in
// the recent list under its own name and opens again from there.
TEST_F(MainWindow, AProjectInAFolderNamedInAnyLanguageOpensSavesGeneratesAndReopens)
{
    const std::string log = m_temp.path().toStdString() + "/codegen.log";
    // The last folder's name does not decode: it is shown with replacement characters and kept as its bytes.
    for (const char* folder : {"caf\xc3\xa9", "\xd0\x94\xd0\xbe\xd0\xba\xd1\x83\xd0\xbc\xd0\xb5\xd0\xbd\xd1\x82\xd1\x8b",
                               "\xff\xfe"}) {
        const QString shown = platform::toQString(folder);
        SCOPED_TRACE(shown.toStdString());
        const std::string dir = m_temp.path().toStdString() + "/" + folder;
        std::filesystem::create_directories(dir);
        for (const auto& entry : std::filesystem::directory_iterator(m_projectDir)) {
            if (entry.is_regular_file())
                std::filesystem::copy_file(entry.path(), dir + "/" + entry.path().filename().string(),
                                           std::filesystem::copy_options::overwrite_existing);
        }
        const std::string project = dir + "/demo.omb";
        m_window = std::make_unique<CMainDialog>();
        m_window->setDialogs(&m_dialogs);
        m_window->Initialize({"OMBAgen", project}, CMainDialog::StartOptions{0});
        settle();
        ASSERT_GT(m_window->GetProject().cpuCount, 0) << m_boxes->service().texts().size();
        // The caption the window manager gets is valid text: a byte that does not decode is the
        // replacement character there too, as in the menus, never a "?".
        EXPECT_TRUE(m_window->windowTitle().contains(platform::captionText(shown))) << m_window->windowTitle().toStdString();
        EXPECT_EQ(m_window->windowTitle(), platform::captionText(m_window->windowTitle()));
        EXPECT_EQ(platform::toBytes(m_window->windowTitle()).find('?'), std::string::npos);

        // Saved in place.
        engine::setText(m_window->GetProject().name, "Renamed");
        m_window->GetProject().edited = 1;
        m_window->OnFileSaveAll();
        EXPECT_NE(readFile(project).find("Name=Renamed"), std::string::npos);

        // Generated beside it.
        std::filesystem::remove(log);
        m_boxes->service().clear();
        setenv("OMBA_CODEGEN_LOG", log.c_str(), 1);
        selectNode("Renamed");
        m_window->OnFileGenerateCode();
        unsetenv("OMBA_CODEGEN_LOG");
        EXPECT_NE(readFile(log).find("wrote gen/control/src/kproject.c"), std::string::npos) << readFile(log);
        EXPECT_TRUE(std::filesystem::is_regular_file(dir + "/gen/control/src/kproject.c"));
        for (const std::string& text : m_boxes->service().texts())
            ADD_FAILURE() << text;

        // In the recent list by its bytes, in the menu by its name; opened again from there.
        EXPECT_EQ(m_window->recentList().GetFirst(), project);
        bool listed = false;
        for (const QAction* item : m_window->menuBar()->actions().front()->menu()->actions())
            listed = listed || item->text().contains(shown);
        EXPECT_TRUE(listed);
        m_window->OnFileCloseProject();
        ASSERT_EQ(m_window->GetProject().cpuCount, 0);
        m_window->OnCommand(RecentProjectList::kFirstCommand);
        settle();
        EXPECT_GT(m_window->GetProject().cpuCount, 0);
        EXPECT_EQ(engine::textString(m_window->GetProject().path), project);
        m_window->setDialogs(nullptr);
        m_window.reset();
    }
}

// A configuration file that is missing, or that cannot be read (a folder by its name), leaves the
// configuration empty without a box at start-up.
TEST_F(MainWindow, AMissingOrUnreadableConfigurationIsSilentAtStartUp)
{
    const std::string config = m_programDir + "/ombagen.cfg";
    for (const bool folder : {false, true}) {
        SCOPED_TRACE(folder ? "a folder" : "missing");
        std::filesystem::remove_all(config);
        if (folder)
            std::filesystem::create_directory(config);
        m_boxes->service().clear();
        startWindow(false);
        EXPECT_TRUE(m_boxes->service().texts().empty()) << m_boxes->service().texts().front();
        EXPECT_EQ(m_window->config().modelCount, 0);
        m_window->setDialogs(nullptr);
        m_window.reset();
    }
}

TEST_F(MainWindow, GenerateCodeCallsTheLibraryOncePerApplicationInScope)
{
    const std::string log = m_temp.path().toStdString() + "/codegen.log";
    setenv("OMBA_CODEGEN_LOG", log.c_str(), 1);
    startWindow(true);
    selectNode("Demo");
    m_window->OnFileGenerateCode();
    unsetenv("OMBA_CODEGEN_LOG");
    const std::string text = readFile(log);
    std::size_t calls = 0;
    for (std::size_t at = text.find("GenerateCode "); at != std::string::npos; at = text.find("GenerateCode ", at + 1))
        ++calls;
    EXPECT_EQ(calls, 3u) << text;
    EXPECT_NE(text.find("caller=1"), std::string::npos);
    EXPECT_NE(text.find("version=\"1.12\""), std::string::npos) << text;
    ASSERT_EQ(m_dialogs.statuses.size(), 1u);
    EXPECT_EQ(m_dialogs.statuses[0].message, "Code generation is complete.");
    EXPECT_EQ(m_dialogs.statuses[0].title, "Code Generator Status");
    EXPECT_TRUE(m_boxes->service().texts().empty());
    // The library cleared the applications' flags; the tree shows it.
    const engine::ApplicationRecord& control = m_window->GetProject().cpus[0].applications[0];
    EXPECT_EQ(control.kernelHDirty, 0);
    EXPECT_EQ(m_window->tree()->imageOf(control.treeItem), ImageApplicationEdited);
}

TEST_F(MainWindow, AFailedGenerationIsReportedPerApplicationAndTheSummaryStillShows)
{
    setenv("OMBA_CODEGEN_FAIL", "GenerateCode", 1);
    startWindow(true);
    selectNode("Main");
    m_window->OnFileGenerateAll();
    unsetenv("OMBA_CODEGEN_FAIL");
    EXPECT_EQ(m_boxes->service().texts(), (std::vector<std::string>{"Code generation failure.", "Code generation failure."}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    ASSERT_EQ(m_dialogs.statuses.size(), 1u);
    EXPECT_EQ(m_dialogs.statuses[0].message, "Code generation is complete.");
}

TEST_F(MainWindow, PrintShowsTheReportAndPrintsItOnRequest)
{
    startWindow(false);
    m_window->OnFilePrint(); // nothing selected
    EXPECT_EQ(m_boxes->service().texts(), std::vector<std::string>{"No Item Selected"});
    EXPECT_TRUE(m_dialogs.statuses.empty());
    m_boxes->service().clear();
    ASSERT_TRUE(m_window->OpenProjectFile(demoPath(), true));
    settle();
    std::string printed;
    engine::TextPrinter previous = engine::SetTextPrinter([&printed](const std::string& text, const std::string&) {
        printed = text;
        return true;
    });
    selectNode("Control");
    m_dialogs.fileAnswer = 1;
    m_window->OnFilePrint();
    engine::SetTextPrinter(previous);
    ASSERT_EQ(m_dialogs.shownFiles.size(), 1u);
    EXPECT_NE(m_dialogs.shownFiles[0].find("Main_Control.txt"), std::string::npos);
    EXPECT_FALSE(printed.empty());
    ASSERT_EQ(m_dialogs.statuses.size(), 1u);
    EXPECT_EQ(m_dialogs.statuses[0].message, "Report complete");
    EXPECT_EQ(m_dialogs.statuses[0].title, "Report Status");
}

// The program's own printer, on a machine without one: the report is shown, and a box says it was not
// printed. A printer that cannot start says the same.
TEST_F(MainWindow, PrintWithNoPrinterSaysTheReportWasNotPrinted)
{
    if (!QPrinterInfo::availablePrinters().isEmpty())
        GTEST_SKIP() << "a printer is installed: printing would open the print dialog";
    startWindow(true);
    engine::TextPrinter previous = engine::SetTextPrinter({});
    shell::InstallTextPrinter();
    selectNode("Control");
    m_dialogs.fileAnswer = 1;
    m_window->OnFilePrint();
    engine::SetTextPrinter(previous);
    ASSERT_EQ(m_dialogs.shownFiles.size(), 1u);
    ASSERT_EQ(m_boxes->service().boxes().size(), 1u);
    EXPECT_EQ(m_boxes->service().boxes()[0].text, "The report was not printed: no printer is installed.");
    EXPECT_EQ(m_boxes->service().boxes()[0].caption, "Print");

    m_boxes->service().clear();
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(m_projectDir + "/no such folder/report.pdf"));
    EXPECT_FALSE(shell::PrintTextOrSay(printer, "text\r\n"));
    EXPECT_EQ(m_boxes->service().texts(),
              std::vector<std::string>{"The report was not printed: the printer could not be started."});
}

TEST_F(MainWindow, AUtilityRunsWithItsParametersAndThePublishedFolders)
{
    startWindow(true);
    selectNode("Control");
    m_dialogs.answers = {"/tmp/out dir", "1"};
    m_window->RunUtilityScript(0, "echo ${pd} $Target_folder%d@x $Verbose%bquiet|loud@y");
    ASSERT_EQ(m_dialogs.asked.size(), 1u);
    ASSERT_EQ(m_dialogs.asked[0].size(), 2u);
    EXPECT_EQ(m_dialogs.asked[0][0].prompt, "Target folder");
    EXPECT_EQ(m_dialogs.asked[0][1].value, "1");
    ASSERT_EQ(m_dialogs.runs.size(), 1u);
    EXPECT_EQ(m_dialogs.runs[0].command, "echo " + m_projectDir + " /tmp/out dir loud");
    EXPECT_TRUE(m_dialogs.runs[0].pipeMode);
    bool hasAn = false;
    for (const std::string& entry : m_dialogs.runs[0].environment)
        hasAn = hasAn || entry == "an=Control";
    EXPECT_TRUE(hasAn);
    // Cancel in the parameters dialog runs nothing.
    m_dialogs.parametersAnswer = 2;
    m_window->RunUtilityScript(0, "&echo $Name");
    EXPECT_EQ(m_dialogs.runs.size(), 1u);
    // Without requests the command runs at once, in temporary-file mode for a leading "&".
    m_window->RunUtilityScript(0, "&ls");
    ASSERT_EQ(m_dialogs.runs.size(), 2u);
    EXPECT_FALSE(m_dialogs.runs[1].pipeMode);
    EXPECT_EQ(m_dialogs.runs[1].command, "ls");
}

TEST_F(MainWindow, ADamagedProjectNamedOnTheCommandLineIsReportedTheMostRecentOneIsNot)
{
    startWindow(true);
    ASSERT_EQ(m_window->recentList().GetFirst(), demoPath());
    m_window->setDialogs(nullptr);
    m_window.reset();
    // The project file loses its CPU list.
    std::string text = readFile(demoPath());
    const std::size_t cut = text.find("[CPUS]");
    ASSERT_NE(cut, std::string::npos);
    text.erase(cut, text.find("[Main]") - cut);
    std::ofstream(demoPath(), std::ios::binary | std::ios::trunc) << text;
    m_boxes->service().clear();

    // Named on the command line: the reader's message, then the open's, and an empty project. The splash
    // ends while the first message is up; New Project is offered once, after the open and its messages,
    // as when nothing was named.
    class SplashEndsDuringTheMessages : public platform::MessageService {
    public:
        SplashEndsDuringTheMessages(platform::ScriptedMessageService& record, std::unique_ptr<CMainDialog>& window)
            : m_record(record), m_window(window)
        {
        }
        int show(const std::string& text, const std::string& caption, unsigned style) override
        {
            if (m_record.texts().empty() && m_window)
                m_window->OnSplashClosed();
            return m_record.show(text, caption, style);
        }

    private:
        platform::ScriptedMessageService& m_record;
        std::unique_ptr<CMainDialog>& m_window;
    } splashEnds(m_boxes->service(), m_window);
    class Recorder : public EditorServices {
    public:
        explicit Recorder(platform::ScriptedMessageService& boxes) : m_boxes(boxes) {}
        int asked = 0;
        std::size_t boxesBefore = 0;
        int ProjectPropertiesDialog(ProjectProperties&, QWidget*) override
        {
            boxesBefore = m_boxes.texts().size();
            return ++asked, EditorCancel;
        }

    private:
        platform::ScriptedMessageService& m_boxes;
    } editors(m_boxes->service());
    EditorServices* previousEditors = setEditorServices(&editors);
    platform::MessageService* previousBoxes = platform::setMessageService(&splashEnds);
    startWindow(true);
    platform::setMessageService(previousBoxes);
    setEditorServices(previousEditors);
    EXPECT_EQ(m_boxes->service().texts(),
              (std::vector<std::string>{"Can't find section CPUS in project file", "Error reading project"}));
    EXPECT_EQ(editors.asked, 1);
    EXPECT_EQ(editors.boxesBefore, 2u);
    EXPECT_EQ(m_window->GetProject().cpuCount, 0);
    EXPECT_EQ(m_window->windowTitle(), "OMBAgen");
    EXPECT_EQ(readFile(demoPath()), text);
    m_window->setDialogs(nullptr);
    m_window.reset();

    // The same file as the most recent project, opened unasked: passed over without a word.
    m_boxes->service().clear();
    startWindow(false);
    EXPECT_EQ(m_window->recentList().GetFirst(), demoPath());
    EXPECT_TRUE(m_boxes->service().texts().empty());
    EXPECT_EQ(m_window->GetProject().cpuCount, 0);
    EXPECT_EQ(readFile(demoPath()), text);
}

TEST_F(MainWindow, CommandLineAndTheNewProjectAfterTheSplash)
{
    startWindow(false);
    EXPECT_EQ(m_window->GetCommandLineArg(0), "OMBAgen");
    EXPECT_EQ(m_window->GetCommandLineArg(1), "");
    EXPECT_EQ(m_window->GetCommandLineArg(-1), "");
    // Nothing was opened: the splash's end offers New Project once (cancelled by the editors' stand-in).
    m_window->OnSplashClosed();
    m_window->OnSplashClosed();
    EXPECT_EQ(m_window->GetProject().name[0], 0);
}

// A later start while the window is minimised with a dialog open: the window is restored at once with the
// dialog over it, and the project asked for is opened only once the dialog has closed.
TEST_F(MainWindow, ALaterStartRestoresTheWindowAtOnceAndItsProjectWaitsForTheOpenDialog)
{
    startWindow(false);
    m_window->show();
    const QString name = QStringLiteral("OMBAgen-test");
    const std::string folder = m_temp.path().toStdString();
    SingleInstanceGuard first(name, folder);
    ASSERT_EQ(first.Start(), SingleInstanceGuard::Outcome::First);
    InstanceRequests requests(first, *m_window);
    settle();
    QDialog dialog(m_window.get());
    bool restored = false;
    bool dialogOnTop = false;
    std::string openedMeanwhile = "not looked at";
    QTimer::singleShot(0, [&] {
        m_window->showMinimized();
        settle();
        EXPECT_EQ(SingleInstanceGuard(name, folder).Start(demoPath()), SingleInstanceGuard::Outcome::HandedOver);
        QDeadlineTimer deadline(5000);
        while (m_window->isMinimized() && !deadline.hasExpired())
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        restored = !m_window->isMinimized();
        dialogOnTop = dialog.isVisible() && !dialog.isMinimized() && QApplication::activeModalWidget() == &dialog;
        // Some time for the request to be taken, were it taken too early.
        QDeadlineTimer wait(600);
        while (!wait.hasExpired())
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        openedMeanwhile = engine::textString(m_window->GetProject().path);
        dialog.accept();
    });
    dialog.exec();
    EXPECT_TRUE(restored);
    EXPECT_TRUE(dialogOnTop);
    EXPECT_EQ(openedMeanwhile, "");
    QDeadlineTimer deadline(5000);
    while (engine::textString(m_window->GetProject().path) != demoPath() && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(engine::textString(m_window->GetProject().path), demoPath());
    EXPECT_TRUE(m_boxes->service().texts().empty());
}

TEST_F(MainWindow, EnterAndEscNeverCloseTheWindow)
{
    startWindow(true);
    m_window->show();
    settle();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(m_window.get(), &enter);
    QApplication::sendEvent(m_window.get(), &escape);
    EXPECT_TRUE(m_window->isVisible());
    // The close box closes after the prompts (nothing edited: nothing asked).
    EXPECT_TRUE(m_window->close());
    EXPECT_TRUE(m_boxes->service().texts().empty());
}

} // namespace
} // namespace shell::test

namespace shell::test {
namespace {

TEST_F(MainWindow, ARebuildKeepsWhatWasExpandedAndSelected)
{
    startWindow(true);
    m_window->tree()->expandAll();
    selectNode("Tasks");
    const uint32_t comms = selectNode("*Comms");
    m_window->tree()->Expand(comms, false);
    selectNode("Tasks");
    m_window->GetProjectView().SaveTreeItemStates(m_window->GetProject());
    EXPECT_EQ(m_window->GetProject().cpus[1].expanded, 0);
    m_window->ReloadProjectTree();
    settle();
    const DragTreeCtrl* tree = m_window->tree();
    EXPECT_EQ(tree->itemOf(tree->GetSelectedItem())->text(0), "Tasks");
    EXPECT_FALSE(tree->IsExpanded(m_window->GetProject().cpus[1].treeItem));
    EXPECT_TRUE(tree->IsExpanded(m_window->GetProject().cpus[0].treeItem));
    EXPECT_EQ(m_window->nodeKind(), engine::NodeClassEntry);
    EXPECT_EQ(m_window->GetProjectView().RefreshTreeLabels(m_window->GetProject()), 1);
}

} // namespace
} // namespace shell::test

namespace shell::test {
namespace {

// Nothing opened at start-up: no project named, or a named one whose header is damaged (the user is told
// why first). Either way the splash ends with the New Project question.
TEST_F(MainWindow, TheSplashEndsWithTheNewProjectQuestionWhenNothingIsOpen)
{
    const std::string damaged = m_projectDir + "/damaged.omb";
    std::ofstream(damaged) << "[PROJ\nName=Broken\n\n[CPUS]\n";
    for (const bool named : {false, true}) {
        SCOPED_TRACE(named ? "damaged project named" : "nothing named");
        m_boxes->service().clear();
        class Recorder : public EditorServices {
        public:
            int asked = 0;
            int ProjectPropertiesDialog(ProjectProperties& properties, QWidget*) override
            {
                ++asked;
                properties.name = "Fresh";
                return EditorOk;
            }
        } editors;
        EditorServices* previous = setEditorServices(&editors);
        const int interval = Countdown::defaultInterval();
        Countdown::setDefaultInterval(1);
        m_window = std::make_unique<CMainDialog>();
        m_window->setDialogs(&m_dialogs);
        m_window->show();
        std::vector<std::string> arguments{"OMBAgen"};
        if (named)
            arguments.push_back(damaged);
        m_window->Initialize(arguments, CMainDialog::StartOptions{1});
        // The damaged project is reported before the question.
        EXPECT_EQ(m_boxes->service().boxes().empty(), !named);
        if (named) {
            EXPECT_EQ(m_boxes->service().boxes()[0].text, "Can't find section PROJECT in project file");
        }
        ASSERT_NE(m_window->splash(), nullptr);
        QDeadlineTimer deadline(10000);
        auto splashShown = [&] {
            const AboutDialog* splash = m_window->splash()->dialog();
            return splash && splash->isVisible();
        };
        while (splashShown() && !deadline.hasExpired())
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        QDeadlineTimer notified(5000); // the main window hears of it 10 ms later; a loaded machine may lag
        while (editors.asked == 0 && !notified.hasExpired())
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        // The new project's tree is built by queued work.
        QDeadlineTimer built(5000);
        while (m_window->tree()->topLevelItemCount() == 0 && !built.hasExpired())
            QApplication::processEvents(QEventLoop::AllEvents, 5);
        Countdown::setDefaultInterval(interval);
        setEditorServices(previous);
        ASSERT_EQ(editors.asked, 1);
        EXPECT_EQ(engine::textString(m_window->GetProject().name), "Fresh");
        EXPECT_EQ(m_window->GetProject().edited, 1);
        ASSERT_EQ(m_window->tree()->topLevelItemCount(), 1);
        EXPECT_EQ(m_window->tree()->topLevelItem(0)->text(0), "Fresh");
    }
}

TEST_F(MainWindow, HelpFilesThatCannotOpenAreReportedAndHistoryCanBeCleared)
{
    startWindow(true);
    platform::ShellExecuteHandler previous =
        platform::setShellExecuteHandler([](const std::string&, const std::string&) { return 2; });
    m_window->OnHelpContents();
    platform::setShellExecuteHandler(previous);
    ASSERT_EQ(m_boxes->service().boxes().size(), 1u);
    EXPECT_EQ(m_boxes->service().boxes()[0].text.rfind("Unable to execute command \"open help.pdf\"\nReason: ", 0), 0u);
    EXPECT_EQ(m_boxes->service().boxes()[0].caption, "Error");
    m_window->OnAbout();
    EXPECT_EQ(m_dialogs.abouts, 1);
    ASSERT_EQ(m_window->recentList().count(), 1);
    m_boxes->service().queueAnswer(platform::IdNo);
    m_window->OnClearFileHistory();
    EXPECT_EQ(m_window->recentList().count(), 1);
    m_boxes->service().queueAnswer(platform::IdYes);
    m_window->OnClearFileHistory();
    EXPECT_EQ(m_window->recentList().count(), 0);
    EXPECT_EQ(m_boxes->service().texts().back(), "Are you sure you want to clear the File History?");
}

} // namespace
} // namespace shell::test

namespace shell::test {
namespace {

// The utility's output window runs for real; a timer closes it once the command has finished.
TEST_F(MainWindow, AUtilityRunCapturesTheOutputOfItsCommand)
{
    class RealOutput : public FakeDialogs {
    public:
        void RunCommand(QWidget* parent, const std::string& label, const std::string& command, bool pipeMode,
                        const std::vector<std::string>& environment) override
        {
            ShellDialogs::RunCommand(parent, label, command, pipeMode, environment);
        }
    } dialogs;
    startWindow(true);
    m_window->setDialogs(&dialogs);
    selectNode("Control");
    std::string captured;
    QTimer closer;
    QElapsedTimer clock;
    clock.start();
    QObject::connect(&closer, &QTimer::timeout, [&] {
        auto* output = qobject_cast<CommandOutputDialog*>(QApplication::activeModalWidget());
        if (output && (output->isDone() || clock.elapsed() > 60000)) {
            captured = output->text();
            output->closeButton()->click();
        }
    });
    closer.start(10);
    m_window->RunUtilityScript(0, "echo ${an} in ${pd}; echo '$$HOME'");
    closer.stop();
    EXPECT_EQ(captured, "Control in " + m_projectDir + "\r\n$HOME\r\n");
}

} // namespace
} // namespace shell::test
