#include "sdk/ide/if_resources.h"

#include <QString>

#include <cstdlib>
#include <map>
#include <mutex>

namespace {
std::mutex g_mutex;
std::map<void*, IfResourceModule*>& modules()
{
    static auto* map = new std::map<void*, IfResourceModule*>;
    return *map;
}
} // namespace

bool IfResourceModule::GetNamedMenu(const std::string& name, IfMenu& menu) const
{
    // "#" and up to nine digits: the menu of that number.
    if (name.size() < 2 || name.size() > 10 || name[0] != '#')
        return false;
    unsigned id = 0;
    for (std::size_t i = 1; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9')
            return false;
        id = id * 10 + static_cast<unsigned>(name[i] - '0');
    }
    return GetMenu(id, menu);
}

std::string IfGetCurrentLanguage()
{
    const char* language = std::getenv("KORVANE_IDE_LANGUAGE");
    return language != nullptr && *language != '\0' ? language : "ENU";
}

void IfRegisterResourceModuleHandle(void* module, IfResourceModule* resources)
{
    std::lock_guard lock(g_mutex);
    modules()[module] = resources;
}

void IfUnregisterResourceModuleHandle(void* module)
{
    std::lock_guard lock(g_mutex);
    modules().erase(module);
}

IfResourceModule* IfGetResourceModule(void* module)
{
    std::lock_guard lock(g_mutex);
    auto it = modules().find(module);
    return it == modules().end() ? nullptr : it->second;
}

bool IfCompareStubFrameworkGeneration(void*, int generation) { return generation == 7; }
void* IfDynamicCmdModule(unsigned) { return nullptr; }
unsigned IfDynamicCmd2ModuleLocal(unsigned id) { return id; }

std::wstring IfM2U(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())).toStdWString();
}

std::string IfU2M(const std::wstring& text)
{
    QByteArray bytes = QString::fromStdWString(text).toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}
