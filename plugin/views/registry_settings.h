#pragma once
// The plug-in's settings key. Its values live in the profile file that the key maps to
// (platform::ProfileStore::pathForKey), in the section of the key itself (""). Values are typed: a value
// read as a text counts only when it was stored as one, a number only when it was stored as a number;
// otherwise the caller's default applies.

#include <cstdint>
#include <string>

namespace platform {
class Profile;
}

namespace views {

inline constexpr const char* kSettingsKey =
    "Software\\Korvane Systems, Inc.\\OMBA Korvane 1.0\\Kernel Awareness\\Debugger\\ARM";

inline constexpr const char* kValueLittleEndian = "Little Endian";
inline constexpr const char* kValueSRecordPath = "S-Record Path";
inline constexpr const char* kValueLoggingEnabled = "Logging Enabled";
inline constexpr const char* kValueLogfilePath = "Logfile Path";

// Texts longer than this read as the default (the path limit of the system).
constexpr std::size_t kMaxSettingText = 4095;

// The store of the key, opened on first use.
platform::Profile& settingsProfile();
// Replaces the store (tests); null returns to the file of the key. Returns the previous override.
platform::Profile* setSettingsProfile(platform::Profile* profile);

std::string ReadRegistryString(const std::string& name, const std::string& fallback);
uint32_t ReadRegistryDword(const std::string& name, uint32_t fallback);
bool WriteRegistryString(const std::string& name, const std::string& text);
bool WriteRegistryDword(const std::string& name, uint32_t value);

} // namespace views
