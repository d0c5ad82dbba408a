#include "typing_filter.h"

#include "locale_text.h"

#include <QLineEdit>

namespace platform {

namespace {

qsizetype nonDigitsOf(const QString& text)
{
    qsizetype count = 0;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            ++count;
    }
    return count;
}

} // namespace

TypingFilter::TypingFilter(QLineEdit* edit, int limit, bool digitsOnly)
    : QValidator(edit), m_limit(limit), m_digitsOnly(digitsOnly)
{
    auto remember = [this](const QString& text) {
        m_length = text.size();
        m_nonDigits = nonDigitsOf(text);
    };
    remember(edit->text());
    connect(edit, &QLineEdit::textChanged, this, remember);
}

QValidator::State TypingFilter::validate(QString& input, int&) const
{
    // Only growth is refused, so a longer or mixed text set from code can still be shortened and mended.
    // The limit counts the bytes the text is kept as.
    if (m_limit > 0 && input.size() > m_length && static_cast<qsizetype>(toBytes(input).size()) > m_limit)
        return Invalid;
    if (m_digitsOnly && nonDigitsOf(input) > m_nonDigits)
        return Invalid;
    return Acceptable;
}

void setTypingFilter(QLineEdit* edit, int limit, bool digitsOnly)
{
    if (limit > 0 || digitsOnly)
        edit->setValidator(new TypingFilter(edit, limit, digitsOnly));
}

} // namespace platform
