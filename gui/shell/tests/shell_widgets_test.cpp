// The shell's widgets driven headless: the drag tree, the command output window with its capture
// thread, the file viewer, the parameters dialog, the folder picker and the single-instance guard.

#include "gui/shell/capture_runner.h"
#include "gui/shell/command_output_dialog.h"
#include "gui/shell/drag_tree_ctrl.h"
#include "gui/shell/file_viewer.h"
#include "gui/shell/fixed_pitch.h"
#include "gui/shell/folder_picker.h"
#include "gui/shell/object_list_pane.h"
#include "gui/shell/recent_project_list.h"
#include "gui/shell/single_instance.h"
#include "gui/shell/text_printer.h"
#include "gui/shell/utility_params_dialog.h"

#include "platform/core/message_service.h"
#include "platform/core/folder_entries.h"
#include "platform/core/process_group.h"
#include "platform/core/profile_store.h"
#include "platform/qt/control_id.h"
#include "platform/qt/locale_text.h"
#include "platform/qt/testing/widget_fit.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDeadlineTimer>
#include <QDir>
#include <QKeyEvent>
#include <QFile>
#include <QFontMetricsF>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QLockFile>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QThread>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <map>
#include <optional>
#include <sstream>

#include <spawn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// Runs events until the condition holds or two seconds have passed.
bool waitFor(const std::function<bool()>& condition)
{
    QDeadlineTimer deadline(2000);
    while (!condition() && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return condition();
}

// The same for a long run of a command, on a machine that may be busy: up to three minutes.
bool waitLongFor(const std::function<bool()>& condition)
{
    QDeadlineTimer deadline(180000);
    while (!condition() && !deadline.hasExpired())
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return condition();
}

// ---- drag tree

class FakeOwner : public DragTreeOwner {
public:
    uint32_t draggable = 0;
    uint32_t accepted = 0;
    std::vector<std::pair<uint32_t, uint32_t>> drops;
    std::vector<std::string> calls;
    bool CanDragTreeItem(uint32_t item) override { return item == draggable; }
    bool CanDropTreeItem(uint32_t target, uint32_t) override { return target == accepted; }
    void DropTreeItem(uint32_t target, uint32_t dragged) override { drops.emplace_back(target, dragged); }
    void OnEditChange() override { calls.push_back("change"); }
    void OnEditAdd() override { calls.push_back("add"); }
    void OnEditDelete() override { calls.push_back("delete"); }
    void RecordTreeExpansion(uint32_t item, bool expanded) override
    {
        calls.push_back("expand " + std::to_string(item) + " " + std::to_string(expanded));
    }
};

class DragTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        tree.setOwner(&owner);
        tree.setBeep([this] { ++beeps; });
        root = tree.InsertItem(0, "root", 0);
        a = tree.InsertItem(root, "a", 0);
        child = tree.InsertItem(a, "child", 0);
        b = tree.InsertItem(root, "b", 0);
        tree.expandAll();
        tree.resize(200, 200);
        tree.show();
        QApplication::processEvents();
    }
    QPoint at(uint32_t item) { return tree.visualItemRect(tree.itemOf(item)).center(); }

    DragTreeCtrl tree;
    FakeOwner owner;
    int beeps = 0;
    uint32_t root = 0, a = 0, child = 0, b = 0;
};

TEST_F(DragTree, OnlyNodesTheOwnerAllowsAreDragged)
{
    owner.draggable = b;
    tree.BeginDrag(at(a));
    EXPECT_FALSE(tree.isDragging());
    tree.BeginDrag(at(b));
    EXPECT_TRUE(tree.isDragging());
    tree.CancelDrag();
    EXPECT_EQ(tree.GetParentItem(child), a);
    EXPECT_EQ(tree.GetRootItem(), root);
    EXPECT_EQ(tree.itemOf(999), nullptr);
}

TEST_F(DragTree, DroppingOnItselfOrADescendantBeeps)
{
    owner.draggable = a;
    owner.accepted = child;
    tree.BeginDrag(at(a));
    tree.DragMove(at(child));
    EXPECT_EQ(tree.dropTarget(), child);
    tree.EndDrag(at(child));
    EXPECT_TRUE(owner.drops.empty());
    EXPECT_EQ(beeps, 1);
    // Without any accepted target the release beeps too.
    owner.accepted = 0;
    tree.BeginDrag(at(a));
    tree.DragMove(at(b));
    tree.EndDrag(at(b));
    EXPECT_EQ(beeps, 2);
}

TEST_F(DragTree, TheLastAcceptedTargetTakesTheDrop)
{
    owner.draggable = child;
    owner.accepted = b;
    tree.BeginDrag(at(child));
    tree.DragMove(at(b));
    EXPECT_TRUE(tree.itemOf(b)->data(0, DragTreeCtrl::kDropHighlightRole).toBool());
    tree.DragMove(at(root)); // refused: the highlight goes, the target stays
    EXPECT_FALSE(tree.itemOf(b)->data(0, DragTreeCtrl::kDropHighlightRole).toBool());
    tree.EndDrag(at(root));
    ASSERT_EQ(owner.drops.size(), 1u);
    EXPECT_EQ(owner.drops[0], std::make_pair(b, child));
    EXPECT_EQ(beeps, 0);
    EXPECT_FALSE(tree.isDragging());
}

TEST_F(DragTree, KeysBecomeCommands)
{
    tree.SelectItem(a);
    EXPECT_TRUE(tree.HandleKey(Qt::Key_Control));
    EXPECT_TRUE(tree.HandleKey(Qt::Key_Insert));
    EXPECT_TRUE(tree.HandleKey(Qt::Key_Delete));
    EXPECT_TRUE(tree.HandleKey(Qt::Key_Space)); // expanded before: collapses
    EXPECT_FALSE(tree.IsExpanded(a));
    EXPECT_TRUE(tree.HandleKey(Qt::Key_Space));
    EXPECT_EQ(owner.calls, (std::vector<std::string>{"change", "add", "delete", "expand " + std::to_string(a) + " 0",
                                                     "expand " + std::to_string(a) + " 1"}));
    EXPECT_TRUE(tree.HandleKey(Qt::Key_Home));
    EXPECT_EQ(tree.GetSelectedItem(), root);
    EXPECT_FALSE(tree.HandleKey(Qt::Key_A));
}

TEST_F(DragTree, ALongNodeTextScrollsSidewaysInsteadOfBeingCut)
{
    const QString text = QStringLiteral("Event Sources, Counters, and Alarms of a rather long application");
    const uint32_t item = tree.InsertItem(b, text, 0);
    tree.Expand(b, true);
    QApplication::processEvents();
    EXPECT_GE(tree.visualItemRect(tree.itemOf(item)).width(), tree.fontMetrics().horizontalAdvance(text));
    EXPECT_TRUE(waitFor([&] { return tree.horizontalScrollBar()->maximum() > 0; }));
    // A relabelled item is fitted too, once for many changes.
    const QString longer = text + QStringLiteral(" and a little more");
    for (int i = 0; i < 50; ++i)
        tree.SetItem(item, i % 2 ? text : longer, 0);
    tree.SetItem(item, longer, 0);
    QApplication::processEvents();
    EXPECT_GE(tree.visualItemRect(tree.itemOf(item)).width(), tree.fontMetrics().horizontalAdvance(longer));
}

// ---- command output

TEST(CommandOutput, PipedOutputArrivesWithCrLfLineEnds)
{
    CommandOutputDialog dialog("printf 'one\\ntwo\\r\\nthree'; printf 'err\\n' 1>&2", true, nullptr);
    dialog.ShowModeless();
    EXPECT_FALSE(dialog.closeButton()->isEnabled());
    ASSERT_TRUE(waitFor([&] { return dialog.isDone(); }));
    EXPECT_EQ(dialog.text(), "one\r\ntwo\r\nthreeerr\r\n");
    EXPECT_TRUE(dialog.closeButton()->isEnabled());
    EXPECT_TRUE(dialog.copyButton()->isEnabled());
    EXPECT_EQ(dialog.windowTitle(), "Output from command: \"printf 'one\\ntwo\\r\\nthree'; printf 'err\\n' 1>&2\"");
    dialog.OnCopy();
    EXPECT_EQ(QApplication::clipboard()->text(), "one\ntwo\nthreeerr\n");
    dialog.grab().save(QString(KORVANE_BUILD_DIR) + "/command_output.png");
    dialog.DestroyWindow();
}

TEST(CommandOutput, ALongOutputArrivesWithoutStalling)
{
    // About 590 kB in 1 kB reads: showing grows the edit by what arrived, it does not set the whole text
    // again each time (which took minutes for an output of this size).
    CommandOutputDialog dialog("seq 1 100000", true, nullptr);
    dialog.ShowModeless();
    QElapsedTimer clock;
    clock.start();
    while (!dialog.isDone() && clock.elapsed() < 30000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_TRUE(dialog.isDone());
    const QString shown = dialog.output()->toPlainText();
    EXPECT_TRUE(shown.startsWith("1\n2\n3\n"));
    EXPECT_TRUE(shown.endsWith("99999\n100000\n"));
    EXPECT_EQ(shown.size() + dialog.output()->document()->blockCount() - 1, static_cast<int>(dialog.text().size()));
    EXPECT_GT(dialog.showCount(), 1);
    dialog.DestroyWindow();
}

TEST(CommandOutput, TemporaryFileModeReadsLinesAndRemovesTheFile)
{
    QTemporaryDir folder;
    const QByteArray previous = qgetenv("TMPDIR");
    qputenv("TMPDIR", folder.path().toLocal8Bit());
    CommandOutputDialog dialog("echo first; echo second 1>&2", false, nullptr);
    dialog.ShowModeless();
    ASSERT_TRUE(waitFor([&] { return dialog.isDone(); }));
    qputenv("TMPDIR", previous);
    EXPECT_EQ(dialog.text(), "first\r\nsecond\r\n");
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files).isEmpty());
    dialog.DestroyWindow();
}

// The shell's own complaint about a command it cannot read reaches the window in either mode.
TEST(CommandOutput, TheShellsOwnErrorsShowInTheWindow)
{
    QTemporaryDir folder;
    const QByteArray previous = qgetenv("TMPDIR");
    qputenv("TMPDIR", QByteArray(folder.path().toStdString().c_str()));
    for (const bool pipeMode : {true, false}) {
        CommandOutputDialog dialog("echo 'unclosed", pipeMode, nullptr);
        dialog.ShowModeless();
        ASSERT_TRUE(waitLongFor([&] { return dialog.isDone(); }));
        EXPECT_NE(dialog.text().find("sh:"), std::string::npos) << pipeMode << ' ' << dialog.text();
        EXPECT_TRUE(dialog.copyButton()->isEnabled());
        dialog.DestroyWindow();
    }
    qputenv("TMPDIR", previous);
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files).isEmpty());
}

// Output without line ends, more than the window keeps: the window shows its tail under a line saying
// what was left out, whether the window kept up with the command or pieces were dropped on the way.
TEST(CommandOutput, TwoMegabytesWithoutALineEndShowTheirTailAndSayWhatWasLeftOut)
{
    constexpr std::size_t kTwoMegabytes = 2u << 20;
    {
        CommandOutputDialog dialog("head -c 2097152 /dev/zero | tr '\\0' x", true, nullptr);
        dialog.ShowModeless();
        ASSERT_TRUE(waitLongFor([&] { return dialog.isDone(); }));
        const QTextDocument* document = dialog.output()->document();
        ASSERT_EQ(document->blockCount(), 2);
        // The one line is counted once, and the notice says how much of its start is not shown.
        EXPECT_EQ(dialog.leftOutLines(), 1u);
        const QString tail = document->lastBlock().text();
        EXPECT_EQ(dialog.firstLineCut() + static_cast<std::uint64_t>(tail.size()), kTwoMegabytes);
        EXPECT_EQ(document->firstBlock().text(),
                  QStringLiteral("[... the first %1 characters of the line below left out ...]").arg(dialog.firstLineCut()));
        EXPECT_GE(tail.size(), CommandOutputDialog::kLongestShownLine);
        EXPECT_LE(tail.size(), CommandOutputDialog::kLongestShownLine * 5 / 4);
        EXPECT_EQ(tail.count(u'x'), tail.size());
        EXPECT_TRUE(dialog.copyButton()->isEnabled());
        dialog.DestroyWindow();
    }
    {
        // Whole lines before the long one: both are said, the lines and how much of the long one's start.
        CommandOutputDialog dialog("seq 1 5; head -c 2097152 /dev/zero | tr '\\0' x", true, nullptr);
        dialog.ShowModeless();
        ASSERT_TRUE(waitLongFor([&] { return dialog.isDone(); }));
        const QTextDocument* document = dialog.output()->document();
        ASSERT_EQ(document->blockCount(), 2);
        const QString tail = document->lastBlock().text();
        EXPECT_EQ(dialog.firstLineCut() + static_cast<std::uint64_t>(tail.size()), kTwoMegabytes);
        EXPECT_EQ(document->firstBlock().text(),
                  QStringLiteral("[... 5 earlier lines and the first %1 characters of the line below left out ...]")
                      .arg(dialog.firstLineCut()));
        dialog.DestroyWindow();
    }
    {
        // The window falls behind: the oldest pieces are dropped before it shows anything.
        CommandOutputDialog dialog("true", true, nullptr);
        for (std::size_t written = 0; written < kTwoMegabytes; written += shell::kCaptureChunk)
            dialog.AppendText(std::string(shell::kCaptureChunk, 'y'));
        dialog.AppendText("\xd0"); // half a character: shown as the byte it is once the output ends
        dialog.OnCaptureDone();
        ASSERT_TRUE(waitLongFor([&] { return dialog.isDone(); }));
        const QTextDocument* document = dialog.output()->document();
        ASSERT_EQ(document->blockCount(), 2);
        EXPECT_EQ(dialog.leftOutLines(), 1u);
        const QString tail = document->lastBlock().text();
        // Dropped or cut, every character not shown is counted: the tail holds the rest and the half one.
        EXPECT_EQ(dialog.firstLineCut() + static_cast<std::uint64_t>(tail.size()) - 1, kTwoMegabytes);
        EXPECT_EQ(document->firstBlock().text(),
                  QStringLiteral("[... the first %1 characters of the line below left out ...]").arg(dialog.firstLineCut()));
        EXPECT_GE(tail.size(), CommandOutputDialog::kLongestShownLine);
        EXPECT_LE(tail.size(), CommandOutputDialog::kLongestShownLine * 5 / 4 + 1);
        EXPECT_TRUE(tail.endsWith(QString::fromStdU16String(u"yy\xdcd0")));
        EXPECT_TRUE(dialog.copyButton()->isEnabled());
    }
}

// The caption shows a byte of the command that does not decode as the replacement character, as the
// output does, never as the "?" the window manager would make of it.
TEST(CommandOutput, TheCaptionShowsAByteThatDoesNotDecodeAsTheReplacementCharacter)
{
    CommandOutputDialog dialog("echo caf\xe9", true, nullptr);
    dialog.ShowModeless();
    ASSERT_TRUE(waitFor([&] { return dialog.isDone(); }));
    EXPECT_EQ(dialog.windowTitle(), QString::fromStdU16String(u"Output from command: \"echo caf\ufffd\""));
    ASSERT_NE(dialog.windowHandle(), nullptr);
    EXPECT_EQ(dialog.windowHandle()->title(), dialog.windowTitle());
    dialog.DestroyWindow();
}

TEST(CommandOutput, ACommandThatCannotRunEndsWithAnEnabledClose)
{
    CommandOutputDialog dialog("exit 3", true, nullptr);
    dialog.ShowModeless();
    ASSERT_TRUE(waitFor([&] { return dialog.isDone(); }));
    EXPECT_TRUE(dialog.text().empty());
    EXPECT_TRUE(dialog.closeButton()->isEnabled());
    EXPECT_FALSE(dialog.copyButton()->isEnabled());
    dialog.DestroyWindow();
}

TEST(CommandOutput, TheWindowMayCloseWhileTheCommandRuns)
{
    {
        auto* dialog = new CommandOutputDialog("sleep 0.2; echo late", true, nullptr);
        dialog->ShowModeless();
        dialog->DestroyWindow();
        delete dialog;
    }
    // The capture thread finishes later and posts to nobody.
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 400)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    // Nothing of the window is left (a post to it would show as a use after free).
    for (QWidget* window : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<CommandOutputDialog*>(window), nullptr);
}

TEST(CommandOutput, PiecesAreJoinedAndShownInSteps)
{
    CommandOutputDialog dialog("true", true, nullptr);
    dialog.AppendText("a\r");
    dialog.AppendText("\nb\n");
    dialog.OnNewText();
    EXPECT_EQ(dialog.text(), "a\r\nb\r\n");
    dialog.AppendText(std::string(1500, 'x'));
    dialog.AppendText(std::string(1500, 'y'));
    const int before = dialog.showCount();
    dialog.OnNewText();
    EXPECT_GE(dialog.showCount() - before, 2);
    EXPECT_EQ(dialog.text().size(), 3006u);
}

// A command that writes millions of lines: the window shows the text in steps with its event loop
// running between them, so Esc closes it while the output still pours in.
TEST(CommandOutput, AChattyCommandIsShownInStepsAndEscClosesTheWindowAtOnce)
{
    auto dialog = std::make_unique<CommandOutputDialog>("seq 1 3000000", true, nullptr);
    dialog->ShowModeless();
    int changes = 0;
    int lastCount = 0;
    bool escaped = false;
    bool doneAtEsc = true;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const int count = dialog->output()->document()->characterCount();
        if (count != lastCount)
            ++changes;
        lastCount = count;
        if (changes == 10 && !escaped) {
            escaped = true;
            doneAtEsc = dialog->isDone();
            QCoreApplication::postEvent(dialog.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
        }
    });
    probe.start(1);
    EXPECT_TRUE(waitLongFor([&] { return !dialog->isVisible() || dialog->isDone(); }));
    probe.stop();
    EXPECT_TRUE(escaped);
    EXPECT_FALSE(doneAtEsc);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(dialog->isDone());
    // The command goes on writing into a window that is gone.
    dialog.reset();
    QTest::qWait(100);
}

// Processes of a group that still run; zombies waiting for their reaper do not count.
std::vector<int> liveMembers(int group)
{
    std::vector<int> members;
    QDir proc(QStringLiteral("/proc"));
    for (const QString& entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool numeric = false;
        const int pid = entry.toInt(&numeric);
        if (!numeric)
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const qsizetype close = line.lastIndexOf(')');
        if (close < 0)
            continue;
        // After the name: state, parent, process group.
        const QList<QByteArray> fields = line.mid(close + 2).split(' ');
        if (fields.size() > 2 && fields[2].toInt() == group && fields[0] != "Z")
            members.push_back(pid);
    }
    return members;
}

struct EndlessCommand {
    const char* name;
    bool pipeMode;
    const char* body; // what runs after the group is written down and the grandchild started
};

// A command that never ends and starts a grandchild which ignores the polite signal: closing the window
// (or the program's end) leaves no process of its group running, and the capture thread is gone.
TEST(CommandOutput, ClosingTheWindowOrEndingTheProgramEndsTheCommandAndEverythingItStarted)
{
    const EndlessCommand commands[] = {
        {"endless output through a pipe", true, "yes"},
        {"endless quiet command through a file", false, "while :; do sleep 0.05; done"},
        {"a command that ends and leaves its grandchild running", true, "echo started"},
    };
    for (const bool byProgramEnd : {false, true}) {
        for (const EndlessCommand& row : commands) {
            SCOPED_TRACE(std::string(row.name) + (byProgramEnd ? ", program ends" : ", window closes"));
            QTemporaryDir folder;
            const QString groupFile = folder.filePath(QStringLiteral("group"));
            const QString grandchildFile = folder.filePath(QStringLiteral("grandchild"));
            // The grandchild ignores the polite signal, holds no output of the command, and says who it is
            // once it ignores the signal.
            const std::string command = "echo $$ >'" + groupFile.toStdString() +
                                        "'; sh -c 'trap \"\" TERM; exec >/dev/null 2>&1; echo $$ >\"" +
                                        grandchildFile.toStdString() + ".new\"; mv \"" + grandchildFile.toStdString() +
                                        ".new\" \"" + grandchildFile.toStdString() +
                                        "\"; while :; do sleep 1; done' & " + row.body;
            auto dialog = std::make_unique<CommandOutputDialog>(command, row.pipeMode, nullptr);
            dialog->ShowModeless();
            // What every case guarantees: the group is written down and its grandchild runs in it (the
            // command itself may have ended already).
            const auto readNumber = [](const QString& name) {
                QFile file(name);
                return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toInt() : 0;
            };
            int group = 0;
            ASSERT_TRUE(waitLongFor([&] {
                group = readNumber(groupFile);
                const int grandchild = readNumber(grandchildFile);
                if (group <= 0 || grandchild <= 0)
                    return false;
                const std::vector<int> members = liveMembers(group);
                return std::find(members.begin(), members.end(), grandchild) != members.end();
            }));
            EXPECT_EQ(platform::RunningGroupCount(), 1u);
            if (byProgramEnd) {
                platform::EndAllGroups(); // waits a bounded time; the end of every runner is awaited below
            } else {
                QTest::keyClick(dialog.get(), Qt::Key_Escape);
                EXPECT_FALSE(dialog->isVisible());
            }
            dialog.reset();
            EXPECT_TRUE(waitLongFor([&] { return liveMembers(group).empty() && platform::RunningGroupCount() == 0; }))
                << liveMembers(group).size() << " processes of the group still run";
        }
    }
}

// ---- the real program's start-up

// OMBAgen of this build, started as a person starts it, with its folders under `root`: temporary files in
// root/tmp, its instance lock in root/run, its settings in root/config; in `workingFolder` when given. The
// Qt platform is the tests'.
pid_t startRealProgram(const std::string& program, std::vector<std::string> arguments, const std::string& root,
                       const std::string& workingFolder = std::string())
{
    for (const char* folder : {"/tmp", "/run", "/config"})
        ::mkdir((root + folder).c_str(), 0700);
    std::vector<std::string> environment = {"TMPDIR=" + root + "/tmp", "XDG_RUNTIME_DIR=" + root + "/run",
                                            "XDG_CONFIG_HOME=" + root + "/config",
                                            "ASAN_OPTIONS=detect_leaks=0:handle_abort=0"};
    for (char** entry = environ; *entry; ++entry) {
        const std::string text = *entry;
        const std::string name = text.substr(0, text.find('='));
        if (name != "TMPDIR" && name != "XDG_RUNTIME_DIR" && name != "XDG_CONFIG_HOME" && name != "ASAN_OPTIONS")
            environment.push_back(text);
    }
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    arguments.insert(arguments.begin(), program);
    std::vector<char*> argv;
    for (std::string& word : arguments)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!workingFolder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
    pid_t child = -1;
    const int started = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return started == 0 ? child : -1;
}

// Ends a program the test started and reaps it; its status.
int endProgram(pid_t child, int signal = SIGKILL)
{
    ::kill(child, signal);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

bool exists(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

// A program with the program's ends of commands dies while a quiet endless utility runs: by a crash it sees
// (ABRT) or by SIGKILL, which it cannot see. No process of the utility's group remains, and an output file
// the run left behind is gone after the real program's next start.
TEST(CommandOutput, AProgramThatCrashesOrIsKilledLeavesNoProcessOfItsUtilityRunning)
{
    const std::string program = std::string(KORVANE_BUILD_DIR) + "/bin/endless_utility_program";
    ASSERT_TRUE(QFile::exists(QString::fromStdString(program)));
    for (const int signal : {SIGABRT, SIGKILL}) {
        for (const bool pipeMode : {true, false}) {
            SCOPED_TRACE(std::string(strsignal(signal)) + (pipeMode ? ", pipe" : ", file"));
            QTemporaryDir folder;
            const std::string temporary = folder.path().toStdString();
            const std::string groupFile = temporary + "/group";
            const std::string command = "echo $$ >'" + groupFile + ".new'; mv '" + groupFile + ".new' '" +
                                        groupFile + "'; while :; do sleep 0.05; done";
            const std::string mode = pipeMode ? "pipe" : "file";
            const std::string tmpdir = "TMPDIR=" + temporary + "/tmp";
            QDir(folder.path()).mkdir(QStringLiteral("tmp"));
            std::vector<std::string> words = {program, mode, command};
            std::vector<char*> argv;
            for (std::string& word : words)
                argv.push_back(word.data());
            argv.push_back(nullptr);
            std::vector<std::string> environment = {tmpdir, "QT_QPA_PLATFORM=offscreen",
                                                    "ASAN_OPTIONS=detect_leaks=0:handle_abort=0"};
            for (char** entry = environ; *entry; ++entry) {
                if (std::strncmp(*entry, "TMPDIR=", 7) != 0 && std::strncmp(*entry, "ASAN_OPTIONS=", 13) != 0 &&
                    std::strncmp(*entry, "QT_QPA_PLATFORM=", 16) != 0)
                    environment.emplace_back(*entry);
            }
            std::vector<char*> envp;
            for (std::string& entry : environment)
                envp.push_back(entry.data());
            envp.push_back(nullptr);
            pid_t child = -1;
            ASSERT_EQ(posix_spawn(&child, program.c_str(), nullptr, nullptr, argv.data(), envp.data()), 0);
            const auto readGroup = [&] {
                QFile file(QString::fromStdString(groupFile));
                return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().toInt() : 0;
            };
            int group = 0;
            const bool running = waitLongFor([&] {
                group = readGroup();
                return group > 0 && !liveMembers(group).empty();
            });
            kill(child, signal);
            int status = 0;
            while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
            ASSERT_TRUE(running);
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
            EXPECT_TRUE(waitLongFor([&] { return liveMembers(group).empty(); }))
                << liveMembers(group).size() << " processes of the utility still run";
            // The program's next start removes what the run left in the temporary folder.
            const QDir left(QString::fromStdString(temporary + "/tmp"));
            const pid_t next = startRealProgram(std::string(KORVANE_BUILD_DIR) + "/bin/OMBAgen", {}, temporary);
            ASSERT_GT(next, 0);
            EXPECT_TRUE(waitLongFor([&] { return left.entryList({QStringLiteral("omb-output-*")}, QDir::Files).isEmpty(); }))
                << left.entryList(QDir::Files).join(u' ').toStdString();
            endProgram(next);
        }
    }
}

// The program's own start removes the output files a run that did not end left in the temporary folder:
// files of its naming that no run holds. A file a run still holds, and any other file, stay.
TEST(RealProgram, ItsStartRemovesTheOutputFilesARunThatDidNotEndLeftBehind)
{
    const std::string program = std::string(KORVANE_BUILD_DIR) + "/bin/OMBAgen";
    ASSERT_TRUE(exists(program));
    QTemporaryDir folder;
    const std::string root = platform::toBytes(folder.path());
    ASSERT_EQ(::mkdir((root + "/tmp").c_str(), 0700), 0);
    const std::string left = root + "/tmp/" + shell::kOutputFilePrefix + "Left01";
    const std::string held = root + "/tmp/" + shell::kOutputFilePrefix + "Held01";
    const std::string other = root + "/tmp/notes.txt";
    for (const std::string& path : {left, held, other})
        std::ofstream(path) << "output";
    const int holder = ::open(held.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX | LOCK_NB), 0);
    const pid_t child = startRealProgram(program, {}, root);
    ASSERT_GT(child, 0);
    EXPECT_TRUE(waitLongFor([&] { return !exists(left); }));
    endProgram(child);
    EXPECT_TRUE(exists(held));
    EXPECT_TRUE(exists(other));
    ::close(holder);
}

// The projects of the real program's recent list under root/config, latest first.
std::vector<std::string> recentProjects(const std::string& root)
{
    std::vector<std::string> projects;
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root + "/config", error)) {
        if (entry.path().extension() != ".ini")
            continue;
        const platform::ProfileStore store(entry.path().string());
        for (int i = 1; i <= RecentProjectList::kMaxEntries; ++i) {
            if (std::optional<std::string> path = store.getString(RecentProjectList::kSection, "File" + std::to_string(i)))
                projects.push_back(*path);
        }
    }
    return projects;
}

// While a first OMBAgen lives, a later start never runs beside it, whatever the first is doing: opening
// its project, stopped in the middle of that, or stopped once idle. The later start ends at once, with
// nothing to say, and its project is opened by the first when the first can.
TEST(RealProgram, ALaterStartEndsAndItsProjectReachesTheFirstHoweverBusyOrStoppedTheFirstIs)
{
    const std::string program = std::string(KORVANE_BUILD_DIR) + "/bin/OMBAgen";
    ASSERT_TRUE(exists(program));
    QTemporaryDir scratch;
    const std::string root = platform::toBytes(scratch.path());
    const std::string demo = std::string(KORVANE_SOURCE_DIR_FALLBACK) + "/samples/demo";
    for (const char* copy : {"/own", "/asked"})
        ASSERT_EQ(::mkdir((root + copy).c_str(), 0700), 0);
    for (const char* name : {"demo.omb", "main.cpu", "comms.cpu", "control.app", "link.app", "monitor.app"})
        std::filesystem::copy_file(demo + "/" + name, root + "/asked/" + name);
    // The first's own project has no CPU, so opening another one asks nothing.
    const std::string own = root + "/own/own.omb";
    std::ofstream(own) << "[PROJECT]\nName=Own\nDescription=Nothing yet\n\n[CPUS]\n";
    const std::string asked = root + "/asked/demo.omb";
    const struct {
        const char* what;
        bool idle; // the first has opened its project
        bool stop;
        bool removeLock; // a cleaner of the temporary folders removes the lock file
    } cases[] = {{"opening its project", false, false, false},
                 {"stopped while opening its project", false, true, false},
                 {"stopped once idle", true, true, false},
                 {"stopped once idle, its lock file removed", true, true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(root + "/config");
        const int opens = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        ASSERT_GE(opens, 0);
        ASSERT_GE(::inotify_add_watch(opens, own.c_str(), IN_OPEN), 0);
        const pid_t first = startRealProgram(program, {own}, root);
        ASSERT_GT(first, 0);
        // The first has its lock before it reads its project.
        alignas(inotify_event) char events[4096];
        bool opened = false;
        EXPECT_TRUE(waitLongFor([&] { return opened = opened || ::read(opens, events, sizeof events) > 0; }));
        ::close(opens);
        if (c.idle) {
            EXPECT_TRUE(waitLongFor([&] { return recentProjects(root) == std::vector<std::string>{own}; }));
        }
        if (c.stop) {
            ::kill(first, SIGSTOP);
            int status = 0;
            ASSERT_EQ(waitpid(first, &status, WUNTRACED), first);
            ASSERT_TRUE(WIFSTOPPED(status));
        }
        if (c.removeLock) {
            ASSERT_EQ(::unlink((root + "/run/" + platform::toBytes(shell::SingleInstanceGuard::DefaultName()) + ".lock").c_str()), 0);
        }
        const pid_t later = startRealProgram(program, {asked}, root);
        ASSERT_GT(later, 0);
        int status = -1;
        bool ended = false;
        EXPECT_TRUE(waitLongFor([&] { return ended = ended || waitpid(later, &status, WNOHANG) == later; }));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        if (c.stop)
            ::kill(first, SIGCONT);
        EXPECT_TRUE(waitLongFor([&] { return recentProjects(root) == std::vector<std::string>{asked, own}; }))
            << ::testing::PrintToString(recentProjects(root));
        endProgram(first);
    }
}

// Five starts at the same moment, each naming its own project relative to a working folder of its own (as a
// file manager starts the projects a user opens together), again and again: one instance runs; it opens its
// own project first, with no box (a box would hold it), and last the project of the latest of the other
// starts, which all end at once. A few rounds run side by side, each with folders of its own.
TEST(RealProgram, StartsAtTheSameMomentLeaveOneInstanceThatOpensItsOwnProjectFirstThenTheLatestAsked)
{
    const std::string program = std::string(KORVANE_BUILD_DIR) + "/bin/OMBAgen";
    ASSERT_TRUE(exists(program));
    constexpr int kRounds = 20;
    constexpr int kStarts = 5;
    constexpr std::size_t kSideBySide = 6;
    QTemporaryDir scratch;
    const std::string name = platform::toBytes(shell::SingleInstanceGuard::DefaultName());
    struct Round {
        std::string root;
        std::vector<pid_t> starts;
        std::vector<pid_t> running;
        int requests = -1; // watches the requests left, to know the latest
        std::vector<std::string> expected;
    };
    std::vector<Round> rounds;
    const auto projectOf = [](const Round& round, pid_t start) {
        const auto at = std::find(round.starts.begin(), round.starts.end(), start) - round.starts.begin();
        return round.root + "/" + std::to_string(at) + "/p/demo.omb";
    };
    const auto startRound = [&] {
        Round round;
        round.root = platform::toBytes(scratch.path()) + "/" + std::to_string(rounds.size());
        const std::string requests = round.root + "/run/" + name + ".requests";
        std::filesystem::create_directories(requests);
        round.requests = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        EXPECT_GE(::inotify_add_watch(round.requests, requests.c_str(), IN_MOVED_TO), 0);
        // The same file name in every folder; no CPU, so the next project opens without a question.
        for (int i = 0; i < kStarts; ++i) {
            const std::string folder = round.root + "/" + std::to_string(i);
            std::filesystem::create_directories(folder + "/p");
            std::ofstream(folder + "/p/demo.omb") << "[PROJECT]\nName=P" << i << "\nDescription=\n\n[CPUS]\n";
        }
        for (int i = 0; i < kStarts; ++i)
            round.starts.push_back(startRealProgram(program, {"p/demo.omb"}, round.root, round.root + "/" + std::to_string(i)));
        round.running = round.starts;
        rounds.push_back(std::move(round));
    };
    // A round is done once its first instance has opened both projects; false while it is under way.
    const auto roundDone = [&](Round& round) {
        if (round.requests < 0)
            return true;
        for (auto it = round.running.begin(); it != round.running.end();) {
            int status = 0;
            if (*it > 0 && waitpid(*it, &status, WNOHANG) == *it) {
                EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << round.root << ": " << status;
                it = round.running.erase(it);
            } else {
                ++it;
            }
        }
        if (round.expected.empty() && round.running.size() == 1) {
            // All but one have ended; the latest request is the one named last, and its name ends with
            // the process that left it.
            std::string latest;
            alignas(inotify_event) char events[8192];
            for (ssize_t n = 0; (n = ::read(round.requests, events, sizeof events)) > 0;) {
                for (ssize_t at = 0; at < n;) {
                    const auto* event = reinterpret_cast<const inotify_event*>(events + at);
                    if (event->len > 0 && std::string(event->name) > latest)
                        latest = event->name;
                    at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
                }
            }
            EXPECT_FALSE(latest.empty()) << round.root;
            const pid_t last = latest.empty() ? -1 : static_cast<pid_t>(std::stol(latest.substr(latest.rfind('-') + 1)));
            round.expected = {projectOf(round, last), projectOf(round, round.running.front())};
        }
        // Opened last is the latest asked, first the instance's own (the recent list, latest first, holds
        // any request taken before a slower start asked as well).
        const std::vector<std::string> opened = recentProjects(round.root);
        if (round.expected.empty() || opened.size() < 2 || opened.front() != round.expected.front() ||
            opened.back() != round.expected.back())
            return round.running.empty();
        endProgram(round.running.front());
        ::close(round.requests);
        round.requests = -1;
        return true;
    };
    const bool allDone = waitLongFor([&] {
        std::size_t underWay = 0;
        for (Round& round : rounds)
            underWay += roundDone(round) ? 0 : 1;
        if (rounds.size() < static_cast<std::size_t>(kRounds) && underWay < kSideBySide)
            startRound();
        return rounds.size() == static_cast<std::size_t>(kRounds) && underWay == 0;
    });
    EXPECT_TRUE(allDone);
    for (Round& round : rounds) {
        if (round.requests < 0)
            continue;
        ADD_FAILURE() << round.root << ": " << round.running.size() << " running, projects opened "
                      << ::testing::PrintToString(recentProjects(round.root)) << ", expected "
                      << ::testing::PrintToString(round.expected);
        for (const pid_t left : round.running)
            endProgram(left);
    }
}

// The real program dies while an endless utility of its Utilities menu runs: by a crash it sees (ABRT,
// a utility capturing through a pipe) or by SIGKILL, which it cannot see (a utility writing to an output
// file). No process of the utility's group remains, and the next start removes the output file the killed
// run left. The menu is used as a person uses it, so this runs where there is a window manager (xcb).
TEST(RealProgram, KilledWhileItsUtilityRunsItLeavesNoProcessOfTheUtilityRunning)
{
    if (QGuiApplication::platformName() != QStringLiteral("xcb") || std::system("command -v xdotool >/dev/null") != 0)
        GTEST_SKIP() << "needs an X server with a window manager, and xdotool";
    const std::string built = std::string(KORVANE_BUILD_DIR) + "/bin/OMBAgen";
    ASSERT_TRUE(exists(built));
    QTemporaryDir scratch(QString(KORVANE_BUILD_DIR) + QStringLiteral("/real_program_XXXXXX"));
    const std::string root = platform::toBytes(scratch.path());
    // The program in a folder of its own, with a configuration whose utilities run until they are ended.
    const std::string programFolder = root + "/program";
    ASSERT_EQ(::mkdir(programFolder.c_str(), 0700), 0);
    const std::string program = programFolder + "/OMBAgen";
    if (::link(built.c_str(), program.c_str()) != 0)
        std::filesystem::copy_file(built, program);
    const std::string demo = std::string(KORVANE_SOURCE_DIR_FALLBACK) + "/samples/demo";
    ASSERT_EQ(::symlink((demo + "/models").c_str(), (programFolder + "/models").c_str()), 0);
    const std::string groupFile = root + "/group";
    // The configuration takes ";" for a comment: the command does without. Two processes in its group.
    const std::string endless = "echo $$$$ >'" + groupFile + ".new' && mv '" + groupFile + ".new' '" + groupFile +
                                "' && sleep 100000 & sleep 100000";
    std::ofstream(programFolder + "/ombagen.cfg")
        << "[MODELS]\nZ5 Standard=models/z5std.mdl\nZ5 Multiprocessor=models/z5mp.mdl\n\n[GENERAL]\nHelp File=help.pdf\n\n"
        << "[SCRIPTS]\n"
        << "Endless=" << endless << "\nEndless_to_a_file=&" << endless << "\n";
    const std::string project = root + "/demo";
    ASSERT_EQ(::mkdir(project.c_str(), 0700), 0);
    for (const char* name : {"demo.omb", "main.cpu", "comms.cpu", "control.app", "link.app", "monitor.app"})
        std::filesystem::copy_file(demo + "/" + name, project + "/" + name);

    const auto readGroup = [&] {
        std::ifstream in(groupFile);
        int group = 0;
        return in >> group ? group : 0;
    };
    const struct {
        int signal;
        const char* keys; // what opens the Utilities menu and chooses the utility
    } runs[] = {{SIGABRT, "alt+u Return"}, {SIGKILL, "alt+u Down Return"}};
    for (const auto& run : runs) {
        SCOPED_TRACE(strsignal(run.signal));
        std::filesystem::remove(groupFile);
        const pid_t child = startRealProgram(program, {project + "/demo.omb"}, root);
        ASSERT_GT(child, 0);
        // The main window, once the welcome has gone, takes the keys.
        const std::string pid = std::to_string(child);
        ASSERT_EQ(std::system(("timeout 120 xdotool search --all --sync --onlyvisible --pid " + pid +
                               " --name '^OMBAgen - ' >'" + root + "/window'").c_str()),
                  0);
        std::string window;
        std::ifstream(root + "/window") >> window;
        EXPECT_TRUE(waitLongFor([&] {
            return std::system(("xdotool search --all --onlyvisible --pid " + pid +
                                " --name '^Welcome to OMBAgen' >/dev/null 2>&1").c_str()) != 0;
        }));
        // Keys that arrive while the window manager is still handing the focus over are lost: the user
        // presses them again (after Escape, which closes a menu left open and nothing else).
        int group = 0;
        const auto utilityRuns = [&] {
            group = readGroup();
            return group > 0 && !liveMembers(group).empty();
        };
        for (int attempt = 0; attempt < 5 && !utilityRuns(); ++attempt) {
            ASSERT_EQ(std::system(("xdotool windowactivate --sync " + window +
                                   " && xdotool key --clearmodifiers --delay 150 Escape " + run.keys).c_str()),
                      0);
            QDeadlineTimer deadline(10000);
            while (!utilityRuns() && !deadline.hasExpired())
                QApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        const bool running = utilityRuns();
        const int status = endProgram(child, run.signal);
        ASSERT_TRUE(running) << "the utility did not start";
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == run.signal) << status;
        EXPECT_TRUE(waitLongFor([&] { return liveMembers(group).empty(); }))
            << liveMembers(group).size() << " processes of the utility still run";
    }
    // The run killed while its utility wrote to an output file left it; the next start removes it.
    const auto outputFiles = [&] {
        std::vector<platform::FolderEntry> entries;
        platform::ListFolder(root + "/tmp", entries);
        int count = 0;
        for (const platform::FolderEntry& entry : entries)
            count += entry.name.rfind(shell::kOutputFilePrefix, 0) == 0 ? 1 : 0;
        return count;
    };
    EXPECT_EQ(outputFiles(), 1);
    const pid_t next = startRealProgram(program, {project + "/demo.omb"}, root);
    ASSERT_GT(next, 0);
    EXPECT_TRUE(waitLongFor([&] { return outputFiles() == 0; }));
    endProgram(next);
}

// ---- the real program's saves

// An environment variable for the programs the test starts, until the end of the scope.
class ScopedEnvironment {
public:
    ScopedEnvironment(std::string name, const std::string& value) : m_name(std::move(name))
    {
        ::setenv(m_name.c_str(), value.c_str(), 1);
    }
    ~ScopedEnvironment() { ::unsetenv(m_name.c_str()); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string m_name;
};

// A command's standard output.
std::string commandOutput(const std::string& command)
{
    std::string text;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        std::size_t read = 0;
        while ((read = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            text.append(buffer, read);
        ::pclose(pipe);
    }
    return text;
}

// The visible windows of the program `child` whose names match `pattern`, by xdotool's ids.
std::vector<std::string> windowsOf(pid_t child, const std::string& pattern)
{
    std::istringstream lines(commandOutput("xdotool search --all --onlyvisible --pid " + std::to_string(child) +
                                           " --name '" + pattern + "' 2>/dev/null"));
    std::vector<std::string> windows;
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty())
            windows.push_back(line);
    }
    return windows;
}

// The real program's main window once its welcome has gone ("" when it never came). The welcome is
// closed with Enter, as a person closes it.
std::string mainWindowOf(pid_t child)
{
    std::string window;
    const bool shown = waitLongFor([&] {
        const std::vector<std::string> windows = windowsOf(child, "^OMBAgen - ");
        window = windows.empty() ? std::string() : windows.front();
        const std::vector<std::string> welcome = windowsOf(child, "^Welcome to OMBAgen");
        if (!welcome.empty())
            std::system(("xdotool windowactivate --sync " + welcome.front() + " key Return 2>/dev/null").c_str());
        return !window.empty() && welcome.empty();
    });
    return shown ? window : std::string();
}

// Chooses a command of the File menu by its key, as a person does, until `done` holds. Keys that arrive
// while the window manager still hands the focus over are lost: they are pressed again (after Escape, which
// closes a menu left open and nothing else), at most five times.
bool chooseFromFileMenu(const std::string& window, const std::string& key, const std::function<bool()>& done,
                        int tries = 5)
{
    for (int attempt = 0; attempt < tries; ++attempt) {
        if (std::system(("xdotool windowactivate --sync " + window +
                         " && xdotool key --clearmodifiers --delay 150 Escape alt+f " + key).c_str()) != 0)
            return false;
        QDeadlineTimer deadline(10000);
        while (!done() && !deadline.hasExpired())
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        if (done())
            return true;
    }
    return false;
}

// Generate All with its status box closed: it marks every application it generated edited.
bool generateAll(pid_t child, const std::string& window)
{
    std::string status;
    if (!chooseFromFileMenu(window, "t", [&] {
            const std::vector<std::string> boxes = windowsOf(child, "^Code Generator Status");
            status = boxes.empty() ? std::string() : boxes.front();
            return !status.empty();
        }))
        return false;
    return std::system(("xdotool windowactivate --sync " + status + " key Return").c_str()) == 0 &&
           waitLongFor([&] { return windowsOf(child, "^Code Generator Status").empty(); });
}

// The project's own files in `folder` (project, kernel and application files) with their bytes.
std::map<std::string, std::string> projectFiles(const std::string& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string extension = entry.path().extension().string();
        if (extension == ".omb" || extension == ".cpu" || extension == ".app") {
            std::ifstream in(entry.path(), std::ios::binary);
            files[entry.path().filename().string()] =
                std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    }
    return files;
}

// The names in `folder` of a save's own files ("temp." and six letters after a file's name).
std::vector<std::string> saveTemporaries(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (const std::size_t at = name.rfind("temp."); at != std::string::npos && at + 11 == name.size())
            names.push_back(name);
    }
    return names;
}

// A project of `cpus` CPUs in `folder`, each with a kernel file and an application file of its own (copies
// of the demo's main.cpu and monitor.app): 2 * cpus + 1 files.
void writeManyCpuProject(const std::string& demo, const std::string& folder, int cpus)
{
    std::filesystem::create_directories(folder);
    std::ifstream in(demo + "/monitor.app", std::ios::binary);
    const std::string monitor((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string list;
    std::string sections;
    for (int i = 1; i <= cpus; ++i) {
        const std::string n = std::to_string(i);
        list += "Cpu" + n + "=\r\n";
        sections += "[Cpu" + n + "]\r\nDescription=\r\nModel=Z5 Standard\r\nKernel=cpu" + n +
                    ".cpu\r\nApplications=APPS Cpu" + n + "\r\n\r\n[APPS Cpu" + n + "]\r\nApp" + n + "=app" + n +
                    ".app\r\n\r\n";
        std::filesystem::copy_file(demo + "/main.cpu", folder + "/cpu" + n + ".cpu");
        std::string application = monitor;
        application.replace(application.find("Name=Monitor\r\n"), 14, "Name=App" + n + "\r\n");
        std::ofstream(folder + "/app" + n + ".app", std::ios::binary) << application;
    }
    std::ofstream(folder + "/many.omb", std::ios::binary)
        << "[PROJECT]\r\nName=Many\r\nDescription=\r\n\r\n[CPUS]\r\n" << list << "\r\n" << sections;
}

// Why the walks of the real program's saves cannot run here ("" when they can): they need an X server with a
// window manager, xdotool and import, and the test build's hooks.
std::string saveWalkSkipReason()
{
    if (QGuiApplication::platformName() != QStringLiteral("xcb") ||
        std::system("command -v xdotool >/dev/null && command -v import >/dev/null") != 0)
        return "needs an X server with a window manager, xdotool and import";
#ifdef KORVANE_TEST_HOOKS
    return {};
#else
    return "the program reads its test hooks only in the test build";
#endif
}

// The walks of the real program's saves: the program of this build, a scratch folder for its runs, the demo.
class RealProgramSave : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const std::string why = saveWalkSkipReason(); !why.empty())
            GTEST_SKIP() << why;
        ASSERT_TRUE(exists(program));
    }

    const std::string program = std::string(KORVANE_BUILD_DIR) + "/bin/OMBAgen";
    QTemporaryDir scratch;
    const std::string root = platform::toBytes(scratch.path());
    const std::string demo = std::string(KORVANE_SOURCE_DIR_FALLBACK) + "/samples/demo";
};

// SIGTERM, SIGINT and SIGHUP during Save All in the real program, sent to the program as a logout or a
// closed terminal sends them (any of its threads may take them), once the commit, slowed by a test hook,
// has put a first file in place: the program ends by the signal only after the commit, with every file as
// an uninterrupted Save All leaves it and no file of the save's own left.
TEST_F(RealProgramSave, AnInterruptDuringSaveAllEndsItOnlyOnceEveryFileIsSaved)
{
    // Each step of a save takes 50 ms, as on a slow network folder.
    const ScopedEnvironment slow("KORVANE_SAVE_STEP_DELAY_MS", "50");
    std::map<std::string, std::string> before;
    std::map<std::string, std::string> saved;
    for (const int signal : {0, SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal != 0 ? strsignal(signal) : "uninterrupted");
        const std::string folder = root + "/run" + std::to_string(signal);
        ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
        for (const char* name : {"demo.omb", "main.cpu", "comms.cpu", "control.app", "link.app", "monitor.app"})
            std::filesystem::copy_file(demo + "/" + name, folder + "/" + name);
        before = projectFiles(folder);
        const pid_t child = startRealProgram(program, {folder + "/demo.omb"}, root);
        ASSERT_GT(child, 0);
        const std::string window = mainWindowOf(child);
        const bool generated = !window.empty() && generateAll(child, window);
        // Save All; the signal comes once its commit has put a first file in place.
        const bool saving = generated && chooseFromFileMenu(window, "l", [&] { return projectFiles(folder) != before; });
        if (signal == 0) {
            EXPECT_TRUE(saving && waitLongFor([&] { return saveTemporaries(folder).empty(); }));
            endProgram(child);
            saved = projectFiles(folder);
            ASSERT_NE(saved, before);
            continue;
        }
        const int status = endProgram(child, signal);
        ASSERT_TRUE(saving) << "Save All did not start";
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_TRUE(projectFiles(folder) == saved) << "the commit under way was cut short";
        EXPECT_EQ(saveTemporaries(folder), std::vector<std::string>{});
    }
}

// Save All of a project of more files than the program may open at once (its open-file limit below the file
// count): SIGKILL in the middle of the commit leaves the files the commit had named, and the next Save All
// of the same files removes them; SIGTERM in the middle of the commit ends the program only with every file
// saved and nothing of the save's own left.
TEST_F(RealProgramSave, WithFewerDescriptorsThanFilesSaveAllEndsWholeAndRemovesWhatAKilledOneLeft)
{
    const ScopedEnvironment slow("KORVANE_SAVE_STEP_DELAY_MS", "5");
    constexpr int kCpus = 30; // 61 files
    // The program starts with an open-file limit of 48.
    rlimit limit {};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
    const auto start = [&](const std::string& project) {
        rlimit fewer = limit;
        fewer.rlim_cur = std::min<rlim_t>(48, limit.rlim_cur);
        ::setrlimit(RLIMIT_NOFILE, &fewer);
        const pid_t child = startRealProgram(program, {project}, root);
        ::setrlimit(RLIMIT_NOFILE, &limit);
        return child;
    };
    // Generate All and Save All until the commit has put a first file in place.
    const auto saveAll = [&](pid_t child, const std::string& folder, const std::map<std::string, std::string>& old) {
        const std::string window = mainWindowOf(child);
        return !window.empty() && generateAll(child, window) &&
               chooseFromFileMenu(window, "l", [&] { return projectFiles(folder) != old; }, 1);
    };
    const std::string killed = root + "/killed";
    writeManyCpuProject(demo, killed, kCpus);
    const std::map<std::string, std::string> before = projectFiles(killed);
    pid_t child = start(killed + "/many.omb");
    ASSERT_GT(child, 0);
    bool saving = saveAll(child, killed, before);
    endProgram(child, SIGKILL);
    ASSERT_TRUE(saving) << "Save All did not start";
    EXPECT_FALSE(saveTemporaries(killed).empty()) << "the killed commit had named its temporaries";
    child = start(killed + "/many.omb");
    ASSERT_GT(child, 0);
    saving = saveAll(child, killed, projectFiles(killed));
    EXPECT_TRUE(saving && waitLongFor([&] { return saveTemporaries(killed).empty(); }));
    endProgram(child);
    const std::map<std::string, std::string> saved = projectFiles(killed);
    EXPECT_EQ(saveTemporaries(killed), std::vector<std::string>{});

    const std::string interrupted = root + "/interrupted";
    writeManyCpuProject(demo, interrupted, kCpus);
    child = start(interrupted + "/many.omb");
    ASSERT_GT(child, 0);
    saving = saveAll(child, interrupted, before);
    const int status = endProgram(child, SIGTERM);
    ASSERT_TRUE(saving) << "Save All did not start";
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_TRUE(projectFiles(interrupted) == saved) << "the commit under way was cut short";
    EXPECT_EQ(saveTemporaries(interrupted), std::vector<std::string>{});
}

// The pixels of the screen where `window` is (what the user sees there, a menu over it included), cut to
// the given part of it: a PNG file's bytes.
std::string seenPart(const std::string& window, const std::string& file, int left, int top, int width, int height)
{
    const std::string shell = commandOutput("xdotool getwindowgeometry --shell " + window);
    const auto value = [&](const std::string& key) {
        const std::size_t at = shell.find(key + "=");
        return at == std::string::npos ? 0 : std::atoi(shell.c_str() + at + key.size() + 1);
    };
    const int x = value("X") + left;
    const int y = value("Y") + (top >= 0 ? top : value("HEIGHT") + top);
    const std::string crop = std::to_string(width > 0 ? width : value("WIDTH")) + "x" + std::to_string(height) + "+" +
                             std::to_string(x) + "+" + std::to_string(y);
    std::system(("import -window root -crop " + crop + " +repage " + file + " 2>/dev/null").c_str());
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Whether two pictures `first` and `second` (files) show the same pixels.
bool samePixels(const std::string& first, const std::string& second)
{
    return commandOutput("compare -metric AE " + first + " " + second + " null: 2>&1") == "0";
}

// Save All of a 100-CPU project whose folder another program holds, in a program just started: the status
// line shows the wait from the first second and the File menu is gone from the window meanwhile; the user is
// told of the hold-up in one box, then given a summary that fits the screen; the status line goes with the
// wait and leaves no strip; no file changes.
TEST_F(RealProgramSave, ASaveAllHeldUpShowsItsWaitAtOnceAndSaysSoInOneBoxAndASummaryThatFits)
{
    const std::string folder = root + "/many";
    writeManyCpuProject(demo, folder, 100);
    const std::map<std::string, std::string> before = projectFiles(folder);
    const ScopedEnvironment wait("KORVANE_SAVE_LOCK_WAIT_MS", "3000");
    const int held = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    const pid_t child = startRealProgram(program, {folder + "/many.omb"}, root);
    ASSERT_GT(child, 0);
    const std::string window = mainWindowOf(child);
    ASSERT_FALSE(window.empty());
    ASSERT_TRUE(generateAll(child, window));
    // The part of the window under the File menu, and the bottom strip where the status line comes.
    const std::string pictures = root + "/seen";
    const auto underTheMenu = [&](const std::string& name) { return seenPart(window, pictures + name, 0, 30, 120, 250); };
    const auto bottom = [&](const std::string& name) { return seenPart(window, pictures + name, 0, -30, 0, 30); };
    underTheMenu("menu0.png");
    bottom("bottom0.png");
    // The program waits once it has the project's folder open for its lock.
    const auto waiting = [&] {
        std::error_code error;
        for (const auto& fd : std::filesystem::directory_iterator("/proc/" + std::to_string(child) + "/fd", error)) {
            if (std::filesystem::read_symlink(fd.path(), error) == folder)
                return true;
        }
        return false;
    };
    ASSERT_TRUE(chooseFromFileMenu(window, "l", waiting));
    QElapsedTimer waited;
    waited.start();
    bool shown = false;
    while (!shown && waited.elapsed() < 1000) {
        bottom("bottom1.png");
        shown = !samePixels(pictures + "bottom0.png", pictures + "bottom1.png");
    }
    EXPECT_TRUE(shown) << "no status line within a second of the wait";
    underTheMenu("menu1.png");
    EXPECT_TRUE(samePixels(pictures + "menu0.png", pictures + "menu1.png")) << "the menu stays over the window";
    // The boxes that follow, each closed as it comes: the hold-up, then the summary, which fits the screen.
    const std::string screen = commandOutput("xdotool getdisplaygeometry");
    const int screenHeight = std::atoi(screen.substr(screen.find(' ') + 1).c_str());
    int boxes = 0;
    for (std::vector<std::string> shownBoxes;
         boxes < 5 && waitLongFor([&] { return !(shownBoxes = windowsOf(child, "^File I/O Error$")).empty(); });) {
        ++boxes;
        const std::string geometry = commandOutput("xdotool getwindowgeometry --shell " + shownBoxes.front());
        const int height = std::atoi(geometry.c_str() + geometry.find("HEIGHT=") + 7);
        EXPECT_LE(height, screenHeight) << "box " << boxes;
        std::system(("xdotool windowactivate --sync " + shownBoxes.front() + " key Return").c_str());
        ASSERT_TRUE(waitLongFor([&] { return windowsOf(child, "^File I/O Error$") != shownBoxes; }));
        if (boxes == 2) {
            // No third box comes within a second.
            QDeadlineTimer quiet(1000);
            while (windowsOf(child, "^File I/O Error$").empty() && !quiet.hasExpired())
                QApplication::processEvents(QEventLoop::AllEvents, 20);
            if (windowsOf(child, "^File I/O Error$").empty())
                break;
        }
    }
    EXPECT_EQ(boxes, 2);
    bottom("bottom2.png");
    EXPECT_TRUE(samePixels(pictures + "bottom0.png", pictures + "bottom2.png")) << "the status line left a strip";
    endProgram(child);
    ::close(held);
    EXPECT_TRUE(projectFiles(folder) == before);
    EXPECT_EQ(saveTemporaries(folder), std::vector<std::string>{});
}

// All of a very long output cannot be kept: the window keeps a tail of whole lines under a first line
// that says how many came before it.
TEST(CommandOutput, AVeryLongOutputKeepsABoundedTailUnderALineSayingHowMuchWasLeftOut)
{
    CommandOutputDialog dialog("seq 1 3000000", true, nullptr);
    dialog.ShowModeless();
    ASSERT_TRUE(waitLongFor([&] { return dialog.isDone(); }));
    const QTextDocument* document = dialog.output()->document();
    EXPECT_LE(document->characterCount(), CommandOutputDialog::kKeptCharacters * 5 / 4 + 100);
    EXPECT_LE(dialog.text().size(), 2u * CommandOutputDialog::kKeptCharacters);
    const std::uint64_t leftOut = dialog.leftOutLines();
    ASSERT_GT(leftOut, 0u);
    EXPECT_EQ(document->firstBlock().text(), QStringLiteral("[... %1 earlier lines left out ...]").arg(leftOut));
    // The lines kept follow on from those left out, up to the last.
    const QTextBlock firstKept = document->firstBlock().next();
    EXPECT_EQ(firstKept.text().toULongLong(), leftOut + 1);
    EXPECT_EQ(static_cast<std::uint64_t>(document->blockCount() - 2) + leftOut, 3000000u);
    EXPECT_EQ(document->lastBlock().previous().text(), "3000000");
    dialog.OnCopy();
    EXPECT_TRUE(QApplication::clipboard()->text().endsWith("2999999\n3000000\n"));
    dialog.DestroyWindow();
}

TEST(CommandOutput, TextIsReadInTheLocaleEncodingEvenWhenACharacterIsSplitBetweenReads)
{
    // The command writes "café ‘quoted’" in UTF-8, its "é" and "‘" each cut in two by a pause, then a byte
    // that is no UTF-8 at all.
    CommandOutputDialog dialog("printf 'caf\\303'; sleep 0.2; printf '\\251 \\342\\200'; sleep 0.2; "
                               "printf '\\230quoted\\342\\200\\231\\n\\377\\n'",
                               true, nullptr);
    dialog.ShowModeless();
    EXPECT_TRUE(dialog.windowTitle().startsWith("Output from command: \"printf"));
    ASSERT_TRUE(waitFor([&] { return dialog.isDone(); }));
    EXPECT_GE(dialog.showCount(), 2);
    EXPECT_EQ(dialog.text(), "caf\xc3\xa9 \xe2\x80\x98quoted\xe2\x80\x99\r\n\xff\r\n");
    // The byte that does not decode is drawn as U+FFFD and kept as itself.
    EXPECT_EQ(dialog.output()->toPlainText(), QString::fromStdU16String(u"caf\u00e9 \u2018quoted\u2019\n\xdcff\n"));
    dialog.DestroyWindow();

    // The caption shows the command line as the shell receives it.
    CommandOutputDialog echo("echo caf\xc3\xa9", true, nullptr);
    echo.ShowModeless();
    EXPECT_EQ(echo.windowTitle(), QString::fromUtf8("Output from command: \"echo caf\xc3\xa9\""));
    ASSERT_TRUE(waitFor([&] { return echo.isDone(); }));
    EXPECT_EQ(echo.output()->toPlainText(), QString::fromUtf8("caf\xc3\xa9\n"));
    echo.DestroyWindow();
}

// ---- file viewer

// Where the edit draws the character at a column of a line.
int xOfColumn(const QPlainTextEdit* edit, int line, int column)
{
    QTextCursor cursor(edit->document()->findBlockByNumber(line));
    cursor.setPosition(cursor.position() + column);
    return edit->cursorRect(cursor).left();
}

// The edit shows narrow and wide letters with one advance, and a tab reaches column eight.
void expectColumnsLineUp(const QPlainTextEdit* edit)
{
    // Lines: "iiii|", "WWWW|", "text\tdata", "12345678x".
    EXPECT_EQ(xOfColumn(edit, 0, 4), xOfColumn(edit, 1, 4)) << edit->font().family().toStdString();
    EXPECT_GT(xOfColumn(edit, 0, 4), xOfColumn(edit, 0, 0));
    EXPECT_EQ(xOfColumn(edit, 2, 5), xOfColumn(edit, 3, 8));
}

TEST(FileViewer, ReportsKeepTheirColumnsInAFixedPitchFontWithEightCharacterTabs)
{
    const std::string columns = "iiii|\nWWWW|\ntext\tdata\n12345678x\n";
    QTemporaryDir folder;
    const std::string report = folder.path().toStdString() + "/columns.txt";
    std::ofstream(report) << columns;
    ShowFileDialog viewer(report, nullptr);
    viewer.ShowModeless();
    ASSERT_TRUE(viewer.textEdit()->toPlainText().startsWith(QStringLiteral("iiii|\nWWWW|\ntext\tdata\n12345678x")));
    expectColumnsLineUp(viewer.textEdit());
    viewer.DestroyWindow();

    CommandOutputDialog output("printf 'iiii|\\nWWWW|\\ntext\\tdata\\n12345678x\\n'", true, nullptr);
    output.ShowModeless();
    EXPECT_TRUE(waitFor([&] { return platform::findControl<QPushButton>(&output, 1)->isEnabled(); }));
    const auto* shown = output.findChild<QPlainTextEdit*>();
    EXPECT_TRUE(waitFor([&] { return shown->toPlainText().contains(QStringLiteral("12345678x")); }));
    expectColumnsLineUp(shown);
    output.DestroyWindow();

    // The printout's font, at the printer's resolution.
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QFontMetricsF printed(shell::SystemFixedFont(10), &printer);
    EXPECT_DOUBLE_EQ(printed.horizontalAdvance(QStringLiteral("iiii")), printed.horizontalAdvance(QStringLiteral("WWWW")));
}

TEST(FileViewer, ShowsAFileOrSaysItCannotOpenIt)
{
    platform::ScopedScriptedMessages boxes;
    QTemporaryDir folder;
    const std::string missing = folder.path().toStdString() + "/missing.txt";
    ShowFileDialog none(missing, nullptr);
    none.ShowModeless();
    EXPECT_EQ(boxes->texts(), std::vector<std::string>{"Unable to open file '" + missing + "'"});
    EXPECT_TRUE(none.textEdit()->toPlainText().isEmpty());
    none.DestroyWindow();

    // A named pipe is refused by what it is: opening it would wait for a writer.
    const std::string pipe = folder.path().toStdString() + "/pipe";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    ShowFileDialog piped(pipe, nullptr);
    piped.ShowModeless();
    EXPECT_EQ(boxes->texts().back(), "Unable to open file '" + pipe + "': it is a named pipe");
    EXPECT_TRUE(piped.textEdit()->toPlainText().isEmpty());
    piped.DestroyWindow();

    const std::string empty = folder.path().toStdString() + "/empty.txt";
    std::ofstream(empty).close();
    ShowFileDialog blank(empty, nullptr);
    blank.ShowModeless();
    EXPECT_EQ(blank.windowTitle(), QString::fromStdString("Showing file " + empty));
    blank.DestroyWindow();

    const std::string report = folder.path().toStdString() + "/report.txt";
    std::ofstream(report) << "line 1\nline 2\n";
    ShowFileDialog shown(report, nullptr);
    shown.ShowModeless();
    EXPECT_EQ(shown.textEdit()->toPlainText(), "line 1\nline 2\n");
    EXPECT_EQ(platform::findControl<QPushButton>(&shown, 1)->text(), "Print");
    shown.DestroyWindow();
}

// ---- parameters dialog

TEST(UtilityParams, RowsFollowTheRequestsAndOkChecksThem)
{
    platform::ScopedScriptedMessages boxes;
    std::vector<shell::UtilityRequest> requests = {{"Flag", "b", 0, 0, "0x10", 0, 0},
                                                   {"Name", "s", 2, 8, "", 0, 0},
                                                   {"Folder", "d", 0, 0, "/tmp", 0, 0}};
    UtilityParamsDialog dialog(requests, "", "Build all", nullptr);
    dialog.ShowModeless();
    EXPECT_EQ(dialog.windowTitle(), "Enter parameters for utility \"Build all\"");
    EXPECT_EQ(dialog.rowCount(), 3);
    EXPECT_TRUE(dialog.check(0)->isVisibleTo(&dialog));
    EXPECT_TRUE(dialog.check(0)->isChecked());
    EXPECT_FALSE(dialog.edit(0)->isVisibleTo(&dialog));
    QTest::keyClicks(dialog.edit(1), "123456789");
    EXPECT_EQ(dialog.edit(1)->text(), "12345678"); // no ninth character while typing
    EXPECT_TRUE(dialog.browse(2)->isVisibleTo(&dialog));
    EXPECT_FALSE(dialog.browse(1)->isVisibleTo(&dialog));
    EXPECT_FALSE(dialog.edit(3)->isVisibleTo(&dialog));
    EXPECT_FALSE(platform::findControl(&dialog, UtilityParamsDialog::kCommandLabelId)->isVisibleTo(&dialog));
    dialog.grab().save(QString(KORVANE_BUILD_DIR) + "/utility_params.png");
    // Too short: refused, the dialog stays open and nothing is stored.
    dialog.edit(1)->setText("a");
    platform::findControl<QPushButton>(&dialog, 1)->click();
    EXPECT_EQ(boxes->texts(), std::vector<std::string>{"Entry for \"Name\" must be at least 2 characters in length"});
    EXPECT_TRUE(dialog.isLive());
    EXPECT_EQ(requests[1].value, "");
    dialog.edit(1)->setText("abc");
    dialog.check(0)->setChecked(false);
    platform::findControl<QPushButton>(&dialog, 1)->click();
    EXPECT_FALSE(dialog.isLive());
    EXPECT_EQ(requests[0].value, "0");
    EXPECT_EQ(requests[1].value, "abc");
    EXPECT_EQ(requests[2].value, "/tmp");
}

TEST(UtilityParams, YesNoStartsFromTheNumberOfItsDefault)
{
    std::vector<shell::UtilityRequest> requests = {{"A", "b", 0, 0, "yes", 0, 0}, {"B", "b", 0, 0, "", 0, 0}};
    UtilityParamsDialog dialog(requests, "cmd <A> <B>", "U", nullptr);
    dialog.ShowModeless();
    EXPECT_FALSE(dialog.check(0)->isChecked());
    EXPECT_FALSE(dialog.check(1)->isChecked());
    EXPECT_EQ(platform::findControl<QLabel>(&dialog, UtilityParamsDialog::kCommandTextId)->text(), "cmd <A> <B>");
    dialog.check(1)->setChecked(true);
    platform::findControl<QPushButton>(&dialog, 1)->click();
    EXPECT_EQ(requests[1].value, "1");
}

TEST(UtilityParams, ADefaultIsShownWholeAndOnlyTypingIsLimited)
{
    platform::ScopedScriptedMessages boxes;
    std::vector<shell::UtilityRequest> requests = {{"Tag", "s", 0, 4, "abcdefgh", 0, 0},
                                                   {"Count", "n", 0, 0, "0x10", 0, 0}};
    UtilityParamsDialog dialog(requests, "", "U", nullptr);
    dialog.ShowModeless();
    EXPECT_EQ(dialog.edit(0)->text(), "abcdefgh");
    EXPECT_EQ(dialog.edit(1)->text(), "0x10");
    // The long default is reported at OK rather than cut without a word.
    platform::findControl<QPushButton>(&dialog, 1)->click();
    EXPECT_EQ(boxes->texts(), std::vector<std::string>{"Entry for \"Tag\" cannot be more than 4 characters in length"});
    EXPECT_TRUE(dialog.isLive());
    // Typing cannot lengthen it, shortening works; the digits-only row takes digits, refuses letters and can
    // still be mended by deleting.
    dialog.edit(0)->end(false);
    QTest::keyClicks(dialog.edit(0), "x");
    EXPECT_EQ(dialog.edit(0)->text(), "abcdefgh");
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(dialog.edit(0), Qt::Key_Backspace);
    QTest::keyClicks(dialog.edit(0), "xy");
    EXPECT_EQ(dialog.edit(0)->text(), "abcd");
    dialog.edit(1)->end(false);
    QTest::keyClicks(dialog.edit(1), "a5");
    EXPECT_EQ(dialog.edit(1)->text(), "0x105");
    dialog.edit(1)->setCursorPosition(2);
    QTest::keyClick(dialog.edit(1), Qt::Key_Backspace);
    EXPECT_EQ(dialog.edit(1)->text(), "0105");
    platform::findControl<QPushButton>(&dialog, 1)->click();
    EXPECT_FALSE(dialog.isLive());
    EXPECT_EQ(requests[0].value, "abcd");
    EXPECT_EQ(requests[1].value, "0105");
}

// The command is shown as written (its placeholders are no markup); the dialog is wide enough for its
// caption and each edit for its default.
TEST(UtilityParams, TheCommandShowsAsWrittenAndTheDialogFitsItsCaptionAndDefaults)
{
    const std::string longDefault = "0x0123456789abcdef0123456789abcdef";
    std::vector<shell::UtilityRequest> requests = {{"Address", "x", 0, 0, longDefault, 0, 0},
                                                   {"Title", "s", 0, 0, "", 0, 0}};
    UtilityParamsDialog dialog(requests, "echo <Address> <Title> & done", "Show hex limits", nullptr);
    dialog.ShowModeless();
    QWidget* command = platform::findControl(&dialog, UtilityParamsDialog::kCommandTextId);
    QAccessibleInterface* shown = QAccessible::queryAccessibleInterface(command);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->text(QAccessible::Name), "echo <Address> <Title> & done");
    EXPECT_GE(dialog.width(), platform::testing::WindowManagerCaptionWidth(dialog.windowTitle()));
    const QLineEdit* edit = dialog.edit(0);
    EXPECT_GE(edit->width(), edit->fontMetrics().horizontalAdvance(QString::fromStdString(longDefault)));
    for (const std::string& problem : platform::testing::FitProblems(&dialog, "Enter parameters"))
        ADD_FAILURE() << problem;
    dialog.DestroyWindow();
}

// ---- folder picker

TEST(FolderPickerDialog, SelectsTheInitialFolderAndFollowsTheDisk)
{
    platform::ScopedScriptedMessages boxes;
    QTemporaryDir root;
    const std::string base = root.path().toStdString();
    QDir().mkpath(root.path() + "/one/two");
    QDir().mkpath(root.path() + "/three");
    CSelectFolderDialog dialog(nullptr, base + "/one/two", "Output");
    dialog.setDrives({{base, shell::DriveKind::Fixed}});
    dialog.ShowModeless();
    EXPECT_EQ(dialog.windowTitle(), "Select Folder for Output");
    EXPECT_EQ(dialog.folderEdit()->text().toStdString(), base + "/one/two");
    EXPECT_EQ(dialog.tree()->PathOf(dialog.tree()->currentItem()), base + "/one/two");
    dialog.grab().save(QString(KORVANE_BUILD_DIR) + "/folder_picker.png");
    // A folder made meanwhile appears under its parent.
    QDir().mkpath(root.path() + "/four");
    dialog.tree()->RefreshFolder(base);
    EXPECT_NE(dialog.tree()->findItem(base + "/four"), nullptr);
    // Folders made inside listed ones (a closed one, and the open one two levels down) give them their
    // expand marks at the next refresh of the watched parent.
    const auto marked = [&](const char* folder) { return dialog.tree()->findItem(base + folder)->childCount() > 0; };
    ASSERT_FALSE(marked("/three"));
    ASSERT_FALSE(marked("/one/two"));
    QDir().mkpath(root.path() + "/three/inner");
    QDir().mkpath(root.path() + "/one/two/deep");
    QDir().mkpath(root.path() + "/five");
    dialog.tree()->RefreshFolder(base);
    EXPECT_TRUE(marked("/three"));
    EXPECT_TRUE(marked("/one/two"));
    // And lose them when those folders go.
    QDir(root.path() + "/three/inner").removeRecursively();
    dialog.tree()->RefreshFolder(base);
    EXPECT_FALSE(marked("/three"));
    // Selecting a folder shows it in the edit; OK takes the edit's text.
    dialog.tree()->SelectPath(base + "/three");
    EXPECT_EQ(dialog.folderEdit()->text().toStdString(), base + "/three");
    dialog.folderEdit()->setText("/typed");
    platform::findControl<QPushButton>(&dialog, 1)->click();
    EXPECT_EQ(dialog.GetFolder(), "/typed");
    EXPECT_TRUE(boxes->texts().empty());
}

TEST(FolderPickerDialog, FoldersWithNamesBeyondAsciiKeepTheirBytes)
{
    platform::ScopedScriptedMessages boxes;
    QTemporaryDir root;
    const std::string base = root.path().toStdString();
    const std::string accented = base + "/caf\xc3\xa9";         // UTF-8 on disk
    const std::string cyrillic = base + "/\xd0\xbf\xd0\xb0\xd0\xbf"; // likewise
    ASSERT_EQ(::mkdir(accented.c_str(), 0700), 0);
    ASSERT_EQ(::mkdir(cyrillic.c_str(), 0700), 0);
    ASSERT_EQ(::mkdir((accented + "/sub").c_str(), 0700), 0);
    CSelectFolderDialog dialog(nullptr, accented + "/sub", "");
    dialog.setDrives({{base, shell::DriveKind::Fixed}});
    dialog.ShowModeless();
    // Found, selected and handed back byte for byte; never dropped as a folder that went away.
    ASSERT_NE(dialog.tree()->currentItem(), nullptr);
    EXPECT_EQ(dialog.tree()->PathOf(dialog.tree()->currentItem()), accented + "/sub");
    EXPECT_EQ(dialog.tree()->currentItem()->parent()->text(0), QString::fromUtf8("caf\xc3\xa9"));
    EXPECT_TRUE(dialog.tree()->SelectPath(cyrillic));
    EXPECT_NE(dialog.tree()->findItem(cyrillic), nullptr);
    platform::findControl<QPushButton>(&dialog, 1)->click();
    EXPECT_EQ(dialog.GetFolder(), cyrillic);
    EXPECT_TRUE(boxes->texts().empty());
}

// Every folder one may enter is listed: one whose name does not decode (shown with the replacement
// character, handed back by its own bytes) and one reached through a symbolic link; a link to a file or to
// nothing is not a folder.
TEST(FolderPickerDialog, UndecodableNamesAndLinkedFoldersAreListedAndOpenByTheirBytes)
{
    platform::ScopedScriptedMessages boxes;
    QTemporaryDir root;
    const std::string base = root.path().toStdString();
    const std::string bad = base + "/\xff\xfe_bad";
    const std::string target = base + "/target";
    ASSERT_EQ(::mkdir(bad.c_str(), 0700), 0);
    ASSERT_EQ(::mkdir((bad + "/inner").c_str(), 0700), 0);
    ASSERT_EQ(::mkdir(target.c_str(), 0700), 0);
    ASSERT_EQ(::mkdir((target + "/deep").c_str(), 0700), 0);
    ASSERT_EQ(::symlink(target.c_str(), (base + "/linked").c_str()), 0);
    std::ofstream(base + "/file.txt") << "x";
    ASSERT_EQ(::symlink((base + "/file.txt").c_str(), (base + "/to-file").c_str()), 0);
    ASSERT_EQ(::symlink((base + "/gone").c_str(), (base + "/dangling").c_str()), 0);
    CSelectFolderDialog dialog(nullptr, base, "");
    dialog.setDrives({{base, shell::DriveKind::Fixed}});
    dialog.ShowModeless();
    FolderTreeCtrl* tree = dialog.tree();
    QTreeWidgetItem* top = tree->findItem(base);
    ASSERT_NE(top, nullptr);
    std::vector<std::string> listed;
    for (int i = 0; i < top->childCount(); ++i)
        listed.push_back(tree->PathOf(top->child(i)));
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::string>{base + "/linked", base + "/target", bad}));

    ASSERT_TRUE(tree->SelectPath(bad + "/inner"));
    // Drawn with the replacement character, kept as its bytes.
    EXPECT_EQ(tree->currentItem()->parent()->text(0), QString::fromStdU16String(u"\xdcff\xdcfe_bad"));
    ASSERT_TRUE(tree->SelectPath(base + "/linked/deep"));
    EXPECT_EQ(tree->PathOf(tree->currentItem()), base + "/linked/deep");
    ASSERT_TRUE(tree->SelectPath(bad));
    platform::findControl<QPushButton>(&dialog, 1)->click();
    EXPECT_EQ(dialog.GetFolder(), bad);
    EXPECT_TRUE(boxes->texts().empty());

    // A refresh keeps two undecodable names apart though they show alike.
    const std::string twin = base + "/\xfe\xff_bad";
    ASSERT_EQ(::mkdir(twin.c_str(), 0700), 0);
    tree->RefreshFolder(base);
    EXPECT_NE(tree->findItem(twin), nullptr);
    EXPECT_NE(tree->findItem(bad), nullptr);
    EXPECT_EQ(top->childCount(), 4);
    dialog.DestroyWindow();
    // Qt cannot name the undecodable folders to remove them.
    std::filesystem::remove_all(base);
}

TEST(FolderPickerDialog, AMissingInitialFolderIsCreatedOrIgnored)
{
    platform::ScopedScriptedMessages boxes;
    QTemporaryDir root;
    const std::string base = root.path().toStdString();
    boxes->queueAnswer(platform::IdNo);
    CSelectFolderDialog refused(nullptr, base + "/new", "");
    refused.setDrives({{base, shell::DriveKind::Fixed}});
    refused.ShowModeless();
    ASSERT_EQ(boxes->texts().size(), 2u);
    EXPECT_EQ(boxes->texts()[0], "Folder '" + base + "/new' does not exist.\nCreate?");
    EXPECT_EQ(boxes->texts()[1], "Folder '" + base + "/new' will be ignored.");
    EXPECT_TRUE(refused.folderEdit()->text().isEmpty());
    // Once the dialog is up and the tree has focus, nothing has been chosen yet: OK hands back nothing.
    QApplication::setActiveWindow(&refused);
    refused.tree()->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_TRUE(refused.folderEdit()->text().isEmpty());
    platform::findControl<QPushButton>(&refused, 1)->click();
    EXPECT_EQ(refused.GetFolder(), "");
    refused.DestroyWindow();

    boxes->clear();
    boxes->queueAnswer(platform::IdYes);
    CSelectFolderDialog created(nullptr, base + "/new", "");
    created.setDrives({{base, shell::DriveKind::Fixed}});
    created.ShowModeless();
    EXPECT_TRUE(QDir(root.path() + "/new").exists());
    EXPECT_EQ(created.folderEdit()->text().toStdString(), base + "/new");
    created.DestroyWindow();

    // A name that does not decode is created as its own bytes, then selected, watched and handed back.
    boxes->clear();
    boxes->queueAnswer(platform::IdYes);
    const std::string odd = base + "/nf_\xff\xfe";
    CSelectFolderDialog oddDialog(nullptr, odd, "");
    oddDialog.setDrives({{base, shell::DriveKind::Fixed}});
    oddDialog.ShowModeless();
    EXPECT_EQ(boxes->texts(), std::vector<std::string>{"Folder '" + odd + "' does not exist.\nCreate?"});
    struct stat info {};
    ASSERT_EQ(::stat(odd.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(oddDialog.tree()->PathOf(oddDialog.tree()->currentItem()), odd);
    platform::findControl<QPushButton>(&oddDialog, 1)->click();
    EXPECT_EQ(oddDialog.GetFolder(), odd);
    oddDialog.DestroyWindow();
    std::filesystem::remove_all(base);
}

// The tree follows the disk by itself: a folder made in an expanded folder whose name does not decode
// appears once the system reports it, with no refresh asked for.
TEST(FolderPickerDialog, AnExpandedFolderWhoseNameDoesNotDecodeIsWatched)
{
    platform::ScopedScriptedMessages boxes;
    QTemporaryDir root;
    const std::string base = platform::toBytes(root.path());
    const std::string bad = base + "/\xff\xfe_bad";
    ASSERT_EQ(::mkdir(bad.c_str(), 0700), 0);
    ASSERT_EQ(::mkdir((bad + "/inner").c_str(), 0700), 0);
    CSelectFolderDialog dialog(nullptr, bad + "/inner", "");
    dialog.setDrives({{base, shell::DriveKind::Fixed}});
    dialog.ShowModeless();
    FolderTreeCtrl* tree = dialog.tree();
    ASSERT_NE(tree->findItem(bad), nullptr);
    EXPECT_TRUE(tree->Watching(base));
    EXPECT_TRUE(tree->Watching(bad));
    ASSERT_EQ(::mkdir((bad + "/later").c_str(), 0700), 0);
    EXPECT_TRUE(waitFor([&] { return tree->findItem(bad + "/later") != nullptr; }));
    ASSERT_EQ(::mkdir((base + "/\xfe_top").c_str(), 0700), 0);
    EXPECT_TRUE(waitFor([&] { return tree->findItem(base + "/\xfe_top") != nullptr; }));
    dialog.DestroyWindow();
    std::filesystem::remove_all(base);
}

// ---- fit

TEST(ShellDialogs, ShowWhatTheyHoldWithoutOverlaps)
{
    platform::ScopedScriptedMessages boxes;
    QTemporaryDir root;
    const std::string deep = root.path().toStdString() + "/projects/demo/gen/control/include";
    QDir().mkpath(QString::fromStdString(deep));
    std::vector<std::string> problems;
    const auto check = [&](QWidget* window, const std::string& where) {
        const auto found = platform::testing::FitProblems(window, where);
        problems.insert(problems.end(), found.begin(), found.end());
    };

    std::vector<shell::UtilityRequest> requests = {
        {"Folder holding the generated header files", "d", 0, 0, deep, 0, 0},
        {"Optimise", "b", 0, 0, "1", 0, 0},
        {"Name", "s", 2, 8, "demo", 0, 0}};
    UtilityParamsDialog parameters(requests, "make -C ${Folder} $Name", "Build all", nullptr);
    parameters.ShowModeless();
    check(&parameters, "Enter parameters");
    parameters.DestroyWindow();

    CSelectFolderDialog picker(nullptr, deep, "Output");
    picker.setDrives({{root.path().toStdString(), shell::DriveKind::Fixed}});
    picker.ShowModeless();
    check(&picker, "Select Folder");
    picker.DestroyWindow();

    CommandOutputDialog output("echo done", true, nullptr);
    output.ShowModeless();
    ASSERT_TRUE(waitFor([&] { return output.isDone(); }));
    check(&output, "Output from command");
    output.DestroyWindow();

    const std::string report = deep + "/report.txt";
    std::ofstream(report) << "text\tdata\tbss\n";
    ShowFileDialog viewer(report, nullptr);
    viewer.ShowModeless();
    check(&viewer, "Showing file");
    viewer.DestroyWindow();

    for (const std::string& problem : problems)
        ADD_FAILURE() << problem;
    EXPECT_TRUE(boxes->texts().empty());
}

// ---- single instance and list widths

TEST(SingleInstance, ALaterStartLeavesItsRequestForTheLiveHolderAndOnlyAFreedLockStartsAnother)
{
    QTemporaryDir temporary;
    const std::string folder = platform::toBytes(temporary.path());
    const QString name = QStringLiteral("OMBAgen-test");
    auto first = std::make_unique<shell::SingleInstanceGuard>(name, folder);
    int waiting = 0;
    QObject::connect(first.get(), &shell::SingleInstanceGuard::requestsWaiting, [&] { ++waiting; });
    ASSERT_EQ(first->Start("/own/start.omb"), shell::SingleInstanceGuard::Outcome::First);
    EXPECT_TRUE(waitFor([&] { return waiting == 1; })); // once as the event loop runs
    EXPECT_FALSE(first->TakeRequest());
    // Later starts while it lives: each leaves its request, however long the holder is away; the holder
    // is told, and takes the latest with the earlier ones.
    for (const std::string& request : {std::string("/p/one.omb"), std::string(), std::string("/p/\xff two.omb")}) {
        shell::SingleInstanceGuard later(name, folder);
        EXPECT_EQ(later.Start(request), shell::SingleInstanceGuard::Outcome::HandedOver);
    }
    EXPECT_TRUE(waitFor([&] { return waiting >= 2; }));
    EXPECT_EQ(first->TakeRequest(), std::optional<std::string>("/p/\xff two.omb"));
    EXPECT_FALSE(first->TakeRequest());
    {
        shell::SingleInstanceGuard later(name, folder);
        EXPECT_EQ(later.Start(), shell::SingleInstanceGuard::Outcome::HandedOver);
        EXPECT_EQ(first->TakeRequest(), std::optional<std::string>(std::string()));
    }
    // The lock file removed or replaced under the holder (a cleaner of the temporary folder): the holder
    // still lives, so later starts still leave their requests; and the holder is told.
    const std::string lock = folder + "/OMBAgen-test.lock";
    for (const bool replaced : {false, true}) {
        ASSERT_EQ(::unlink(lock.c_str()), 0);
        if (replaced)
            std::ofstream(lock) << "";
        const int before = waiting;
        shell::SingleInstanceGuard later(name, folder);
        EXPECT_EQ(later.Start("/p/cleaned.omb"), shell::SingleInstanceGuard::Outcome::HandedOver);
        EXPECT_TRUE(waitFor([&] { return waiting > before; }));
        EXPECT_EQ(first->TakeRequest(), std::optional<std::string>("/p/cleaned.omb"));
    }
    {
        shell::SingleInstanceGuard later(name, folder);
        EXPECT_EQ(later.Start("/p/late.omb"), shell::SingleInstanceGuard::Outcome::HandedOver);
    }
    first.reset();
    // A holder that never answers (a lock held by something else) is a live holder all the same.
    const int held = ::open((folder + "/OMBAgen-test.lock").c_str(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    {
        shell::SingleInstanceGuard later(name, folder);
        EXPECT_EQ(later.Start("/p/later.omb"), shell::SingleInstanceGuard::Outcome::HandedOver);
    }
    ::close(held);
    // Once the holder is gone the next start is the first; requests left for the one that ended are gone,
    // and one left once it holds the lock (named later than its start) is its own.
    const std::string after = folder + "/OMBAgen-test.requests/99999999999999999999-000000000-1";
    std::ofstream(after) << "/p/after.omb";
    shell::SingleInstanceGuard next(name, folder);
    EXPECT_EQ(next.Start("/own/next.omb"), shell::SingleInstanceGuard::Outcome::First);
    EXPECT_EQ(next.TakeRequest(), std::optional<std::string>("/p/after.omb"));
    EXPECT_FALSE(next.TakeRequest());

    // A folder whose name does not decode holds the lock and the requests as its bytes name them.
    const std::string odd = folder + "/lock_\xff\xfe";
    ASSERT_EQ(::mkdir(odd.c_str(), 0700), 0);
    {
        shell::SingleInstanceGuard oddFirst(name, odd);
        EXPECT_EQ(oddFirst.Start(), shell::SingleInstanceGuard::Outcome::First);
        EXPECT_TRUE(exists(odd + "/OMBAgen-test.lock"));
        EXPECT_EQ(shell::SingleInstanceGuard(name, odd).Start("/p/x.omb"), shell::SingleInstanceGuard::Outcome::HandedOver);
        EXPECT_EQ(oddFirst.TakeRequest(), std::optional<std::string>("/p/x.omb"));
    }
    std::filesystem::remove_all(odd);
    // No lock can be made in a folder that is not there: the start runs without one.
    EXPECT_EQ(shell::SingleInstanceGuard(name, folder + "/missing").Start(), shell::SingleInstanceGuard::Outcome::Unguarded);
}

TEST(ObjectList, WidthsAreRememberedPerView)
{
    QTreeWidget list;
    ObjectListPane pane(&list, nullptr);
    shell::ListSource source;
    pane.SetView(2, source);
    list.setColumnWidth(0, 77);
    pane.SetView(1, source);
    EXPECT_EQ(list.columnWidth(0), ObjectListPane::kDefaultWidth);
    EXPECT_EQ(list.headerItem()->text(0), "CPU");
    pane.SetView(2, source);
    EXPECT_EQ(list.columnWidth(0), 77);
    // An empty view is sized to its headers, never beyond the cap.
    pane.Fill(2, source, false);
    EXPECT_EQ(list.topLevelItemCount(), 0);
    for (int c = 0; c < list.columnCount(); ++c)
        EXPECT_LE(list.columnWidth(c), ObjectListPane::kMaxWidth);
}

TEST(TextPrinter, PagesHoldWhatFitsAndTheTextReachesThePrinter)
{
    EXPECT_EQ(shell::LinesPerPage(100, 10), 10);
    EXPECT_EQ(shell::LinesPerPage(5, 10), 1);
    EXPECT_EQ(shell::LinesPerPage(100, 0), 1);
    EXPECT_EQ(shell::ExpandTabs("text\tdata\tbss"), "text    data    bss");
    EXPECT_EQ(shell::ExpandTabs("\t12345678\tx"), "        12345678        x");
    EXPECT_EQ(shell::ExpandTabs("no tabs"), "no tabs");
    EXPECT_EQ(shell::WrapLine("abcdefg", 3), (QStringList{"abc", "def", "g"}));
    EXPECT_EQ(shell::WrapLine("", 3), QStringList{QString()});
    EXPECT_EQ(shell::WrapLine("ab", 0), (QStringList{"a", "b"}));
    QTemporaryDir folder;
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(folder.path() + "/report.pdf");
    std::string text;
    for (int i = 0; i < 200; ++i)
        text += "line\t" + std::to_string(i) + std::string(i % 3 ? 0 : 300, '=') + "\r\n";
    EXPECT_TRUE(shell::PrintTextOn(printer, text));
    // Over two hundred lines (a third of them wrapped) take several pages.
    QFile pdf(folder.path() + "/report.pdf");
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_GE(pdf.readAll().count("/Type /Page\n"), 3);
}

} // namespace
