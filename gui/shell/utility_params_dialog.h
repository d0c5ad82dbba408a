#pragma once
// "Enter parameters": one row per parameter of a utility (at most ten), with the control that suits the
// parameter's type: a check box for b, an edit with "Browse" for f (file) and d (folder), a digits-only
// edit for n and o, a plain edit otherwise. OK checks every row's length limits and hex or octal digits
// and stops at the first failing row; on success the values hold the answers (b: "1" or "0").

#include "gui/shell/omba_dialog.h"
#include "gui/shell/utility_script.h"

#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace shell {
// The message for the first row that fails its checks, or "" when all pass; failedRow receives its index.
std::string CheckUtilityAnswers(const std::vector<UtilityRequest>& requests, const std::vector<std::string>& answers,
                                int* failedRow);
}

class UtilityParamsDialog : public COMBADialog {
    Q_OBJECT

public:
    static constexpr unsigned kTemplateId = 203;
    static constexpr int kRows = 10;
    static int promptId(int row) { return 1240 + 3 * row; }
    static int editId(int row) { return 1241 + 3 * row; }
    static int browseId(int row) { return 1239 + 3 * row; }
    static int checkId(int row) { return 1273 + row; }
    static constexpr int kCommandLabelId = 1270;
    static constexpr int kCommandTextId = 1269;

    UtilityParamsDialog(std::vector<shell::UtilityRequest>& requests, const std::string& commandText,
                        const std::string& utilityName, QWidget* parent);

    int rowCount() const { return m_rowCount; }
    QLineEdit* edit(int row) const { return m_edits[row]; }
    QCheckBox* check(int row) const { return m_checks[row]; }
    QPushButton* browse(int row) const { return m_browse[row]; }

    void OnBrowse(int row);

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    char typeOf(int row) const;
    // A row's value as its edit shows it, and back, as the same bytes.
    QString valueText(int row, const std::string& value) const;
    std::string valueOf(int row) const;

    std::vector<shell::UtilityRequest>& m_requests;
    std::string m_commandText;
    std::string m_utilityName;
    int m_rowCount;
    QLabel* m_commandLabel;
    QLabel* m_command;
    QLabel* m_prompts[kRows];
    QLineEdit* m_edits[kRows];
    QPushButton* m_browse[kRows];
    QCheckBox* m_checks[kRows];
};
