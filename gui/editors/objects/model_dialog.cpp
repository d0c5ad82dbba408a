#include "gui/editors/objects/model_dialog.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/editors/objects/control_builder.h"
#include "platform/qt/control_id.h"
#include "platform/qt/locale_text.h"

namespace editors {

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
    ControlHooks hooks;
    hooks.clicked = [this](int id) { onClicked(id); };
    outer->addWidget(buildControls(this, controls, hooks));

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
        setWindowTitle(platform::captionText(platform::toQString(m_state.title)));
    for (const auto& [id, control] : m_state.controls()) {
        if (QWidget* widget = platform::findControl(this, id))
            showControl(widget, control);
    }
}

void ModelDialog::pull()
{
    for (const auto& entry : m_state.controls())
        readControl(platform::findControl(this, entry.first), m_state[entry.first]);
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
    focusControl(this, id);
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
