// Edit commands of the main window over the demo, with editors that act at once: Add with "Add another",
// Delete, Change, Mark Dirty, Enable/Disable, the MP attribute, drag and drop and the list's keys.

#include "shell_fixture.h"

#include "gui/shell/editor_services.h"

#include "engine/names/project_walk.h"
#include "engine/ops/record_arrays.h"
#include "engine/records/text_field.h"

#include <QApplication>
#include <QMenu>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <QTreeWidgetItemIterator>

namespace shell::test {
namespace {

class FakeEditors : public EditorServices {
public:
    std::vector<std::string> calls;
    int answer = EditorOk;
    std::string nodeName;

    int AddClassObject(engine::ProjectManager&, engine::ProjectRecord&, engine::ApplicationClassEntry& entry,
                       bool) override
    {
        calls.push_back("AddClassObject " + engine::textString(entry.name));
        if (answer != EditorOk)
            return answer;
        engine::ObjectRecord* object = engine::InsertClassObject(entry, entry.objectCount);
        engine::setText(object->name, "added" + std::to_string(entry.objectCount));
        object->enabled = 1;
        return EditorOk;
    }
    void DeleteClassObject(engine::ProjectManager&, engine::ApplicationClassEntry& entry, uint32_t item) override
    {
        calls.push_back("DeleteClassObject");
        for (int32_t i = 0; i < entry.objectCount; ++i) {
            if (entry.objects[i].treeItem == item) {
                engine::RemoveClassObjectAt(entry, i);
                return;
            }
        }
    }
    int MoveObjectToClass(engine::ProjectManager&, engine::ProjectRecord&, engine::ObjectRecord& object,
                          engine::ApplicationClassEntry& target, engine::ObjectRecord* position) override
    {
        calls.push_back("MoveObjectToClass " + engine::textString(object.name) + " " + engine::textString(target.name) +
                        (position ? " " + engine::textString(position->name) : std::string()));
        return answer;
    }
    int MoveObjectToParent(engine::ProjectManager&, engine::ProjectRecord&, engine::ObjectRecord& object,
                           engine::ObjectRecord& parent, engine::ObjectRecord* position) override
    {
        calls.push_back("MoveObjectToParent " + engine::textString(object.name) + " " + engine::textString(parent.name) +
                        (position ? " " + engine::textString(position->name) : std::string()));
        return answer;
    }
    int EditObjectProperties(engine::ProjectManager&, engine::ProjectRecord&, engine::CpuRecord&,
                             engine::ApplicationRecord&, engine::ApplicationClassEntry&, engine::ObjectRecord& object) override
    {
        calls.push_back("EditObjectProperties " + engine::textString(object.name));
        return answer;
    }
    int ClassOptionsDialog(engine::ApplicationClassEntry& entry, engine::CpuRecord&, engine::ApplicationRecord&,
                           QWidget*) override
    {
        calls.push_back("ClassOptions " + engine::textString(entry.name));
        return answer;
    }
    int ProjectPropertiesDialog(ProjectProperties& properties, QWidget*) override
    {
        calls.push_back("ProjectProperties " + properties.name);
        properties.name = "Renamed";
        return answer;
    }
    int NodeNameDialog(engine::ApplicationRecord&, std::string& name, const std::string& problem,
                       const std::string&) override
    {
        calls.push_back("NodeName " + problem);
        name = nodeName;
        return answer;
    }
};

class EditCommands : public ShellFixture {
protected:
    void SetUp() override
    {
        ShellFixture::SetUp();
        m_previous = setEditorServices(&m_editors);
    }
    void TearDown() override
    {
        setEditorServices(m_previous);
        ShellFixture::TearDown();
    }
    engine::TreeNode node() { return m_window->currentNode(); }

    FakeEditors m_editors;
    EditorServices* m_previous = nullptr;
};

TEST_F(EditCommands, AddAsksForAnotherUntilTheClassIsFull)
{
    startWindow(true);
    selectNode("Pipes");
    const int32_t before = node().entry->objectCount;
    m_boxes->service().queueAnswer(platform::IdYes);
    m_boxes->service().queueAnswer(platform::IdNo);
    m_window->OnEditAdd();
    settle();
    EXPECT_EQ(m_editors.calls.size(), 2u);
    ASSERT_GE(m_boxes->service().texts().size(), 1u);
    EXPECT_EQ(m_boxes->service().texts()[0].rfind("Add another ", 0), 0u);
    EXPECT_EQ(node().kind, engine::NodeClassEntry);
    EXPECT_EQ(node().entry->objectCount, before + 2);
    // The new objects are in the tree.
    bool found = false;
    for (QTreeWidgetItemIterator it(m_window->tree()); *it; ++it)
        found = found || (*it)->text(0) == QString("added%1").arg(before + 2);
    EXPECT_TRUE(found);
    // A cancelled editor asks nothing.
    m_boxes->service().clear();
    m_editors.answer = EditorCancel;
    m_window->OnEditAdd();
    EXPECT_TRUE(m_boxes->service().texts().empty());
}

TEST_F(EditCommands, DeleteConfirmsWithTheCaptionOfTheKind)
{
    startWindow(true);
    selectNode("pipeConsole");
    engine::ApplicationRecord* control = node().application;
    m_boxes->service().queueAnswer(platform::IdNo);
    m_window->OnEditDelete();
    ASSERT_EQ(m_boxes->service().boxes().size(), 1u);
    EXPECT_EQ(m_boxes->service().boxes()[0].text, "Confirm deletion of 'pipeConsole'?");
    EXPECT_EQ(m_boxes->service().boxes()[0].caption, "Deleting Static Object");
    EXPECT_TRUE(m_editors.calls.empty());
    m_boxes->service().queueAnswer(platform::IdYes);
    m_window->OnEditDelete();
    settle();
    EXPECT_EQ(m_editors.calls, std::vector<std::string>{"DeleteClassObject"});
    EXPECT_EQ(control->edited, 1);
    // Project and class nodes ask nothing.
    m_boxes->service().clear();
    selectNode("Demo");
    m_window->OnEditDelete();
    EXPECT_TRUE(m_boxes->service().texts().empty());
}

TEST_F(EditCommands, ChangeOnTheProjectRenamesItAndMarksItEdited)
{
    startWindow(true);
    selectNode("Demo");
    m_window->OnEditChange();
    settle();
    EXPECT_EQ(m_editors.calls, std::vector<std::string>{"ProjectProperties Demo"});
    EXPECT_EQ(engine::textString(m_window->GetProject().name), "Renamed");
    EXPECT_EQ(m_window->GetProject().edited, 1);
    EXPECT_EQ(m_window->tree()->topLevelItem(0)->text(0), "Renamed");
}

TEST_F(EditCommands, MarkDirtyAndEnableDisable)
{
    startWindow(true);
    selectNode("Pipes");
    engine::ApplicationClassEntry* pipes = node().entry;
    pipes->cFileDirty = pipes->hFileDirty = pipes->mFileDirty = 0;
    node().application->edited = 0;
    m_window->OnTreeMarkDirty();
    EXPECT_EQ(pipes->cFileDirty + pipes->hFileDirty + pipes->mFileDirty, 3);
    EXPECT_EQ(node().application->edited, 1);

    selectNode("pipeConsole");
    engine::ObjectRecord* pipe = node().object;
    ASSERT_EQ(pipe->enabled, 1);
    m_window->OnObjectToggleEnable();
    EXPECT_EQ(node().object->enabled, 0);
    EXPECT_TRUE(m_boxes->service().texts().empty());
    m_window->OnObjectToggleEnable();
    EXPECT_EQ(node().object->enabled, 1) << (m_boxes->service().texts().empty() ? "" : m_boxes->service().texts()[0]);
    // A namesake that is enabled refuses the enable.
    node().object->enabled = 0;
    engine::setText(node().object->name, "semTxDone");
    m_window->OnObjectToggleEnable();
    EXPECT_EQ(node().object->enabled, 0);
    ASSERT_FALSE(m_boxes->service().texts().empty());
    EXPECT_EQ(m_boxes->service().texts().back(), "An object with the same name already exists");
}

TEST_F(EditCommands, ApplicationMpNeedsAUniqueNodeName)
{
    startWindow(true);
    selectNode("*Link");
    engine::ApplicationRecord* link = node().application;
    ASSERT_EQ(link->isMp, 1);
    // Switching off always works and clears every object's MP flag.
    EXPECT_EQ(m_window->SetApplicationMp(*link, false, true), 1);
    EXPECT_EQ(link->isMp, 0);
    EXPECT_EQ(engine::ForEachApplicationObject(*link, [](engine::ObjectRecord& o) { return o.isMp; }), 0);
    EXPECT_EQ(link->projectHDirty, 1);
    // Back on with an empty node name: not interactive counts as Cancel.
    link->nodeName[0] = 0;
    EXPECT_EQ(m_window->SetApplicationMp(*link, true, false), 0);
    EXPECT_EQ(link->isMp, 0);
    // Interactive: the dialog supplies a name.
    m_editors.nodeName = "node_1";
    EXPECT_EQ(m_window->SetApplicationMp(*link, true, true), 1);
    EXPECT_EQ(engine::textString(link->nodeName), "node_1");
    ASSERT_FALSE(m_editors.calls.empty());
    EXPECT_EQ(m_editors.calls[0], "NodeName Node name cannot be empty");
}

TEST_F(EditCommands, DragAndDropAsksTheEditorsToMove)
{
    startWindow(true);
    const uint32_t semaphore = selectNode("semTxDone");
    const uint32_t other = selectNode("semRxReady");
    const uint32_t semaphores = m_window->tree()->GetParentItem(semaphore);
    const uint32_t tasks = selectNode("Tasks");
    EXPECT_TRUE(m_window->CanDragTreeItem(semaphore));
    EXPECT_FALSE(m_window->CanDragTreeItem(semaphores));
    EXPECT_TRUE(m_window->CanDropTreeItem(semaphores, semaphore));
    EXPECT_TRUE(m_window->CanDropTreeItem(other, semaphore));
    EXPECT_FALSE(m_window->CanDropTreeItem(tasks, semaphore));
    EXPECT_FALSE(m_window->CanDropTreeItem(semaphore, semaphore));
    m_window->DropTreeItem(other, semaphore);
    EXPECT_EQ(m_editors.calls, std::vector<std::string>{"MoveObjectToClass semTxDone Semaphore semRxReady"});
    // A thread dropped on a level becomes its child.
    m_editors.calls.clear();
    settle();
    const uint32_t thread = selectNode("thrLogger");
    const uint32_t level = selectNode("lvlControl");
    EXPECT_TRUE(m_window->CanDropTreeItem(level, thread));
    m_window->DropTreeItem(level, thread);
    EXPECT_EQ(m_editors.calls, std::vector<std::string>{"MoveObjectToParent thrLogger lvlControl"});
    settle();
    EXPECT_EQ(m_window->tree()->currentItem()->text(0), "lvlControl");
}

TEST_F(EditCommands, ListKeysActOnTheRowsNode)
{
    startWindow(true);
    const uint32_t tasks = selectNode("Tasks");
    QTreeWidget* list = m_window->listPane().list();
    ASSERT_GT(list->topLevelItemCount(), 0);
    list->setCurrentItem(list->topLevelItem(0));
    EXPECT_TRUE(m_window->OnListKeyDown(Qt::Key_Control));
    EXPECT_EQ(m_editors.calls, std::vector<std::string>{"EditObjectProperties tskMain"});
    settle();
    (void)tasks;
    EXPECT_TRUE(m_window->OnListKeyDown(Qt::Key_Home));
    EXPECT_EQ(m_window->tree()->GetSelectedItem(), m_window->tree()->GetRootItem());
}

// A class entry chained to another shares its tree item; Change on its row is about the chained entry.
TEST_F(EditCommands, ChangeOnAChainedClassRowOpensThatClassesOptions)
{
    startWindow(true);
    selectNode("Control");
    QTreeWidget* list = m_window->listPane().list();
    QTreeWidgetItem* chained = nullptr;
    for (int r = 0; r < list->topLevelItemCount() && !chained; ++r)
        if (list->topLevelItem(r)->text(0) == "> Thread")
            chained = list->topLevelItem(r);
    ASSERT_NE(chained, nullptr);
    EXPECT_EQ(m_window->listPane().chainDepthOfRow(chained), 1);
    list->setCurrentItem(chained);
    EXPECT_TRUE(m_window->OnListKeyDown(Qt::Key_Control));
    EXPECT_EQ(m_editors.calls, std::vector<std::string>{"ClassOptions Thread"});
    settle();
    m_editors.calls.clear();
    // The rebuilt tree names its items anew: take the row again.
    selectNode("Control");
    QTreeWidgetItem* again = nullptr;
    for (int r = 0; r < list->topLevelItemCount() && !again; ++r)
        if (list->topLevelItem(r)->text(0) == "> Thread")
            again = list->topLevelItem(r);
    ASSERT_NE(again, nullptr);
    m_window->setListContextItem(m_window->listPane().treeItemOfRow(again), m_window->listPane().chainDepthOfRow(again));
    m_window->OnListCommand(CmdListChange);
    EXPECT_EQ(m_editors.calls, std::vector<std::string>{"ClassOptions Thread"});
    settle();
}

TEST_F(EditCommands, ListMenuCommandsLeaveTheTreeOnTheListsNode)
{
    startWindow(true);
    const uint32_t project = selectNode("Demo");
    const uint32_t main = m_window->GetProject().cpus[0].treeItem;
    m_window->setListContextItem(main);
    m_window->OnListCommand(CmdListChange);
    settle();
    EXPECT_EQ(m_window->tree()->GetSelectedItem(), m_window->GetProject().treeItem);
    EXPECT_EQ(m_window->nodeKind(), engine::NodeProject);
    (void)project;
    // An add from the list rebuilds at once; the tree still ends on the node the list shows.
    selectNode("Pipes");
    const uint32_t pipe = m_window->listPane().treeItemOfRow(m_window->listPane().list()->topLevelItem(0));
    m_window->setListContextItem(pipe);
    m_window->OnListCommand(CmdListChange);
    settle();
    EXPECT_EQ(m_window->tree()->currentItem()->text(0), "Pipes");
    EXPECT_EQ(m_editors.calls, std::vector<std::string>{"EditObjectProperties pipeConsole"});
}

// The texts of the popup menu that is up, then the key pressed on it (none: Escape closes it).
void readPopupThenPress(QStringList& texts, QChar key)
{
    QTimer::singleShot(0, [&texts, key] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        for (const QAction* action : menu->actions())
            texts << (action->isSeparator() ? QStringLiteral("-") : action->text());
        if (key.isNull())
            QTest::keyClick(menu, Qt::Key_Escape);
        else
            QTest::keyClick(menu, key.toLatin1());
    });
}

// The list row whose first column reads the text, or null.
QTreeWidgetItem* listRow(QTreeWidget* list, const QString& text)
{
    for (int r = 0; r < list->topLevelItemCount(); ++r) {
        if (list->topLevelItem(r)->text(0) == text)
            return list->topLevelItem(r);
    }
    return nullptr;
}

// A right-click on the row, as the list gets it.
void rightClick(QTreeWidget* list, QTreeWidgetItem* row)
{
    emit list->customContextMenuRequested(list->visualItemRect(row).center());
}

// Each letter underlined in a menu opens one item only.
void expectOwnMnemonics(const QStringList& texts, const std::string& where)
{
    QSet<QChar> letters;
    for (const QString& text : texts) {
        const qsizetype at = text.indexOf(QLatin1Char('&'));
        if (at < 0 || at + 1 >= text.size())
            continue;
        const QChar letter = text.at(at + 1).toLower();
        EXPECT_FALSE(letters.contains(letter)) << where << ": " << text.toStdString();
        letters.insert(letter);
    }
}

// The list's menu names the row it was opened on, a chained class's row included, and its commands act
// on that row, not on the tree's node.
TEST_F(EditCommands, ListMenusNameAndActOnTheirRow)
{
    startWindow(true);
    selectNode("Control");
    QTreeWidget* list = m_window->listPane().list();
    QTreeWidgetItem* thread = listRow(list, QStringLiteral("> Thread"));
    ASSERT_NE(thread, nullptr);
    QStringList texts;
    readPopupThenPress(texts, QLatin1Char('r'));
    rightClick(list, thread);
    settle();
    EXPECT_EQ(texts, QStringList{QStringLiteral("Thread P&roperties")});
    EXPECT_EQ(m_editors.calls, std::vector<std::string>{"ClassOptions Thread"});
    for (int r = 0; r < list->topLevelItemCount(); ++r) {
        QTreeWidgetItem* row = list->topLevelItem(r);
        if (!row->text(0).startsWith(QLatin1Char('>')))
            continue;
        texts.clear();
        readPopupThenPress(texts, QChar());
        rightClick(list, row);
        settle();
        const QString name = row->text(0).remove(QLatin1Char('>')).trimmed();
        EXPECT_EQ(texts, QStringList{name + QStringLiteral(" P&roperties")}) << row->text(0).toStdString();
    }

    // Enable MP on an application's row switches that application, whatever the tree shows.
    selectNode("*Comms");
    engine::ApplicationRecord* link = nullptr;
    for (int32_t c = 0; c < m_window->GetProject().cpuCount; ++c) {
        engine::CpuRecord& cpu = m_window->GetProject().cpus[c];
        for (int32_t a = 0; a < cpu.applicationCount; ++a)
            if (engine::textOf(cpu.applications[a].name) == "Link")
                link = &cpu.applications[a];
    }
    ASSERT_NE(link, nullptr);
    ASSERT_EQ(link->isMp, 1);
    QTreeWidgetItem* linkRow = nullptr;
    for (int r = 0; r < list->topLevelItemCount() && !linkRow; ++r)
        if (m_window->listPane().treeItemOfRow(list->topLevelItem(r)) == link->treeItem)
            linkRow = list->topLevelItem(r);
    ASSERT_NE(linkRow, nullptr);
    texts.clear();
    readPopupThenPress(texts, QLatin1Char('n'));
    rightClick(list, linkRow);
    settle();
    EXPECT_TRUE(texts.contains(QStringLiteral("E&nable MP"))) << texts.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(link->isMp, 0);
    EXPECT_EQ(m_window->nodeKind(), engine::NodeCpu) << "the tree stays on its node";
    // The list shows the node the tree shows: Comms's applications, Link among them.
    bool linkListed = false;
    for (int r = 0; r < list->topLevelItemCount(); ++r)
        linkListed = linkListed || m_window->listPane().treeItemOfRow(list->topLevelItem(r)) == link->treeItem;
    EXPECT_TRUE(linkListed) << "the list shows another node than the tree";
}

// Every context menu of every node, in the tree and in the list (chained class rows too), gives each of
// its items a mnemonic letter of its own.
TEST_F(EditCommands, EveryContextMenuHasMnemonicsOfItsOwn)
{
    startWindow(true);
    std::vector<uint32_t> items;
    for (QTreeWidgetItemIterator it(m_window->tree()); *it; ++it)
        items.push_back(m_window->tree()->idOf(*it));
    ASSERT_GT(items.size(), 20u);
    int walked = 0;
    for (const uint32_t item : items) {
        for (const bool tree : {true, false}) {
            for (int depth = 0; depth < (tree ? 1 : 3); ++depth) {
                m_window->setListContextItem(item, depth);
                QStringList texts;
                for (const MenuItem& entry : m_window->ContextMenuItems(item, tree))
                    texts << QString::fromStdString(entry.text);
                expectOwnMnemonics(texts, std::to_string(item) + (tree ? " tree" : " list") + std::to_string(depth));
                ++walked;
            }
        }
    }
    m_window->setListContextItem(0, 0);
    // And the menus as shown: one of each kind, opened for real.
    for (const char* node : {"Demo", "Main", "Control", "Tasks", "tskMain", "lvlControl", "thrLogger"}) {
        QStringList texts;
        const uint32_t item = selectNode(QString::fromLatin1(node));
        readPopupThenPress(texts, QChar());
        m_window->ShowContextMenu(item, true, QPoint(0, 0));
        settle();
        ASSERT_FALSE(texts.isEmpty()) << node;
        expectOwnMnemonics(texts, node);
    }
    EXPECT_GT(walked, 80);
}

} // namespace
} // namespace shell::test
