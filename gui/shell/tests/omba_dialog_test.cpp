#include "gui/shell/omba_dialog.h"
#include "gui/shell/window_placement.h"
#include "platform/core/profile_store.h"
#include "platform/qt/control_id.h"

#include <QLabel>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class BaseDialogTest : public ::testing::Test {
protected:
    std::optional<WindowPlacement> stored(const std::string& key) const
    {
        const auto bytes = m_profile->getBinary(kWindowPositionSection, key);
        return bytes ? decodePlacement(*bytes) : std::nullopt;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<platform::ProfileStore> m_profile =
        std::make_unique<platform::ProfileStore>(m_dir.filePath("OMBAgen.ini").toStdString());
    platform::ScopedApplicationProfile m_installed{m_profile.get()};
};

TEST(WindowPlacementTest, RecordIs44LittleEndianBytes)
{
    WindowPlacement p;
    p.showCmd = ShowMaximized;
    p.left = -2;
    p.top = 0x01020304;
    p.right = 300;
    p.bottom = 400;
    const platform::ProfileBytes bytes = encodePlacement(p);
    ASSERT_EQ(bytes.size(), 44u);
    EXPECT_EQ(bytes[0], 44);
    EXPECT_EQ(bytes[8], 3);
    EXPECT_EQ(bytes[12], 0xff); // min position -1
    EXPECT_EQ(bytes[28], 0xfe); // left -2
    EXPECT_EQ(bytes[35], 0x01);
    EXPECT_EQ(decodePlacement(bytes), p);
    // Anything but a whole record is refused.
    EXPECT_FALSE(decodePlacement(platform::ProfileBytes(bytes.begin(), bytes.end() - 1)));
    platform::ProfileBytes longer = bytes;
    longer.push_back(0);
    EXPECT_FALSE(decodePlacement(longer));
}

TEST(WindowPlacementTest, SheetsComeBackNormalAtTheirOwnSize)
{
    WindowPlacement p;
    p.showCmd = ShowMinimized;
    p.left = 30;
    p.top = 40;
    p.right = 1000;
    p.bottom = 1000;
    const WindowPlacement r = restoreSheetPlacement(p, 200, 100);
    EXPECT_EQ(r.showCmd, ShowNormal);
    EXPECT_EQ(r.right, 230);
    EXPECT_EQ(r.bottom, 140);
    p.showCmd = ShowMinimize;
    EXPECT_EQ(restoreSheetPlacement(p, 1, 1).showCmd, ShowNormal);
    p.showCmd = ShowMaximized;
    EXPECT_EQ(restoreSheetPlacement(p, 1, 1).showCmd, ShowMaximized);
}

TEST_F(BaseDialogTest, DialogWritesItsPlacementOnCloseAndNeverReadsIt)
{
    WindowPlacement old;
    old.left = 1;
    old.top = 2;
    old.right = 301;
    old.bottom = 202;
    ASSERT_TRUE(m_profile->writeBinary(kWindowPositionSection, "ID=0x00000066", encodePlacement(old)));
    {
        COMBADialog dialog(102, nullptr);
        EXPECT_EQ(dialog.placementKey(), "ID=0x00000066");
        dialog.setGeometry(120, 130, 320, 200);
        dialog.ShowModeless();
        EXPECT_EQ(dialog.geometry().topLeft(), QPoint(120, 130)); // the stored placement is not applied
        // The resizable layout stays off: no grip, no minimum.
        EXPECT_FALSE(dialog.isLayoutLive());
        EXPECT_EQ(platform::findControl(&dialog, CDynamicWnd::kSizeGripId), nullptr);
        dialog.EndDialog(1);
    }
    const auto p = stored("ID=0x00000066");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->length, 44);
    EXPECT_EQ(p->showCmd, ShowNormal);
    EXPECT_EQ(p->left, 120);
    EXPECT_EQ(p->top, 130);
    EXPECT_EQ(p->right, 440);
    EXPECT_EQ(p->bottom, 330);
    EXPECT_TRUE(m_profile->entries("WindowPositions\\ID=0x00000066").empty());

    // A dialog without a template id writes nothing, so the sheets' shared entry stays untouched.
    {
        COMBADialog unnamed(0, nullptr);
        unnamed.ShowModeless();
        unnamed.EndDialog(2);
    }
    EXPECT_FALSE(stored(""));

    // A dialog destroyed while open still writes its placement.
    {
        COMBADialog open(103, nullptr);
        open.ShowModeless();
    }
    EXPECT_TRUE(stored("ID=0x00000067"));
}

class SheetPage : public COMBAPropertyPage {
public:
    SheetPage()
        : COMBAPropertyPage(130, "General")
    {
    }
    bool OnInitDialog() override
    {
        auto* label = new QLabel("Name", this);
        label->setGeometry(10, 10, 200, 20);
        setMinimumSize(300, 200);
        return true;
    }
};

TEST_F(BaseDialogTest, SheetsShareOnePlacementAndNeverOpenMinimised)
{
    QSize firstSize;
    {
        PlacementPropertySheet sheet;
        sheet.Construct("Application Properties");
        sheet.AddPage(new SheetPage);
        sheet.ShowModeless();
        EXPECT_EQ(sheet.windowTitle(), "Application Properties");
        sheet.setGeometry(QRect(QPoint(70, 80), sheet.size()));
        firstSize = sheet.size();
        sheet.EndDialog(1);
    }
    const auto p = stored("");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->left, 70);
    EXPECT_EQ(p->top, 80);

    // Another sheet opens where the first was closed, at its own size.
    {
        PlacementPropertySheet sheet;
        sheet.Construct("CPU Properties");
        sheet.AddPage(new SheetPage);
        sheet.AddPage(new SheetPage);
        sheet.ShowModeless();
        EXPECT_EQ(sheet.geometry().topLeft(), QPoint(70, 80));
        EXPECT_EQ(sheet.size(), sheet.sizeHint().expandedTo(sheet.minimumSizeHint()));
        sheet.EndDialog(2);
    }

    // A sheet stored minimised comes back shown normally, at the stored corner and its current size.
    WindowPlacement minimised = *stored("");
    minimised.showCmd = ShowMinimized;
    minimised.left = 15;
    minimised.top = 25;
    minimised.right = 2000;
    minimised.bottom = 2000;
    ASSERT_TRUE(m_profile->writeBinary(kWindowPositionSection, "", encodePlacement(minimised)));
    {
        PlacementPropertySheet sheet;
        sheet.AddPage(new SheetPage);
        sheet.ShowModeless();
        EXPECT_FALSE(sheet.isMinimized());
        EXPECT_EQ(sheet.geometry().topLeft(), QPoint(15, 25));
        // Its own size (the first sheet was wider for its caption; this one has none).
        EXPECT_EQ(sheet.size(), sheet.sizeHint().expandedTo(sheet.minimumSizeHint()));
        EXPECT_LE(sheet.width(), firstSize.width());
        sheet.EndDialog(2);
    }

    // A stored value of the wrong length is ignored.
    ASSERT_TRUE(m_profile->writeBinary(kWindowPositionSection, "", platform::ProfileBytes(43, 0)));
    {
        QWidget owner;
        owner.setGeometry(300, 300, 600, 500);
        PlacementPropertySheet sheet(&owner);
        sheet.AddPage(new SheetPage);
        sheet.ShowModeless();
        EXPECT_NE(sheet.pos(), QPoint(0, 0));
        EXPECT_TRUE(owner.geometry().contains(sheet.geometry().center()));
        sheet.EndDialog(2);
    }
}

} // namespace
