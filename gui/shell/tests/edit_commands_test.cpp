// Edit commands of the main window over the demo, with editors that act at once: Add with "Add another",
// Delete, Change, Mark Dirty, Enable/Disable, the MP attribute, drag and drop and the list's keys.

#include "shell_fixture.h"

#include "gui/shell/editor_services.h"

#include "engine/names/project_walk.h"
#include "engine/ops/record_arrays.h"
#include "engine/records/text_field.h"

#include <QApplication>
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

} // namespace
} // namespace shell::test
