#include "gui/layout/dialog_maps.h"
#include "gui/layout/dialog_units.h"
#include "gui/layout/dynamic_dialog.h"
#include "platform/core/profile_store.h"
#include "platform/qt/control_id.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>


namespace {

using platform::findControl;

// A dialog laid out like the command output window: a text area over two buttons.
class OutputLikeDialog : public CDynamicDialog {
public:
    explicit OutputLikeDialog(QWidget* parent = nullptr, unsigned id = 204, int freedom = FreedomBoth)
        : CDynamicDialog(id, parent, freedom)
    {
        setWindowTitle("Output"); // short enough for 400 pixels under any title font
        resize(400, 300);
        text = new QPlainTextEdit(this);
        platform::setControlId(text, 1271);
        text->setGeometry(10, 10, 380, 240);
        text->setPlainText("compiling kernel.c\ncompiling tasks.c\nlinking demo.elf\n");
        close = new QPushButton("Close", this);
        platform::setControlId(close, 1);
        close->setGeometry(110, 262, 80, 26);
        copy = new QPushButton("Copy", this);
        platform::setControlId(copy, 2);
        copy->setGeometry(210, 262, 80, 26);
        extra = new QPushButton("Extra", this);
        extra->setGeometry(10, 262, 60, 26);
    }
    const layout::DynamicMapEntry* GetDynamicMap() const override { return map; }

    const layout::DynamicMapEntry* map = layout::kOutputDialogMap;
    QPlainTextEdit* text;
    QPushButton* close;
    QPushButton* copy;
    QPushButton* extra;
};

// A store whose writes start failing after a number of successes.
class FailingProfile : public platform::ProfileStore {
public:
    explicit FailingProfile(int allowed)
        : platform::ProfileStore("")
        , m_allowed(allowed)
    {
    }
    bool isRegistryBacked() const override { return true; }
    bool writeInt(const std::string& s, const std::string& e, std::int32_t v) override
    {
        if (m_allowed-- <= 0)
            return false;
        return platform::ProfileStore::writeInt(s, e, v);
    }

private:
    int m_allowed;
};

// Each test gets its own profile file in a fresh folder, installed as the application profile.
class DynamicDialogTest : public ::testing::Test {
protected:
    QTemporaryDir m_dir;
    std::unique_ptr<platform::ProfileStore> m_profile =
        std::make_unique<platform::ProfileStore>(m_dir.filePath("OMBAgen.ini").toStdString());
    platform::ScopedApplicationProfile m_installed{m_profile.get()};
};

TEST_F(DynamicDialogTest, ResizingFollowsTheTableAndTheGrip)
{
    OutputLikeDialog dialog;
    dialog.ShowModeless();
    ASSERT_TRUE(dialog.isLayoutLive());
    // Text, two buttons and the grip; "Extra" is in no row.
    EXPECT_EQ(dialog.GetControlCount(), 4);
    QWidget* grip = findControl(&dialog, CDynamicWnd::kSizeGripId);
    ASSERT_NE(grip, nullptr);
    EXPECT_EQ(grip, dialog.sizeGrip());
    EXPECT_EQ(grip->geometry().bottomRight(), QPoint(399, 299));

    dialog.resize(600, 400);
    EXPECT_EQ(dialog.text->geometry(), QRect(10, 10, 580, 340));
    EXPECT_EQ(dialog.close->geometry(), QRect(210, 362, 80, 26)); // centred, same bottom distance
    EXPECT_EQ(dialog.copy->geometry(), QRect(310, 362, 80, 26));
    EXPECT_EQ(dialog.extra->geometry(), QRect(10, 262, 60, 26));
    EXPECT_EQ(grip->geometry().bottomRight(), QPoint(599, 399));

    // Never below the initial size.
    dialog.resize(100, 50);
    EXPECT_EQ(dialog.size(), QSize(400, 300));
    EXPECT_EQ(dialog.minimumSize(), QSize(400, 300));
    EXPECT_EQ(dialog.text->geometry(), QRect(10, 10, 380, 240));

    // The grip is hidden while the dialog is maximised.
    dialog.showMaximized();
    EXPECT_FALSE(grip->isVisible());
    dialog.showNormal();
    EXPECT_TRUE(grip->isVisible());

    // The screenshot lets a person check the look of a laid-out dialog.
    dialog.resize(560, 360);
    dialog.extra->hide();
    EXPECT_TRUE(dialog.grab().save(QStringLiteral(KORVANE_BUILD_DIR "/resizable_dialog.png")));
    dialog.EndDialog(1);
}

TEST_F(DynamicDialogTest, FreedomAndMaximumLimitTheAxes)
{
    OutputLikeDialog dialog(nullptr, 0, CDynamicWnd::FreedomHorizontal);
    dialog.ShowModeless();
    EXPECT_EQ(dialog.maximumHeight(), 300);
    dialog.resize(500, 500);
    EXPECT_EQ(dialog.size(), QSize(500, 300));
    dialog.setMaximumClientSize(QSize(450, 0));
    EXPECT_EQ(dialog.maximumWidth(), 450);
    dialog.EndDialog(2);
}

TEST_F(DynamicDialogTest, TableRowsRegisterAllOrNamedChildrenAndLostChildrenDropOut)
{
    static constexpr layout::DynamicMapEntry map[] = {
        layout::mapModes(1271, layout::ModeStretch, layout::ModeStretch),
        layout::mapModes(4711, layout::ModeStretch, layout::ModeStretch), // no such control: skipped
        layout::mapModes(0, layout::ModeMove, layout::ModeMove),          // all others, not overwriting
        layout::mapEnd(),
    };
    OutputLikeDialog dialog;
    dialog.map = map;
    dialog.ShowModeless();
    EXPECT_EQ(dialog.GetControlCount(), 5);
    dialog.resize(500, 350);
    EXPECT_EQ(dialog.text->geometry(), QRect(10, 10, 480, 290)); // kept its stretch rule
    EXPECT_EQ(dialog.extra->geometry(), QRect(110, 312, 60, 26));

    delete dialog.extra;
    EXPECT_EQ(dialog.GetControlCount(), 4);
    const QRect copyBefore = dialog.copy->geometry();
    dialog.resize(520, 350);
    EXPECT_EQ(dialog.copy->geometry(), copyBefore.translated(20, 0));

    // Refused: a widget of another window, and anything once the layout has ended.
    QWidget stranger;
    EXPECT_FALSE(dialog.AddControl(&stranger, layout::Percentages{}, QSize(), false));
    dialog.EndDialog(1);
    EXPECT_FALSE(dialog.isLayoutLive());
    EXPECT_EQ(dialog.GetControlCount(), 0);
    EXPECT_FALSE(dialog.AddControl(dialog.copy, layout::Percentages{}, QSize(), false));
    EXPECT_EQ(findControl(&dialog, CDynamicWnd::kSizeGripId), nullptr);
}

TEST_F(DynamicDialogTest, PositionIsStoredAndRestored)
{
    QWidget owner;
    owner.setGeometry(100, 100, 800, 600);
    QRect frame;
    {
        OutputLikeDialog dialog(&owner);
        dialog.ShowModeless();
        dialog.setGeometry(40, 50, 500, 320);
        frame = dialog.frameGeometry(); // what is stored: the frame, which the window manager places
        dialog.EndDialog(1);
    }
    const std::string section = "WindowPositions\\ID=0x000000cc";
    EXPECT_EQ(m_profile->getInt(section, "(valid)"), 1);
    EXPECT_EQ(m_profile->getInt(section, "Left"), frame.left());
    EXPECT_EQ(m_profile->getInt(section, "Right"), frame.left() + frame.width());
    EXPECT_EQ(m_profile->getInt(section, "Top"), frame.top());
    EXPECT_EQ(m_profile->getInt(section, "Bottom"), frame.top() + frame.height());
    EXPECT_EQ(m_profile->getInt(section, "Visibility"), 1);
    EXPECT_EQ(m_profile->getInt(section, "State"), -1);

    // Stored edges the wrong way round are swapped.
    m_profile->writeInt(section, "Left", 560);
    m_profile->writeInt(section, "Right", 60);
    {
        OutputLikeDialog dialog(&owner);
        dialog.ShowModeless();
        EXPECT_EQ(dialog.frameGeometry(), QRect(60, frame.top(), 500, frame.height()));
        // Laid out for the restored size.
        EXPECT_EQ(dialog.text->geometry(), QRect(10, 10, dialog.width() - 20, dialog.height() - 60));
        dialog.EndDialog(1);
    }

    // Another dialog with nothing stored opens centred on its owner.
    OutputLikeDialog other(&owner, 209);
    other.ShowModeless();
    EXPECT_LE((other.geometry().center() - owner.geometry().center()).manhattanLength(), 2);
    other.EndDialog(1);
}

TEST_F(DynamicDialogTest, AHalfWrittenPositionIsNeverRestored)
{
    FailingProfile failing(2);
    int left = 0;
    {
        OutputLikeDialog dialog;
        dialog.setProfile(&failing);
        dialog.ShowModeless();
        dialog.setGeometry(40, 50, 500, 320);
        left = dialog.frameGeometry().left();
        EXPECT_FALSE(dialog.StoreWindowPosition());
        dialog.EndDialog(1);
    }
    EXPECT_EQ(failing.getInt("WindowPositions\\ID=0x000000cc", "(valid)"), 0);
    EXPECT_EQ(failing.getInt("WindowPositions\\ID=0x000000cc", "Left"), left);
    EXPECT_FALSE(failing.getInt("WindowPositions\\ID=0x000000cc", "Right"));
    OutputLikeDialog again;
    again.setProfile(&failing);
    again.ShowModeless();
    EXPECT_NE(again.frameGeometry().left(), left);
    again.EndDialog(1);

    // Without a persistent store, or without a name, nothing is written.
    platform::ProfileStore memory("");
    OutputLikeDialog unnamed(nullptr, 0);
    unnamed.setProfile(m_profile.get());
    unnamed.ShowModeless();
    EXPECT_FALSE(unnamed.StoreWindowPosition());
    unnamed.setProfile(&memory);
    unnamed.setAutoPositionName("ID=0x00000001");
    EXPECT_FALSE(unnamed.StoreWindowPosition());
    unnamed.EndDialog(1);
}

TEST_F(DynamicDialogTest, AModalDialogStoredMinimisedOpensNormally)
{
    const std::string section = "WindowPositions\\ID=0x000000cc";
    m_profile->writeInt(section, "Left", 10);
    m_profile->writeInt(section, "Right", 510);
    m_profile->writeInt(section, "Top", 20);
    m_profile->writeInt(section, "Bottom", 340);
    m_profile->writeInt(section, "Visibility", 0);
    m_profile->writeInt(section, "State", 0);
    m_profile->writeInt(section, "(valid)", 1);
    OutputLikeDialog dialog;
    bool minimised = true;
    bool visible = false;
    QTimer::singleShot(0, [&] {
        minimised = dialog.isMinimized();
        visible = dialog.isVisible();
        dialog.EndDialog(1);
    });
    EXPECT_EQ(dialog.exec(), 1);
    EXPECT_FALSE(minimised);
    EXPECT_TRUE(visible);
    EXPECT_EQ(m_profile->getInt(section, "State"), -1);
    EXPECT_EQ(m_profile->getInt(section, "Left"), 10);

    // A stored maximised state is kept.
    m_profile->writeInt(section, "State", 1);
    OutputLikeDialog big;
    big.ShowModeless();
    EXPECT_TRUE(big.isMaximized());
    big.EndDialog(1);
    EXPECT_EQ(m_profile->getInt(section, "State"), 1);
}

TEST(DialogUnitsTest, UnitsFollowTheFont)
{
    const layout::DialogBaseUnits base{6, 13};
    EXPECT_EQ(layout::dialogUnitsToPixels(QRect(4, 8, 50, 14), base), QRect(6, 13, 75, 23));
    // 7 * 6 / 4 = 10.5 rounds to 11; negative values round away from zero.
    EXPECT_EQ(layout::dialogUnitsToPixels(QRect(7, -4, 1, 1), base).topLeft(), QPoint(11, -7));
    const layout::DialogBaseUnits real = layout::dialogBaseUnits(QApplication::font());
    EXPECT_GT(real.horizontal, 0);
    EXPECT_GT(real.vertical, 0);
}

} // namespace
