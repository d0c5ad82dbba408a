#include "recent_project_list.h"

#include "platform/core/profile_store.h"
#include "platform/qt/locale_text.h"

#include <QAction>
#include <QMenu>

#include <algorithm>

namespace {

std::string keyOf(int index)
{
    return "File" + std::to_string(index + 1);
}

// The characters a path shows as (what does not decode shows one character a byte).
std::size_t shownLength(const std::string& text)
{
    const QString shown = platform::toQString(text);
    std::size_t pairs = 0;
    for (qsizetype i = 1; i < shown.size(); ++i) {
        if (shown.at(i - 1).isHighSurrogate() && shown.at(i).isLowSurrogate())
            ++pairs;
    }
    return static_cast<std::size_t>(shown.size()) - pairs;
}

} // namespace

std::string shortenPath(const std::string& path, std::size_t limit, char separator)
{
    const std::size_t cut = separator == '\\' ? path.find_last_of("\\:") : path.rfind(separator);
    const std::size_t nameStart = cut == std::string::npos ? 0 : cut + 1;
    const std::string name = path.substr(nameStart);
    if (shownLength(path) <= limit)
        return path;
    if (limit < shownLength(name))
        return name;

    std::size_t volumeEnd = 0;
    if (separator == '\\') {
        volumeEnd = std::min<std::size_t>(2, path.size());
        if (path.rfind("\\\\", 0) == 0) {
            const std::size_t server = path.find('\\', 2);
            volumeEnd = server == std::string::npos ? path.size() : server;
        }
        if (nameStart > 3) {
            const std::size_t next = path.find('\\', volumeEnd + 1);
            if (next != std::string::npos && next < nameStart)
                volumeEnd = next;
        }
    } else {
        const std::size_t first = path.find(separator, 1);
        if (first != std::string::npos && first < nameStart)
            volumeEnd = first;
    }
    const std::string volume = path.substr(0, std::min(volumeEnd, nameStart));
    if (limit < shownLength(volume) + 5 + shownLength(name))
        return name;

    std::string rest = path.substr(volume.size());
    while (shownLength(volume) + 4 + shownLength(rest) > limit) {
        const std::size_t next = rest.find(separator, 1);
        if (next == std::string::npos)
            break;
        rest.erase(0, next);
    }
    return volume + separator + "..." + rest;
}

RecentProjectList::RecentProjectList(platform::Profile* profile)
    : m_profile(profile)
{
}

platform::Profile* RecentProjectList::profile() const
{
    return m_profile ? m_profile : platform::applicationProfile();
}

void RecentProjectList::Attach(QMenu* menu)
{
    m_menu = menu;
    m_entries = {};
    m_count = 0;
    Load();
    RebuildMenu();
}

void RecentProjectList::Load()
{
    m_entries = {};
    m_count = 0;
    const platform::Profile* p = profile();
    if (!p)
        return;
    for (int i = 0; i < kMaxEntries; ++i) {
        std::string path = p->getString(kSection, keyOf(i), std::string());
        if (!path.empty())
            m_entries[static_cast<std::size_t>(m_count++)] = std::move(path);
    }
}

void RecentProjectList::Add(const std::string& path)
{
    if (path.empty())
        return;
    int index = kMaxEntries - 1;
    for (int i = 0; i < kMaxEntries; ++i) {
        if (m_entries[static_cast<std::size_t>(i)] == path) {
            --m_count;
            index = i;
            break;
        }
    }
    m_count = std::min(m_count + 1, kMaxEntries);
    for (int k = index; k >= 1; --k)
        m_entries[static_cast<std::size_t>(k)] = m_entries[static_cast<std::size_t>(k - 1)];
    m_entries[0] = path;
    Save();
    RebuildMenu();
}

void RecentProjectList::Clear()
{
    m_entries = {};
    m_count = 0;
    if (platform::Profile* p = profile()) {
        for (int i = 0; i < kMaxEntries; ++i)
            p->deleteEntry(kSection, keyOf(i));
    }
    RebuildMenu();
}

void RecentProjectList::Save()
{
    platform::Profile* p = profile();
    if (!p)
        return;
    for (int i = 0; i < kMaxEntries; ++i) {
        const std::string& entry = m_entries[static_cast<std::size_t>(i)];
        if (entry.empty())
            p->deleteEntry(kSection, keyOf(i));
        else
            p->writeString(kSection, keyOf(i), entry);
    }
}

std::string RecentProjectList::GetEntry(int commandId) const
{
    const int index = commandId - kFirstCommand;
    if (index < 0 || index >= kMaxEntries)
        return {};
    return m_entries[static_cast<std::size_t>(index)];
}

QString RecentProjectList::menuText(int index, const std::string& path)
{
    QString shortened = platform::toQString(shortenPath(path, kMenuPathLimit, '/'));
    shortened.replace(u'&', QStringLiteral("&&"));
    return QStringLiteral("&%1  %2").arg(index + 1).arg(shortened);
}

void RecentProjectList::RebuildMenu()
{
    if (!m_menu)
        return;
    const QList<QAction*> actions = m_menu->actions();
    int position = -1;
    for (int i = 0; i < actions.size(); ++i) {
        if (actions[i]->data().toInt() == kFirstCommand) {
            position = i;
            break;
        }
    }
    if (position < 0)
        return;
    for (QAction* action : actions) {
        const int id = action->data().toInt();
        if (id >= kFirstCommand && id < kFirstCommand + kMaxEntries) {
            m_menu->removeAction(action);
            delete action;
        }
    }
    auto insertAt = [&](int at, QAction* action) {
        const QList<QAction*> now = m_menu->actions();
        m_menu->insertAction(at < now.size() ? now[at] : nullptr, action);
    };
    if (m_count > 0) {
        for (int i = 0; i < m_count; ++i) {
            auto* action = new QAction(menuText(i, m_entries[static_cast<std::size_t>(i)]), m_menu);
            action->setData(kFirstCommand + i);
            insertAt(position + i, action);
        }
    } else {
        auto* action = new QAction(QStringLiteral("&Recent File"), m_menu);
        action->setData(kFirstCommand);
        action->setEnabled(false);
        insertAt(position, action);
    }
    for (QAction* action : m_menu->actions()) {
        if (action->data().toInt() == kClearCommand)
            action->setEnabled(m_count >= 1);
    }
}
