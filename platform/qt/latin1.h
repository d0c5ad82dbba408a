#pragma once
// Text crosses between the 8-bit strings of the engine and Qt as Latin-1: every byte maps to one
// character and back, so nothing is lost or altered.

#include <QString>

#include <string>

namespace platform {

inline QString toQString(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string toStdString(const QString& text)
{
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace platform
