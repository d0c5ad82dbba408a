#include "platform/qt/property_sheet.h"

#include <QLabel>
#include <QTabBar>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace platform {
namespace {

struct Log {
    std::vector<std::string> calls;
};

class TestPage : public PropertyPage {
public:
    TestPage(const QString& name, Log& log)
        : PropertyPage(name)
        , m_name(name.toStdString())
        , m_log(log)
    {
    }
    bool allowLeave = true;
    QLabel* label = nullptr;

    bool OnInitDialog() override
    {
        m_log.calls.push_back(m_name + ".init");
        // What a page builds at creation shows with the page.
        label = new QLabel(windowTitle(), this);
        return true;
    }
    bool OnSetActive() override
    {
        m_log.calls.push_back(m_name + ".active");
        return true;
    }
    bool OnKillActive() override
    {
        m_log.calls.push_back(m_name + ".kill");
        return allowLeave;
    }
    void OnOK() override { m_log.calls.push_back(m_name + ".ok"); }
    void OnCancel() override { m_log.calls.push_back(m_name + ".cancel"); }

private:
    std::string m_name;
    Log& m_log;
};

TEST(PropertySheetTest, PagesAreCreatedOnFirstActivationAndMayRefuseToBeLeft)
{
    Log log;
    PropertySheet sheet("CPU Properties");
    auto* a = new TestPage("a", log);
    auto* b = new TestPage("b", log);
    auto* c = new TestPage("c", log);
    sheet.AddPage(a);
    sheet.AddPage(b);
    sheet.AddPage(c);
    EXPECT_FALSE(a->isCreated());

    sheet.ShowModeless();
    EXPECT_EQ(sheet.windowTitle(), "CPU Properties");
    EXPECT_EQ(sheet.tabBar()->count(), 3);
    EXPECT_TRUE(a->isCreated());
    EXPECT_TRUE(a->label->isVisible());
    EXPECT_FALSE(b->isCreated());

    // A user click on tab b: a is asked, b is created while hidden, then shown.
    sheet.tabBar()->setCurrentIndex(1);
    EXPECT_EQ(sheet.GetActivePage(), b);
    EXPECT_TRUE(b->label->isVisible());
    EXPECT_FALSE(a->isVisible());

    // b refuses to be left: the tab goes back, c is not created.
    b->allowLeave = false;
    sheet.tabBar()->setCurrentIndex(2);
    EXPECT_EQ(sheet.tabBar()->currentIndex(), 1);
    EXPECT_EQ(sheet.GetActivePage(), b);
    EXPECT_FALSE(c->isCreated());
    EXPECT_FALSE(sheet.SetActivePage(0));

    // OK asks the active page too and stays open on a refusal.
    sheet.accept();
    EXPECT_TRUE(sheet.isVisible());
    b->allowLeave = true;
    int result = 0;
    QObject::connect(&sheet, &QDialog::finished, [&](int r) { result = r; });
    sheet.accept();
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_EQ(result, DialogBase::IdOk);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"a.init", "a.active", "a.kill", "b.init", "b.active", "b.kill",
                                                   "b.kill", "b.kill", "b.kill", "a.ok", "b.ok"}));
}

TEST(PropertySheetTest, CancelReachesCreatedPagesOnlyAndModalRunReturnsIt)
{
    Log log;
    PropertySheet sheet;
    sheet.AddPage(new TestPage("a", log));
    sheet.AddPage(new TestPage("b", log));
    QTimer::singleShot(0, [&] { sheet.reject(); });
    EXPECT_EQ(sheet.exec(), DialogBase::IdCancel);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"a.init", "a.active", "a.cancel"}));
}

TEST(PropertySheetTest, PagesAddedAndRemovedWhileOpen)
{
    Log log;
    PropertySheet sheet;
    auto* a = new TestPage("a", log);
    auto* b = new TestPage("b", log);
    sheet.AddPage(a);
    sheet.AddPage(b);
    sheet.ShowModeless();
    ASSERT_TRUE(sheet.SetActivePage(1));

    // Removing the active page hands over to a neighbour without asking the removed page.
    log.calls.clear();
    sheet.RemovePage(b);
    EXPECT_EQ(sheet.GetPageCount(), 1);
    EXPECT_EQ(sheet.GetActivePage(), a);
    EXPECT_EQ(sheet.tabBar()->count(), 1);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"a.active"}));

    auto* c = new TestPage("c", log);
    sheet.AddPage(c);
    EXPECT_EQ(sheet.tabBar()->tabText(1), "c");
    EXPECT_FALSE(c->isCreated());
    EXPECT_TRUE(sheet.SetActivePage(1));
    EXPECT_TRUE(c->isCreated());
    sheet.RemovePage(0);
    sheet.RemovePage(5); // no such page: nothing happens
    EXPECT_EQ(sheet.GetPageCount(), 1);
    EXPECT_EQ(sheet.GetActivePage(), c);

    // An emptied sheet still ends normally.
    sheet.RemovePage(c);
    EXPECT_EQ(sheet.GetActivePage(), nullptr);
    sheet.accept();
    EXPECT_FALSE(sheet.isVisible());
}

} // namespace
} // namespace platform
