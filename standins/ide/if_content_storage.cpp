#include "sdk/ide/if_content_storage.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

#include <cstdlib>
#include <mutex>

namespace {
std::mutex g_pathMutex;
std::string& overridePath()
{
    static auto* path = new std::string;
    return *path;
}

QString groupKey(const std::string& window, const std::string& key)
{
    return QString::fromLatin1(window.c_str()) + QLatin1Char('/') + QString::fromLatin1(key.c_str());
}
} // namespace

IfContentStorage::IfContentStorage(const std::string& windowKey) : m_windowKey(windowKey) {}

void IfContentStorage::SetFilePath(const std::string& path)
{
    std::lock_guard lock(g_pathMutex);
    overridePath() = path;
}

std::string IfContentStorage::FilePath()
{
    {
        std::lock_guard lock(g_pathMutex);
        if (!overridePath().empty())
            return overridePath();
    }
    if (const char* path = std::getenv("KORVANE_IDE_SETTINGS"); path != nullptr && *path != '\0')
        return path;
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return (base + "/korvane/ide-windows.ini").toStdString();
}

void IfContentStorage::Save(int kind, const std::string& key, int value)
{
    QSettings settings(QString::fromStdString(FilePath()), QSettings::IniFormat);
    settings.setValue(groupKey(m_windowKey, key), value);
    settings.setValue(groupKey(m_windowKey, key + ".kind"), kind);
}

bool IfContentStorage::Restore(const std::string& key, int& value, int def) const
{
    QSettings settings(QString::fromStdString(FilePath()), QSettings::IniFormat);
    QVariant stored = settings.value(groupKey(m_windowKey, key));
    bool ok = false;
    int number = stored.isValid() ? stored.toInt(&ok) : 0;
    value = ok ? number : def;
    return ok;
}
