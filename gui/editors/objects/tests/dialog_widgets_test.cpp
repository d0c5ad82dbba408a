// The dialogs as widgets on the demo project: values typed into the controls reach the records on OK and
// leave them untouched on Cancel; edit limits, hidden rows and a picture of the Task dialog.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <set>

#include <gtest/gtest.h>

#include "engine/files/config_file.h"
#include "engine/names/kernel_lookup.h"
#include "engine/names/project_walk.h"
#include "engine/ops/project_manager.h"
#include "engine/records/text_field.h"
#include "engine/util/path.h"
#include "engine/util/text.h"
#include "gui/editors/model/object_dialog_factory.h"
#include "gui/editors/model/object_models.h"
#include "gui/editors/model/property_models.h"
#include "gui/editors/objects/control_table.h"
#include "gui/editors/objects/model_dialog.h"
#include "gui/editors/services/editors_impl.h"
#include "gui/shell/command_state.h"
#include "gui/shell/editor_services.h"
#include "platform/qt/testing/seen_messages.h"
#include "platform/core/message_service.h"
#include "platform/core/program_path.h"
#include "platform/qt/control_id.h"

namespace editors::test {
namespace {

std::string fromEnvironment(const char* name, const char* fallback)
{
    const char* value = std::getenv(name);
    return value ? value : fallback;
}

using platform::testing::SeenMessages;

std::string joined(const std::vector<std::string>& texts)
{
    std::string all;
    for (const std::string& text : texts)
        all += text + "\n";
    return all;
}

// Every stored field of an object, its data block (by 32-bit word), its class entry and its application,
// named, as text: what an unchanged OK must leave as it was.
using RecordFields = std::vector<std::pair<std::string, std::string>>;

RecordFields fieldsOf(const engine::ObjectPlace& place)
{
    RecordFields fields;
    const auto add = [&](const std::string& name, const std::string& value) { fields.emplace_back(name, value); };
    const auto number = [&](const std::string& name, int32_t value) { add(name, std::to_string(value)); };
    const engine::ObjectRecord& o = *place.object;
    add("name", engine::textString(o.name));
    add("description", engine::textString(o.description));
    number("isMp", o.isMp);
    number("traceObject", o.traceObject);
    number("traceActor", o.traceActor);
    number("dynamicsAllowed", o.dynamicsAllowed);
    number("numberOfDynamics", o.numberOfDynamics);
    number("childCount", o.childCount);
    number("enabled", o.enabled);
    const std::vector<unsigned char> block = CopyOfDataBlock(*place.entry, o);
    for (std::size_t at = 0; at + 4 <= block.size(); at += 4) {
        int32_t word = 0;
        std::memcpy(&word, block.data() + at, sizeof word);
        number("data word " + std::to_string(at / 4), word);
    }
    const engine::ApplicationClassEntry& e = *place.entry;
    number("entry cFileDirty", e.cFileDirty);
    number("entry hFileDirty", e.hFileDirty);
    number("entry mFileDirty", e.mFileDirty);
    number("entry numberOfDynamics", e.numberOfDynamics);
    const engine::ApplicationRecord& a = *place.application;
    number("application edited", a.edited);
    number("application kernelHDirty", a.kernelHDirty);
    number("application kernelMDirty", a.kernelMDirty);
    number("application projectHDirty", a.projectHDirty);
    number("application projectCDirty", a.projectCDirty);
    number("application regenerate", a.regenerate);
    return fields;
}

// "field: before -> after" for each field that differs.
std::string changedFields(const RecordFields& before, const RecordFields& after)
{
    std::string changes;
    for (std::size_t i = 0; i < before.size() && i < after.size(); ++i) {
        if (before[i] != after[i])
            changes += before[i].first + ": " + before[i].second + " -> " + after[i].second + "; ";
    }
    if (before.size() != after.size())
        changes += "the data block changed size";
    return changes;
}

// The ids of a dialog's numeric edits, found from the controls: an edit the user can type into that shows
// a whole number.
std::vector<int> numericEdits(QWidget* dialog)
{
    std::vector<int> ids;
    for (QLineEdit* edit : dialog->findChildren<QLineEdit*>()) {
        if (edit->isVisible() && edit->isEnabled() && !edit->isReadOnly() &&
            engine::IsWholeNumber(edit->text().trimmed().toStdString()))
            ids.push_back(platform::controlId(edit));
    }
    return ids;
}

// A message that gives the field's range, in any of the wordings the dialogs use.
bool isRangeMessage(const std::string& text)
{
    return text.find(" must be in the range of ") != std::string::npos ||
           text.rfind("Please enter an integer between ", 0) == 0;
}

// What the class dialogs may change: every entry of a chain and its application.
std::string classChainFields(const engine::ApplicationClassEntry& first, const engine::ApplicationRecord& application)
{
    std::string fields = std::to_string(application.edited);
    for (const engine::ApplicationClassEntry* e = &first; e; e = e->chained) {
        for (const int32_t value : {e->statistics, e->diagnostics, e->systemTrace, e->maxKeyLength,
                                    e->numberOfDynamics, e->cFileDirty, e->hFileDirty, e->mFileDirty})
            fields += " " + std::to_string(value);
    }
    return fields;
}

// The demo project opened the way the program opens it.
class DemoDialogsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_folder = engine::GetCurrentDirectoryText();
        platform::setProgramDirectoryOverride(fromEnvironment("KORVANE_BINARY_DIR", ".") + "/bin");
        ASSERT_TRUE(engine::ConfigFile::Read(m_config, "ombagen.cfg"));
        engine::ProjectManager::ResetProject(m_project, true);
        std::string path = fromEnvironment("KORVANE_SOURCE_DIR", ".") + "/samples/demo/demo.omb";
        ASSERT_EQ(m_manager.OpenProjectFile(m_project, m_config, path, true), 1);
        // The program links the whole library and so installs the editors at load; a test names them.
        shell::setEditorServices(&editorsImpl());
    }
    void TearDown() override
    {
        engine::ProjectManager::FreeProject(m_project);
        engine::ConfigFile::FreeConfigRecord(m_config);
        platform::setProgramDirectoryOverride("");
        engine::SetCurrentDirectoryText(m_folder);
    }

    // The first object of the project bearing the name, with where it stands.
    engine::ObjectPlace find(const char* name)
    {
        engine::ObjectPlace place;
        engine::ObjectRecord* object = engine::FindObjectByName(m_project, name);
        EXPECT_NE(object, nullptr) << name;
        if (object) {
            EXPECT_TRUE(engine::FindObjectPlace(m_project, *object, place));
        }
        return place;
    }

    // Runs the object's dialog through the installed editors; act works on the open dialog.
    int editObject(const engine::ObjectPlace& place, std::function<void(QWidget*)> act)
    {
        QTimer::singleShot(0, [act] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            act(dialog);
        });
        return shell::editorServices().EditObjectProperties(m_manager, m_project, *place.cpu, *place.application,
                                                            *place.entry, *place.object);
    }

    static void type(QWidget* dialog, int id, const QString& text)
    {
        auto* edit = platform::findControl<QLineEdit>(dialog, id);
        ASSERT_NE(edit, nullptr) << id;
        edit->setText(text);
    }
    static void press(QWidget* dialog, int id)
    {
        auto* button = platform::findControl<QAbstractButton>(dialog, id);
        ASSERT_NE(button, nullptr) << id;
        button->click();
    }
    // Types a value that OK refuses and presses OK twice (the dialog stays), then types another and presses OK.
    static std::function<void(QWidget*)> refusedTwiceThen(int id, const QString& refused, const QString& accepted)
    {
        return [=](QWidget* dialog) {
            type(dialog, id, refused);
            press(dialog, IdOkButton);
            press(dialog, IdOkButton);
            EXPECT_TRUE(dialog->isVisible());
            type(dialog, id, accepted);
            press(dialog, IdOkButton);
        };
    }

    std::string m_folder;
    engine::ConfigRecord m_config{};
    engine::ProjectRecord m_project{};
    engine::ProjectManager m_manager;
    platform::ScopedScriptedMessages m_messages;
};

TEST_F(DemoDialogsTest, TaskValuesReachTheRecordOnOkOnly)
{
    engine::ObjectPlace place = find("tskMain");
    ASSERT_NE(place.object, nullptr);
    auto& data = *static_cast<engine::TaskData*>(place.object->data);
    const engine::ObjectRecord before = *place.object;
    const engine::TaskData dataBefore = data;

    EXPECT_EQ(editObject(place,
                         [](QWidget* dialog) {
                             EXPECT_EQ(dialog->windowTitle(), "Task Object Properties");
                             type(dialog, IdTaskPriority, "42");
                             type(dialog, IdDescription, "changed and cancelled");
                             press(dialog, IdCancelButton);
                         }),
              2);
    EXPECT_EQ(std::memcmp(place.object, &before, sizeof before), 0);
    EXPECT_EQ(std::memcmp(&data, &dataBefore, sizeof data), 0);
    EXPECT_EQ(place.application->edited, 0);

    EXPECT_EQ(editObject(place,
                         [](QWidget* dialog) {
                             type(dialog, IdTaskPriority, "0");
                             press(dialog, IdOkButton);  // refused: the dialog stays
                             EXPECT_TRUE(dialog->isVisible());
                             // The refused field takes the focus back.
                             EXPECT_EQ(dialog->focusWidget(), platform::findControl(dialog, IdTaskPriority));
                             type(dialog, IdTaskPriority, "42");
                             press(dialog, IdOkButton);
                         }),
              1);
    EXPECT_EQ(data.initialPriority, 42);
    EXPECT_EQ(place.entry->cFileDirty, 1);
    EXPECT_EQ(place.application->edited, 1);
    ASSERT_EQ(m_messages->texts().size(), 1u);
    EXPECT_EQ(m_messages->texts()[0], "Initial priority must be in the range of 1 to 126");
}

// The entry point and a manual stack label are compared as they are stored, blanks at either end gone.
TEST_F(DemoDialogsTest, TaskEntryPointAndStackLabelDifferAsStored)
{
    engine::ObjectPlace place = find("tskMain");
    ASSERT_NE(place.object, nullptr);
    const auto& data = *static_cast<engine::TaskData*>(place.object->data);
    const engine::TaskData dataBefore = data;
    for (const auto& [entry, label] : {std::pair{" MainTask", "MainTask"}, std::pair{"MainTask", "MainTask  "}}) {
        m_messages->clear();
        EXPECT_EQ(editObject(place,
                             [entry = QString::fromLatin1(entry), label = QString::fromLatin1(label)](QWidget* dialog) {
                                 type(dialog, IdTaskEntryPoint, entry);
                                 press(dialog, IdTaskManual);
                                 type(dialog, IdTaskLabel, label);
                                 press(dialog, IdOkButton);
                                 EXPECT_TRUE(dialog->isVisible()) << "refused";
                                 press(dialog, IdCancelButton);
                             }),
                  2)
            << entry << "/" << label;
        EXPECT_EQ(joined(m_messages->texts()), "Entry point and stack name must be different\n") << entry;
    }
    EXPECT_EQ(std::memcmp(&data, &dataBefore, sizeof data), 0);
}

// A number past 32 bits is refused with the field's range message; nothing of the object changes.
TEST_F(DemoDialogsTest, NumbersPast32BitsAreRefusedWithTheirRange)
{
    const struct {
        const char* object;
        int id;
        const char* message;  // how the message starts
    } fields[] = {
        {"excFault", IdField1068, "Vector number must be in the range of "},
        {"excFault", IdField1067, "Interrupt level must be in the range of "},
        {"tskMain", IdTaskStartingOrder, "Starting order number must be in the range of "},
        {"tskMain", IdTaskPriority, "Initial priority must be in the range of "},
        {"tskMain", IdTaskStackSize, "Stack size must be in the range of "},
        {"cntSysTick", IdField1067, "Modulus must be in the range of 1 to 4294967295"},
        {"almBlink", IdField1067, "Initial count must be in the range of 1 to 4294967295"},
        {"almBlink", IdField1068, "Recycle count must be in the range of 0 to 4294967295"},
        {"pipeConsole", IdField1072, "Buffer size must be in the range of 0 to 4294967295"},
    };
    for (const auto& field : fields) {
        engine::ObjectPlace place = find(field.object);
        ASSERT_NE(place.object, nullptr);
        const engine::ObjectRecord before = *place.object;
        m_messages->clear();
        // Past 32 bits either way: a negative number would wrap to a small one (-4294967295 to 1).
        for (const char* typed : {"99999999999", "0x100000000", "-4294967295", "-4294967200"}) {
            EXPECT_EQ(editObject(place,
                                 [&](QWidget* dialog) {
                                     type(dialog, field.id, QString::fromLatin1(typed));
                                     press(dialog, IdOkButton);
                                     EXPECT_TRUE(dialog->isVisible()) << field.object << " " << field.id << " refused";
                                     press(dialog, IdCancelButton);
                                 }),
                      2);
        }
        ASSERT_EQ(m_messages->texts().size(), 4u) << field.object << " " << field.id;
        for (const std::string& text : m_messages->texts())
            EXPECT_EQ(text.rfind(field.message, 0), 0u) << text;
        EXPECT_EQ(std::memcmp(place.object, &before, sizeof before), 0) << field.object;
    }
    EXPECT_TRUE(NumberFits32Bits("4294967295"));
    // A negative number wraps past -0x80000000 (-4294967295 would be stored as 1).
    EXPECT_FALSE(NumberFits32Bits(" -0xFFFFFFFF"));
    EXPECT_FALSE(NumberFits32Bits("-4294967200"));
    EXPECT_TRUE(NumberFits32Bits("-2147483648"));
    EXPECT_FALSE(NumberFits32Bits("-0x80000001"));
    EXPECT_TRUE(NumberFits32Bits("-1"));
    EXPECT_TRUE(NumberFits32Bits("000000000000037777777777"));
    EXPECT_FALSE(NumberFits32Bits("040000000000"));
    EXPECT_TRUE(NumberFits32Bits("abc"));
}

// Every numeric field of every demo object's dialog, found from the controls (an edit showing a whole
// number), refuses a number past 32 bits with its range message, and the object stays as it was.
TEST_F(DemoDialogsTest, EveryNumericFieldRefusesNumbersPast32Bits)
{
    std::vector<engine::ObjectPlace> places;
    engine::VisitProjectObjects(m_project, [&](const engine::ObjectPlace& place) {
        places.push_back(place);
        return 0;
    });
    int walked = 0;
    for (const engine::ObjectPlace& place : places) {
        const std::string name = engine::textString(place.object->name);
        std::vector<int> numeric;
        editObject(place, [&](QWidget* dialog) {
            numeric = numericEdits(dialog);
            press(dialog, IdCancelButton);
        });
        const RecordFields before = fieldsOf(place);
        for (const int id : numeric) {
            for (const char* typed : {"99999999999", "0x1FFFFFFFF", "4294967296"}) {
                SCOPED_TRACE(name + " " + std::to_string(id) + " " + typed);
                m_messages->clear();
                bool stayed = false;
                editObject(place, [&](QWidget* dialog) {
                    type(dialog, id, QString::fromLatin1(typed));
                    press(dialog, IdOkButton);
                    stayed = dialog->isVisible();
                    if (stayed)
                        press(dialog, IdCancelButton);
                });
                EXPECT_TRUE(stayed);
                ASSERT_EQ(m_messages->texts().size(), 1u) << joined(m_messages->texts());
                EXPECT_NE(m_messages->texts()[0].find(" must be in the range of "), std::string::npos)
                    << m_messages->texts()[0];
                EXPECT_EQ(changedFields(before, fieldsOf(place)), "");
                ++walked;
            }
        }
    }
    EXPECT_GT(walked, 40);
}

// The same for the class dialogs (Class Options and Dynamic Objects) of every class entry of every
// application: the field's range message, the dialog stays, and no entry of the chain changes.
TEST_F(DemoDialogsTest, EveryNumericFieldOfTheClassDialogsRefusesNumbersPast32Bits)
{
    using Dialog = std::function<int(engine::CpuRecord&, engine::ApplicationRecord&, engine::ApplicationClassEntry&)>;
    const std::pair<const char*, Dialog> dialogs[] = {
        {"Class Options",
         [](engine::CpuRecord& cpu, engine::ApplicationRecord& application, engine::ApplicationClassEntry& entry) {
             return shell::editorServices().ClassOptionsDialog(entry, cpu, application, nullptr);
         }},
        {"Dynamic Objects",
         [](engine::CpuRecord& cpu, engine::ApplicationRecord& application, engine::ApplicationClassEntry& entry) {
             return shell::editorServices().DynamicObjectsDialog(entry, cpu.kernel, &application, nullptr);
         }},
    };
    // Runs the dialog with act on it once it shows.
    const auto run = [](const Dialog& dialog, engine::CpuRecord& cpu, engine::ApplicationRecord& application,
                        engine::ApplicationClassEntry& entry, std::function<void(QWidget*)> act) {
        QTimer::singleShot(0, [act] {
            QWidget* shown = QApplication::activeModalWidget();
            ASSERT_NE(shown, nullptr);
            act(shown);
        });
        return dialog(cpu, application, entry);
    };
    std::map<std::string, int> walked;
    for (int c = 0; c < m_project.cpuCount; ++c) {
        engine::CpuRecord& cpu = m_project.cpus[c];
        for (int a = 0; a < cpu.applicationCount; ++a) {
            engine::ApplicationRecord& application = cpu.applications[a];
            for (int e = 0; e < application.classEntryCount; ++e) {
                engine::ApplicationClassEntry& entry = application.classEntries[e];
                for (const auto& [title, dialog] : dialogs) {
                    std::vector<int> numeric;
                    run(dialog, cpu, application, entry, [&](QWidget* shown) {
                        numeric = numericEdits(shown);
                        press(shown, IdCancelButton);
                    });
                    const std::string before = classChainFields(entry, application);
                    for (const int id : numeric) {
                        for (const char* typed : {"99999999999", "0x1FFFFFFFF", "4294967296"}) {
                            SCOPED_TRACE(std::string(title) + " " + engine::textString(entry.name) + " " +
                                         std::to_string(id) + " " + typed);
                            m_messages->clear();
                            bool stayed = false;
                            run(dialog, cpu, application, entry, [&](QWidget* shown) {
                                type(shown, id, QString::fromLatin1(typed));
                                press(shown, IdOkButton);
                                stayed = shown->isVisible();
                                if (stayed)
                                    press(shown, IdCancelButton);
                            });
                            EXPECT_TRUE(stayed);
                            ASSERT_EQ(m_messages->texts().size(), 1u) << joined(m_messages->texts());
                            EXPECT_TRUE(isRangeMessage(m_messages->texts()[0])) << m_messages->texts()[0];
                            EXPECT_EQ(classChainFields(entry, application), before);
                            ++walked[title];
                        }
                    }
                }
            }
        }
    }
    EXPECT_GT(walked["Class Options"], 10);
    EXPECT_GT(walked["Dynamic Objects"], 3);
}

// An edit does not take a control character, typed or pasted; every other character is stored as the
// locale's bytes for it (never a replacement character).
TEST_F(DemoDialogsTest, EditsTakeOnlyCharactersTheFilesCanHold)
{
    engine::ObjectPlace place = find("tskMain");
    ASSERT_NE(place.object, nullptr);
    QString shown;
    EXPECT_EQ(editObject(place,
                         [&](QWidget* dialog) {
                             auto* edit = platform::findControl<QLineEdit>(dialog, IdDescription);
                             ASSERT_NE(edit, nullptr);
                             edit->clear();
                             for (const QChar c : QString::fromUtf8("Hall sensor \u2603 caf\u00e9")) {
                                 QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
                                 QCoreApplication::sendEvent(edit, &key);
                             }
                             edit->insert(QString::fromUtf8(" \u2603\u00e9"));  // as a paste inserts
                             // Nor a control character, pasted into a one-line value.
                             for (const char* pasted : {"\t", "a\nb", "\x01", "\x7f", "\r", "\x80", "\x85\x9b", "\x9f"})
                                 edit->insert(QString::fromLatin1(pasted));
                             shown = edit->text();
                             press(dialog, IdOkButton);
                         }),
              1);
    EXPECT_EQ(shown, QString::fromUtf8("Hall sensor \u2603 caf\u00e9 \u2603\u00e9"));
    EXPECT_EQ(engine::textString(place.object->description), "Hall sensor \xe2\x98\x83 caf\xc3\xa9 \xe2\x98\x83\xc3\xa9");
}

TEST_F(DemoDialogsTest, EnterConfirmsTheTypedValue)
{
    engine::ObjectPlace place = find("cntSysTick");
    ASSERT_NE(place.object, nullptr);
    auto& counter = *static_cast<engine::CounterData*>(place.object->data);
    EXPECT_EQ(editObject(place,
                         [](QWidget* dialog) {
                             EXPECT_EQ(dialog->windowTitle(), "Counter Object Properties");
                             type(dialog, IdField1067, "0x20");
                             // Enter in an edit confirms the dialog with the typed value.
                             QWidget* edit = platform::findControl(dialog, IdField1067);
                             edit->setFocus();
                             QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
                             QApplication::sendEvent(edit, &enter);
                         }),
              1);
    EXPECT_EQ(counter.modulus, 32);
}

TEST_F(DemoDialogsTest, ALongDescriptionIsShownFromItsStart)
{
    shell::ProjectProperties properties{"Demo", std::string(120, 'x') + " the end"};
    int cursor = -1;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        auto* description = platform::findControl<QLineEdit>(dialog, 1049);
        ASSERT_NE(description, nullptr);
        cursor = description->cursorPosition();
        qobject_cast<QDialog*>(dialog)->reject();
    });
    shell::editorServices().ProjectPropertiesDialog(properties, nullptr);
    EXPECT_EQ(cursor, 0);
}

TEST_F(DemoDialogsTest, PropertyDialogsThroughTheServices)
{
    shell::ProjectProperties properties{"Demo", "old"};
    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        type(dialog, 1048, "   ");
        press(dialog, IdOkButton);
        // No-break and ideographic spaces are blanks too.
        type(dialog, 1048, QString::fromStdU16String(u" \u00a0\u3000"));
        press(dialog, IdOkButton);
        type(dialog, 1048, "Renamed");
        type(dialog, 1049, "new");
        press(dialog, IdOkButton);
    });
    EXPECT_EQ(shell::editorServices().ProjectPropertiesDialog(properties, nullptr), 1);
    EXPECT_EQ(properties.name, "Renamed");
    EXPECT_EQ(properties.description, "new");
    EXPECT_EQ(m_messages->texts(),
              (std::vector<std::string>{"Project must have non-blank name", "Project must have non-blank name"}));
    // Letters of any script show: a name of Cyrillic letters only is a name, kept as its bytes.
    m_messages->clear();
    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        type(dialog, 1048, QString::fromStdU16String(u"\u041f\u0440\u043e\u0435\u043a\u0442"));
        press(dialog, IdOkButton);
    });
    EXPECT_EQ(shell::editorServices().ProjectPropertiesDialog(properties, nullptr), 1);
    EXPECT_EQ(properties.name, "\xd0\x9f\xd1\x80\xd0\xbe\xd0\xb5\xd0\xba\xd1\x82");
    EXPECT_TRUE(m_messages->texts().empty());

    engine::ObjectPlace place = find("tskMain");
    ASSERT_NE(place.entry, nullptr);
    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        // Fixed texts stay; the unit text comes from the model.
        EXPECT_EQ(platform::findControl<QLabel>(dialog, 1282)->text(), "Max Name Length");
        EXPECT_EQ(platform::findControl<QLabel>(dialog, 1149)->text(), "Bytes per Object");
        press(dialog, IdCancelButton);
    });
    EXPECT_EQ(shell::editorServices().ClassOptionsDialog(*place.entry, *place.cpu, *place.application, nullptr), 2);
    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Task Properties");
        type(dialog, 1142, "20");
        press(dialog, IdOkButton);
    });
    EXPECT_EQ(shell::editorServices().ClassOptionsDialog(*place.entry, *place.cpu, *place.application, nullptr), 1);
    EXPECT_EQ(place.entry->maxKeyLength, 20);
}

TEST_F(DemoDialogsTest, ServicesReachTheApplicationOfTheEntry)
{
    // Dynamic counters: the static counters hang under event sources and still count against the Maximum;
    // a change marks the application edited.
    engine::ObjectPlace place = find("tskMain");
    ASSERT_NE(place.application, nullptr);
    engine::ApplicationRecord& application = *place.application;
    engine::ApplicationClassEntry* counters = engine::FindApplicationClassEntryByType(application, engine::ClassCounter);
    ASSERT_NE(counters, nullptr);
    const int32_t statics = engine::CountClassEntryObjects(application, *counters);
    ASSERT_GT(statics, 0);
    engine::KernelClassRecord* counterClass = engine::FindKernelClassByType(place.cpu, engine::ClassCounter);
    ASSERT_NE(counterClass, nullptr);
    counterClass->maximum = statics + 1;
    counters->dynamicsAllowed = 1;
    counters->numberOfDynamics = 0;
    application.edited = 0;
    QTimer::singleShot(0, [] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), "Dynamic Objects");
        type(dialog, dynamicCountId(0), "2");
        press(dialog, IdOkButton);  // cut to 1
        press(dialog, IdOkButton);
    });
    EXPECT_EQ(shell::editorServices().DynamicObjectsDialog(*counters, place.cpu->kernel, &application, nullptr), 1);
    EXPECT_EQ(counters->numberOfDynamics, 1);
    EXPECT_EQ(application.edited, 1);
    ASSERT_FALSE(m_messages->texts().empty());
    EXPECT_EQ(m_messages->texts()[0],
              "Object count maximum of " + std::to_string(statics + 1) + " exceeded for this class.");

    // Deleting a Level object marks the application's kernel files.
    engine::ApplicationClassEntry* levels = engine::FindApplicationClassEntryByType(application, engine::ClassLevel);
    ASSERT_NE(levels, nullptr);
    ASSERT_GT(levels->objectCount, 0);
    levels->objects[0].treeItem = 7001;
    application.kernelHDirty = application.kernelMDirty = 0;
    const int32_t before = levels->objectCount;
    shell::editorServices().DeleteClassObject(m_manager, *levels, 7001, m_project);
    EXPECT_EQ(levels->objectCount, before - 1);
    EXPECT_EQ(application.kernelHDirty, 1);
    EXPECT_EQ(application.kernelMDirty, 1);
}

TEST_F(DemoDialogsTest, ARefusedValueIsRefusedAgainOnTheNextOk)
{
    // A level named like a thread's entry point is refused on every OK; typed back, nothing changed.
    engine::ObjectPlace level = find("lvlBackgnd");
    ASSERT_NE(level.object, nullptr);
    level.entry->cFileDirty = level.entry->hFileDirty = level.entry->mFileDirty = 0;
    level.entry->chained->cFileDirty = 0;
    EXPECT_EQ(editObject(level, refusedTwiceThen(IdName, "MotorThread", "lvlBackgnd")), 1);
    const std::string conflict = "Object name conflicts with Entry point for Thread thrMotor";
    EXPECT_EQ(m_messages->texts(), (std::vector<std::string>{conflict, conflict}));
    EXPECT_EQ(engine::textString(level.object->name), "lvlBackgnd");
    EXPECT_EQ(level.entry->cFileDirty + level.entry->hFileDirty + level.entry->mFileDirty, 0);
    EXPECT_EQ(level.entry->chained->cFileDirty, 0);
    EXPECT_EQ(level.application->edited, 0);

    // A pipe label equal to a partition's name: refused twice; a free label then passes and marks the C file.
    engine::ObjectPlace pipe = find("pipeConsole");
    ASSERT_NE(pipe.object, nullptr);
    pipe.entry->cFileDirty = 0;
    m_messages->clear();
    EXPECT_EQ(editObject(pipe, refusedTwiceThen(IdLabel, "prtBuffers", "console_buf")), 1);
    const std::string clash = "Pipe buffer label conflicts with Object name prtBuffers";
    EXPECT_EQ(m_messages->texts(), (std::vector<std::string>{clash, clash}));
    EXPECT_EQ(engine::textString(static_cast<engine::PipeData*>(pipe.object->data)->label), "console_buf");
    EXPECT_EQ(pipe.entry->cFileDirty, 1);
    EXPECT_EQ(pipe.application->edited, 1);
}

TEST_F(DemoDialogsTest, ACorrectedLabelIsShownBeforeItsMessage)
{
    engine::ObjectPlace pipe = find("pipeConsole");
    ASSERT_NE(pipe.object, nullptr);
    const QString cut(32, QLatin1Char('b'));
    SeenMessages seen(IdLabel);
    EXPECT_EQ(editObject(pipe,
                         [cut](QWidget* dialog) {
                             type(dialog, IdLabel, cut + "b");
                             press(dialog, IdOkButton);
                             EXPECT_EQ(platform::findControl<QLineEdit>(dialog, IdLabel)->text(), cut);
                             press(dialog, IdOkButton);
                         }),
              1);
    ASSERT_EQ(seen.shown.size(), 1u);
    EXPECT_EQ(seen.shown[0].first, "Buffer label has been truncated to specified length limit. Please inspect the "
                                   "modified version before proceeding.");
    EXPECT_EQ(seen.shown[0].second, cut.toStdString());
    EXPECT_EQ(engine::textString(static_cast<engine::PipeData*>(pipe.object->data)->label), cut.toStdString());
}

TEST_F(DemoDialogsTest, EveryDemoObjectOksUnchangedAndEveryDialogCanBeReached)
{
    std::vector<engine::ObjectPlace> places;
    engine::VisitProjectObjects(m_project, [&](const engine::ObjectPlace& place) {
        places.push_back(place);
        return 0;
    });
    std::set<int32_t> shownClasses;
    for (const engine::ObjectPlace& place : places) {
        m_messages->clear();
        const RecordFields before = fieldsOf(place);
        const int result = editObject(place, [](QWidget* dialog) {
            press(dialog, IdOkButton);
            if (dialog->isVisible())
                press(dialog, IdCancelButton);
        });
        const std::string name = engine::textString(place.object->name);
        EXPECT_EQ(result, 1) << name;
        EXPECT_TRUE(m_messages->texts().empty()) << name << ": " << joined(m_messages->texts());
        EXPECT_EQ(changedFields(before, fieldsOf(place)), "") << name << ": an unchanged OK changes nothing";
        // The tree shows the objects of enabled classes only.
        if (place.entry->enabled)
            shownClasses.insert(place.entry->classType);
    }
    EXPECT_EQ(shownClasses.size(), 14u) << "an object of every class stands under an enabled class";
    EXPECT_EQ(shownClasses.count(engine::ClassSpecialService), 1u);

    // Edit > Dynamics is offered on a class of a shipped CPU; its dialog OKs unchanged.
    std::vector<engine::ClassEntryPlace> dynamic;
    engine::VisitProjectClassEntries(m_project, [&](const engine::ClassEntryPlace& place) {
        const bool offered = place.cpu && shell::ChainAllowsDynamics(*place.entry, *place.cpu);
        if (place.depth == 0 && place.entry->enabled && offered)
            dynamic.push_back(place);
        return 0;
    });
    ASSERT_FALSE(dynamic.empty());
    for (const engine::ClassEntryPlace& place : dynamic) {
        m_messages->clear();
        QTimer::singleShot(0, [] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->windowTitle(), "Dynamic Objects");
            press(dialog, IdOkButton);
            if (dialog->isVisible())
                press(dialog, IdCancelButton);
        });
        EXPECT_EQ(shell::editorServices().DynamicObjectsDialog(*place.entry, place.cpu->kernel, place.application,
                                                               nullptr),
                  1);
        EXPECT_TRUE(m_messages->texts().empty()) << joined(m_messages->texts());
    }
}

TEST_F(DemoDialogsTest, NameEditRefusesGrowthButKeepsALongerStoredName)
{
    engine::ObjectPlace place = find("tskMain");
    ASSERT_NE(place.object, nullptr);
    place.entry->maxKeyLength = 4;
    auto model = makeObjectDialogModel(*place.cpu, *place.application, *place.entry, *place.object);
    ModelDialog dialog(*model, objectDialogControls(engine::ClassTask));
    dialog.ensureInitialized();
    auto* name = platform::findControl<QLineEdit>(&dialog, IdName);
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), "tskMain");
    name->end(false);
    name->insert("x");
    EXPECT_EQ(name->text(), "tskMain");
    name->setText("ab");
    name->end(false);
    name->insert("cdef");
    EXPECT_EQ(name->text(), "ab");  // four more would pass the limit
    name->insert("cd");
    EXPECT_EQ(name->text(), "abcd");
    dialog.DestroyWindow();
}

TEST_F(DemoDialogsTest, TaskDialogShrinksWithTheModelAndIsPictured)
{
    engine::ObjectPlace place = find("tskMain");
    ASSERT_NE(place.object, nullptr);
    engine::KernelRecord& kernel = place.cpu->kernel;
    const int contexts = kernel.extendedContextCount;
    const int attributes = kernel.taskAttributeCount;

    TaskModel model(*place.cpu, *place.application, *place.entry, *place.object, 142);
    ModelDialog full(model, objectDialogControls(engine::ClassTask));
    full.ensureInitialized();
    full.adjustSize();
    const QString picture =
        QString::fromStdString(fromEnvironment("KORVANE_BINARY_DIR", ".")) + "/task_dialog.png";
    EXPECT_TRUE(full.grab().save(picture));
    auto* group = platform::findControl<QGroupBox>(&full, IdTaskContextGroup);
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->title(), contexts == 1 ? "Extended Context" : "Extended Contexts");
    const int fullHeight = full.sizeHint().height();
    full.DestroyWindow();

    kernel.extendedContextCount = 0;
    kernel.taskAttributeCount = 0;
    ModelDialog bare(model, objectDialogControls(engine::ClassTask));
    bare.ensureInitialized();
    EXPECT_TRUE(platform::findControl(&bare, IdTaskContextGroup)->isHidden());
    EXPECT_TRUE(platform::findControl(&bare, IdTaskAttributeGroup)->isHidden());
    EXPECT_LT(bare.sizeHint().height(), fullHeight);
    bare.DestroyWindow();
    kernel.extendedContextCount = contexts;
    kernel.taskAttributeCount = attributes;
}

} // namespace
} // namespace editors::test
