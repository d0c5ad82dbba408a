#pragma once
// "Select file to edit" (the generated files whose user text an application or class may edit),
// "Edit text" (the three text blocks of one file) and "Enter Node Name".
#include <string>
#include <vector>

#include "engine/records/records.h"
#include "gui/shell/omba_dialog.h"

class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QLineEdit;

namespace engine {
struct UserTextBlock;
}

namespace editors {

class CUserTextDialog : public COMBADialog {
    Q_OBJECT
public:
    static constexpr int kListId = 1217;
    // classType: a class type number, or -1 / 0xFFFFFFFF for the application's own files.
    CUserTextDialog(engine::ApplicationRecord& application, int classType, QWidget* parent = nullptr);
    QListWidget* list() const { return m_list; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    // The highlighted line, -1 for none.
    int chosenRow() const;

    engine::ApplicationRecord& m_application;
    int m_classType;
    std::vector<engine::UserTextBlock*> m_blocks;
    QListWidget* m_list = nullptr;
    QPushButton* m_ok = nullptr;
};

class EditTextDialog : public CDynamicDialog {
    Q_OBJECT
public:
    enum Control { TopId = 1219, IncludeId = 1221, BottomId = 1222, CopyId = 1223, CutId = 1224, PasteId = 1225,
                   UndoId = 1226 };
    EditTextDialog(const std::string& caption, std::vector<std::string>& top, std::vector<std::string>& include,
                   std::vector<std::string>& bottom, QWidget* parent = nullptr);
    QPlainTextEdit* edit(int index) const { return m_edits[index]; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateOk();
    std::vector<std::string>* m_lists[3];
    QPlainTextEdit* m_edits[3] = {};
    QPlainTextEdit* m_lastFocused = nullptr;
    QPushButton* m_ok = nullptr;
};

// Runs "Edit text" as the user text store's editor (installed by the first call).
void InstallEditTextHandler();

class NodeNameDialog : public COMBADialog {
    Q_OBJECT
public:
    enum Control { FirstLineId = 1224, SecondLineId = 1225, NameId = 1227 };
    NodeNameDialog(const engine::ApplicationRecord& application, const std::string& name, const std::string& first,
                   const std::string& second, QWidget* parent = nullptr);
    // The name after OK.
    const std::string& nodeName() const { return m_name; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    std::string m_applicationName;
    std::string m_name;
    QLineEdit* m_edit = nullptr;
};

} // namespace editors
