#pragma once
// The program's profile: named sections holding named values (text, 32-bit integers, binary), in the
// manner of the classic per-user application profile. Section and value names compare without regard to
// ASCII case and may be empty. The file-backed store keeps one text file per profile key under
// $XDG_CONFIG_HOME (default ~/.config) and rewrites it atomically after every change.

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace platform {

using ProfileBytes = std::vector<std::uint8_t>;

// What code that reads or writes settings sees. Every write reports whether it reached the store.
class Profile {
public:
    virtual ~Profile() = default;

    // True when the settings go to a persistent per-user store (a profile key is set).
    virtual bool isRegistryBacked() const = 0;

    virtual std::optional<std::string> getString(const std::string& section, const std::string& entry) const = 0;
    virtual std::optional<std::int32_t> getInt(const std::string& section, const std::string& entry) const = 0;
    virtual std::optional<ProfileBytes> getBinary(const std::string& section, const std::string& entry) const = 0;

    virtual bool writeString(const std::string& section, const std::string& entry, const std::string& value) = 0;
    virtual bool writeInt(const std::string& section, const std::string& entry, std::int32_t value) = 0;
    virtual bool writeBinary(const std::string& section, const std::string& entry, const ProfileBytes& value) = 0;
    // Removes one value; true when it is gone afterwards (also when it never existed).
    virtual bool deleteEntry(const std::string& section, const std::string& entry) = 0;

    // Conveniences with defaults, as the profile calls of the classic API.
    std::string getString(const std::string& section, const std::string& entry, const std::string& fallback) const;
    std::int32_t getInt(const std::string& section, const std::string& entry, std::int32_t fallback) const;
};

// One value as held in memory and in the file.
struct ProfileValue {
    enum class Type { String, Int, Binary };
    Type type = Type::String;
    std::string text;
    std::int32_t number = 0;
    ProfileBytes bytes;
};

struct ProfileSection {
    std::string name;
    std::vector<std::pair<std::string, ProfileValue>> values;
};

// The file-backed profile. Thread-safe. A missing or unreadable file starts an empty profile; lines that
// cannot be parsed are skipped so one damaged line never loses the rest.
class ProfileStore : public Profile {
public:
    // A store over an explicit file ("" keeps everything in memory and reports no persistent store).
    explicit ProfileStore(std::string filePath);

    // The file that a profile key maps to: each backslash-separated part of the key becomes a folder under
    // the configuration folder, the last part names the file (".ini" appended). A leading "Software" part is
    // dropped, so a registry-style key and a profile-style key name the same file. Parts are made safe for
    // a file name ('/' becomes '_', "." and ".." and empty parts are dropped). "" for an empty key.
    static std::string pathForKey(const std::string& key);
    // The configuration folder: $XDG_CONFIG_HOME when set and absolute, else $HOME/.config.
    static std::string configHome();

    const std::string& filePath() const { return m_path; }

    bool isRegistryBacked() const override { return !m_path.empty(); }

    std::optional<std::string> getString(const std::string& section, const std::string& entry) const override;
    std::optional<std::int32_t> getInt(const std::string& section, const std::string& entry) const override;
    std::optional<ProfileBytes> getBinary(const std::string& section, const std::string& entry) const override;
    bool writeString(const std::string& section, const std::string& entry, const std::string& value) override;
    bool writeInt(const std::string& section, const std::string& entry, std::int32_t value) override;
    bool writeBinary(const std::string& section, const std::string& entry, const ProfileBytes& value) override;
    bool deleteEntry(const std::string& section, const std::string& entry) override;
    using Profile::getInt;
    using Profile::getString;

    // Reads the file again, dropping what is held in memory.
    void reload();
    // Names of the sections and of one section's values, in file order.
    std::vector<std::string> sections() const;
    std::vector<std::string> entries(const std::string& section) const;

private:
    const ProfileValue* find(const std::string& section, const std::string& entry) const;
    bool store(const std::string& section, const std::string& entry, ProfileValue value);
    bool save() const;

    std::string m_path;
    mutable std::mutex m_mutex;
    std::vector<ProfileSection> m_sections;
};

// The text form of a profile file: "[section]" lines, then one value a line, "@" for the empty name,
// others quoted: "name"="text", "name"=dword:0000002a, "name"=hex:01,ff. Exposed for tests and fuzzing.
std::vector<ProfileSection> parseProfileText(const std::string& text);
// Fails (nullopt) only when a section name holds a line break.
std::optional<std::string> formatProfileText(const std::vector<ProfileSection>& sections);

// The profile of the running module: the GUI program and the plug-in each install their own; null (the
// default) means no persistent settings. Not owned.
Profile* applicationProfile();
Profile* setApplicationProfile(Profile* profile);

// Installs a profile for the lifetime of the object, restoring the previous one after.
class ScopedApplicationProfile {
public:
    explicit ScopedApplicationProfile(Profile* profile)
        : m_previous(setApplicationProfile(profile))
    {
    }
    ~ScopedApplicationProfile() { setApplicationProfile(m_previous); }
    ScopedApplicationProfile(const ScopedApplicationProfile&) = delete;
    ScopedApplicationProfile& operator=(const ScopedApplicationProfile&) = delete;

private:
    Profile* m_previous;
};

} // namespace platform
