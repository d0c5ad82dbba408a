#include "status_dialog.h"

#include "platform/qt/control_id.h"
#include "platform/qt/locale_text.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CStatusDialog::CStatusDialog(QWidget* parent, unsigned seconds, const std::string& message, const std::string& title)
    : COMBADialog(kTemplateId, parent)
    , m_title(title.empty() ? QStringLiteral("Status") : platform::toQString(title))
    , m_seconds(seconds)
{
    m_message = new QLineEdit(platform::toQString(message), this);
    m_message->setReadOnly(true);
    m_message->setMinimumWidth(260);
    platform::setControlId(m_message, kMessageId);
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setDefault(true);
    m_ok->setMinimumWidth(140);
    platform::setControlId(m_ok, IdOk);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_message);
    layout->addLayout(buttons);
    connect(m_ok, &QPushButton::clicked, this, &CStatusDialog::accept);
    // The button shows the count; at 0 the box ends with OK.
    m_countdown.showOn(m_ok);
    connect(&m_countdown, &Countdown::expired, this, [this] { OnOK(); });
}

bool CStatusDialog::OnInitDialog()
{
    COMBADialog::OnInitDialog();
    setWindowTitle(platform::captionText(m_title));
    m_countdown.start(m_seconds);
    return true;
}

void CStatusDialog::OnOK()
{
    m_countdown.stop();
    COMBADialog::OnOK();
}
