#include "gui/editors/objects/model_dialog.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QValidator>
#include <QVBoxLayout>

#include <vector>

#include "platform/qt/control_id.h"
#include "platform/qt/latin1.h"

namespace editors {

namespace {

// Refuses typing that makes the text longer than the limit, but keeps a longer text set from code so that
// the checks can report and correct it.
class GrowthLimit : public QValidator {
public:
    GrowthLimit(QLineEdit* edit, int limit) : QValidator(edit), m_limit(limit), m_length(edit->text().size())
    {
        connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) { m_length = text.size(); });
    }
    State validate(QString& input, int&) const override
    {
        if (input.size() > m_limit && input.size() > m_length)
            return Invalid;
        return Acceptable;
    }

private:
    int m_limit;
    qsizetype m_length;  // the text as last accepted
};

constexpr const char* kModelText = "modelText";

// One level of nesting while the widgets are built: a container with its grid and the current line.
struct Level {
    QWidget* container;
    QGridLayout* grid;
    int line = -1;
    int column = 0;
};

} // namespace

ModelDialog::ModelDialog(DialogModel& model, const ControlTable& controls, QWidget* parent)
    : COMBADialog(model.templateId(), parent), m_model(model)
{
    build(controls);
}

ModelDialog::~ModelDialog() = default;

void ModelDialog::build(const ControlTable& controls)
{
    auto* outer = new QVBoxLayout(this);
    outer->setSizeConstraint(QLayout::SetFixedSize);
    auto* body = new QWidget(this);
    outer->addWidget(body);
    std::vector<Level> levels{{body, new QGridLayout(body)}};
    levels.back().grid->setContentsMargins(0, 0, 0, 0);
    QButtonGroup* radios = nullptr;

    const auto place = [&](QWidget* widget, bool sameLine, int span = 1) {
        Level& level = levels.back();
        if (!sameLine || level.line < 0) {
            ++level.line;
            level.column = 0;
        }
        level.grid->addWidget(widget, level.line, level.column, 1, span);
        level.column += span;
    };
    const auto identify = [](QWidget* widget, int id) {
        if (id > 0)
            platform::setControlId(widget, id);
    };

    for (const ControlRow& row : controls) {
        const QString label = row.label ? QString::fromLatin1(row.label) : QString();
        QWidget* parentWidget = levels.back().container;
        switch (row.kind) {
        case ControlKind::Edit: {
            if (row.label)
                place(new QLabel(label, parentWidget), row.sameLine);
            auto* edit = new QLineEdit(parentWidget);
            identify(edit, row.id);
            place(edit, row.sameLine || row.label != nullptr);
            break;
        }
        case ControlKind::Check: {
            auto* box = new QCheckBox(label, parentWidget);
            identify(box, row.id);
            place(box, row.sameLine, 2);
            const int id = row.id;
            connect(box, &QAbstractButton::clicked, this, [this, id] { onClicked(id); });
            break;
        }
        case ControlKind::RadioFirst:
        case ControlKind::Radio: {
            auto* radio = new QRadioButton(label, parentWidget);
            identify(radio, row.id);
            if (row.kind == ControlKind::RadioFirst || !radios) {
                radios = new QButtonGroup(this);
                radios->setExclusive(true);
            }
            radios->addButton(radio);
            place(radio, row.sameLine);
            const int id = row.id;
            connect(radio, &QAbstractButton::clicked, this, [this, id] { onClicked(id); });
            break;
        }
        case ControlKind::Static:
        case ControlKind::Text: {
            auto* text = new QLabel(label, parentWidget);
            identify(text, row.id);
            // A static without a text of its own shows what the model gives it, empty included.
            text->setProperty(kModelText, label.isEmpty());
            place(text, row.sameLine);
            break;
        }
        case ControlKind::GroupBegin: {
            auto* group = new QGroupBox(label, parentWidget);
            identify(group, row.id);
            place(group, row.sameLine, 4);
            levels.push_back({group, new QGridLayout(group)});
            break;
        }
        case ControlKind::GroupEnd:
            if (levels.size() > 1)
                levels.pop_back();
            break;
        }
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    platform::setControlId(ok, IdOkButton);
    platform::setControlId(cancel, IdCancelButton);
    ok->setDefault(true);
    ok->setAutoDefault(true);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    outer->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &ModelDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &ModelDialog::reject);
}

void ModelDialog::push()
{
    if (!m_state.title.empty())
        setWindowTitle(platform::toQString(m_state.title));
    for (const auto& [id, control] : m_state.controls()) {
        QWidget* widget = platform::findControl(this, id);
        if (!widget)
            continue;
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            const QString text = platform::toQString(control.text);
            if (edit->text() != text)
                edit->setText(text);
            if (control.limit > 0 && !edit->validator())
                edit->setValidator(new GrowthLimit(edit, control.limit));
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            if (!qobject_cast<QPushButton*>(button))
                button->setChecked(control.check != 0);
            if (!control.caption.empty())
                button->setText(platform::toQString(control.caption));
        } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            if (!control.caption.empty())
                group->setTitle(platform::toQString(control.caption));
        } else if (auto* text = qobject_cast<QLabel*>(widget)) {
            if (!control.text.empty() || text->property(kModelText).toBool())
                text->setText(platform::toQString(control.text));
        }
        widget->setEnabled(control.enabled);
        if (!control.visible)
            widget->setVisible(false);
        else if (widget->isHidden() && widget->testAttribute(Qt::WA_WState_ExplicitShowHide))
            widget->setVisible(true);
    }
}

void ModelDialog::pull()
{
    for (const auto& [id, control] : m_state.controls()) {
        (void)control;
        QWidget* widget = platform::findControl(this, id);
        if (auto* edit = qobject_cast<QLineEdit*>(widget))
            m_state[id].text = platform::toStdString(edit->text());
        else if (auto* button = qobject_cast<QAbstractButton*>(widget); button && button->isCheckable())
            m_state[id].check = button->isChecked() ? 1 : 0;
    }
}

void ModelDialog::pushNow(const ViewState&)
{
    push();
}

bool ModelDialog::OnInitDialog()
{
    COMBADialog::OnInitDialog();
    m_state = ViewState();
    m_model.init(m_state);
    push();
    return true;
}

void ModelDialog::onClicked(int id)
{
    pull();
    if (m_model.clicked(id, m_state))
        push();
}

void ModelDialog::focusEdit(int id)
{
    QWidget* widget = id > 0 ? platform::findControl(this, id) : nullptr;
    if (!widget)
        return;
    widget->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->selectAll();
}

void ModelDialog::OnOK()
{
    pull();
    const OkOutcome outcome = m_model.ok(m_state, *this);
    if (outcome.push)
        push();
    if (outcome.close) {
        EndDialog(ResultOk);
        return;
    }
    focusEdit(outcome.focusId);
}

void ModelDialog::OnCancel()
{
    m_model.cancel();
    COMBADialog::OnCancel();
}

int runModelDialog(DialogModel& model, const ControlTable& controls, QWidget* parent)
{
    ModelDialog dialog(model, controls, parent);
    return dialog.exec() == ResultOk ? ResultOk : ResultCancel;
}

} // namespace editors
