#include "platform/qt/control_id.h"
#include "platform/qt/locale_text.h"
#include "platform/qt/qt_message_service.h"
#include "platform/qt/shell_execute.h"
#include "platform/qt/typing_filter.h"

#include "platform/core/program_path.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QFontMetrics>
#include <QScreen>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace platform {
namespace {

TEST(ControlIdTest, FindsNestedControlsButNotOtherWindows)
{
    QWidget dialog;
    auto* group = new QWidget(&dialog);
    auto* edit = new QLineEdit(group);
    setControlId(edit, 1271);
    auto* owned = new QDialog(&dialog); // a window of its own
    auto* hidden = new QLineEdit(owned);
    setControlId(hidden, 1155);

    EXPECT_EQ(controlId(edit), 1271);
    EXPECT_EQ(edit->objectName(), "1271");
    EXPECT_EQ(controlId(group), 0);
    EXPECT_EQ(findControl(&dialog, 1271), edit);
    EXPECT_EQ(findControl<QLineEdit>(&dialog, 1271), edit);
    EXPECT_EQ(findControl<QPushButton>(&dialog, 1271), nullptr);
    EXPECT_EQ(findControl(&dialog, 1155), nullptr);
    EXPECT_EQ(findControl(&dialog, 0), nullptr);
    EXPECT_EQ(findControl(nullptr, 1271), nullptr);
}

// Bytes that decode become their characters; every other byte is kept as U+DC80 + byte and comes back.
TEST(LocaleTextTest, DecodesTheLocaleTextAndKeepsEveryOtherByte)
{
    struct Case {
        std::string bytes;
        std::u16string text;
    };
    const Case cases[] = {
        {"plain/ascii.omb", u"plain/ascii.omb"},
        {"caf\xc3\xa9/", u"caf\u00e9/"},
        {"\xd0\x94\xd0\xbe\xd0\xba\xd1\x83\xd0\xbc\xd0\xb5\xd0\xbd\xd1\x82\xd1\x8b", u"\u0414\u043e\u043a\u0443\u043c\u0435\u043d\u0442\u044b"},
        {"\xf0\x9f\x98\x80", u"\U0001F600"},
        {"Contr\xf4le", u"Contr\xdcf4le"},                 // Latin-1, not the locale's
        {"\xff\xfe_bad", u"\xdcff\xdcfe_bad"},
        {"\xc0\xaf", u"\xdcc0\xdcaf"},                   // an overlong "/" is no "/"
        {"\xed\xa0\x80", u"\xdced\xdca0\xdc80"},        // an encoded surrogate
        {"\xf4\x90\x80\x80", u"\xdcf4\xdc90\xdc80\xdc80"}, // beyond U+10FFFF
        {"\xe2\x82", u"\xdce2\xdc82"},                   // cut short at the end
        {std::string("a\0b", 3), std::u16string(u"a\0b", 3)},
    };
    for (const Case& c : cases) {
        const QString text = toQString(c.bytes);
        EXPECT_EQ(text, QString::fromStdU16String(c.text)) << c.bytes;
        EXPECT_EQ(toBytes(text), c.bytes);
    }
    std::string all;
    for (int i = 0; i < 256; ++i)
        all += static_cast<char>(i);
    EXPECT_EQ(toBytes(toQString(all)), all);
    // Text typed in Qt: half a surrogate pair has no bytes of its own and becomes U+FFFD.
    EXPECT_EQ(toBytes(QString(QChar(0xD800))), "\xef\xbf\xbd");
}

// A character split between two pieces of a stream is decoded whole; the end gives back what is left.
TEST(LocaleTextTest, StreamDecoderJoinsCharactersSplitBetweenPieces)
{
    const std::string stream = "a\xd0\x94" "b\xf0\x9f\x98\x80" "c\xff\xe2\x82";
    for (std::size_t cut1 = 0; cut1 <= stream.size(); ++cut1) {
        for (std::size_t cut2 = cut1; cut2 <= stream.size(); ++cut2) {
            StreamDecoder decoder;
            QString text = decoder.Decode(std::string_view(stream).substr(0, cut1));
            text += decoder.Decode(std::string_view(stream).substr(cut1, cut2 - cut1));
            text += decoder.Decode(std::string_view(stream).substr(cut2));
            text += decoder.Finish();
            EXPECT_EQ(text, toQString(stream)) << cut1 << ' ' << cut2;
        }
    }
}

TEST(QtMessageServiceTest, StylesMapToButtonsIconsAndDefaults)
{
    EXPECT_EQ(QtMessageService::standardButtons(MbYesNoCancel),
              QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(QtMessageService::standardButtons(MbOk), QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(QtMessageService::icon(MbIconWarning), QMessageBox::Warning);
    EXPECT_EQ(QtMessageService::icon(MbIconError), QMessageBox::Critical);
    EXPECT_EQ(QtMessageService::icon(0), QMessageBox::NoIcon);
    EXPECT_EQ(QtMessageService::defaultButton(MbYesNo | MbDefButton2), QMessageBox::No);
    for (int answer = IdOk; answer <= IdNo; ++answer)
        EXPECT_EQ(QtMessageService::toAnswer(QtMessageService::toStandardButton(answer)), answer);
}

TEST(QtMessageServiceTest, ShowsABoxAndReturnsTheButtonPressed)
{
    ScopedQtMessageService installed;
    QString seenText;
    QString seenTitle;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seenText = box->text();
        seenTitle = box->windowTitle();
        box->button(QMessageBox::No)->click();
    });
    EXPECT_EQ(messageBox("Save changes to caf\xe9?", "OMBAgen", MbYesNoCancel | MbIconQuestion), IdNo);
    EXPECT_EQ(seenText, toQString("Save changes to caf\xe9?"));
    EXPECT_EQ(seenTitle, "OMBAgen");

    // A text reads in the locale's encoding; a byte that does not decode shows as U+FFFD and is kept.
    EXPECT_EQ(QtMessageService::messageText("Can't open \xd0\x94\xd0\xbe\xd0\xba/caf\xc3\xa9/demo.omb"),
              QString::fromUtf8("Can't open \xd0\x94\xd0\xbe\xd0\xba/caf\xc3\xa9/demo.omb"));
    EXPECT_EQ(QtMessageService::messageText("Temp\xe9rature is not unique"),
              QString::fromStdU16String(u"Temp\xdce9rature is not unique"));
    EXPECT_EQ(QtMessageService::messageText("plain"), QStringLiteral("plain"));

    // Esc on a Yes/No/Cancel box answers Cancel.
    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    EXPECT_EQ(messageBox("x", "y", MbYesNoCancel), IdCancel);
}

// Each box of a sequence stands over the window it belongs to, also when no window is active any more
// once the previous box has closed (the window manager activates its parent again only later).
// A box naming a very long path fits the screen: the path wraps, at its slashes and, in a part too long
// for a line, anywhere; the text reads as it was, and words that fit are not touched.
TEST(QtMessageServiceTest, ABoxWithALongPathFitsTheScreenAndWrapsThePath)
{
    ScopedQtMessageService service;
    const std::string path = "/tmp/" + std::string(300, 'n') + "/" + std::string(40, 'd') + "/project.omb";
    const std::string text = "Cannot write " + path + "\nThe folder is not there.";
    QRect boxGeometry;
    QString shown;
    int labelHeight = 0;
    int labelWidth = 0;
    QString copied;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        boxGeometry = box->frameGeometry();
        shown = box->text();
        if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
        {
            labelHeight = label->height();
            labelWidth = label->width();
            // The user selects the path and copies it.
            const QString text = label->text();
            label->setSelection(static_cast<int>(text.indexOf(u'/')),
                                static_cast<int>(text.indexOf(u'\n') - text.indexOf(u'/')));
            label->setFocus();
            QTest::keyClick(label, Qt::Key_C, Qt::ControlModifier);
            copied = QGuiApplication::clipboard()->text();
        }
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(messageBox(text, "Save As", MbOk | MbIconError), IdOk);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(boxGeometry.width(), screen.width());
    EXPECT_LE(labelWidth, std::min(screen.width() / 2, 500));
    EXPECT_GE(labelHeight, 4 * QFontMetrics(QApplication::font()).height());
    EXPECT_EQ(QString(shown).remove(QChar(0x200B)), toQString(text));
    // What is copied from the box is the path as held.
    EXPECT_EQ(copied, toQString(path));

    // A text of many lines (the summary of many files) scrolls within a box that fits the screen.
    std::string many;
    for (int i = 0; i < 200; ++i)
        many += "Saved /tmp/project/file" + std::to_string(i) + ".app\n";
    QRect tall;
    QString tallText;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        tall = box->frameGeometry();
        if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
            tallText = label->text();
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(messageBox(many, "Save All", MbOk), IdOk);
    EXPECT_LE(tall.height(), screen.height());
    EXPECT_GT(tall.height(), 10 * QFontMetrics(QApplication::font()).height());
    EXPECT_EQ(tallText, toQString(many));
    EXPECT_EQ(QtMessageService::breakableText(QStringLiteral("a short text /x/y"), QFontMetrics(QApplication::font()), 500),
              QStringLiteral("a short text /x/y"));
}

TEST(QtMessageServiceTest, EveryBoxOfASequenceStaysOverItsWindow)
{
    ScopedQtMessageService installed;
    std::vector<QWindow*> parents;
    std::vector<QPoint> centres;
    const auto answerNextBox = [&] {
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            ASSERT_NE(box->windowHandle(), nullptr);
            parents.push_back(box->windowHandle()->transientParent());
            centres.push_back(box->geometry().center());
            box->button(QMessageBox::Ok)->click();
        });
    };

    QWidget window;
    window.setGeometry(300, 200, 800, 600);
    window.show();
    QApplication::setActiveWindow(&window);
    answerNextBox();
    messageBox("first", "OMBAgen", MbOk);
    QApplication::setActiveWindow(nullptr);
    answerNextBox();
    messageBox("second", "OMBAgen", MbOk);
    EXPECT_EQ(parents, (std::vector<QWindow*>{window.windowHandle(), window.windowHandle()}));
    // Each stands in the middle of its window (give or take the window's frame).
    const QRect middle(window.geometry().center() - QPoint(100, 100), QSize(200, 200));
    for (const QPoint& centre : centres)
        EXPECT_TRUE(middle.contains(centre)) << centre.x() << "," << centre.y();

    // Boxes raised while a modal dialog runs belong to that dialog, whichever window is active.
    parents.clear();
    QDialog dialog(&window);
    QTimer::singleShot(0, [&] {
        QApplication::setActiveWindow(nullptr);
        answerNextBox();
        messageBox("inside", "OMBAgen", MbOk);
        QApplication::setActiveWindow(nullptr);
        answerNextBox();
        messageBox("inside again", "OMBAgen", MbOk);
        dialog.accept();
    });
    dialog.exec();
    EXPECT_EQ(parents, (std::vector<QWindow*>{dialog.windowHandle(), dialog.windowHandle()}));
}

// A window that deletes itself on close (a splash, a status box counting down) may go while a box over it
// is open: the box stays up, is answered, and nothing of it goes with the window.
TEST(QtMessageServiceTest, ABoxOutlivesTheWindowItStandsOver)
{
    ScopedQtMessageService installed;
    QWidget main;
    main.show();
    QPointer<QDialog> window = new QDialog(&main);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->show();
    QApplication::setActiveWindow(window);
    QWindow* over = nullptr;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        if (window) {
            over = box->windowHandle()->transientParent();
            window->close(); // deleted later, from within the box's own event loop
            return;
        }
        box->button(QMessageBox::Retry)->click();
    });
    watch.start(5);
    EXPECT_EQ(messageBox("Still here?", "OMBAgen", MbRetryCancel), IdRetry);
    EXPECT_TRUE(window.isNull());
    EXPECT_NE(over, nullptr);
}

TEST(ShellExecuteTest, AnInstalledHandlerAnswersAndUnknownVerbsFail)
{
    std::string seen;
    ShellExecuteHandler previous = setShellExecuteHandler([&](const std::string& verb, const std::string& target) {
        seen = verb + " " + target;
        return 2;
    });
    EXPECT_EQ(shellExecute("open", "mailto:x"), 2);
    EXPECT_EQ(seen, "open mailto:x");
    setShellExecuteHandler(previous);
    EXPECT_EQ(shellExecute("print", "/nonexistent"), 31);
    EXPECT_EQ(shellExecute("open", "/nonexistent/file.txt"), 2);
}

TEST(ShellExecuteTest, RelativeFilesAreTakenFromTheProgramFolderAndAddressesStayAddresses)
{
    setProgramDirectoryOverride("/opt/omba/bin");
    EXPECT_EQ(shellTarget("Help/Manual.pdf"), (ShellTarget{false, "/opt/omba/bin/Help/Manual.pdf"}));
    EXPECT_EQ(shellTarget("notes.htm"), (ShellTarget{false, "/opt/omba/bin/notes.htm"}));
    EXPECT_EQ(shellTarget("/usr/share/doc/x.pdf"), (ShellTarget{false, "/usr/share/doc/x.pdf"}));
    EXPECT_EQ(shellTarget("https://www.example.com/a"), (ShellTarget{true, "https://www.example.com/a"}));
    EXPECT_EQ(shellTarget("mailto:support@example.com"), (ShellTarget{true, "mailto:support@example.com"}));
    EXPECT_EQ(shellTarget("C:help.pdf"), (ShellTarget{false, "/opt/omba/bin/C:help.pdf"}));
    EXPECT_EQ(shellTarget(""), ShellTarget{});
    // A file name's bytes are the file system's, whatever they are.
    EXPECT_EQ(shellTarget("/doc/caf\xc3\xa9.pdf").text, "/doc/caf\xc3\xa9.pdf");
    EXPECT_EQ(shellTarget("\xff\xfe_help/x.pdf").text, "/opt/omba/bin/\xff\xfe_help/x.pdf");
    // A relative help file that is not there is reported as not found, never opened as a web address.
    EXPECT_EQ(shellExecute("open", "Help/NoSuchManual.pdf"), 2);
    EXPECT_EQ(shellExecute("open", ""), 2);
    setProgramDirectoryOverride("");
}

// A help file under a folder whose name does not decode is found and handed to the desktop's opener by
// its own bytes.
TEST(ShellExecuteTest, AFileUnderAnUndecodableFolderReachesTheOpenerAsItsBytes)
{
    QTemporaryDir scratch;
    const std::string base = toBytes(scratch.path());
    const std::string folder = base + "/\xff\xfe_help";
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    std::ofstream(folder + "/manual.pdf") << "%PDF";
    // The opener found on the PATH writes what it was given to a file of its own.
    const std::string bin = base + "/bin";
    ASSERT_EQ(::mkdir(bin.c_str(), 0700), 0);
    const std::string seen = base + "/seen";
    std::ofstream(bin + "/xdg-open") << "#!/bin/sh\nprintf '%s' \"$1\" > '" << seen << ".part' && mv '" << seen
                                     << ".part' '" << seen << "'\n";
    ASSERT_EQ(::chmod((bin + "/xdg-open").c_str(), 0700), 0);
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (bin + ":" + path).c_str(), 1);
    setProgramDirectoryOverride(base);
    const int result = shellExecute("open", "\xff\xfe_help/manual.pdf");
    setenv("PATH", path.c_str(), 1);
    setProgramDirectoryOverride("");
    EXPECT_GT(result, 32);
    // The opener runs on its own; what it was given is there once it has written it.
    struct stat info {};
    for (int turn = 0; turn < 1000 && ::stat(seen.c_str(), &info) != 0; ++turn)
        QTest::qWait(10);
    std::ifstream in(seen, std::ios::binary);
    const std::string given((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(given, folder + "/manual.pdf");
    std::filesystem::remove_all(base);
}

TEST(TypingFilterTest, LimitsTypingButNeverTheTextSetFromCode)
{
    QLineEdit edit;
    edit.setText("12345");
    setTypingFilter(&edit, 3, true);
    EXPECT_EQ(edit.text(), "12345");
    edit.end(false);
    QTest::keyClicks(&edit, "6");
    EXPECT_EQ(edit.text(), "12345");
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QTest::keyClicks(&edit, "a9");
    EXPECT_EQ(edit.text(), "129");
    // Without limit and digits rule no filter is installed.
    QLineEdit free;
    setTypingFilter(&free, 0, false);
    EXPECT_EQ(free.validator(), nullptr);
}

} // namespace
} // namespace platform
