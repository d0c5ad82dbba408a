#include "platform/core/message_service.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(MessageService, DefaultAnswerFollowsButtonsAndDefaultButton)
{
    EXPECT_EQ(defaultAnswer(MbOk | MbIconError), IdOk);
    EXPECT_EQ(defaultAnswer(MbYesNoCancel), IdYes);
    EXPECT_EQ(defaultAnswer(MbYesNoCancel | MbDefButton3), IdCancel);
    EXPECT_EQ(defaultAnswer(MbYesNo | MbDefButton2 | MbIconQuestion), IdNo);
    // A default button beyond the style's buttons falls back to the first.
    EXPECT_EQ(defaultAnswer(MbOkCancel | MbDefButton3), IdOk);
}

TEST(MessageService, ScriptedRecordsBoxesAndAnswersFromQueueThenDefault)
{
    ScopedScriptedMessages scripted;
    scripted->queueAnswer(IdNo);
    EXPECT_EQ(messageBox("Save?", "Question", MbYesNoCancel), IdNo);
    EXPECT_EQ(messageBox("Unable to open", "File I/O Error"), IdOk);
    const auto boxes = scripted->boxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, "Question");
    EXPECT_EQ(boxes[0].answer, IdNo);
    EXPECT_EQ(boxes[1].text, "Unable to open");
    EXPECT_EQ(boxes[1].style, unsigned(MbOk));
}

TEST(MessageService, ScopedServiceRestoresPrevious)
{
    MessageService* before = &messageService();
    {
        ScopedScriptedMessages outer;
        {
            ScopedScriptedMessages inner;
            messageBox("inner", "c");
            EXPECT_EQ(inner->texts().size(), 1u);
            EXPECT_TRUE(outer->texts().empty());
        }
        messageBox("outer", "c");
        EXPECT_EQ(outer->texts(), std::vector<std::string>{"outer"});
    }
    EXPECT_EQ(&messageService(), before);
}

TEST(MessageService, ConsoleWritesCaptionAndTextToStderr)
{
    ConsoleMessageService console;
    testing::internal::CaptureStderr();
    EXPECT_EQ(console.show("Unable to open file x", "File I/O Error", MbOk | MbIconError), IdOk);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "File I/O Error: Unable to open file x\n");
}
