#include "platform/qt/file_dialog.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
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
    auto* dialog = new FileDialog(nullptr, QStringLiteral("Choose File for Project \"Demo\""), folder);
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

// The pattern left in the name box, or another one typed there, is never taken for a file, in Open and
// Save alike: the dialog lists the folder by it and stays open, with no box; a name typed then is the choice.
TEST(FileDialogTest, APatternInTheNameBoxFiltersAndTheDialogStaysOpen)
{
    for (const bool open : {true, false}) {
        SCOPED_TRACE(open ? "open" : "save");
        QTemporaryDir folder;
        ASSERT_TRUE(folder.isValid());
        QFile existing(QDir(folder.path()).filePath(QStringLiteral("control.app")));
        ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
        existing.close();
        // Open takes the file that is there; Save a new one (no question about replacing).
        const QString name = open ? QStringLiteral("control.app") : QStringLiteral("new.app");
        std::unique_ptr<QFileDialog> dialog(makeDialog(folder.path()));
        setUpFileDialog(*dialog, open, QStringLiteral("OMBAgen application files"), QStringLiteral("*.app"),
                        QStringLiteral("app"));
        const auto accept = [&] { QMetaObject::invokeMethod(dialog.get(), "accept", Qt::QueuedConnection); };
        std::vector<std::function<void()>> steps = {
            accept,
            [&] {
                EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("*.app")});
                nameBox(*dialog)->setText(QStringLiteral("*.ap?"));
                accept();
            },
            [&] {
                EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("*.ap?")});
                nameBox(*dialog)->setText(name);
                accept();
            },
        };
        std::size_t next = 0;
        int boxes = 0;
        QTimer driver;
        QObject::connect(&driver, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                ++boxes;
                box->reject();
                return;
            }
            if (modal != dialog.get() || !dialog->isVisible())
                return;
            if (next < steps.size())
                steps[next++]();
            else
                dialog->reject();
        });
        driver.start(50);
        const QString chosen = runFileDialog(*dialog);
        driver.stop();
        EXPECT_EQ(boxes, 0);
        EXPECT_EQ(next, steps.size());
        EXPECT_EQ(chosen, QDir(folder.path()).filePath(name));
    }
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
