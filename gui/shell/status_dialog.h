#pragma once
// The small box that reports the end of a long operation, counting down on its OK button and closing by
// itself at zero (or at once on OK). With 0 seconds it waits for the user.

#include "gui/shell/countdown.h"
#include "gui/shell/omba_dialog.h"

#include <string>

class QLineEdit;
class QPushButton;

class CStatusDialog : public COMBADialog {
    Q_OBJECT

public:
    static constexpr unsigned kTemplateId = 184;
    static constexpr int kMessageId = 1165;

    // An empty title gives "Status".
    CStatusDialog(QWidget* parent, unsigned seconds, const std::string& message, const std::string& title);

    Countdown& countdown() { return m_countdown; }
    QPushButton* okButton() const { return m_ok; }
    QLineEdit* messageField() const { return m_message; }
    const QString& title() const { return m_title; }

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    QPushButton* m_ok;
    QLineEdit* m_message;
    QString m_title;
    unsigned m_seconds;
    Countdown m_countdown;
};
