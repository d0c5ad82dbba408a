#pragma once
// The settings dialog of each Initialize: the kernel data file, the target's byte order and the data-log
// file, read from the plug-in's settings key when it opens and written back on OK. OK also switches data
// logging on or off. The file choosers are replaceable, so tests never meet a modal chooser.

#include "platform/qt/dialog_base.h"

#include <optional>
#include <string>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace views {

class SettingsFileChooser {
public:
    virtual ~SettingsFileChooser() = default;
    // The data file (an existing file); nothing on Cancel.
    virtual std::optional<std::string> chooseDataFile(QWidget* parent, const std::string& folder,
                                                      const std::string& defaultName, const std::string& extension) = 0;
    // The log file (a save name); nothing on Cancel.
    virtual std::optional<std::string> chooseLogFile(QWidget* parent, const std::string& folder,
                                                     const std::string& extension) = 0;
};

class SettingsDialog : public platform::DialogBase {
    Q_OBJECT

public:
    static constexpr int kDialogId = 1011;
    enum Control : int {
        DataPathEdit = 1010, DataBrowse = 1011, BigEndian = 1012, LittleEndian = 1013, LogBrowse = 1015,
        Prompt = 1063, LogPrompt = 1064, TargetTypeFrame = 1068, EnableLogging = 1124, LogPathEdit = 1171,
    };

    explicit SettingsDialog(const std::string& dataPath, QWidget* parent = nullptr);

    std::string dataPath() const;
    bool littleEndian() const { return m_littleEndian; }

    // The chooser every settings dialog uses (not owned; null: the file dialogs of the desktop).
    static SettingsFileChooser* setFileChooser(SettingsFileChooser* chooser);

    void OnBrowseSRecord();
    void OnBrowseLogFile();
    void OnBigEndian();
    void OnLittleEndian();
    void OnEnableLogging();

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    void LoadSettings();
    void SaveSettings();
    void SyncEndianRadios();

    QLineEdit* m_dataPath;
    QLineEdit* m_logPath;
    QPushButton* m_logBrowse;
    QCheckBox* m_enableLogging;
    QRadioButton* m_big;
    QRadioButton* m_little;
    bool m_littleEndian = true;
    std::string m_folder;
    std::string m_extension;
    std::string m_defaultName;
    std::string m_constructorPath;
};

} // namespace views
