// The class-specific fields, clicks and check orders of the object dialogs.
#include "gui/editors/model/object_dialog_factory.h"
#include "gui/editors/model/object_models.h"
#include "gui/editors/model/tests/editor_fixture.h"

#include "engine/records/counted_array.h"
#include "engine/records/text_field.h"

namespace editors::test {
namespace {

using engine::textString;

class ClassDialogsTest : public EditorFixture {
protected:
    ObjectDialogModel& open(engine::ObjectRecord& object, int32_t classType)
    {
        m_model = makeObjectDialogModel(cpu(), app(), entry(classType), object);
        m_state = ViewState();
        m_model->init(m_state);
        return *m_model;
    }
    // OK with the texts given as (id, text) pairs; returns the message shown, empty when none.
    std::string okWith(std::initializer_list<std::pair<int, std::string>> texts)
    {
        for (const auto& [id, text] : texts)
            m_state[id].text = text;
        clearMessages();
        m_last = m_model->ok(m_state, m_host);
        const auto shown = messages();
        return shown.empty() ? std::string() : shown.back();
    }
    void click(int id, int check)
    {
        m_state[id].check = check;
        m_model->clicked(id, m_state);
    }
    std::unique_ptr<ObjectDialogModel> m_model;
    ViewState m_state;
    OkOutcome m_last;
};

TEST_F(ClassDialogsTest, CounterAndAlarmRefuseZeroAndParseNumbers)
{
    engine::ObjectRecord& source = addObject(engine::ClassEventSource, "es");
    engine::ObjectRecord& counter = addObject(engine::ClassCounter, "cnt", &source);
    open(counter, engine::ClassCounter);
    EXPECT_EQ(okWith({{IdField1067, "abc"}}), "The modulus must be non-zero");
    EXPECT_EQ(m_last.focusId, IdField1067);
    EXPECT_EQ(okWith({{IdField1067, "0x10"}}), "");
    EXPECT_EQ(block<engine::CounterData>(counter).modulus, 16);

    engine::ObjectRecord& alarm = addObject(engine::ClassAlarm, "alm", &source.children[0]);
    open(alarm, engine::ClassAlarm);
    EXPECT_EQ(m_state.text(IdField1068), "1");
    EXPECT_EQ(okWith({}), "The initial count must be non-zero");
    EXPECT_EQ(okWith({{IdField1067, "010"}, {IdField1068, "0"}}), "");
    EXPECT_EQ(block<engine::AlarmData>(alarm).initialCount, 8);
    EXPECT_EQ(block<engine::AlarmData>(alarm).recycleCount, 0);
}

TEST_F(ClassDialogsTest, CounterWithoutMultiStackClearsTicksliceAtOpening)
{
    engine::ObjectRecord& source = addObject(engine::ClassEventSource, "es");
    engine::ObjectRecord& counter = addObject(engine::ClassCounter, "cnt", &source);
    block<engine::CounterData>(counter).ticksliceCounter = 1;
    kernel().framework = 0x1;
    open(counter, engine::ClassCounter);
    EXPECT_EQ(block<engine::CounterData>(counter).ticksliceCounter, 0);
    EXPECT_FALSE(m_state[IdField1070].enabled);
    EXPECT_EQ(okWith({}), "");
    // The forced change is a change of the object's C file.
    EXPECT_EQ(entry(engine::ClassCounter).cFileDirty, 1);
}

TEST_F(ClassDialogsTest, ExceptionChecksRunInTheirOrder)
{
    addObject(engine::ClassMailbox, "mbx");
    engine::ObjectRecord& exception = addObject(engine::ClassException, "exc");
    open(exception, engine::ClassException);
    EXPECT_EQ(okWith({{IdField1067, "0"}, {IdName, ""}}), "Interrupt level must be in the range of 1 to 7");
    EXPECT_EQ(okWith({{IdField1067, "7"}, {IdField1068, "256"}}),
              "Vector number must be in the range of 0 to 255, or -1");
    EXPECT_EQ(okWith({{IdField1068, "-1"}}), "Object name has zero length. Please specify a non-null string.");
    EXPECT_EQ(block<engine::ExceptionData>(exception).vectorNumber, -1);
    EXPECT_EQ(okWith({{IdName, "exc"}, {IdField1069, "1isr"}}),
              "Entry point name starts with a digit. This is an invalid symbol name for the compiler.");
    EXPECT_EQ(okWith({{IdField1069, " mbx "}}), "ISR has the same name as an existing object");
    EXPECT_EQ(textString(block<engine::ExceptionData>(exception).isrAddress), "mbx");
    EXPECT_EQ(okWith({{IdField1069, "exc"}}), "Entry point name must be different from Exception name");
    EXPECT_EQ(m_state.text(IdField1069), "exc");
    // Blanks around either text do not make them differ.
    EXPECT_EQ(okWith({{IdName, " exc"}, {IdField1069, "exc "}}),
              "Entry point name must be different from Exception name");
    EXPECT_EQ(okWith({{IdField1069, "exc_isr"}}), "");
    EXPECT_TRUE(m_last.close);
}

TEST_F(ClassDialogsTest, MutexInheritanceAndSemaphoreSignalTypeWriteTheRecord)
{
    engine::ObjectRecord& mutex = addObject(engine::ClassMutex, "mtx");
    block<engine::MutexData>(mutex) = {1, 1};
    mutex.isMp = 1;
    open(mutex, engine::ClassMutex);
    EXPECT_FALSE(m_state[IdField1081].enabled);
    EXPECT_EQ(block<engine::MutexData>(mutex).priorityInversion, 0);
    EXPECT_TRUE(m_state[IdFifoOrder].enabled);

    mutex.isMp = 0;
    block<engine::MutexData>(mutex).waitingOrder = 1;
    open(mutex, engine::ClassMutex);
    click(IdField1081, 1);
    EXPECT_EQ(block<engine::MutexData>(mutex).waitingOrder, 0);
    EXPECT_EQ(m_state[IdPriorityOrder].check, 1);
    EXPECT_FALSE(m_state[IdFifoOrder].enabled);
    click(IdField1081, 0);
    EXPECT_TRUE(m_state[IdFifoOrder].enabled);
    EXPECT_EQ(m_state[IdPriorityOrder].check, 1);

    engine::ObjectRecord& semaphore = addObject(engine::ClassSemaphore, "sem");
    block<engine::SemaphoreData>(semaphore) = {1, 0};
    open(semaphore, engine::ClassSemaphore);
    EXPECT_EQ(block<engine::SemaphoreData>(semaphore).waitingOrder, 1);
    EXPECT_EQ(m_state[IdFifoOrder].check, 1);
    EXPECT_FALSE(m_state[IdPriorityOrder].enabled);
    m_state[IdField1081].check = 0;
    click(IdField1080, 1);
    EXPECT_TRUE(m_state[IdPriorityOrder].enabled);
    EXPECT_EQ(m_state[IdFifoOrder].check, 1);
}

TEST_F(ClassDialogsTest, PlacementLabelsAreCheckedAndSkipTheObjectItself)
{
    engine::ObjectRecord& partition = addObject(engine::ClassPartition, "part");
    open(partition, engine::ClassPartition);
    EXPECT_TRUE(m_state[IdAlignment].enabled);
    EXPECT_FALSE(m_state[IdLabel].enabled);
    click(IdManual, 1);
    m_state[IdAutomatic].check = 0;
    EXPECT_TRUE(m_state[IdLabel].enabled);
    EXPECT_FALSE(m_state[IdAlignment].enabled);
    EXPECT_EQ(okWith({{IdLabel, std::string(33, 'L')}}),
              "Block label has been truncated to specified length limit. Please inspect the modified version before "
              "proceeding.");
    EXPECT_EQ(m_state.text(IdLabel), std::string(32, 'L'));
    EXPECT_EQ(okWith({{IdField1080, "16"}}), "# of blocks must be in the range of 1 to 4294967295");
    EXPECT_EQ(okWith({{IdField1081, "4"}, {IdLabel, "part"}}), "Partition name and block label must be different");
    EXPECT_EQ(okWith({{IdLabel, "part_mem"}}), "");
    // Unchanged, the label is still searched and must not clash with the partition itself.
    open(partition, engine::ClassPartition);
    EXPECT_EQ(okWith({}), "");

    engine::ObjectRecord& queue = addObject(engine::ClassQueue, "que");
    open(queue, engine::ClassQueue);
    EXPECT_EQ(okWith({{IdQueueWidth, "65"}}), "Width must be in the range of 1 to 64");
    EXPECT_EQ(okWith({{IdQueueWidth, "4"}, {IdQueueDepth, "0"}}), "Depth must be in the range of 1 to 32");
    m_state[IdAutomatic].check = 0;
    m_state[IdManual].check = 1;
    EXPECT_EQ(okWith({{IdQueueDepth, "4"}, {IdLabel, "part_mem"}}),
              "Queue label conflicts with Manual placement label for Partition part");
    EXPECT_EQ(okWith({{IdLabel, "que_mem"}}), "");
}

TEST_F(ClassDialogsTest, PipeLabelIsCheckedOnlyWhenItChanged)
{
    addObject(engine::ClassMailbox, "mbx");
    engine::ObjectRecord& pipe = addObject(engine::ClassPipe, "pip");
    engine::PipeData& data = block<engine::PipeData>(pipe);
    data.manual = 1;
    engine::setText(data.label, "mbx");
    open(pipe, engine::ClassPipe);
    EXPECT_EQ(okWith({{IdField1071, "0"}}), "# of buffers must be in the range of 1 to 4294967295");
    EXPECT_EQ(okWith({{IdField1071, "2"}, {IdField1072, "0"}}), "");
    open(pipe, engine::ClassPipe);
    EXPECT_EQ(okWith({{IdLabel, "mbx2"}}), "");
    open(pipe, engine::ClassPipe);
    EXPECT_EQ(okWith({{IdLabel, "mbx"}}), "Pipe buffer label conflicts with Object name mbx");
    EXPECT_EQ(m_last.focusId, IdName);
    // Still a change against the opening label on the next OK.
    EXPECT_EQ(okWith({}), "Pipe buffer label conflicts with Object name mbx");
}

TEST_F(ClassDialogsTest, TaskShowsTheModelsContextsAndAttributes)
{
    engine::ObjectRecord& task = addObject(engine::ClassTask, "tsk");
    block<engine::TaskData>(task).extendedContext[1] = 1;
    open(task, engine::ClassTask);
    EXPECT_EQ(m_state[IdTaskContextGroup].caption, "Extended Contexts");
    EXPECT_TRUE(m_state[IdTaskContext0].enabled);
    EXPECT_EQ(m_state[IdTaskContext0].caption, "Floating point");
    EXPECT_FALSE(m_state[IdTaskContext0 + 1].enabled);  // the application does not offer it
    EXPECT_EQ(m_state[IdTaskContext0 + 1].check, 0);
    EXPECT_FALSE(m_state[IdTaskContext0 + 2].visible);
    EXPECT_TRUE(m_state[taskAttributeEnabledId(0)].visible);
    EXPECT_FALSE(m_state[taskAttributeEnabledId(1)].visible);
    EXPECT_EQ(m_state[taskAttributeEnabledId(0)].caption, "Privileged");
    EXPECT_EQ(m_state.text(IdTaskSizeUnit), "bytes");

    kernel().extendedContextCount = 1;
    open(task, engine::ClassTask);
    EXPECT_EQ(m_state[IdTaskContextGroup].caption, "Extended Context");
}

TEST_F(ClassDialogsTest, TaskChecksRunInTheirOrder)
{
    addObject(engine::ClassMailbox, "mbx");
    engine::ObjectRecord& task = addObject(engine::ClassTask, "tsk");
    open(task, engine::ClassTask);
    EXPECT_EQ(okWith({{IdTaskEntryPoint, "tsk"}, {IdTaskPriority, "0"}}),
              "Task name and Entry point name must be different");
    EXPECT_EQ(okWith({{IdTaskEntryPoint, "mbx"}}), "Entry point has the same name as an existing object");
    EXPECT_EQ(okWith({{IdTaskEntryPoint, "go"}, {IdTaskLabel, "go"}}), "Entry point and stack name must be different");
    EXPECT_EQ(okWith({{IdTaskLabel, ""}}), "Initial priority must be in the range of 1 to 126");
    EXPECT_EQ(okWith({{IdTaskPriority, "126"}, {IdTaskStartingOrder, "-100"}}),
              "Starting order number must be in the range of -99 to 99");
    EXPECT_EQ(okWith({{IdTaskStartingOrder, "-99"}, {IdTaskStackSize, "5000"}}),
              "Stack size must be in the range of 128 to 4096");
    EXPECT_EQ(okWith({{IdTaskStackSize, "1001"}}), "Task stack size must be an integer multiple of 8");
    EXPECT_EQ(okWith({{IdTaskStackSize, "1000"}}), "");
    EXPECT_EQ(block<engine::TaskData>(task).startingOrder, -99);

    // Manual placement: the label is checked and searched, but never against the task itself.
    open(task, engine::ClassTask);
    click(IdTaskManual, 1);
    EXPECT_TRUE(m_state[IdTaskLabel].enabled);
    EXPECT_EQ(okWith({{IdTaskLabel, "tsk"}}), "Task name and stack label must be different");
    EXPECT_EQ(okWith({{IdTaskLabel, "tsk_stack"}}), "");
    EXPECT_EQ(block<engine::TaskData>(task).manual, 1);
    clearDirty();
    open(task, engine::ClassTask);
    EXPECT_EQ(okWith({}), "");
    EXPECT_EQ(entry(engine::ClassTask).cFileDirty, 0);
}

TEST_F(ClassDialogsTest, ThreadEntryPointAndSpecialServiceNames)
{
    engine::ObjectRecord& level = addObject(engine::ClassLevel, "lvl");
    engine::ObjectRecord& thread = addObject(engine::ClassThread, "thr", &level);
    open(thread, engine::ClassThread);
    EXPECT_EQ(okWith({{IdField1067, ""}}), "Entry point name has zero length. Please specify a non-null string.");
    EXPECT_EQ(okWith({{IdField1067, "thr"}}), "Thread name and Entry point name must be different");
    EXPECT_EQ(okWith({{IdField1067, "lvl"}}), "Entry point has the same name as an existing object");
    EXPECT_EQ(okWith({{IdField1067, " thr_main "}}), "");
    EXPECT_EQ(textString(block<engine::ThreadData>(thread).entryPoint), "thr_main");

    engine::ObjectRecord& service = addObject(engine::ClassSpecialService, "svc");
    open(service, engine::ClassSpecialService);
    EXPECT_EQ(okWith({{IdName, "thr_main"}}), "");  // labels are not searched for services
    EXPECT_EQ(okWith({{IdName, "lvl"}}), "The name 'lvl' is already in use.");
}

} // namespace
} // namespace editors::test
