#include "plugin/views/registry_settings.h"

#include "platform/core/profile_store.h"

#include <atomic>

namespace views {
namespace {

const std::string kKeySection; // the key's own values

std::atomic<platform::Profile*> g_override{nullptr};

} // namespace

platform::Profile& settingsProfile()
{
    if (platform::Profile* profile = g_override.load())
        return *profile;
    static platform::ProfileStore* store = new platform::ProfileStore(platform::ProfileStore::pathForKey(kSettingsKey));
    return *store;
}

platform::Profile* setSettingsProfile(platform::Profile* profile) { return g_override.exchange(profile); }

std::string ReadRegistryString(const std::string& name, const std::string& fallback)
{
    std::optional<std::string> value = settingsProfile().getString(kKeySection, name);
    if (!value || value->size() > kMaxSettingText)
        return fallback;
    return *value;
}

uint32_t ReadRegistryDword(const std::string& name, uint32_t fallback)
{
    std::optional<int32_t> value = settingsProfile().getInt(kKeySection, name);
    return value ? static_cast<uint32_t>(*value) : fallback;
}

bool WriteRegistryString(const std::string& name, const std::string& text)
{
    return settingsProfile().writeString(kKeySection, name, text);
}

bool WriteRegistryDword(const std::string& name, uint32_t value)
{
    return settingsProfile().writeInt(kKeySection, name, static_cast<int32_t>(value));
}

} // namespace views
