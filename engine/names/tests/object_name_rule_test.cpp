#include <gtest/gtest.h>

#include <cctype>
#include <sstream>
#include <string>
#include <vector>

#include "engine/names/application_sections.h"
#include "engine/names/name_conflicts.h"
#include "engine/names/project_walk.h"
#include "engine/ops/project_manager.h"
#include "engine/project/application_file.h"
#include "engine/project/project_file.h"
#include "engine/project/section_io.h"
#include "engine/project/tests/project_fixtures.h"
#include "engine/records/text_field.h"
#include "platform/core/message_service.h"

namespace engine {
namespace {

using testing::DemoCpu;
using testing::ScratchFolder;

// The section names of a file's text, as written.
std::vector<std::string> sectionNamesOf(const std::string& text)
{
    std::vector<std::string> names;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.size() > 2 && line.front() == '[' && line.back() == ']')
            names.push_back(line.substr(1, line.size() - 2));
    }
    return names;
}

std::string swapCase(std::string text)
{
    for (char& c : text)
        c = std::isupper(static_cast<unsigned char>(c)) ? static_cast<char>(std::tolower(c))
                                                        : static_cast<char>(std::toupper(c));
    return text;
}

class ObjectNameRuleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetApplicationRecord(app, demo.cpu);
        ApplicationFile file(nullptr, nullptr, &demo.cpu, &app);
        ASSERT_EQ(file.Read(testing::demoFolder() + "/control.app"), 1);
        setText(app.path, folder.file("control.app"));
    }
    void TearDown() override { ProjectManager::FreeApplication(app); }

    // Whether the application writer takes the application as it stands.
    bool writerTakes()
    {
        messages->clear();
        ApplicationFile file(nullptr, nullptr, &demo.cpu, &app);
        return file.Write() == 1;
    }

    std::vector<ObjectRecord*> objects()
    {
        std::vector<ObjectRecord*> all;
        VisitApplicationObjects(app, [&](const ObjectPlace& place) {
            all.push_back(place.object);
            return 0;
        });
        return all;
    }

    platform::ScopedScriptedMessages messages;
    DemoCpu demo;
    ScratchFolder folder;
    ApplicationRecord app{};
};

// The rule and the writer agree for an object with children, a disabled child and a lone object renamed
// to every section name of their file, in the other letter case, and both take a name no section bears.
TEST_F(ObjectNameRuleTest, AgreesWithTheWriterForEverySectionName)
{
    ASSERT_TRUE(writerTakes());
    const std::vector<std::string> sections = sectionNamesOf(testing::readFile(app.path));
    ASSERT_GT(sections.size(), 40u);
    int refused = 0;
    for (ObjectRecord* object : objects()) {
        const std::string own = textString(object->name);
        if (own != "lvlControl" && own != "thrLogger" && own != "mtxBus")
            continue;
        for (const std::string& section : sections) {
            if (section == own || section == "OBJS " + own)
                continue;
            setText(object->name, swapCase(section));
            const bool unique = IsObjectNameUnique(app, *object);
            EXPECT_EQ(unique, writerTakes()) << own << " renamed " << swapCase(section);
            refused += unique ? 0 : 1;
        }
        setText(object->name, own + "Fresh");
        EXPECT_TRUE(IsObjectNameUnique(app, *object)) << own;
        EXPECT_TRUE(writerTakes()) << own;
        setText(object->name, own);
    }
    EXPECT_GT(refused, 150);
}

TEST_F(ObjectNameRuleTest, DisabledTwinsAndClassNamesClashWhateverTheCase)
{
    ObjectRecord* motor = nullptr;
    ObjectRecord* main = nullptr;
    for (ObjectRecord* object : objects()) {
        if (textOf(object->name) == "thrMotor")
            motor = object;
        if (textOf(object->name) == "tskMain")
            main = object;
    }
    ASSERT_TRUE(motor && main);
    motor->enabled = 0;
    const struct {
        const char* name;
        bool unique;
    } rows[] = {{"THRMOTOR", false}, {"TSKMAIN", true}, {"Application", false}, {"mutex", false},
                {"objs task", false}, {"model options", false}, {"Verbose Asserts", false},
                {"KPROJECT.C_USER_INCL", false}, {"tskMain2", true}};
    for (const auto& row : rows) {
        setText(main->name, row.name);
        EXPECT_EQ(IsObjectNameUnique(app, *main), row.unique) << row.name;
    }
}

// The repeat the editing roads' check finds is the name the writer refuses, whatever object holds it.
TEST_F(ObjectNameRuleTest, TheRepeatFoundIsTheNameTheWriterRefuses)
{
    EXPECT_EQ(ApplicationSectionRepeat(app), "");
    for (const char* name : {"mutex", "THRSENSOR", "application"}) {
        SCOPED_TRACE(name);
        ObjectRecord* main = objects().back();
        const std::string own = textString(main->name);
        setText(main->name, name);
        EXPECT_EQ(sectionLookupKey(ApplicationSectionRepeat(app)), sectionLookupKey(name));
        EXPECT_FALSE(writerTakes());
        setText(main->name, own);
    }
    EXPECT_EQ(ApplicationSectionRepeat(app), "");
}

// An object moved in from elsewhere brings its children: a child's name clashing with a disabled object
// of the destination is found, as is the list a move creates.
TEST_F(ObjectNameRuleTest, AMovedObjectIsJudgedWithEveryObjectBelowIt)
{
    ObjectRecord* level = nullptr;
    for (ObjectRecord* object : objects()) {
        if (textOf(object->name) == "lvlControl")
            level = object;
    }
    ASSERT_NE(level, nullptr);
    ASSERT_GT(level->childCount, 0);
    ObjectRecord visitor{};
    setText(visitor.name, "lvlVisitor");
    ObjectRecord child{};
    setText(child.name, "THRSENSOR");
    visitor.children = &child;
    visitor.childCount = 1;
    EXPECT_EQ(MovedObjectNameClash(app, visitor), "THRSENSOR");
    setText(child.name, "thrVisitor");
    EXPECT_EQ(MovedObjectNameClash(app, visitor), "");
    EXPECT_EQ(MovedObjectNameClash(app, visitor, {"OBJS lvlOther"}), "");
    EXPECT_EQ(MovedObjectNameClash(app, visitor, {"objs level"}), "objs level");
    // An object moved within its application does not clash with its own sections.
    EXPECT_EQ(MovedObjectNameClash(app, *level), "");
}

}  // namespace
}  // namespace engine
