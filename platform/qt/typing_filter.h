#pragma once
// What a single-line edit lets the user type: a length limit (in the bytes the text is kept as) and, when
// asked, digits only. Both apply to typing and pasting; a text set from code is kept whole, so the checks
// at OK can report and correct it (a Qt length limit or pattern validator would cut or lock such a text
// instead).

#include <QValidator>

class QLineEdit;

namespace platform {

class TypingFilter : public QValidator {
public:
    // limit 0: no length limit.
    TypingFilter(QLineEdit* edit, int limit, bool digitsOnly);

    State validate(QString& input, int& position) const override;

private:
    int m_limit;
    bool m_digitsOnly;
    qsizetype m_length = 0;    // the text as last accepted
    qsizetype m_nonDigits = 0; // its characters that are not digits
};

// Installs a filter on the edit (owned by it) unless it has neither a limit nor the digits rule.
void setTypingFilter(QLineEdit* edit, int limit, bool digitsOnly);

} // namespace platform
