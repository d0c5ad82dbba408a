// Data logging, the settings key and the settings dialog.

#include "plugin/views/data_log.h"
#include "plugin/views/panel_thread.h"
#include "plugin/views/registry_settings.h"
#include "plugin/views/settings_dialog.h"
#include "plugin/views/tests/views_fixture.h"

#include "plugin/kernel/tests/scratch_dir.h"
#include "platform/qt/control_id.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace views::test {
namespace {

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(DataLog, AppendsBlocksAndRefusesWhenOff)
{
    QuietEnvironment quiet;
    kernel::test::ScratchDir dir;
    const std::string path = (dir.path() / "log.csv").string();
    ClearLogFile();
    LogTable table{{"#", "Name"}, {{"1", "Idle"}, {"2", "Control"}}};
    EXPECT_FALSE(ExportTableToLog(table, "Tasks"));
    EXPECT_EQ(quiet.messages().texts(), (std::vector<std::string>{"Log not initialized."}));
    EXPECT_EQ(quiet.messages().boxes()[0].caption, "Korvane Kernel Awareness");

    ASSERT_TRUE(SetLogFile(path));
    EXPECT_TRUE(IsLogInitialized());
    EXPECT_TRUE(ExportTableToLog(table, "Tasks"));
    EXPECT_TRUE(ExportTableToLog(LogTable{{"#", "Name"}, {}}, "Semaphores"));
    EXPECT_EQ(readFile(path), "***Tasks***\n#,Name,\n1,Idle,\n2,Control,\n\n***Semaphores***\n#,Name,\n\n");

    // An unopenable path keeps the previous one.
    EXPECT_FALSE(SetLogFile((dir.path() / "missing" / "log.csv").string()));
    EXPECT_EQ(GetLogFilePath(), path);
    // A log file gone read-only: the export reports it and writes nothing.
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    EXPECT_FALSE(ExportTableToLog(table, "Tasks"));
    EXPECT_EQ(quiet.messages().texts().back(), "Error opening log file.");
    ClearLogFile();
    EXPECT_FALSE(IsLogInitialized());
}

// Only a regular file, or a new one, is appended to: a FIFO (with or without a reader), a device or a
// folder is refused at once, when set and when the path turned into one later; nothing blocks.
TEST(DataLog, OnlyRegularFilesAreAppendedTo)
{
    QuietEnvironment quiet;
    kernel::test::ScratchDir dir;
    const std::string fifo = (dir.path() / "log.fifo").string();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ClearLogFile();
    for (const std::string& path : {fifo, std::string("/dev/null"), std::string("/dev/full"), dir.path().string()})
        EXPECT_FALSE(SetLogFile(path)) << path;
    EXPECT_FALSE(IsLogInitialized());
    // A FIFO with a reader is no regular file either.
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_FALSE(SetLogFile(fifo));
    ::close(reader);

    const std::string path = (dir.path() / "log.csv").string();
    ASSERT_TRUE(SetLogFile(path));
    std::filesystem::remove(path);
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    EXPECT_FALSE(ExportTableToLog(LogTable{{"#"}, {{"1"}}}, "Tasks"));
    EXPECT_EQ(quiet.messages().texts(), (std::vector<std::string>{"Error opening log file."}));
    ClearLogFile();
}

// A log whose writes fail (here: past the file size limit): the first failed export says so, later
// ones stay quiet until the path is set again.
TEST(DataLog, FailedWriteIsToldOnce)
{
    QuietEnvironment quiet;
    kernel::test::ScratchDir dir;
    const std::string path = (dir.path() / "log.csv").string();
    ASSERT_TRUE(SetLogFile(path));
    struct rlimit previous {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto previousSignal = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit none = previous;
    none.rlim_cur = 0;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &none), 0);
    const LogTable table{{"#", "Name"}, {{"1", "Idle"}}};
    EXPECT_FALSE(ExportTableToLog(table, "Tasks"));
    EXPECT_FALSE(ExportTableToLog(table, "Tasks"));
    ASSERT_TRUE(SetLogFile(path));
    EXPECT_FALSE(ExportTableToLog(table, "Tasks"));
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousSignal);
    EXPECT_EQ(quiet.messages().texts(),
              (std::vector<std::string>(2, "Error writing log file " + path + ": File too large.")));
    ClearLogFile();
}

TEST(SettingsKey, TypedValues)
{
    QuietEnvironment quiet;
    EXPECT_EQ(ReadRegistryDword(kValueLittleEndian, 1), 1u);
    EXPECT_EQ(ReadRegistryString(kValueSRecordPath, ""), "");
    // A path stored as a number reads as the default; a number stored as text likewise.
    quiet.settings().writeInt("", kValueSRecordPath, 5);
    quiet.settings().writeString("", kValueLittleEndian, "0");
    EXPECT_EQ(ReadRegistryString(kValueSRecordPath, ""), "");
    EXPECT_EQ(ReadRegistryDword(kValueLittleEndian, 1), 1u);
    EXPECT_TRUE(WriteRegistryString(kValueSRecordPath, "/work/z5data.a79"));
    EXPECT_TRUE(WriteRegistryDword(kValueLittleEndian, 0));
    EXPECT_EQ(ReadRegistryString(kValueSRecordPath, ""), "/work/z5data.a79");
    EXPECT_EQ(ReadRegistryDword(kValueLittleEndian, 1), 0u);
    EXPECT_EQ(ReadRegistryString(kValueSRecordPath, std::string(5000, 'x')), "/work/z5data.a79");
    WriteRegistryString(kValueLogfilePath, std::string(kMaxSettingText + 1, 'x'));
    EXPECT_EQ(ReadRegistryString(kValueLogfilePath, "default"), "default");
}

class ScriptedChooser : public SettingsFileChooser {
public:
    std::optional<std::string> chooseDataFile(QWidget*, const std::string& folder, const std::string& name,
                                              const std::string& extension) override
    {
        ++dataCalls;
        lastFolder = folder;
        lastName = name;
        lastExtension = extension;
        return dataAnswer;
    }
    std::optional<std::string> chooseLogFile(QWidget*, const std::string&, const std::string&) override
    {
        ++logCalls;
        return logAnswer;
    }
    int dataCalls = 0, logCalls = 0;
    std::string lastFolder, lastName, lastExtension;
    std::optional<std::string> dataAnswer, logAnswer;
};

struct ChooserScope {
    explicit ChooserScope(SettingsFileChooser* c) : previous(SettingsDialog::setFileChooser(c)) {}
    ~ChooserScope() { SettingsDialog::setFileChooser(previous); }
    SettingsFileChooser* previous;
};

template <typename T>
T* control(QWidget* dialog, int id)
{
    return platform::findControl<T>(dialog, id);
}

TEST(SettingsDialog, FirstUseStoredPathsAndOk)
{
    QuietEnvironment quiet;
    kernel::test::ScratchDir dir;
    ScriptedChooser chooser;
    ChooserScope scope(&chooser);
    ClearLogFile();
    {
        // First use: little-endian, empty paths, logging off, and the data-file chooser at once.
        SettingsDialog dialog("");
        dialog.ensureInitialized();
        EXPECT_EQ(chooser.dataCalls, 1);
        EXPECT_EQ(chooser.lastName, "z5data.a79");
        EXPECT_EQ(chooser.lastExtension, "a79");
        EXPECT_TRUE(control<QRadioButton>(&dialog, SettingsDialog::LittleEndian)->isChecked());
        EXPECT_FALSE(control<QRadioButton>(&dialog, SettingsDialog::BigEndian)->isChecked());
        EXPECT_EQ(dialog.dataPath(), "");
        EXPECT_FALSE(control<QCheckBox>(&dialog, SettingsDialog::EnableLogging)->isChecked());
        EXPECT_FALSE(control<QLineEdit>(&dialog, SettingsDialog::LogPathEdit)->isEnabled());
        dialog.reject();
    }
    EXPECT_TRUE(quiet.settings().sections().empty()); // Cancel stores nothing

    // A stored path that no longer exists opens the chooser; its Cancel keeps the stored path.
    WriteRegistryString(kValueSRecordPath, (dir.path() / "gone.a79").string());
    WriteRegistryDword(kValueLittleEndian, 0);
    {
        SettingsDialog dialog("");
        dialog.ensureInitialized();
        EXPECT_EQ(chooser.dataCalls, 2);
        EXPECT_EQ(dialog.dataPath(), (dir.path() / "gone.a79").string());
        EXPECT_TRUE(control<QRadioButton>(&dialog, SettingsDialog::BigEndian)->isChecked());
        EXPECT_FALSE(dialog.littleEndian());

        // Logging on with a path in a missing folder: the box, the dialog stays, nothing is stored.
        control<QCheckBox>(&dialog, SettingsDialog::EnableLogging)->click();
        EXPECT_TRUE(control<QLineEdit>(&dialog, SettingsDialog::LogPathEdit)->isEnabled());
        control<QLineEdit>(&dialog, SettingsDialog::LogPathEdit)->setText(
            QString::fromStdString((dir.path() / "no" / "log.csv").string()));
        control<QRadioButton>(&dialog, SettingsDialog::LittleEndian)->click();
        dialog.accept();
        EXPECT_TRUE(dialog.isLive());
        EXPECT_EQ(quiet.messages().texts(), (std::vector<std::string>{"Error opening log file."}));
        EXPECT_EQ(ReadRegistryDword(kValueLittleEndian, 1), 0u);
        EXPECT_EQ(ReadRegistryDword(kValueLoggingEnabled, 0), 0u);

        // Cancelling the log chooser empties the log path.
        dialog.OnBrowseLogFile();
        EXPECT_EQ(chooser.logCalls, 1);
        EXPECT_TRUE(control<QLineEdit>(&dialog, SettingsDialog::LogPathEdit)->text().isEmpty());

        chooser.logAnswer = (dir.path() / "log.csv").string();
        dialog.OnBrowseLogFile();
        dialog.accept();
        EXPECT_FALSE(dialog.isLive());
        EXPECT_EQ(dialog.result(), platform::DialogBase::IdOk);
        EXPECT_TRUE(dialog.littleEndian());
        EXPECT_EQ(ReadRegistryDword(kValueLittleEndian, 0), 1u);
        EXPECT_EQ(ReadRegistryDword(kValueLoggingEnabled, 0), 1u);
        EXPECT_EQ(ReadRegistryString(kValueLogfilePath, ""), *chooser.logAnswer);
        EXPECT_EQ(GetLogFilePath(), *chooser.logAnswer);
    }
    {
        // OK with logging off stores 0 and an empty log path, whatever the edit held; logging ends.
        SettingsDialog dialog("");
        dialog.ensureInitialized();
        EXPECT_TRUE(control<QCheckBox>(&dialog, SettingsDialog::EnableLogging)->isChecked());
        control<QCheckBox>(&dialog, SettingsDialog::EnableLogging)->click();
        dialog.accept();
        EXPECT_EQ(ReadRegistryDword(kValueLoggingEnabled, 1), 0u);
        EXPECT_EQ(ReadRegistryString(kValueLogfilePath, "x"), "");
        EXPECT_FALSE(IsLogInitialized());
    }
}

// The session ends (the UI thread's quit) while the data-file chooser that the dialog's set-up
// opened is still open: the dialog ends with the chooser and never shows itself.
class QuittingChooser : public ScriptedChooser {
public:
    explicit QuittingChooser(PanelThread& thread) : m_thread(thread) {}
    std::optional<std::string> chooseDataFile(QWidget* parent, const std::string& folder, const std::string& name,
                                              const std::string& extension) override
    {
        m_thread.onQuit();
        return ScriptedChooser::chooseDataFile(parent, folder, name, extension);
    }

private:
    PanelThread& m_thread;
};

TEST(SettingsDialog, SessionEndingWhileTheFirstChooserIsOpenShowsNoDialog)
{
    QuietEnvironment quiet;
    PanelThread thread;
    QuittingChooser chooser(thread);
    ChooserScope scope(&chooser);
    SettingsDialog dialog("");
    bool shown = false;
    // Ends the modal loop should the dialog show itself after all.
    QTimer::singleShot(3000, &dialog, [&] {
        shown = dialog.isVisible();
        dialog.reject();
    });
    EXPECT_EQ(dialog.exec(), platform::DialogBase::IdCancel);
    EXPECT_EQ(chooser.dataCalls, 1);
    EXPECT_FALSE(shown);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(quiet.settings().sections().empty());
}

// Data and log files under folders whose names are not plain ASCII: typed as the user sees them, they
// name the files on disk, are stored as the file system's bytes, and are shown right when the dialog
// opens again.
TEST(SettingsDialog, PathsInAnyLanguage)
{
    QuietEnvironment quiet;
    kernel::test::ScratchDir dir;
    ScriptedChooser chooser;
    ChooserScope scope(&chooser);
    ClearLogFile();
    for (const char* folder : {"caf\xC3\xA9", "\xD0\x94\xD0\xBE\xD0\xBA\xD1\x83\xD0\xBC\xD0\xB5\xD0\xBD\xD1\x82\xD1\x8B"}) {
        SCOPED_TRACE(folder);
        const std::filesystem::path base = dir.path() / folder;
        std::filesystem::create_directories(base);
        const std::string data = (base / "z5data.a79").string();
        const std::string log = (base / "log.csv").string();
        std::ofstream(data) << "S0030000FC\n";
        const QString shownData = QString::fromUtf8(data.c_str());
        const QString shownLog = QString::fromUtf8(log.c_str());
        {
            SettingsDialog dialog("");
            dialog.ensureInitialized(); // the chooser on first use, cancelled
            control<QLineEdit>(&dialog, SettingsDialog::DataPathEdit)->setText(shownData);
            EXPECT_EQ(dialog.dataPath(), data);
            if (!control<QCheckBox>(&dialog, SettingsDialog::EnableLogging)->isChecked())
                control<QCheckBox>(&dialog, SettingsDialog::EnableLogging)->click();
            control<QLineEdit>(&dialog, SettingsDialog::LogPathEdit)->setText(shownLog);
            dialog.accept();
            EXPECT_FALSE(dialog.isLive());
        }
        EXPECT_TRUE(quiet.messages().texts().empty());
        EXPECT_EQ(ReadRegistryString(kValueSRecordPath, ""), data);
        EXPECT_EQ(ReadRegistryString(kValueLogfilePath, ""), log);
        EXPECT_TRUE(std::filesystem::exists(log));
        const int calls = chooser.dataCalls;
        {
            SettingsDialog dialog("");
            dialog.ensureInitialized();
            EXPECT_EQ(chooser.dataCalls, calls) << "the stored data file is found";
            EXPECT_EQ(control<QLineEdit>(&dialog, SettingsDialog::DataPathEdit)->text(), shownData);
            EXPECT_EQ(control<QLineEdit>(&dialog, SettingsDialog::LogPathEdit)->text(), shownLog);
            dialog.reject();
        }
        ClearLogFile();
    }
}

} // namespace
} // namespace views::test
