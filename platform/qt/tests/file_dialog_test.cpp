#include "platform/qt/file_dialog.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace platform {
namespace {

QLineEdit* nameBox(QFileDialog& dialog) { return dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit")); }

QFileDialog* makeDialog(const QString& folder)
{
    auto* dialog = new QFileDialog(nullptr, QStringLiteral("Choose File for Project \"Demo\""), folder);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    return dialog;
}

TEST(FileDialogTest, TheNameBoxStartsWithThePatternOfTheFileKind)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    for (const bool open : {true, false}) {
        SCOPED_TRACE(open ? "open" : "save");
        std::unique_ptr<QFileDialog> dialog(makeDialog(folder.path()));
        setUpFileDialog(*dialog, open, QStringLiteral("OMBAgen project files"), QStringLiteral("*.omb"),
                        QStringLiteral("omb"));
        ASSERT_NE(nameBox(*dialog), nullptr);
        EXPECT_EQ(nameBox(*dialog)->text(), QStringLiteral("*.omb"));
        EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("OMBAgen project files (*.omb)")});
        EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("omb"));
        EXPECT_EQ(dialog->acceptMode(), open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    }
}

// The pattern left in the name box, or another one typed there, is never taken for a file to save: the
// dialog lists the folder by it and asks again; a name typed then is the choice.
TEST(FileDialogTest, APatternInTheNameBoxFiltersAndAsksAgain)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    std::unique_ptr<QFileDialog> dialog(makeDialog(folder.path()));
    setUpFileDialog(*dialog, false, QStringLiteral("OMBAgen application files"), QStringLiteral("*.app"),
                    QStringLiteral("app"));
    // Each step answers one showing of the dialog, once it is the modal window.
    std::vector<std::function<void()>> steps = {
        [&] { QMetaObject::invokeMethod(dialog.get(), "accept", Qt::QueuedConnection); },
        [&] {
            EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("*.app")});
            nameBox(*dialog)->setText(QStringLiteral("*.ap?"));
            QMetaObject::invokeMethod(dialog.get(), "accept", Qt::QueuedConnection);
        },
        [&] {
            EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("*.ap?")});
            nameBox(*dialog)->setText(QStringLiteral("control"));
            QMetaObject::invokeMethod(dialog.get(), "accept", Qt::QueuedConnection);
        },
    };
    std::size_t next = 0;
    QTimer driver;
    QObject::connect(&driver, &QTimer::timeout, [&] {
        if (QApplication::activeModalWidget() != dialog.get() || !dialog->isVisible())
            return;
        // One step per showing: the driver starts again when the dialog has closed.
        driver.stop();
        if (next < steps.size())
            steps[next++]();
        else
            dialog->reject();
    });
    QObject::connect(dialog.get(), &QDialog::finished, [&] { driver.start(20); });
    driver.start(20);
    const QString chosen = runFileDialog(*dialog);
    driver.stop();
    EXPECT_EQ(next, steps.size());
    EXPECT_EQ(chosen, QDir(folder.path()).filePath(QStringLiteral("control.app")));
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
