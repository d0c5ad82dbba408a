#pragma once
// Text crosses between the 8-bit strings of the engine and Qt as Latin-1: every byte maps to one
// character and back, so nothing is lost or altered. File names handed to or taken from Qt's file APIs
// (QDir, QFileDialog, QFileSystemWatcher, QUrl) cross with the file system's own encoding instead, so a
// name that is not plain ASCII names the same file on both sides.

#include <QFile>
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

// The bytes of a path as Qt's file APIs take them.
inline QString toFileName(const std::string& path)
{
    return QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
}

// A file name from Qt's file APIs as the bytes the engine keeps.
inline std::string fromFileName(const QString& name)
{
    const QByteArray bytes = QFile::encodeName(name);
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace platform
