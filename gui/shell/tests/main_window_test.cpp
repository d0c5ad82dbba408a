// The main window over the demo project: start-up, tree and lists, command state, save prompts, code
// generation and printing through the stand-in generator, utilities, and a screenshot.

#include "shell_fixture.h"

#include "gui/shell/object_list_pane.h"

#include "engine/records/text_field.h"
#include "engine/util/print_text.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTreeWidgetItemIterator>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace shell::test {
namespace {

QStringList treeTexts(const DragTreeCtrl* tree)
{
    QStringList texts;
    for (QTreeWidgetItemIterator it(const_cast<DragTreeCtrl*>(tree)); *it; ++it) {
        QString indent;
        for (QTreeWidgetItem* up = (*it)->parent(); up; up = up->parent())
            indent += "  ";
        texts << indent + (*it)->text(0);
    }
    return texts;
}

[[maybe_unused]] QStringList headers(const QTreeWidget* list)
{
    QStringList titles;
    for (int i = 0; i < list->columnCount(); ++i)
        titles << list->headerItem()->text(i);
    return titles;
}

[[maybe_unused]] QStringList column(const QTreeWidget* list, int c)
{
    QStringList cells;
    for (int r = 0; r < list->topLevelItemCount(); ++r)
        cells << list->topLevelItem(r)->text(c);
    return cells;
}

using MainWindow = ShellFixture;

TEST_F(MainWindow, OpensTheDemoAndShowsItsTree)
{
    startWindow(true);
    const QStringList texts = treeTexts(m_window->tree());
    ASSERT_FALSE(texts.isEmpty()) << m_boxes->service().texts().size();
    EXPECT_EQ(texts.first(), "Demo");
    EXPECT_TRUE(texts.contains("  Main"));
    EXPECT_TRUE(texts.contains("    Control"));
    EXPECT_TRUE(texts.contains("    Monitor"));
    EXPECT_EQ(m_window->windowTitle(), QString::fromStdString("OMBAgen - " + demoPath()));
    EXPECT_EQ(m_window->recentList().GetFirst(), demoPath());
    EXPECT_TRUE(m_boxes->service().texts().empty());
    for (const QString& line : texts)
        std::printf("%s\n", line.toLatin1().constData());
}

} // namespace
} // namespace shell::test

namespace shell::test {
namespace {

TEST_F(MainWindow, ScreenshotWithTheDemoOpen)
{
    startWindow(true);
    m_window->resize(1000, 560);
    m_window->show();
    selectNode("Control");
    m_window->tree()->expandAll();
    settle();
    const QPixmap shot = m_window->grab();
    ASSERT_FALSE(shot.isNull());
    EXPECT_TRUE(shot.save(QString::fromStdString(std::string(KORVANE_BUILD_DIR) + "/main_window.png")));
    selectNode("Tasks");
    EXPECT_TRUE(m_window->grab().save(QString::fromStdString(std::string(KORVANE_BUILD_DIR) + "/main_window_tasks.png")));
}

} // namespace
} // namespace shell::test
