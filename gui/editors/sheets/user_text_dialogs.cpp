#include "gui/editors/sheets/user_text_dialogs.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/records/text_field.h"
#include "gui/editors/model/user_text_dialogs.h"
#include "gui/editors/objects/control_builder.h"
#include "platform/core/message_service.h"
#include "platform/qt/control_id.h"
#include "platform/qt/locale_text.h"

namespace editors {

namespace {

// OK and Cancel along the bottom, OK the default button.
QPushButton* addOkCancel(QDialog* dialog, QVBoxLayout* layout, const char* okText = "OK",
                         const char* cancelText = "Cancel")
{
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    auto* ok = new QPushButton(platform::toQString(okText), dialog);
    auto* cancel = new QPushButton(platform::toQString(cancelText), dialog);
    platform::setControlId(ok, 1);
    platform::setControlId(cancel, 2);
    ok->setDefault(true);
    row->addWidget(ok);
    row->addWidget(cancel);
    layout->addLayout(row);
    QObject::connect(ok, &QPushButton::clicked, dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    return ok;
}

} // namespace

// ---- Select file to edit

CUserTextDialog::CUserTextDialog(engine::ApplicationRecord& application, int classType, QWidget* parent)
    : COMBADialog(197, parent), m_application(application), m_classType(classType)
{
    setWindowTitle(QStringLiteral("Select file to edit"));
    auto* layout = new QVBoxLayout(this);
    m_list = new QListWidget(this);
    platform::setControlId(m_list, kListId);
    layout->addWidget(m_list);
    m_ok = addOkCancel(this, layout);
    // OK follows the highlighted line: the list makes its first line current, unhighlighted, when it takes
    // the focus, and that chooses nothing.
    connect(m_list, &QListWidget::itemSelectionChanged, this, [this] { m_ok->setEnabled(chosenRow() >= 0); });
    // The double-click arrives inside its mouse press; the edit dialog opens after it.
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (chosenRow() >= 0)
                    accept();
            },
            Qt::QueuedConnection);
    });
}

bool CUserTextDialog::OnInitDialog()
{
    COMBADialog::OnInitDialog();
    m_list->clear();
    m_blocks = UserTextBlocksToList(m_application, m_classType);
    for (engine::UserTextBlock* block : m_blocks)
        m_list->addItem(platform::toQString(m_application.userTexts->GetUserTextFileName(*block)));
    m_list->setCurrentRow(-1);
    m_ok->setEnabled(false);
    return true;
}

int CUserTextDialog::chosenRow() const
{
    const QList<QListWidgetItem*> chosen = m_list->selectedItems();
    return chosen.isEmpty() ? -1 : m_list->row(chosen.front());
}

void CUserTextDialog::OnOK()
{
    const int row = chosenRow();
    if (row < 0 || row >= static_cast<int>(m_blocks.size()))
        return;
    InstallEditTextHandler();
    EndDialog(EditUserTextBlock(m_application, *m_blocks[row]));
}

// ---- Edit text

EditTextDialog::EditTextDialog(const std::string& caption, std::vector<std::string>& top,
                               std::vector<std::string>& include, std::vector<std::string>& bottom, QWidget* parent)
    : CDynamicDialog(198, parent, FreedomHorizontal), m_lists{&top, &include, &bottom}
{
    setWindowTitle(platform::captionText(platform::toQString(caption)));
    auto* layout = new QVBoxLayout(this);
    const char* labels[3] = {"Revision information, top:", "User includes:", "Revision information, bottom:"};
    const int ids[3] = {TopId, IncludeId, BottomId};
    for (int i = 0; i < 3; ++i) {
        layout->addWidget(new QLabel(platform::toQString(labels[i]), this));
        m_edits[i] = new QPlainTextEdit(this);
        m_edits[i]->setLineWrapMode(QPlainTextEdit::NoWrap);
        m_edits[i]->setFixedHeight(90);
        platform::setControlId(m_edits[i], ids[i]);
        m_edits[i]->installEventFilter(this);
        layout->addWidget(m_edits[i]);
        connect(m_edits[i], &QPlainTextEdit::textChanged, this, &EditTextDialog::updateOk);
    }
    auto* tools = new QHBoxLayout;
    const struct {
        int id;
        const char* text;
        void (QPlainTextEdit::*action)();
    } buttons[] = {{CopyId, "Co&py", &QPlainTextEdit::copy},
                   {CutId, "Cu&t", &QPlainTextEdit::cut},
                   {PasteId, "&Paste", &QPlainTextEdit::paste},
                   {UndoId, "&Undo", &QPlainTextEdit::undo}};
    for (const auto& b : buttons) {
        auto* button = new QPushButton(platform::toQString(b.text), this);
        button->setAutoDefault(false);
        platform::setControlId(button, b.id);
        tools->addWidget(button);
        const auto action = b.action;
        connect(button, &QPushButton::clicked, this, [this, action] {
            if (m_lastFocused)
                (m_lastFocused->*action)();
        });
    }
    layout->addLayout(tools);
    m_ok = addOkCancel(this, layout, "&OK", "&Cancel");
    layout->setSizeConstraint(QLayout::SetMinimumSize);
}

bool EditTextDialog::OnInitDialog()
{
    CDynamicDialog::OnInitDialog();
    for (int i = 0; i < 3; ++i) {
        m_edits[i]->setPlainText(platform::toQString(JoinUserText(*m_lists[i])));
        m_edits[i]->document()->setModified(false);
    }
    updateOk();
    setFixedHeight(sizeHint().height());
    return true;
}

void EditTextDialog::updateOk()
{
    bool modified = false;
    for (QPlainTextEdit* edit : m_edits)
        modified = modified || (edit && edit->document()->isModified());
    if (m_ok)
        m_ok->setEnabled(modified);
}

bool EditTextDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        for (QPlainTextEdit* edit : m_edits) {
            if (edit == watched)
                m_lastFocused = edit;
        }
    }
    return CDynamicDialog::eventFilter(watched, event);
}

void EditTextDialog::OnOK()
{
    bool changed = false;
    for (int i = 0; i < 3; ++i)
        changed = StoreUserText(*m_lists[i], platform::toBytes(m_edits[i]->toPlainText())) || changed;
    EndDialog(changed ? IdOk : IdCancel);
}

void InstallEditTextHandler()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    engine::SetEditTextHandler([](const std::string& title, std::vector<std::string>& top,
                                  std::vector<std::string>& include, std::vector<std::string>& bottom) {
        EditTextDialog dialog(title, top, include, bottom);
        return dialog.exec() == platform::DialogBase::IdOk ? 1 : 2;
    });
}

// ---- Enter Node Name

NodeNameDialog::NodeNameDialog(const engine::ApplicationRecord& application, const std::string& name,
                               const std::string& first, const std::string& second, QWidget* parent)
    : COMBADialog(201, parent), m_applicationName(engine::textString(application.name)), m_name(name)
{
    auto* layout = new QVBoxLayout(this);
    auto* firstLine = new QLabel(platform::toQString(first), this);
    auto* secondLine = new QLabel(platform::toQString(second), this);
    platform::setControlId(firstLine, FirstLineId);
    platform::setControlId(secondLine, SecondLineId);
    m_edit = new QLineEdit(this);
    m_edit->setMaxLength(engine::kNameSize - 1);
    filterTyping(m_edit);
    platform::setControlId(m_edit, NameId);
    layout->addWidget(firstLine);
    layout->addWidget(secondLine);
    layout->addWidget(m_edit);
    addOkCancel(this, layout);
}

bool NodeNameDialog::OnInitDialog()
{
    COMBADialog::OnInitDialog();
    setWindowTitle(platform::captionText(platform::toQString("For application \"" + m_applicationName + "\":")));
    m_edit->setText(platform::toQString(m_name));
    m_edit->selectAll();
    return true;
}

void NodeNameDialog::OnOK()
{
    m_name = platform::toBytes(m_edit->text());
    EndDialog(IdOk);
}

} // namespace editors
