#include "gui/shell/recent_project_list.h"
#include "platform/core/profile_store.h"

#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>

namespace {

constexpr int kFirst = RecentProjectList::kFirstCommand;

// A File menu as the main window builds it: the placeholder item and "&Clear File History" between others.
struct FileMenu {
    QMenu menu;
    FileMenu()
    {
        menu.addAction("&Open...")->setData(57601);
        menu.addSeparator();
        menu.addAction("&Recent File")->setData(kFirst);
        menu.addAction("&Clear File History")->setData(RecentProjectList::kClearCommand);
        menu.addSeparator();
        menu.addAction("E&xit")->setData(57665);
    }
    QStringList texts() const
    {
        QStringList out;
        for (QAction* a : menu.actions())
            out << (a->isSeparator() ? QString("-") : a->text());
        return out;
    }
    QAction* byId(int id) const
    {
        for (QAction* a : menu.actions()) {
            if (a->data().toInt() == id)
                return a;
        }
        return nullptr;
    }
};

TEST(RecentProjectListTest, AddMovesToTheTopAndKeepsAtMostFive)
{
    platform::ProfileStore profile("");
    RecentProjectList list(&profile);
    for (const char* p : {"/p/a.omb", "/p/b.omb", "/p/c.omb", "/p/d.omb"})
        list.Add(p);
    EXPECT_EQ(list.count(), 4);
    EXPECT_EQ(list.GetEntry(kFirst + 2), "/p/b.omb");

    // The third entry again: to the top, count unchanged.
    list.Add("/p/b.omb");
    EXPECT_EQ(list.count(), 4);
    EXPECT_EQ(list.entries()[0], "/p/b.omb");
    EXPECT_EQ(list.entries()[1], "/p/d.omb");
    EXPECT_EQ(list.entries()[2], "/p/c.omb");
    EXPECT_EQ(list.entries()[3], "/p/a.omb");

    list.Add("/p/e.omb");
    list.Add("/p/f.omb"); // the sixth drops the oldest
    EXPECT_EQ(list.count(), 5);
    EXPECT_EQ(list.GetFirst(), "/p/f.omb");
    EXPECT_EQ(list.GetEntry(kFirst + 4), "/p/c.omb");
    EXPECT_EQ(list.GetEntry(kFirst + 5), "");
    EXPECT_EQ(list.GetEntry(57601), "");
    // Paths compare exactly: another case is another file.
    list.Add("/p/F.omb");
    EXPECT_EQ(list.count(), 5);
    EXPECT_EQ(list.GetEntry(kFirst + 1), "/p/f.omb");

    EXPECT_EQ(profile.getString(RecentProjectList::kSection, "File1"), "/p/F.omb");
    EXPECT_EQ(profile.getString(RecentProjectList::kSection, "File5"), "/p/d.omb");

    list.Clear();
    EXPECT_EQ(list.count(), 0);
    EXPECT_TRUE(profile.entries(RecentProjectList::kSection).empty());
}

TEST(RecentProjectListTest, LoadingClosesGapsAndKeepsOrder)
{
    platform::ProfileStore profile("");
    profile.writeString(RecentProjectList::kSection, "File2", "/x/two.omb");
    profile.writeString(RecentProjectList::kSection, "File4", "/x/four.omb");
    profile.writeString(RecentProjectList::kSection, "File5", "");
    RecentProjectList list(&profile);
    FileMenu file;
    list.Attach(&file.menu);
    EXPECT_EQ(list.count(), 2);
    EXPECT_EQ(list.GetFirst(), "/x/two.omb");
    EXPECT_EQ(list.GetEntry(kFirst + 1), "/x/four.omb");
    EXPECT_EQ(file.texts(), (QStringList{"&Open...", "-", "&1  /x/two.omb", "&2  /x/four.omb", "&Clear File History",
                                         "-", "E&xit"}));

    // Saving writes the compacted order and deletes the keys left over.
    list.Add("/x/new.omb");
    EXPECT_EQ(profile.getString(RecentProjectList::kSection, "File3"), "/x/four.omb");
    EXPECT_FALSE(profile.getString(RecentProjectList::kSection, "File4"));
    EXPECT_FALSE(profile.getString(RecentProjectList::kSection, "File5"));

    RecentProjectList fromStore(&profile);
    fromStore.Load();
    EXPECT_EQ(fromStore.count(), 3);
}

TEST(RecentProjectListTest, MenuShowsEntriesOrAGreyedPlaceholder)
{
    platform::ProfileStore profile("");
    RecentProjectList list(&profile);
    FileMenu file;
    list.Attach(&file.menu);
    EXPECT_EQ(file.texts(), (QStringList{"&Open...", "-", "&Recent File", "&Clear File History", "-", "E&xit"}));
    EXPECT_FALSE(file.byId(kFirst)->isEnabled());
    EXPECT_FALSE(file.byId(RecentProjectList::kClearCommand)->isEnabled());

    list.Add("/home/u/R&D/p.omb");
    EXPECT_EQ(file.byId(kFirst)->text(), "&1  /home/u/R&&D/p.omb");
    EXPECT_TRUE(file.byId(kFirst)->isEnabled());
    EXPECT_TRUE(file.byId(RecentProjectList::kClearCommand)->isEnabled());
    list.Add("/home/u/q.omb");
    EXPECT_EQ(file.byId(kFirst + 1)->text(), "&2  /home/u/R&&D/p.omb");
    EXPECT_EQ(file.menu.actions().size(), 7);

    list.Clear();
    EXPECT_EQ(file.texts(), (QStringList{"&Open...", "-", "&Recent File", "&Clear File History", "-", "E&xit"}));

    // A menu without the placeholder is left alone.
    QMenu other;
    other.addAction("Only");
    list.Attach(&other);
    list.Add("/a.omb");
    EXPECT_EQ(other.actions().size(), 1);
}

TEST(ShortenPathTest, DrivePathsKeepTheDriveAndFirstFolder)
{
    const std::string deep = "C:\\dir1\\dir2\\dir3\\dir4\\dir5\\dir6\\dir7\\dir8\\dir9\\dir10\\f.omb";
    ASSERT_GT(deep.size(), 45u);
    EXPECT_EQ(shortenPath(deep, 45, '\\'), "C:\\dir1\\...\\dir6\\dir7\\dir8\\dir9\\dir10\\f.omb");
    EXPECT_LE(shortenPath(deep, 45, '\\').size(), 45u);
    EXPECT_EQ(shortenPath("\\\\server\\share\\a\\b\\c\\d\\e\\f\\g\\h\\i\\j\\k\\l\\m\\n\\file.omb", 45, '\\'),
              "\\\\server\\share\\...\\f\\g\\h\\i\\j\\k\\l\\m\\n\\file.omb");
    EXPECT_EQ(shortenPath("C:\\short\\f.omb", 45, '\\'), "C:\\short\\f.omb");
    // When the file name is all that fits, it stands alone.
    EXPECT_EQ(shortenPath("C:\\dir1\\dir2\\a-rather-long-file-name.omb", 30, '\\'), "a-rather-long-file-name.omb");
    EXPECT_EQ(shortenPath("C:\\dir1\\dir2\\name-longer-than-limit.omb", 10, '\\'), "name-longer-than-limit.omb");
}

TEST(ShortenPathTest, SlashPathsKeepTheirFirstFolder)
{
    const std::string deep = "/home/a/b/c/d/e/f/g/h/i/j/k/l/m/n/o/project.omb";
    EXPECT_EQ(shortenPath(deep, 45), "/home/.../d/e/f/g/h/i/j/k/l/m/n/o/project.omb");
    EXPECT_EQ(shortenPath(deep, 45).size(), 45u);
    EXPECT_EQ(shortenPath("/home/g/h/file.omb", 45), "/home/g/h/file.omb");
    EXPECT_EQ(shortenPath("/projects/very/deep/folder/tree/of/things/x.omb", 22), "/projects/.../x.omb");
    EXPECT_EQ(shortenPath("/projects/very/deep/folder/tree/of/things/x.omb", 18), "x.omb");
    EXPECT_EQ(shortenPath("/a-file-name-far-too-long-for-the-menu-limit-of-45.omb", 45),
              "a-file-name-far-too-long-for-the-menu-limit-of-45.omb");
    EXPECT_EQ(shortenPath("relative/one/two/three/four/five/six/seven/eight/file.omb", 45),
              "relative/.../five/six/seven/eight/file.omb");
}

// The limit counts characters as the menu shows them, not bytes: "Документы" is 9 characters in 18 bytes.
TEST(ShortenPathTest, TheLimitCountsShownCharacters)
{
    const std::string docs = "\xd0\x94\xd0\xbe\xd0\xba\xd1\x83\xd0\xbc\xd0\xb5\xd0\xbd\xd1\x82\xd1\x8b";
    const std::string fits = "/home/" + docs + "/a/b/c/d/e/f/g/h/project.omb"; // 43 characters, 52 bytes
    EXPECT_EQ(shortenPath(fits, 45), fits);
    // 47 characters: only the folders that do not fit go, the Cyrillic one stays.
    const std::string deep = "/home/a/b/c/d/e/" + docs + "/f/g/h/i/j/project.omb";
    EXPECT_EQ(shortenPath(deep, 45), "/home/.../d/e/" + docs + "/f/g/h/i/j/project.omb");
    // Bytes that do not decode show one character each.
    EXPECT_EQ(shortenPath("/home/\xff\xfe/x.omb", 14), "/home/\xff\xfe/x.omb");
    EXPECT_EQ(shortenPath("/home/\xff\xfe/x.omb", 13), "x.omb");
}

} // namespace
