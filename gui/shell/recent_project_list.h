#pragma once
// The five project files opened last: numbered items of the File menu, kept in the profile under
// "Recent File List" as "File1" to "File5" (entry 0, the most recent, is "File1").

#include <QString>

#include <array>
#include <cstddef>
#include <string>

class QMenu;

namespace platform {
class Profile;
}

class RecentProjectList {
public:
    static constexpr int kMaxEntries = 5;
    static constexpr int kFirstCommand = 0x8010; // 32784 .. 32788
    static constexpr int kClearCommand = 32810;  // "&Clear File History"
    static constexpr std::size_t kMenuPathLimit = 45;
    static constexpr const char* kSection = "Recent File List";

    // Null uses the application profile.
    explicit RecentProjectList(platform::Profile* profile = nullptr);

    // Takes the File menu (which holds the placeholder item of command 32784), loads the list and
    // rebuilds the items.
    void Attach(QMenu* menu);
    // Puts a path at the top (moving it when it is already listed), saves, rebuilds the menu.
    void Add(const std::string& path);
    // Empties the list, deletes the five keys, rebuilds the menu.
    void Clear();
    // The path behind a command 32784 .. 32788; "" for any other command or an empty entry.
    std::string GetEntry(int commandId) const;
    std::string GetFirst() const { return GetEntry(kFirstCommand); }

    int count() const { return m_count; }
    const std::array<std::string, kMaxEntries>& entries() const { return m_entries; }

    // Reads the five keys; entries keep their order, gaps left by missing keys are closed.
    void Load();

    // The menu text of entry index: "&" + (index + 1) + two blanks + the shortened path, an "&" in the
    // path doubled so that it shows.
    static QString menuText(int index, const std::string& path);

private:
    platform::Profile* profile() const;
    void Save();
    void RebuildMenu();

    platform::Profile* m_profile;
    QMenu* m_menu = nullptr;
    int m_count = 0;
    std::array<std::string, kMaxEntries> m_entries;
};

// Shortens a path to at most limit characters for a menu: the volume part (a drive or server with its
// first folder; on '/' paths the first folder), "<sep>...", then as many of the last folders as fit and
// the file name; just the file name when even that does not fit. separator is '\\' for drive paths and
// '/' for the paths of this system.
std::string shortenPath(const std::string& path, std::size_t limit, char separator = '/');
