#include "sdk/ide/if_fonts.h"

#include "standins/ide/call_registry.h"

#include <QFontDatabase>

namespace {
ide::CallRegistry<IfFontDbEvent::Handler>& handlers()
{
    static auto* registry = new ide::CallRegistry<IfFontDbEvent::Handler>;
    return *registry;
}
} // namespace

QFont IfFontDb::GetFont(const std::string& name)
{
    if (name == "DefaultFixed")
        return QFontDatabase::systemFont(QFontDatabase::FixedFont);
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont);
}

IfFontDbEvent::Handler::Handler() { handlers().add(this); }
IfFontDbEvent::Handler::~Handler() { handlers().remove(this); }

void IfFontDbEvent::Emit(Type type)
{
    handlers().forEach([&](Handler* handler) {
        handler->OnFontDbEvent(type);
        return false;
    });
}
