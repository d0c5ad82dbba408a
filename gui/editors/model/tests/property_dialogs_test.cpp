// Class Options, Dynamic Objects and Project Properties.
#include "gui/editors/model/property_models.h"
#include "gui/editors/model/tests/editor_fixture.h"

#include "engine/records/counted_array.h"
#include "engine/records/text_field.h"

namespace editors::test {
namespace {

// Records the pushes an OK makes between its messages.
class CountingHost : public DialogHost {
public:
    void pushNow(const ViewState&) override { ++pushes; }
    int pushes = 0;
};

using PropertyDialogsTest = EditorFixture;

TEST_F(PropertyDialogsTest, ClassOptionsTitleEnablesAndNameLengthRange)
{
    kernel().enableDiagnostics = 0;
    ClassOptionsModel model(entry(engine::ClassTask), cpu(), app());
    ViewState state;
    model.init(state);
    EXPECT_EQ(state.title, "Task Properties");
    EXPECT_EQ(state.text(IdSizeUnit), "Bytes per Object");
    EXPECT_TRUE(state[IdStatistics].enabled);
    EXPECT_FALSE(state[IdDiagnostics].enabled);
    EXPECT_FALSE(state[IdDiagnosticsSize].enabled);
    EXPECT_EQ(state.text(IdStatisticsSize), "");  // no model tables: no size effect

    state[IdMaxNameLength].text = "0";
    EXPECT_FALSE(model.ok(state, m_host).close);
    state[IdMaxNameLength].text = "1025";
    EXPECT_FALSE(model.ok(state, m_host).close);
    state[IdMaxNameLength].text = "x";
    EXPECT_FALSE(model.ok(state, m_host).close);
    const std::vector<std::string> expected{"Please enter an integer between 1 and 1024.",
                                            "Please enter an integer between 1 and 1024.", "Please enter an integer."};
    EXPECT_EQ(messages(), expected);
    EXPECT_EQ(entry(engine::ClassTask).cFileDirty, 0);

    state[IdMaxNameLength].text = "1024";
    EXPECT_TRUE(model.ok(state, m_host).close);
    EXPECT_EQ(entry(engine::ClassTask).maxKeyLength, 1024);
    EXPECT_EQ(entry(engine::ClassTask).cFileDirty + entry(engine::ClassTask).hFileDirty +
                  entry(engine::ClassTask).mFileDirty,
              3);
    EXPECT_EQ(app().edited, 1);
}

TEST_F(PropertyDialogsTest, SystemTraceOffClearsEveryObjectsTraceFlags)
{
    engine::ObjectRecord& level = addObject(engine::ClassLevel, "lvl");
    engine::ObjectRecord& thread = addObject(engine::ClassThread, "thr", &level);
    thread.traceActor = 1;
    level.traceObject = 1;
    // Options of another class leave the threads alone; no change touches nothing.
    ClassOptionsModel unchanged(entry(engine::ClassThread), cpu(), app());
    ViewState state;
    unchanged.init(state);
    EXPECT_TRUE(unchanged.ok(state, m_host).close);
    EXPECT_EQ(entry(engine::ClassThread).cFileDirty, 0);
    EXPECT_EQ(app().edited, 0);

    ClassOptionsModel model(entry(engine::ClassThread), cpu(), app());
    state = ViewState();
    model.init(state);
    state[IdSystemTrace].check = 0;
    EXPECT_TRUE(model.clicked(IdSystemTrace, state));
    EXPECT_EQ(entry(engine::ClassThread).systemTrace, 1);  // a click changes only the working copy
    EXPECT_TRUE(model.ok(state, m_host).close);
    EXPECT_EQ(thread.traceActor, 0);
    EXPECT_EQ(level.traceObject, 1);
    EXPECT_EQ(app().edited, 1);
}

TEST_F(PropertyDialogsTest, ClassOptionsChangeNothingInABinaryDistribution)
{
    kernel().binaryDistribution = 1;
    ClassOptionsModel model(entry(engine::ClassQueue), cpu(), app());
    ViewState state;
    model.init(state);
    EXPECT_FALSE(state[IdOkButton].enabled);
    EXPECT_FALSE(state[IdStatistics].enabled);
    state[IdStatistics].check = 0;
    state[IdMaxNameLength].text = "3";
    EXPECT_TRUE(model.ok(state, m_host).close);
    EXPECT_EQ(entry(engine::ClassQueue).maxKeyLength, 16);
    EXPECT_EQ(entry(engine::ClassQueue).cFileDirty, 0);
}

TEST_F(PropertyDialogsTest, DynamicObjectsAdjustToTheMaximumAndMarkTheChain)
{
    engine::ObjectRecord& source = addObject(engine::ClassEventSource, "es");
    addObject(engine::ClassCounter, "c1", &source);
    addObject(engine::ClassCounter, "c2", &source);
    engine::ApplicationClassEntry& sources = entry(engine::ClassEventSource);
    engine::ApplicationClassEntry& counters = entry(engine::ClassCounter);
    engine::ApplicationClassEntry& alarms = entry(engine::ClassAlarm);
    sources.dynamicsAllowed = counters.dynamicsAllowed = 1;

    DynamicObjectsModel model(sources, kernel(), &app());
    ViewState state;
    model.init(state);
    EXPECT_EQ(state.text(dynamicNameId(1)), "Counter");
    EXPECT_EQ(state.text(dynamicNameId(2)), "");  // alarms take their row without the flag
    EXPECT_TRUE(state[dynamicCountId(2)].visible);
    // The label names the class one blank apart; a row without dynamics takes no number.
    EXPECT_EQ(state.text(dynamicLabelId(1)), "Number of Dynamics for Class Counter");
    EXPECT_EQ(state.text(dynamicLabelId(2)), "Number of Dynamics for Class");
    EXPECT_TRUE(state[dynamicCountId(1)].enabled);
    EXPECT_FALSE(state[dynamicCountId(2)].enabled);
    EXPECT_FALSE(state[dynamicCountId(3)].visible);

    // A number past 32 bits is no count to adjust: refused with the range the row takes (the maximum of 10
    // less the two static counters), and no row is stored.
    CountingHost host;
    state[dynamicCountId(0)].text = "5";
    state[dynamicCountId(1)].text = "0x1FFFFFFFF";
    const OkOutcome refused = model.ok(state, host);
    EXPECT_FALSE(refused.close);
    EXPECT_EQ(refused.focusId, dynamicCountId(1));
    ASSERT_EQ(m_messages.service().boxes().size(), 1u);
    EXPECT_EQ(m_messages.service().boxes()[0].text,
              "Number of Dynamics for Class Counter must be in the range of 0 to 8");
    EXPECT_EQ(sources.numberOfDynamics + counters.numberOfDynamics, 0);
    m_messages.service().clear();

    // Maximum 10: 9 + 1 static fits; 9 + 2 static is cut to 8; "-1" is a huge request.
    state[dynamicCountId(0)].text = "-1";
    state[dynamicCountId(1)].text = "9";
    const OkOutcome adjusted = model.ok(state, host);
    EXPECT_FALSE(adjusted.close);
    EXPECT_EQ(host.pushes, 2);
    ASSERT_EQ(m_messages.service().boxes().size(), 2u);
    EXPECT_EQ(m_messages.service().boxes()[0].text, "Object count maximum of 10 exceeded for this class.");
    EXPECT_EQ(m_messages.service().boxes()[1].caption, "Adjusting number of dynamics for Counter");
    EXPECT_EQ(sources.numberOfDynamics, 9);
    EXPECT_EQ(counters.numberOfDynamics, 8);
    EXPECT_EQ(state.text(dynamicCountId(1)), "8");

    // The next OK keeps the adjusted numbers and still sees them as changes.
    EXPECT_TRUE(model.ok(state, host).close);
    EXPECT_EQ(sources.hFileDirty + sources.mFileDirty + counters.hFileDirty + alarms.mFileDirty, 4);
    EXPECT_EQ(sources.cFileDirty, 0);
    EXPECT_EQ(app().edited, 1);
}

TEST_F(PropertyDialogsTest, DynamicObjectsCancelPutsTheNumbersBack)
{
    engine::ApplicationClassEntry& tasks = entry(engine::ClassTask);
    tasks.dynamicsAllowed = 1;
    tasks.numberOfDynamics = 3;
    // A later kernel class of the same type does not count: the first one's Maximum holds.
    engine::KernelClassRecord* later = engine::appendRow(kernel().classCount, kernel().classes);
    ASSERT_NE(later, nullptr);
    later->classType = engine::ClassTask;
    later->maximum = 100;
    DynamicObjectsModel model(tasks, kernel(), &app());
    ViewState state;
    model.init(state);
    EXPECT_FALSE(state[dynamicLabelId(1)].visible);
    state[dynamicCountId(0)].text = "11";
    EXPECT_FALSE(model.ok(state, m_host).close);
    EXPECT_EQ(tasks.numberOfDynamics, 10);
    model.cancel();
    EXPECT_EQ(tasks.numberOfDynamics, 3);
    EXPECT_EQ(app().edited, 0);
}

TEST_F(PropertyDialogsTest, ProjectNameMustShowACharacter)
{
    engine::setText(m_project.name, "Demo");
    ProjectPropertiesModel model(&m_project);
    ViewState state;
    model.init(state);
    EXPECT_EQ(state.text(IdProjectName), "Demo");
    state[IdProjectName].text = "";
    EXPECT_EQ(model.ok(state, m_host).focusId, IdProjectName);
    state[IdProjectName].text = "   ";
    EXPECT_FALSE(model.ok(state, m_host).close);
    state[IdProjectName].text = "\xC2\xA0\t\xE3\x80\x80"; // a no-break space, a tab, an ideographic space
    EXPECT_FALSE(model.ok(state, m_host).close);
    const std::vector<std::string> expected{"Project must have a name", "Project must have non-blank name",
                                            "Project must have non-blank name"};
    EXPECT_EQ(messages(), expected);
    EXPECT_EQ(m_messages.service().boxes()[0].caption, "Project");
    // Any character that shows makes a name: a letter of any script, a byte that does not decode.
    for (const char* shown : {"\xD0\x9F\xD1\x80\xD0\xBE", "\xE9\t", " a "}) {
        state[IdProjectName].text = shown;
        EXPECT_TRUE(model.ok(state, m_host).close) << shown;
        EXPECT_EQ(model.name(), shown);
    }
    EXPECT_EQ(engine::textString(m_project.name), "Demo");  // the record is the caller's to change

    ProjectPropertiesModel fresh(nullptr);
    ViewState empty;
    fresh.init(empty);
    EXPECT_EQ(empty.text(IdProjectName), "");
}

} // namespace
} // namespace editors::test
