#include "dialog_base.h"

#include "caption_fit.h"
#include "wait_cursor.h"

#include <QEvent>

#include <QPointer>

namespace platform {

DialogBase::DialogBase(QWidget* parent)
    : QDialog(parent)
{
    setResult(IdCancel);
}

DialogBase::~DialogBase()
{
    if (isLive())
        runDestroy();
}

bool DialogBase::OnInitDialog()
{
    return true;
}

void DialogBase::OnOK()
{
    EndDialog(IdOk);
}

void DialogBase::OnCancel()
{
    EndDialog(IdCancel);
}

void DialogBase::OnDestroy()
{
}

void DialogBase::accept()
{
    if (isLive())
        OnOK();
}

void DialogBase::reject()
{
    if (isLive())
        OnCancel();
    else
        QDialog::reject();
}

void DialogBase::ensureInitialized()
{
    if (m_state == State::Live || m_initializing)
        return;
    m_initializing = true;
    m_state = State::Live;
    OnInitDialog();
    m_initializing = false;
    if (isLive())
        emit initialized();
}

void DialogBase::setVisible(bool visible)
{
    if (visible && !isVisible()) {
        QPointer<DialogBase> guard(this);
        ensureInitialized();
        // A dialog that ended itself during its initialisation is not shown.
        if (!guard || !isLive())
            return;
        FitCaption(this);
    }
    QDialog::setVisible(visible);
}

void DialogBase::changeEvent(QEvent* event)
{
    // A caption set while the window is up gets its width too.
    if (event->type() == QEvent::WindowTitleChange && isVisible())
        FitCaption(this);
    QDialog::changeEvent(event);
}

int DialogBase::exec()
{
    setResult(IdCancel);
    const bool wasModal = testAttribute(Qt::WA_ShowModal);
    setAttribute(Qt::WA_ShowModal, true);
    m_runningModal = true;
    ScopedArrowCursor arrow;
    QPointer<DialogBase> guard(this);
    ensureInitialized();
    if (!guard)
        return IdCancel;
    int result = this->result();
    if (isLive())
        result = QDialog::exec();
    if (guard) {
        m_runningModal = false;
        setAttribute(Qt::WA_ShowModal, wasModal);
    }
    return result;
}

void DialogBase::ShowModeless()
{
    setResult(IdCancel);
    show();
}

void DialogBase::runDestroy()
{
    m_state = State::Destroyed;
    emit destroying();
    OnDestroy();
}

void DialogBase::EndDialog(int result)
{
    QPointer<DialogBase> guard(this);
    if (isLive())
        runDestroy();
    if (guard)
        QDialog::done(result);
}

void DialogBase::DestroyWindow()
{
    EndDialog(result());
}

} // namespace platform
