// Text typed into the program reaches the disk and the commands it runs as the locale's bytes: a name and a
// path typed on the application sheet are saved and generated under those bytes, a value typed for a
// utility reaches the command's arguments as them, and a folder whose name does not decode passes
// through the utility's dialog unaltered.

#include "shell_fixture.h"

#include "engine/records/text_field.h"
#include "gui/editors/model/page_application.h"
#include "gui/editors/services/editors_impl.h"
#include "gui/shell/command_output_dialog.h"
#include "gui/shell/editor_services.h"
#include "gui/shell/utility_params_dialog.h"
#include "gui/shell/utility_script.h"
#include "platform/qt/control_id.h"
#include "platform/qt/locale_text.h"
#include "platform/qt/property_sheet.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>

namespace shell::test {
namespace {

const std::string kCafeBytes = "caf\xc3\xa9";
const std::string kDocumentsBytes = "\xd0\x94\xd0\xbe\xd0\xba\xd1\x83\xd0\xbc\xd0\xb5\xd0\xbd\xd1\x82\xd1\x8b";

// Types the text into the widget one character at a time, as the input method of a keyboard with these
// letters delivers them.
void typeText(QWidget* widget, const QString& text)
{
    widget->setFocus();
    for (const QChar c : text) {
        QInputMethodEvent typed;
        typed.setCommitString(QString(c));
        QApplication::sendEvent(widget, &typed);
    }
}

void typeOver(QLineEdit* edit, const QString& text)
{
    ASSERT_NE(edit, nullptr);
    edit->selectAll();
    typeText(edit, text);
    ASSERT_EQ(edit->text(), text);
}

// Runs the step on the next modal window whose title starts with `title`.
void whenModal(const QString& title, std::function<void(QWidget*)> step)
{
    QTimer::singleShot(10, [title, step] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->windowTitle().startsWith(title))
            return whenModal(title, step);
        step(modal);
    });
}

void click(QWidget* window, int id)
{
    auto* button = platform::findControl<QPushButton>(window, id);
    ASSERT_NE(button, nullptr) << id;
    button->click();
}

class TextJourney : public ShellFixture {
protected:
    void SetUp() override
    {
        ShellFixture::SetUp();
        m_previousEditors = setEditorServices(&editors::editorsImpl());
    }
    void TearDown() override
    {
        ShellFixture::TearDown();
        setEditorServices(m_previousEditors);
    }

    EditorServices* m_previousEditors = nullptr;
};

TEST_F(TextJourney, TypedNamesPathsAndUtilityValuesReachTheDiskAndTheCommandAsTheirBytes)
{
    const QString cafe = platform::toQString(kCafeBytes);
    const QString documents = platform::toQString(kDocumentsBytes);
    ASSERT_EQ(cafe, QString::fromStdU16String(u"caf\u00e9"));
    startWindow(true);
    engine::ProjectRecord& project = m_window->GetProject();
    ASSERT_GT(project.cpuCount, 0);
    engine::CpuRecord& main = project.cpus[0];
    ASSERT_GT(main.applicationCount, 0);
    engine::ApplicationRecord& control = main.applications[0];
    const std::string applicationFile = m_projectDir + "/" + engine::textString(control.path);

    // A name field and a path field of the application sheet, typed and confirmed with OK.
    bool typed = false;
    whenModal(QStringLiteral("Application Properties"), [&](QWidget* sheet) {
        typeOver(platform::findControl<QLineEdit>(sheet, editors::app_ids::Name), documents);
        if (auto* pages = qobject_cast<platform::PropertySheet*>(sheet))
            pages->SetActivePage(3); // Paths
        typeOver(platform::findControl<QLineEdit>(sheet, editors::app_ids::CodePath), cafe + u'/');
        typed = true;
        click(sheet, platform::IdOk);
        if (sheet->isVisible()) { // refused: say why and leave
            ADD_FAILURE() << "the sheet stayed open";
            qobject_cast<QDialog*>(sheet)->reject();
        }
    });
    editorServices().ShowApplicationProperties(m_window->manager(), project, control, main);
    settle();
    ASSERT_TRUE(typed);
    EXPECT_EQ(engine::textString(control.name), kDocumentsBytes);
    for (const std::string& text : m_boxes->service().texts())
        ADD_FAILURE() << text;

    // Saved as those bytes (the file format writes a byte beyond ASCII as \x and two hex digits), and read
    // back as them.
    m_window->OnFileSaveAll();
    const auto escaped = [](const std::string& bytes) {
        std::string text;
        for (const char c : bytes) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", static_cast<unsigned char>(c));
            text += static_cast<unsigned char>(c) < 0x80 ? std::string(1, c) : std::string(hex);
        }
        return text;
    };
    const std::string saved = readFile(applicationFile);
    EXPECT_NE(saved.find("Name=\"" + escaped(kDocumentsBytes) + "\""), std::string::npos) << saved.substr(0, 300);
    EXPECT_NE(saved.find("Code File Path=\"" + escaped(kCafeBytes) + "/\""), std::string::npos) << saved.substr(0, 300);
    m_window->OnFileCloseProject();
    ASSERT_TRUE(m_window->OpenProjectFile(demoPath(), true));
    settle();
    ASSERT_GT(m_window->GetProject().cpuCount, 0);
    ASSERT_GT(m_window->GetProject().cpus[0].applicationCount, 0);
    EXPECT_EQ(engine::textString(m_window->GetProject().cpus[0].applications[0].name), kDocumentsBytes);
    m_boxes->service().clear(); // the question before the reopening

    // Generated into the folder of those bytes.
    selectNode(documents);
    m_window->OnFileGenerateCode();
    EXPECT_TRUE(std::filesystem::is_directory(m_projectDir + "/" + kCafeBytes));
    for (const std::string& text : m_boxes->service().texts())
        ADD_FAILURE() << text;

    // A value typed for a utility reaches the command's arguments as the same bytes.
    const std::string out = m_temp.path().toStdString() + "/arguments";
    m_window->setDialogs(nullptr); // the real parameters dialog and output window
    bool asked = false;
    bool ran = false;
    whenModal(QStringLiteral("Enter parameters"), [&](QWidget* parameters) {
        typeOver(platform::findControl<QLineEdit>(parameters, UtilityParamsDialog::editId(0)),
                 documents + u'/' + cafe);
        asked = true;
        whenModal(QStringLiteral("Output from command"), [&](QWidget* output) {
            auto* window = qobject_cast<CommandOutputDialog*>(output);
            ASSERT_NE(window, nullptr);
            EXPECT_TRUE(window->windowTitle().contains(documents + u'/' + cafe)) << window->windowTitle().toStdString();
            QDeadlineTimer deadline(60000);
            while (!window->isDone() && !deadline.hasExpired())
                QApplication::processEvents(QEventLoop::AllEvents, 20);
            ran = window->isDone();
            click(window, CommandOutputDialog::kCloseId);
        });
        click(parameters, platform::IdOk);
        if (parameters->isVisible()) {
            ADD_FAILURE() << "the parameters stayed open";
            qobject_cast<QDialog*>(parameters)->reject();
        }
    });
    m_window->RunUtilityScript(0, "printf '%s|' $Value%s@x >'" + out + "'");
    EXPECT_TRUE(asked);
    EXPECT_TRUE(ran);
    EXPECT_EQ(readFile(out), kDocumentsBytes + "/" + kCafeBytes + "|");
}

// A value reaches the command as the bytes it stands for: a folder whose name does not decode (as the
// folder picker gives it), and typed text in the locale's encoding.
TEST_F(TextJourney, AUtilityValueKeepsItsBytesWhateverTheyAre)
{
    struct Case {
        const char* type;
        std::string value;
    };
    const Case cases[] = {
        {"d", "/tmp/\xff\xfe_bad"},
        {"d", "/tmp/" + kDocumentsBytes},
        {"f", "/tmp/" + kCafeBytes + "/x.txt"},
        {"s", "\xc3\xa9\xd0\xb6/x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        std::vector<UtilityRequest> requests = {{"Value", c.type, 0, 0, "", 0, 0}};
        UtilityParamsDialog dialog(requests, "", "U", nullptr);
        dialog.ShowModeless();
        auto* edit = platform::findControl<QLineEdit>(&dialog, UtilityParamsDialog::editId(0));
        ASSERT_NE(edit, nullptr);
        // What the picker or the keyboard puts in the edit.
        edit->setText(platform::toQString(c.value));
        click(&dialog, platform::IdOk);
        EXPECT_EQ(requests[0].value, c.value);
        dialog.DestroyWindow();
    }
}

} // namespace
} // namespace shell::test
