#include "platform/qt/file_dialog.h"

#include "platform/core/message_service.h"
#include "platform/qt/locale_text.h"

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <vector>

#include <sys/stat.h>

namespace platform {
namespace {

std::unique_ptr<FileDialog> makeDialog(const std::string& folder)
{
    return std::make_unique<FileDialog>(nullptr, QStringLiteral("Choose File for Project \"Demo\""), folder);
}

QStringList shown(const FileDialog& dialog)
{
    QStringList names;
    for (int i = 0; i < dialog.list()->topLevelItemCount(); ++i)
        names << dialog.list()->topLevelItem(i)->text(0);
    return names;
}

// Runs the chooser with one step per showing of the chooser (a step that leaves it open gets the next).
std::string runSteps(FileDialog& dialog, std::vector<std::function<void()>> steps, std::size_t& done)
{
    done = 0;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        if (QApplication::activeModalWidget() != &dialog || !dialog.isVisible())
            return;
        if (done < steps.size())
            steps[done++]();
        else
            dialog.reject();
    });
    driver.start(20);
    const std::string chosen = runFileDialog(dialog);
    driver.stop();
    return chosen;
}

TEST(FileDialogTest, TheNameBoxStartsWithThePatternOfTheFileKind)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    for (const bool open : {true, false}) {
        SCOPED_TRACE(open ? "open" : "save");
        const auto dialog = makeDialog(toBytes(folder.path()));
        setUpFileDialog(*dialog, open, QStringLiteral("OMBAgen project files"), QStringLiteral("*.omb"),
                        QStringLiteral(".omb"));
        EXPECT_EQ(dialog->nameBox()->text(), QStringLiteral("*.omb"));
        EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("OMBAgen project files (*.omb)")});
        EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("omb"));
        EXPECT_EQ(dialog->isOpen(), open);
        EXPECT_EQ(dialog->folder(), toBytes(folder.path()));
    }
}

// The pattern left in the name box, or another one typed there, is never taken for a file, in Open and
// Save alike: the chooser lists the folder by it and stays open, with no box; a name typed then is the
// choice, a name typed without an extension gets the kind's when saved.
TEST(FileDialogTest, APatternInTheNameBoxFiltersAndTheDialogStaysOpen)
{
    for (const bool open : {true, false}) {
        SCOPED_TRACE(open ? "open" : "save");
        QTemporaryDir folder;
        ASSERT_TRUE(folder.isValid());
        const std::string base = toBytes(folder.path());
        std::ofstream(base + "/control.app") << "x";
        std::ofstream(base + "/notes.txt") << "x";
        std::ofstream(base + "/other.apx") << "x";
        ScopedScriptedMessages boxes;
        const auto dialog = makeDialog(base);
        setUpFileDialog(*dialog, open, QStringLiteral("OMBAgen application files"), QStringLiteral("*.app"),
                        QStringLiteral("app"));
        EXPECT_EQ(shown(*dialog), QStringList{QStringLiteral("control.app")});
        const auto accept = [&] { dialog->nameBox()->setFocus(); dialog->accept(); };
        std::size_t done = 0;
        const std::string chosen = runSteps(*dialog,
                                            {
                                                accept,
                                                [&] {
                                                    EXPECT_EQ(dialog->patterns(), QStringList{"*.app"});
                                                    dialog->nameBox()->setText(QStringLiteral("*.ap?"));
                                                    dialog->accept();
                                                },
                                                [&] {
                                                    EXPECT_EQ(dialog->patterns(), QStringList{"*.ap?"});
                                                    EXPECT_EQ(shown(*dialog), (QStringList{"control.app", "other.apx"}));
                                                    dialog->nameBox()->setText(open ? QStringLiteral("control.app")
                                                                                    : QStringLiteral("new"));
                                                    dialog->accept();
                                                },
                                            },
                                            done);
        EXPECT_EQ(done, 3u);
        EXPECT_TRUE(boxes->texts().empty());
        EXPECT_EQ(chosen, base + (open ? "/control.app" : "/new.app"));
    }
}

// A listed file whose name holds '*' or '?' is chosen, not taken for a filter, in Open and Save alike:
// double-clicked, or its name typed; a typed pattern that no entry is named by still filters.
TEST(FileDialogTest, AListedNameHoldingWildcardsIsChosenAndAPatternNoEntryHasFilters)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::string base = toBytes(folder.path());
    std::ofstream(base + "/a*b.omb") << "x";
    std::ofstream(base + "/q?.omb") << "x";
    std::ofstream(base + "/axb.omb") << "x";
    ScopedScriptedMessages boxes;
    for (const bool open : {true, false}) {
        for (const bool typed : {false, true}) {
            SCOPED_TRACE(std::string(open ? "open" : "save") + (typed ? ", typed" : ", double-clicked"));
            const auto dialog = makeDialog(base);
            setUpFileDialog(*dialog, open, QStringLiteral("OMBAgen project files"), QStringLiteral("*.omb"),
                            QStringLiteral("omb"));
            ASSERT_EQ(shown(*dialog), (QStringList{"a*b.omb", "axb.omb", "q?.omb"}));
            std::size_t done = 0;
            const std::string chosen = runSteps(*dialog,
                                                {
                                                    [&] {
                                                        dialog->nameBox()->setText(QStringLiteral("a*"));
                                                        dialog->accept();
                                                    },
                                                    [&] {
                                                        EXPECT_EQ(shown(*dialog), (QStringList{"a*b.omb", "axb.omb"}));
                                                        QTreeWidgetItem* item = dialog->list()->topLevelItem(0);
                                                        if (typed) {
                                                            dialog->nameBox()->setText(QStringLiteral("a*b.omb"));
                                                            dialog->accept();
                                                        } else {
                                                            dialog->list()->setCurrentItem(item);
                                                            emit dialog->list()->itemActivated(item, 0);
                                                        }
                                                    },
                                                },
                                                done);
            EXPECT_EQ(done, 2u);
            EXPECT_EQ(chosen, base + "/a*b.omb");
        }
    }
    EXPECT_TRUE(boxes->texts().empty());
}

// A folder or file whose name does not decode is listed (drawn with the replacement character), entered
// and chosen by its own bytes; Open refuses a file that is not there and stays open.
TEST(FileDialogTest, NamesThatDoNotDecodeAreListedAndChosenByTheirBytes)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::string base = toBytes(folder.path());
    const std::string bad = base + "/\xff\xfe_bad";
    ASSERT_EQ(::mkdir(bad.c_str(), 0700), 0);
    std::ofstream(bad + "/pro\xe9.omb") << "x";
    std::ofstream(bad + "/caf\xc3\xa9.omb") << "x";
    ScopedScriptedMessages boxes;
    const auto dialog = makeDialog(base);
    setUpFileDialog(*dialog, true, QStringLiteral("OMBAgen project files"), QStringLiteral("*.omb"),
                    QStringLiteral("omb"));
    ASSERT_EQ(shown(*dialog), QStringList{QString::fromStdU16String(u"\xdcff\xdcfe_bad")});
    std::size_t done = 0;
    const std::string chosen = runSteps(
        *dialog,
        {
            [&] {
                // The folder is entered as the system names it.
                QTreeWidgetItem* item = dialog->list()->topLevelItem(0);
                dialog->list()->setCurrentItem(item);
                emit dialog->list()->itemActivated(item, 0);
                EXPECT_EQ(dialog->folder(), bad);
                EXPECT_EQ(shown(*dialog), (QStringList{QString::fromStdU16String(u"caf\u00e9.omb"),
                                                       QString::fromStdU16String(u"pro\xdce9.omb")}));
                // A name that is not there is refused.
                dialog->nameBox()->setText(QStringLiteral("missing.omb"));
                dialog->accept();
            },
            [&] {
                EXPECT_EQ(boxes->texts(), std::vector<std::string>{bad + "/missing.omb\nFile not found.\nCheck the "
                                                                         "file name and try again."});
                // Choosing the file puts its name in the box; the choice is its bytes.
                dialog->list()->setCurrentItem(dialog->list()->topLevelItem(1));
                EXPECT_EQ(dialog->nameBox()->text(), QString::fromStdU16String(u"pro\xdce9.omb"));
                dialog->accept();
            },
        },
        done);
    EXPECT_EQ(done, 2u);
    EXPECT_EQ(chosen, bad + "/pro\xe9.omb");
    std::filesystem::remove_all(base);
}

TEST(FileDialogTest, OnlyAPatternInTheLastPartCounts)
{
    EXPECT_TRUE(isNamePattern(QStringLiteral("/tmp/*.omb")));
    EXPECT_TRUE(isNamePattern(QStringLiteral("demo?.omb")));
    EXPECT_FALSE(isNamePattern(QStringLiteral("/tmp/a*b/demo.omb")));
    EXPECT_FALSE(isNamePattern(QStringLiteral("demo.omb")));
}

} // namespace
} // namespace platform
