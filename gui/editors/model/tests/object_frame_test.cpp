// The frame every object dialog shares: name store and checks, dirty marks, trace box, edit limits.
#include "gui/editors/model/object_dialog_factory.h"
#include "gui/editors/model/object_models.h"
#include "gui/editors/model/tests/editor_fixture.h"

#include "engine/records/text_field.h"

namespace editors::test {
namespace {

using engine::textString;

class ObjectFrameTest : public EditorFixture {
protected:
    // Opens a fresh dialog model on the object, lets edit change the state, presses OK.
    template <typename Edit>
    OkOutcome runOk(engine::ObjectRecord& object, int32_t classType, Edit edit)
    {
        m_model = makeObjectDialogModel(cpu(), app(), entry(classType), object);
        m_state = ViewState();
        m_model->init(m_state);
        edit(m_state);
        return m_model->ok(m_state, m_host);
    }
    std::unique_ptr<ObjectDialogModel> m_model;
    ViewState m_state;
};

TEST_F(ObjectFrameTest, NameIsTrimmedCorrectedAndReported)
{
    engine::ObjectRecord& object = addObject(engine::ClassEventSource, "es1");
    EXPECT_TRUE(runOk(object, engine::ClassEventSource, [](ViewState& s) { s[IdName].text = "  abc  "; }).close);
    EXPECT_EQ(textString(object.name), "abc");
    EXPECT_TRUE(messages().empty());

    const OkOutcome refused = runOk(object, engine::ClassEventSource, [](ViewState& s) { s[IdName].text = "a b"; });
    EXPECT_FALSE(refused.close);
    EXPECT_EQ(refused.focusId, IdName);
    EXPECT_TRUE(refused.push);
    EXPECT_EQ(m_state.text(IdName), "a_b");
    EXPECT_EQ(textString(object.name), "a_b");
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], "Object name has been modified to meet compiler restrictions. Please inspect the "
                             "modified version before proceeding.");
    EXPECT_EQ(m_messages.service().boxes()[0].caption, "OMBAgen");
}

TEST_F(ObjectFrameTest, EmptyDigitAndDuplicateNamesAreRefused)
{
    addObject(engine::ClassSemaphore, "taken");
    engine::ObjectRecord& object = addObject(engine::ClassMailbox, "mbx");
    runOk(object, engine::ClassMailbox, [](ViewState& s) { s[IdName].text = ""; });
    runOk(object, engine::ClassMailbox, [](ViewState& s) { s[IdName].text = "123"; });
    const OkOutcome duplicate = runOk(object, engine::ClassMailbox, [](ViewState& s) { s[IdName].text = "taken"; });
    EXPECT_FALSE(duplicate.push);
    const std::vector<std::string> expected{
        "Object name has zero length. Please specify a non-null string.",
        "Object name starts with a digit. This is an invalid symbol name for the compiler.",
        "The name 'taken' is already in use."};
    EXPECT_EQ(messages(), expected);
    // The refused values stay stored; no dirty flag went up.
    EXPECT_EQ(textString(object.name), "taken");
    EXPECT_EQ(entry(engine::ClassMailbox).cFileDirty, 0);
}

TEST_F(ObjectFrameTest, NameConflictWithALabelIsReportedOnlyWhenTheNameChanged)
{
    engine::ObjectRecord& task = addObject(engine::ClassTask, "t1");
    engine::setText(block<engine::TaskData>(task).entryPoint, "t1_main");
    engine::ObjectRecord& mailbox = addObject(engine::ClassMailbox, "mbx");
    runOk(mailbox, engine::ClassMailbox, [](ViewState& s) { s[IdName].text = "t1_main"; });
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], "Object name conflicts with Entry point for Task t1");
}

TEST_F(ObjectFrameTest, DirtyMarksFollowWhatChanged)
{
    engine::ObjectRecord& source = addObject(engine::ClassEventSource, "es1");
    engine::ApplicationClassEntry& es = entry(engine::ClassEventSource);
    engine::ApplicationClassEntry& chained = *es.chained;

    runOk(source, engine::ClassEventSource, [](ViewState&) {});
    EXPECT_EQ(es.cFileDirty + es.hFileDirty + es.mFileDirty + chained.cFileDirty, 0);

    runOk(source, engine::ClassEventSource, [](ViewState& s) { s[IdDescription].text = "new"; });
    EXPECT_EQ(es.cFileDirty + es.hFileDirty + es.mFileDirty, 3);
    EXPECT_EQ(chained.cFileDirty, 0);

    clearDirty();
    runOk(source, engine::ClassEventSource, [](ViewState& s) { s[IdName].text = "es2"; });
    EXPECT_EQ(es.cFileDirty + es.hFileDirty + es.mFileDirty, 3);
    EXPECT_EQ(chained.cFileDirty, 1);

    clearDirty();
    runOk(source, engine::ClassEventSource, [](ViewState& s) { s[IdTrace].check = 1; });
    EXPECT_EQ(es.cFileDirty, 1);
    EXPECT_EQ(es.hFileDirty + es.mFileDirty, 0);
}

TEST_F(ObjectFrameTest, TraceBoxFollowsTheClassAndTheModel)
{
    engine::ObjectRecord& object = addObject(engine::ClassSemaphore, "sem");
    object.traceObject = 1;
    entry(engine::ClassSemaphore).systemTrace = 0;
    runOk(object, engine::ClassSemaphore, [](ViewState&) {});
    EXPECT_FALSE(m_state[IdTrace].enabled);
    EXPECT_EQ(object.traceObject, 0);
    EXPECT_EQ(entry(engine::ClassSemaphore).cFileDirty, 1);

    entry(engine::ClassSemaphore).systemTrace = 1;
    kernel().enableTrace = 0;
    object.traceObject = 1;
    runOk(object, engine::ClassSemaphore, [](ViewState&) {});
    EXPECT_FALSE(m_state[IdTrace].enabled);
    EXPECT_EQ(m_state[IdTrace].check, 1);
}

TEST_F(ObjectFrameTest, NameLimitNeverPassesTheFieldAndLongStoredNamesAreTruncated)
{
    engine::ObjectRecord& object = addObject(engine::ClassMailbox, "averyveryverylongname_beyond");
    entry(engine::ClassMailbox).maxKeyLength = 1024;
    auto model = makeObjectDialogModel(cpu(), app(), entry(engine::ClassMailbox), object);
    EXPECT_EQ(model->nameLimit(), 127);
    entry(engine::ClassMailbox).maxKeyLength = 0;
    EXPECT_EQ(model->nameLimit(), 127);

    entry(engine::ClassMailbox).maxKeyLength = 8;
    ViewState state;
    model->init(state);
    EXPECT_EQ(state[IdName].limit, 8);
    EXPECT_EQ(state.text(IdName), "averyveryverylongname_beyond");  // shown whole
    EXPECT_FALSE(model->ok(state, m_host).close);
    EXPECT_EQ(textString(object.name), "averyver");
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(messages()[0].find("has been truncated"), std::string::npos);
}

TEST_F(ObjectFrameTest, FactoryCoversEveryClassWithItsTemplateAndTitle)
{
    EXPECT_EQ(objectDialogKind(0), nullptr);
    EXPECT_EQ(objectDialogKind(15), nullptr);
    EXPECT_EQ(objectDialogKind(engine::ClassAlarm)->templateId, 212u);
    EXPECT_EQ(objectDialogKind(engine::ClassMutex)->templateId, 147u);
    EXPECT_EQ(objectDialogTitle(*objectDialogKind(engine::ClassSpecialService)), "Special Service Object Properties");
    for (int32_t type = 1; type <= 14; ++type) {
        engine::ApplicationClassEntry& e = entry(type);
        engine::ObjectRecord object{};
        auto model = makeObjectDialogModel(cpu(), app(), e, object);
        ASSERT_NE(model, nullptr) << type;
        EXPECT_EQ(model->templateId(), objectDialogKind(type)->templateId);
    }
}

} // namespace
} // namespace editors::test
