#pragma once
// Per-window storage of integers, kept between sessions in the IDE's settings file.

#include "sdk/ide/ide_export.h"

#include <string>

class IDEFRAMEWORK_EXPORT IfContentStorage {
public:
    explicit IfContentStorage(const std::string& windowKey);

    // Stores value under key; kind tells what the value is (1 a position, 3 a width) and is kept.
    void Save(int kind, const std::string& key, int value);
    // The stored value, or def; true when the key was found.
    bool Restore(const std::string& key, int& value, int def) const;

    // The settings file (default: $XDG_CONFIG_HOME/korvane/ide-windows.ini, or
    // KORVANE_IDE_SETTINGS when set); "" restores the default.
    static void SetFilePath(const std::string& path);
    static std::string FilePath();

private:
    std::string m_windowKey;
};
