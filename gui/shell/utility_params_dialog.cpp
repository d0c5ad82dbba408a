#include "utility_params_dialog.h"

#include "folder_picker.h"

#include "engine/util/text.h"
#include "gui/layout/dialog_units.h"
#include "platform/core/message_service.h"
#include "platform/qt/control_id.h"
#include "platform/qt/file_dialog.h"
#include "platform/qt/locale_text.h"
#include "platform/qt/typing_filter.h"
#include "platform/qt/wait_cursor.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace shell {

namespace {

// Hexadecimal digits after an optional lower-case "0x" (an upper-case "0X" is not taken as the prefix).
bool isHexEntry(const std::string& text)
{
    const std::string digits = text.rfind("0x", 0) == 0 ? text.substr(2) : text;
    return digits.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
}

} // namespace

std::string CheckUtilityAnswers(const std::vector<UtilityRequest>& requests, const std::vector<std::string>& answers,
                                int* failedRow)
{
    const std::size_t rows = std::min({requests.size(), answers.size(), static_cast<std::size_t>(kMaxUtilityRequests)});
    for (std::size_t i = 0; i < rows; ++i) {
        const UtilityRequest& request = requests[i];
        const std::string& answer = answers[i];
        const char type = request.type.empty() ? 's' : request.type[0];
        std::string message;
        if (type == 'b')
            continue;
        if (request.minimum > 0 && answer.size() < request.minimum)
            message = engine::FormatText("Entry for \"%s\" must be at least %d characters in length",
                                         request.prompt.c_str(), static_cast<int>(request.minimum));
        else if (request.maximum > 0 && answer.size() > request.maximum)
            message = engine::FormatText("Entry for \"%s\" cannot be more than %d characters in length",
                                         request.prompt.c_str(), static_cast<int>(request.maximum));
        else if (type == 'x' && !isHexEntry(answer))
            message = engine::FormatText("Entry for \"%s\" can contain only hexadecimal digits (0-9,a-f,A-F)",
                                         request.prompt.c_str());
        else if (type == 'o' && !answer.empty() && !engine::IsOctalNumber(answer))
            message = engine::FormatText("Entry for \"%s\" can contain only octal digits (0-7)", request.prompt.c_str());
        if (!message.empty()) {
            if (failedRow)
                *failedRow = static_cast<int>(i);
            return message;
        }
    }
    return {};
}

} // namespace shell

UtilityParamsDialog::UtilityParamsDialog(std::vector<shell::UtilityRequest>& requests, const std::string& commandText,
                                         const std::string& utilityName, QWidget* parent)
    : COMBADialog(kTemplateId, parent)
    , m_requests(requests)
    , m_commandText(commandText)
    , m_utilityName(utilityName)
    , m_rowCount(static_cast<int>(std::min<std::size_t>(requests.size(), kRows)))
{
    setWindowTitle(QStringLiteral("Enter parameters"));
    auto* layout = new QVBoxLayout(this);
    auto* commandRow = new QHBoxLayout;
    m_commandLabel = new QLabel(QStringLiteral("Command:"), this);
    platform::setControlId(m_commandLabel, kCommandLabelId);
    m_command = new QLabel(this);
    // The command is shown as written: its placeholders are no markup.
    m_command->setTextFormat(Qt::PlainText);
    m_command->setWordWrap(true);
    platform::setControlId(m_command, kCommandTextId);
    commandRow->addWidget(m_commandLabel);
    commandRow->addWidget(m_command, 1);
    layout->addLayout(commandRow);
    auto* grid = new QGridLayout;
    for (int i = 0; i < kRows; ++i) {
        m_prompts[i] = new QLabel(this);
        platform::setControlId(m_prompts[i], promptId(i));
        m_edits[i] = new QLineEdit(this);
        layout::fitEditWidth(m_edits[i], 0, QString());
        platform::setControlId(m_edits[i], editId(i));
        m_checks[i] = new QCheckBox(this);
        platform::setControlId(m_checks[i], checkId(i));
        m_browse[i] = new QPushButton(QStringLiteral("Browse"), this);
        platform::setControlId(m_browse[i], browseId(i));
        grid->addWidget(m_prompts[i], i, 0);
        // The check box takes the place of the edit.
        grid->addWidget(m_edits[i], i, 1);
        grid->addWidget(m_checks[i], i, 1);
        grid->addWidget(m_browse[i], i, 2);
        connect(m_browse[i], &QPushButton::clicked, this, [this, i] { OnBrowse(i); });
    }
    layout->addLayout(grid);
    auto* buttons = new QHBoxLayout;
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    platform::setControlId(ok, IdOk);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    platform::setControlId(cancel, IdCancel);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
}

char UtilityParamsDialog::typeOf(int row) const
{
    const std::string& type = m_requests[static_cast<std::size_t>(row)].type;
    return type.empty() ? 's' : type[0];
}

QString UtilityParamsDialog::valueText(int, const std::string& value) const
{
    return platform::toQString(value);
}

std::string UtilityParamsDialog::valueOf(int row) const
{
    // Files, folders and text alike are the bytes they stand for, whether they decode or not.
    return platform::toBytes(m_edits[row]->text());
}

bool UtilityParamsDialog::OnInitDialog()
{
    COMBADialog::OnInitDialog();
    if (m_commandText.empty()) {
        m_commandLabel->hide();
        m_command->hide();
    }
    m_command->setText(platform::toQString(m_commandText));
    for (int i = 0; i < kRows; ++i) {
        if (i >= m_rowCount) {
            m_edits[i]->hide();
            m_prompts[i]->hide();
            m_browse[i]->hide();
            m_checks[i]->hide();
            continue;
        }
        const shell::UtilityRequest& request = m_requests[static_cast<std::size_t>(i)];
        const char type = typeOf(i);
        m_edits[i]->setText(valueText(i, request.value));
        layout::fitEditWidth(m_edits[i], static_cast<int>(std::min<uint32_t>(request.maximum, 32767)),
                             m_edits[i]->text());
        m_prompts[i]->setText(platform::toQString(request.prompt));
        m_checks[i]->setChecked(engine::ParseNumber(request.value) != 0);
        m_browse[i]->setVisible(type == 'f' || type == 'd');
        m_checks[i]->setVisible(type == 'b');
        m_edits[i]->setVisible(type != 'b');
        // The limits hold for typing; a default set here is kept whole and checked at OK.
        platform::setTypingFilter(m_edits[i], static_cast<int>(std::min<uint32_t>(request.maximum, 32767)),
                                  type == 'n' || type == 'o');
    }
    setWindowTitle(platform::captionText(QStringLiteral("Enter parameters for utility \"%1\"").arg(platform::toQString(m_utilityName))));
    // The caption's own width comes with showing (the dialog base).
    setMinimumWidth(minimumSizeHint().width());
    adjustSize();
    if (m_rowCount > 0)
        m_edits[0]->setFocus();
    return true;
}

void UtilityParamsDialog::OnBrowse(int row)
{
    if (row < 0 || row >= m_rowCount)
        return;
    const shell::UtilityRequest& request = m_requests[static_cast<std::size_t>(row)];
    if (typeOf(row) == 'd') {
        CSelectFolderDialog picker(this, platform::toBytes(m_edits[row]->text()), request.prompt);
        if (picker.exec() == IdOk)
            m_edits[row]->setText(platform::toQString(picker.GetFolder()));
    } else if (typeOf(row) == 'f') {
        platform::ScopedArrowCursor arrow;
        platform::FileDialog chooser(this, QStringLiteral("Select file for \"%1\"").arg(platform::toQString(request.prompt)));
        chooser.setNameFilters({QStringLiteral("All files (*)")});
        const std::string path = platform::runFileDialog(chooser);
        if (!path.empty())
            m_edits[row]->setText(platform::toQString(path));
    }
}

void UtilityParamsDialog::OnOK()
{
    std::vector<std::string> answers;
    for (int i = 0; i < m_rowCount; ++i)
        answers.push_back(valueOf(i));
    int failed = -1;
    const std::string message = shell::CheckUtilityAnswers(m_requests, answers, &failed);
    if (!message.empty()) {
        platform::messageBox(message, "", platform::MbOk);
        if (failed >= 0)
            m_edits[failed]->setFocus();
        return;
    }
    for (int i = 0; i < m_rowCount; ++i) {
        shell::UtilityRequest& request = m_requests[static_cast<std::size_t>(i)];
        request.value = typeOf(i) == 'b' ? engine::IntToText(m_checks[i]->isChecked() ? 1 : 0)
                                         : answers[static_cast<std::size_t>(i)];
    }
    COMBADialog::OnOK();
}
