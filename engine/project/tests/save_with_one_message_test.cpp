// A save reported once: what the user reads for each way a save of one file ends.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "engine/files/file_chooser.h"
#include "engine/project/save_with_one_message.h"
#include "engine/project/tests/project_fixtures.h"
#include "engine/util/file_io.h"
#include "engine/util/tests/held_save_lock.h"
#include "platform/core/message_service.h"

namespace engine {
namespace {

using testing::ScratchFolder;

// Shows a box (a refused name) while the user picks, then answers with the next name.
class RefusingOnceChooser final : public FileChooser {
public:
    explicit RefusingOnceChooser(std::string answer) : m_answer(std::move(answer)) {}
    std::string Choose(bool, int, const std::string&) override
    {
        platform::messageBox("That name is taken", "Choose", platform::MbOk);
        return m_answer;
    }

private:
    std::string m_answer;
};

TEST(SaveWithOneMessage, EachEndShowsWhatTheUserNeedsOnce)
{
    ScratchFolder folder;
    // The file that cannot be saved lies in a folder another save holds.
    std::filesystem::create_directories(folder.file("held"));
    const std::string blocked = folder.file("held/blocked.app");
    testing::writeFile(blocked, "old");
    const testing::HeldSaveLock held(folder.file("held"));
    ASSERT_TRUE(held.held());
    const std::string beingSaved = ": the project is being saved by another program; try again once that save has ended";
    const std::string open = folder.file("open.app");
    struct Case {
        const char* name;
        std::string path;       // empty: the writer asks for a name
        const char* chosen;     // the chooser's answer, a name in the folder ("": cancelled)
        std::function<bool()> write;
        SaveEnd end;
        std::vector<std::string> boxes; // caption and text of each box, in order
    };
    const auto replaceWithSteps = [](const std::string& file) {
        return [file] {
            if (ReplaceFileContents(file, "new"))
                return true;
            platform::messageBox("Unable to delete old version of file " + file, "OMBAgen", platform::MbOk);
            platform::messageBox("Unable to write application file", "OMBAgen", platform::MbOk);
            return false;
        };
    };
    const auto chosenWriter = [] {
        const std::string file = BrowseForFile(false, FileKindApplication);
        if (file.empty())
            return true; // a cancelled choice is no failure of the writer
        platform::messageBox("Writing " + file, "OMBAgen", platform::MbOk);
        return ReplaceFileContents(file, "new");
    };
    const Case cases[] = {
        {"blocked temporary", blocked, "", replaceWithSteps(blocked), SaveEnd::Failed,
         {"File I/O Error: Unable to write application file " + blocked + beingSaved}},
        {"content refused", open, "",
         [] {
             platform::messageBox("The name is too long", "OMBAgen", platform::MbOk);
             platform::messageBox("Unable to write application file", "OMBAgen", platform::MbOk);
             return false;
         },
         SaveEnd::Failed, {"File I/O Error: The name is too long"}},
        {"no reason given", open, "", [] { return false; }, SaveEnd::Failed,
         {"File I/O Error: Unable to write application file " + open}},
        {"saved with a warning and a question", open, "",
         [open] {
             platform::messageBox("A warning", "Warning", platform::MbOk);
             const bool yes = platform::messageBox("Go on?", "Question", platform::MbYesNo) == platform::IdYes;
             return yes && ReplaceFileContents(open, "new");
         },
         SaveEnd::Saved, {"Question: Go on?", "Warning: A warning"}},
        {"new name blocked", "", "held/blocked", chosenWriter, SaveEnd::Failed,
         {"Choose: That name is taken",
          "File I/O Error: Unable to write or create application file " + blocked + beingSaved}},
        {"new name saved", "", "open", chosenWriter, SaveEnd::Saved,
         {"Choose: That name is taken", "OMBAgen: Writing " + open}},
        {"choice cancelled", "", "", chosenWriter, SaveEnd::Cancelled, {"Choose: That name is taken"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        platform::ScopedScriptedMessages messages;
        messages->queueAnswer(platform::IdYes);
        const std::string answer = c.chosen && *c.chosen ? folder.file(std::string(c.chosen) + ".app") : std::string();
        RefusingOnceChooser chooser(answer);
        ScopedFileChooser useChooser(&chooser);
        EXPECT_EQ(SaveWithOneMessage("application file", c.path, c.write), c.end);
        std::vector<std::string> boxes;
        for (const platform::ScriptedMessageService::Box& box : messages->boxes())
            boxes.push_back(box.caption + ": " + box.text);
        EXPECT_EQ(boxes, c.boxes);
        // What was installed for the save is gone again.
        EXPECT_EQ(&platform::messageService(), &messages.service());
        EXPECT_EQ(SetFileChooser(&chooser), &chooser);
    }
    EXPECT_EQ(testing::readFile(blocked), "old");
}

} // namespace
} // namespace engine
