// The object-editing transaction: restore on Cancel, edited flag, counter flags, MP names.
#include "gui/editors/model/edit_object_properties.h"
#include "gui/editors/model/object_models.h"
#include "gui/editors/model/tests/editor_fixture.h"
#include "gui/editors/sheets/tests/demo_project.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>

#include "engine/names/project_walk.h"
#include "engine/ops/project_manager.h"
#include "engine/ops/record_arrays.h"
#include "engine/project/tests/field_extremes.h"
#include "engine/records/text_field.h"

namespace editors::test {
namespace {

class EditObjectPropertiesTest : public EditorFixture {
protected:
    // A runner that changes the state, presses OK until it closes or the script ends, then cancels.
    using Step = std::function<void(ViewState&)>;
    ObjectDialogRunner script(std::vector<Step> steps, bool cancelAtEnd = false)
    {
        return [this, steps, cancelAtEnd](ObjectDialogModel& model) {
            ++m_runs;
            ViewState state;
            model.init(state);
            for (const Step& step : steps) {
                step(state);
                if (model.ok(state, m_host).close && !cancelAtEnd)
                    return int(ResultOk);
            }
            model.cancel();
            return int(ResultCancel);
        };
    }
    int edit(engine::ObjectRecord& object, int32_t classType, const ObjectDialogRunner& run)
    {
        return EditObjectProperties(m_project, cpu(), app(), entry(classType), object, nullptr, run);
    }
    int m_runs = 0;
};

TEST_F(EditObjectPropertiesTest, CancelRestoresEveryByteOfTheRecordAndBlock)
{
    engine::ObjectRecord& task = addObject(engine::ClassTask, "tsk");
    engine::setText(block<engine::TaskData>(task).entryPoint, "tsk_main");
    block<engine::TaskData>(task).initialPriority = 5;
    block<engine::TaskData>(task).stackSize = 256;
    const engine::ObjectRecord before = task;
    const engine::TaskData blockBefore = block<engine::TaskData>(task);

    // The first OK is refused after storing; then Cancel.
    const int result = edit(task, engine::ClassTask, script({[](ViewState& s) {
                                                                s[IdName].text = "renamed";
                                                                s[IdTaskPriority].text = "500";
                                                                s[IdTrace].check = 1;
                                                            }},
                                                            true));
    EXPECT_EQ(result, ResultCancel);
    EXPECT_EQ(std::memcmp(&task, &before, sizeof task), 0);
    EXPECT_EQ(std::memcmp(task.data, &blockBefore, sizeof blockBefore), 0);
    EXPECT_EQ(app().edited, 0);
}

TEST_F(EditObjectPropertiesTest, OkMarksTheApplicationOnlyWhenSomethingChanged)
{
    engine::ObjectRecord& mailbox = addObject(engine::ClassMailbox, "mbx");
    EXPECT_EQ(edit(mailbox, engine::ClassMailbox, script({[](ViewState&) {}})), ResultOk);
    EXPECT_EQ(app().edited, 0);
    EXPECT_EQ(edit(mailbox, engine::ClassMailbox, script({[](ViewState& s) { s[IdTrace].check = 1; }})), ResultOk);
    EXPECT_EQ(app().edited, 1);
    EXPECT_EQ(mailbox.traceObject, 1);

    engine::ApplicationClassEntry& special = entry(engine::ClassSpecialService);
    special.classType = 15;  // no dialog for such a type
    EXPECT_EQ(EditObjectProperties(m_project, cpu(), app(), special, mailbox, nullptr, script({})), ResultCancel);
    EXPECT_EQ(m_runs, 2);
}

TEST_F(EditObjectPropertiesTest, SystemTimebaseStaysOnOneCounter)
{
    engine::ObjectRecord& first = addObject(engine::ClassEventSource, "es1");
    addObject(engine::ClassEventSource, "es2");
    engine::ApplicationClassEntry& sources = entry(engine::ClassEventSource);
    engine::ObjectRecord& a = addObject(engine::ClassCounter, "ca", &sources.objects[0]);
    (void)first;
    engine::ObjectRecord& b = addObject(engine::ClassCounter, "cb", &sources.objects[1]);
    engine::ObjectRecord& c = addObject(engine::ClassCounter, "cc", &sources.objects[1]);
    engine::ObjectRecord& cb = sources.objects[1].children[0];
    block<engine::CounterData>(a).systemTimebase = 1;
    block<engine::CounterData>(cb).ticksliceCounter = 1;
    (void)b;

    const int result = edit(c, engine::ClassCounter, script({[](ViewState& s) {
                                                          s[IdField1069].check = 1;
                                                          s[IdField1070].check = 1;
                                                      }}));
    EXPECT_EQ(result, ResultOk);
    engine::ObjectRecord& edited = sources.objects[1].children[1];
    EXPECT_EQ(block<engine::CounterData>(edited).systemTimebase, 1);
    EXPECT_EQ(block<engine::CounterData>(sources.objects[0].children[0]).systemTimebase, 0);
    EXPECT_EQ(block<engine::CounterData>(sources.objects[1].children[0]).ticksliceCounter, 0);
    const std::vector<std::string> expected{"The System Timebase attribute of counter \"ca\" has been disabled",
                                            "The Tickslice Counter attribute of counter \"cb\" has been disabled"};
    EXPECT_EQ(messages(), expected);
}

TEST_F(EditObjectPropertiesTest, ClashingMpNameRunsTheDialogAgainAndCancelRestores)
{
    // A second application of the same MP CPU holds an MP mailbox "shared".
    cpu().kernel.featureMask = 4;
    cpu().kernel.framework = 4;
    app().isMp = 1;
    engine::ObjectRecord& mine = addObject(engine::ClassMailbox, "mine");
    mine.isMp = 1;
    engine::ApplicationRecord* other = engine::AppendApplication(cpu());
    ASSERT_NE(other, nullptr);
    ASSERT_TRUE(engine::ProjectManager::CloneApplication(cpu(), *other, cpu().applications[0]));
    engine::setText(other->name, "other");
    engine::ObjectRecord& theirs = engine::FindApplicationClassEntryByType(*other, engine::ClassMailbox)->objects[0];
    engine::setText(theirs.name, "shared");
    engine::ObjectRecord& object = mine;  // the object arrays did not move

    const int result = edit(object, engine::ClassMailbox,
                            [this](ObjectDialogModel& model) {
                                ++m_runs;
                                ViewState state;
                                model.init(state);
                                if (m_runs == 1) {
                                    state[IdName].text = "shared";
                                    EXPECT_TRUE(model.ok(state, m_host).close);
                                    return int(ResultOk);
                                }
                                EXPECT_EQ(state.text(IdName), "shared");  // the second run shows the clash
                                return int(ResultCancel);
                            });
    EXPECT_EQ(result, ResultCancel);
    EXPECT_EQ(m_runs, 2);
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_EQ(messages()[0], "Object name \"shared\" cannot be accepted because another MP-enabled object with that "
                             "name already exists under application \"other\"");
    EXPECT_EQ(engine::textString(entry(engine::ClassMailbox).objects[0].name), "mine");
}

using ObjectFieldExtremes = DemoProject;

// Every object field of the demo's applications, as the descriptions enumerate them, at its least and at its
// greatest value: the project opens, and each object's dialog takes an unchanged OK without a box, leaving
// the project as a second open of the same files holds it and every file as it was.
TEST_F(ObjectFieldExtremes, EveryObjectFieldAtItsExtremesTakesAnUnchangedOk)
{
    namespace fs = std::filesystem;
    const fs::path folder = m_programFolder / "extremes";
    const fs::path config = m_programFolder / "ombagen.cfg";
    const auto read = [](const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    const char* const names[] = {"demo.omb", "main.cpu", "comms.cpu", "control.app", "monitor.app", "link.app"};
    std::set<std::string> fields;  // "file\nsection\nkey" of each object field set
    for (const auto form : {engine::testing::ExtremeForm::Least, engine::testing::ExtremeForm::GreatestAsDecimal}) {
        SCOPED_TRACE(form == engine::testing::ExtremeForm::Least ? "least" : "greatest");
        fs::create_directories(folder);
        std::map<std::string, std::string> files;
        for (const char* name : names)
            fs::copy_file(m_demo / name, folder / name, fs::copy_options::overwrite_existing);
        {
            engine::testing::OpenedProject demo(config, folder / "demo.omb");
            ASSERT_TRUE(demo.opened());
            for (const char* name : {"control.app", "monitor.app", "link.app"}) {
                for (const auto& [at, text] : engine::testing::setExtremes(folder / name, form, demo))
                    if (at.rfind("APPLICATION\n", 0) != 0)
                        fields.insert(name + ("\n" + at));
            }
        }
        for (const char* name : names)
            files[name] = read(folder / name);
        m_messages.service().clear();
        engine::testing::OpenedProject extremes(config, folder / "demo.omb");
        ASSERT_TRUE(extremes.opened()) << (messages().empty() ? "" : messages().front());
        std::vector<engine::ObjectPlace> places;
        engine::VisitProjectObjects(extremes.project(), [&](const engine::ObjectPlace& place) {
            places.push_back(place);
            return 0;
        });
        NullDialogHost host;
        for (const engine::ObjectPlace& place : places) {
            SCOPED_TRACE(engine::textString(place.object->name));
            const engine::ObjectRecord before = *place.object;
            const int result = EditObjectProperties(extremes.project(), *place.cpu, *place.application, *place.entry,
                                                    *place.object, nullptr, [&](ObjectDialogModel& model) {
                                                        ViewState state;
                                                        model.init(state);
                                                        if (model.ok(state, host).close)
                                                            return int(ResultOk);
                                                        model.cancel();
                                                        return int(ResultCancel);
                                                    });
            EXPECT_EQ(result, ResultOk);
            EXPECT_TRUE(messages().empty()) << messages().front();
            m_messages.service().clear();
            EXPECT_EQ(std::memcmp(place.object, &before, sizeof before), 0);
            EXPECT_EQ(place.application->edited, 0);
        }
        engine::testing::OpenedProject again(config, folder / "demo.omb");
        ASSERT_TRUE(again.opened());
        EXPECT_FALSE(engine::ProjectsDiffer(extremes.project(), again.project()));
        for (const auto& [name, text] : files)
            EXPECT_EQ(read(folder / name), text) << name;
    }
    EXPECT_GT(fields.size(), 40u);
    std::printf("[ %zu object fields of the demo's applications at their least and greatest ]\n", fields.size());
}

} // namespace
} // namespace editors::test
