#include "platform/qt/dialog_base.h"
#include "platform/qt/wait_cursor.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace platform {
namespace {

// Records the life-cycle calls and what the window looked like when they came.
class RecordingDialog : public DialogBase {
public:
    std::vector<std::string> calls;
    bool visibleAtInit = true;
    bool visibleAtDestroy = false;
    bool refuseOk = false;
    int endInInit = 0;

protected:
    bool OnInitDialog() override
    {
        calls.push_back("init");
        visibleAtInit = isVisible();
        if (endInInit)
            EndDialog(endInInit);
        return true;
    }
    void OnOK() override
    {
        calls.push_back("ok");
        if (!refuseOk)
            DialogBase::OnOK();
    }
    void OnCancel() override
    {
        calls.push_back("cancel");
        DialogBase::OnCancel();
    }
    void OnDestroy() override
    {
        calls.push_back("destroy");
        visibleAtDestroy = isVisible();
    }
};

// Runs fn once the modal loop is up.
void whenRunning(std::function<void()> fn)
{
    QTimer::singleShot(0, std::move(fn));
}

TEST(DialogBaseTest, ModalRunInitialisesOnceAndEndsWithTheResult)
{
    RecordingDialog dialog;
    whenRunning([&] {
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(dialog.isRunningModal());
        dialog.accept();
    });
    EXPECT_EQ(dialog.exec(), DialogBase::IdOk);
    EXPECT_FALSE(dialog.visibleAtInit);
    EXPECT_TRUE(dialog.visibleAtDestroy); // the destroy hook still sees the window
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_FALSE(dialog.isRunningModal());
    EXPECT_EQ(dialog.calls, (std::vector<std::string>{"init", "ok", "destroy"}));

    // Shown again, the window is initialised anew; Esc cancels.
    whenRunning([&] {
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(&dialog, &esc);
    });
    EXPECT_EQ(dialog.exec(), DialogBase::IdCancel);
    EXPECT_EQ(dialog.calls, (std::vector<std::string>{"init", "ok", "destroy", "init", "cancel", "destroy"}));
}

TEST(DialogBaseTest, RefusedOkKeepsTheDialogOpenUntilEnded)
{
    RecordingDialog dialog;
    dialog.refuseOk = true;
    whenRunning([&] {
        dialog.accept();
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(dialog.isLive());
        // The close box is Cancel.
        dialog.close();
    });
    EXPECT_EQ(dialog.exec(), DialogBase::IdCancel);
    EXPECT_EQ(dialog.calls, (std::vector<std::string>{"init", "ok", "cancel", "destroy"}));

    RecordingDialog other;
    other.refuseOk = true;
    whenRunning([&] { other.EndDialog(7); });
    EXPECT_EQ(other.exec(), 7);
}

TEST(DialogBaseTest, EndingDuringInitialisationNeverShows)
{
    RecordingDialog dialog;
    dialog.endInInit = DialogBase::IdOk;
    EXPECT_EQ(dialog.exec(), DialogBase::IdOk);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.calls, (std::vector<std::string>{"init", "destroy"}));
}

TEST(DialogBaseTest, ModelessLifeCycleAndDestructor)
{
    auto* dialog = new RecordingDialog;
    int finished = 0;
    QObject::connect(dialog, &QDialog::finished, [&](int r) { finished = r; });
    dialog->ShowModeless();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->isLive());
    dialog->reject();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(finished, DialogBase::IdCancel);
    EXPECT_EQ(dialog->calls, (std::vector<std::string>{"init", "cancel", "destroy"}));
    delete dialog;

    // A live window destroyed by its destructor still gets the destroying signal.
    auto* live = new RecordingDialog;
    live->ShowModeless();
    bool destroying = false;
    QObject::connect(live, &DialogBase::destroying, [&] { destroying = true; });
    delete live;
    EXPECT_TRUE(destroying);
}

TEST(DialogBaseTest, ModalDialogGetsAnArrowOverABusyCursor)
{
    ASSERT_EQ(QApplication::overrideCursor(), nullptr);
    {
        ScopedWaitCursor wait;
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        RecordingDialog dialog;
        Qt::CursorShape during = Qt::BlankCursor;
        whenRunning([&] {
            during = QApplication::overrideCursor()->shape();
            dialog.accept();
        });
        dialog.exec();
        EXPECT_EQ(during, Qt::ArrowCursor);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        wait.restore();
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // Without a busy cursor nothing is pushed.
    {
        ScopedArrowCursor arrow;
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }
}

} // namespace
} // namespace platform
