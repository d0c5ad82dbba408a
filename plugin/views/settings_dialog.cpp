#include "plugin/views/settings_dialog.h"

#include "plugin/views/data_log.h"
#include "plugin/views/object_window.h"
#include "plugin/views/registry_settings.h"

#include "plugin/kernel/text_utils.h"
#include "platform/core/message_service.h"
#include "platform/qt/control_id.h"
#include "platform/qt/file_dialog.h"
#include "platform/qt/locale_text.h"

#include <boost/format.hpp>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace views {
namespace {

class DesktopFileChooser final : public SettingsFileChooser {
public:
    std::optional<std::string> chooseDataFile(QWidget* parent, const std::string& folder, const std::string& defaultName,
                                              const std::string& extension) override
    {
        platform::FileDialog dialog(parent, QStringLiteral("Select S-Record File"), folder);
        dialog.setNameFilters({platform::toQString("S-Record Files (*." + extension + ")"),
                               QStringLiteral("All Files (*)")});
        dialog.setDefaultSuffix(platform::toQString(extension));
        dialog.selectFile(platform::toQString(defaultName));
        // The data-file chooser refuses a name that does not exist and stays open.
        dialog.setOpenCheck([](const std::string& path) {
            if (kernel::FindFileExists(path))
                return true;
            platform::messageBox((boost::format("File %s does not exist") % path).str(), "Error opening Z5data file",
                                 platform::MbOk);
            return false;
        });
        const std::string chosen = platform::runFileDialog(dialog);
        return chosen.empty() ? std::nullopt : std::optional<std::string>(chosen);
    }

    std::optional<std::string> chooseLogFile(QWidget* parent, const std::string& folder,
                                             const std::string& extension) override
    {
        platform::FileDialog dialog(parent, QStringLiteral("Select Log File"), folder);
        dialog.setOpen(false);
        dialog.setNameFilters({QStringLiteral("Text files (*.csv *.txt)"), QStringLiteral("All Files (*)")});
        dialog.setDefaultSuffix(platform::toQString(extension));
        const std::string chosen = platform::runFileDialog(dialog);
        return chosen.empty() ? std::nullopt : std::optional<std::string>(chosen);
    }
};

SettingsFileChooser* g_chooser = nullptr;

SettingsFileChooser& chooser()
{
    static DesktopFileChooser desktop;
    return g_chooser != nullptr ? *g_chooser : desktop;
}

} // namespace

SettingsFileChooser* SettingsDialog::setFileChooser(SettingsFileChooser* newChooser)
{
    SettingsFileChooser* previous = g_chooser;
    g_chooser = newChooser;
    return previous;
}

SettingsDialog::SettingsDialog(const std::string& dataPath, QWidget* parent)
    : platform::DialogBase(parent), m_constructorPath(dataPath)
{
    setWindowTitle(QStringLiteral("OMBA Korvane Kernel Awareness Initialization"));
    setWindowIcon(KernelWindowIcon());
    setFixedSize(420, 260);

    auto* prompt = new QLabel(this);
    platform::setControlId(prompt, Prompt);
    prompt->setGeometry(12, 10, 300, 18);
    m_dataPath = new QLineEdit(platform::toQString(dataPath), this);
    platform::setControlId(m_dataPath, DataPathEdit);
    m_dataPath->setGeometry(12, 30, 310, 24);
    auto* browse = new QPushButton(QStringLiteral("Browse"), this);
    platform::setControlId(browse, DataBrowse);
    browse->setGeometry(330, 29, 78, 26);

    auto* targetType = new QGroupBox(QStringLiteral("Target Type"), this);
    platform::setControlId(targetType, TargetTypeFrame);
    targetType->setGeometry(12, 62, 396, 50);
    m_big = new QRadioButton(QStringLiteral("Big endian"), targetType);
    platform::setControlId(m_big, BigEndian);
    m_big->setGeometry(12, 20, 150, 22);
    m_little = new QRadioButton(QStringLiteral("Little endian "), targetType);
    platform::setControlId(m_little, LittleEndian);
    m_little->setGeometry(180, 20, 150, 22);

    auto* logging = new QGroupBox(QStringLiteral("Data Logging"), this);
    logging->setGeometry(12, 118, 396, 98);
    m_enableLogging = new QCheckBox(QStringLiteral("Enable Logging"), logging);
    platform::setControlId(m_enableLogging, EnableLogging);
    m_enableLogging->setGeometry(12, 20, 200, 22);
    auto* logPrompt = new QLabel(QStringLiteral("Enter Path for log file"), logging);
    platform::setControlId(logPrompt, LogPrompt);
    logPrompt->setGeometry(12, 44, 250, 18);
    m_logPath = new QLineEdit(logging);
    platform::setControlId(m_logPath, LogPathEdit);
    m_logPath->setGeometry(12, 64, 290, 24);
    m_logBrowse = new QPushButton(QStringLiteral("Browse"), logging);
    platform::setControlId(m_logBrowse, LogBrowse);
    m_logBrowse->setGeometry(308, 63, 78, 26);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    platform::setControlId(ok, IdOk);
    ok->setDefault(true);
    ok->setGeometry(246, 226, 78, 26);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    platform::setControlId(cancel, IdCancel);
    cancel->setGeometry(330, 226, 78, 26);

    connect(browse, &QPushButton::clicked, this, [this] { OnBrowseSRecord(); });
    connect(m_big, &QRadioButton::clicked, this, [this] { OnBigEndian(); });
    connect(m_little, &QRadioButton::clicked, this, [this] { OnLittleEndian(); });
    connect(m_enableLogging, &QCheckBox::clicked, this, [this] { OnEnableLogging(); });
    connect(m_logBrowse, &QPushButton::clicked, this, [this] { OnBrowseLogFile(); });
    connect(ok, &QPushButton::clicked, this, [this] { accept(); });
    connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
}

// The path edits show file names as the file system spells them; their text crosses back the same way.
std::string SettingsDialog::dataPath() const { return platform::toBytes(m_dataPath->text()); }

bool SettingsDialog::OnInitDialog()
{
    DialogBase::OnInitDialog();
    // The default paths come from the path given at construction, before the stored settings.
    m_extension = kernel::DefaultSRecordExtension();
    m_folder = kernel::GetPathDirectory(m_constructorPath);
    m_defaultName = "z5data." + m_extension;
    LoadSettings();
    SyncEndianRadios();
    OnEnableLogging();
    platform::findControl<QLabel>(this, Prompt)->setText(QStringLiteral("Enter path for z5data file"));
    if (!kernel::FindFileExists(dataPath()))
        OnBrowseSRecord();
    return true;
}

void SettingsDialog::LoadSettings()
{
    m_littleEndian = ReadRegistryDword(kValueLittleEndian, 1) != 0;
    m_dataPath->setText(platform::toQString(ReadRegistryString(kValueSRecordPath, "")));
    m_enableLogging->setChecked(ReadRegistryDword(kValueLoggingEnabled, 0) != 0);
    m_logPath->setText(platform::toQString(ReadRegistryString(kValueLogfilePath, "")));
}

void SettingsDialog::SaveSettings()
{
    WriteRegistryDword(kValueLittleEndian, m_littleEndian ? 1 : 0);
    WriteRegistryString(kValueSRecordPath, dataPath());
    WriteRegistryDword(kValueLoggingEnabled, m_enableLogging->isChecked() ? 1 : 0);
    WriteRegistryString(kValueLogfilePath, GetLogFilePath());
}

void SettingsDialog::SyncEndianRadios()
{
    m_big->setChecked(!m_littleEndian);
    m_little->setChecked(!m_big->isChecked());
}

void SettingsDialog::OnBrowseSRecord()
{
    if (auto path = chooser().chooseDataFile(this, m_folder, m_defaultName, m_extension))
        m_dataPath->setText(platform::toQString(*path));
}

void SettingsDialog::OnBrowseLogFile()
{
    std::optional<std::string> path = chooser().chooseLogFile(this, m_folder, m_extension);
    m_logPath->setText(path ? platform::toQString(*path) : QString());
}

void SettingsDialog::OnBigEndian()
{
    m_littleEndian = false;
    SyncEndianRadios();
}

void SettingsDialog::OnLittleEndian()
{
    m_littleEndian = true;
    SyncEndianRadios();
}

void SettingsDialog::OnEnableLogging()
{
    const bool on = m_enableLogging->isChecked();
    m_logPath->setEnabled(on);
    m_logBrowse->setEnabled(on);
}

void SettingsDialog::OnOK()
{
    if (!m_enableLogging->isChecked()) {
        ClearLogFile();
    } else if (!SetLogFile(platform::toBytes(m_logPath->text()))) {
        platform::messageBox("Error opening log file.", kAwarenessCaption, platform::MbOk);
        return;
    }
    m_littleEndian = m_little->isChecked();
    SaveSettings();
    DialogBase::OnOK();
}

} // namespace views
