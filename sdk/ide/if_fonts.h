#pragma once
// The IDE's font database: named fonts and the event that tells handlers the fonts changed.

#include "sdk/ide/ide_export.h"

#include <QFont>

#include <string>

class IDEFRAMEWORK_EXPORT IfFontDb {
public:
    // "DefaultProportional" or "DefaultFixed"; any other name gives the proportional font.
    static QFont GetFont(const std::string& name);
};

class IDEFRAMEWORK_EXPORT IfFontDbEvent {
public:
    enum Type { FontsChanged = 0 };

    // Told of font changes while it lives.
    class IDEFRAMEWORK_EXPORT Handler {
    public:
        Handler();
        virtual ~Handler();
        Handler(const Handler&) = delete;
        Handler& operator=(const Handler&) = delete;
        virtual void OnFontDbEvent(Type type) = 0;
    };

    // Tells every handler (the desktop does it when the application font changes).
    static void Emit(Type type);
};
