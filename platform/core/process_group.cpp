#include "process_group.h"
#include "process_signals.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <time.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {

namespace {

struct Registry {
    std::mutex mutex;
    std::condition_variable emptied;
    std::vector<std::shared_ptr<GroupStop>> stops;
};

Registry& registry()
{
    static Registry* instance = new Registry; // outlives detached runners at the program's end
    return *instance;
}

constexpr std::chrono::milliseconds kPollStep{20};

// The leaders of the running groups, where a signal handler can reach them without a lock.
constexpr int kLeaderSlots = 64;
std::atomic<pid_t> g_leaders[kLeaderSlots];

int takeSlot()
{
    for (int i = 0; i < kLeaderSlots; ++i) {
        pid_t expected = 0;
        if (g_leaders[i].compare_exchange_strong(expected, -1))
            return i;
    }
    return -1;
}

// Only async-signal-safe calls: the groups get the polite signal, the grace, the forced one; then the
// program ends by the signal's own default. The groups are taken down before the first signal, as a
// runner may reap a leader meanwhile; a group with members left keeps its id. An interrupt that comes
// while a save puts its files in place waits for the save (keepInterruptForLater).
void endGroupsOnSignal(int signal)
{
    if (keepInterruptForLater(signal))
        return;
    pid_t groups[kLeaderSlots] = {};
    for (int i = 0; i < kLeaderSlots; ++i)
        groups[i] = g_leaders[i].load();
    for (const pid_t group : groups) {
        if (group > 0)
            killpg(group, SIGTERM);
    }
    timespec grace{0, static_cast<long>(std::chrono::nanoseconds(kGroupGrace).count())};
    while (nanosleep(&grace, &grace) != 0 && errno == EINTR) {
    }
    for (const pid_t group : groups) {
        if (group > 0)
            killpg(group, SIGKILL);
    }
    ::signal(signal, SIG_DFL);
    raise(signal);
}

void endAllGroupsAtExit()
{
    EndAllGroups();
}

// The signals that end the program and that it can catch: each ends the groups first.
constexpr int kEndingSignals[] = {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGABRT, SIGSEGV, SIGBUS, SIGFPE, SIGILL};

// The read end of a pipe whose write end only this process holds (it is closed on exec): it reads the end
// of the file as soon as the process is gone, however it ended, SIGKILL included.
int programLifeline()
{
    static const int readEnd = [] {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            return -1;
        return fds[0]; // the write end stays open for the life of the process
    }();
    return readEnd;
}

// A watcher in the command's group that reads the program's lifeline and, when the program is gone, ends
// the group as EndGroup would: the polite signal (which the watcher itself ignores), the grace, the forced
// one. Ended with the group otherwise.
void watchForTheProgramsEnd(pid_t leader)
{
    const int lifeline = programLifeline();
    if (lifeline < 0 || leader <= 0)
        return;
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0)
        return;
    posix_spawn_file_actions_adddup2(&actions, lifeline, STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    if (posix_spawnattr_init(&attributes) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        return;
    }
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawnattr_setpgroup(&attributes, leader);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    sigset_t ending;
    sigemptyset(&ending);
    for (const int signal : kEndingSignals)
        sigaddset(&ending, signal);
    posix_spawnattr_setsigdefault(&attributes, &ending);
    char shellPath[] = "/bin/sh";
    char flag[] = "-c";
    char script[] = "trap '' TERM INT HUP QUIT; while read -r _; do :; done; "
                    "kill -TERM 0; sleep 0.3; kill -KILL 0";
    char* argv[] = {shellPath, flag, script, nullptr};
    char path[] = "PATH=/usr/bin:/bin";
    char* const environment[] = {path, nullptr};
    pid_t watcher = -1;
    posix_spawn(&watcher, shellPath, &actions, &attributes, argv, environment);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
}

// True when the leader has ended (it stays a zombie until reaped).
bool leaderEnded(pid_t leader)
{
    siginfo_t info{};
    for (;;) {
        const int result = waitid(P_PID, static_cast<id_t>(leader), &info, WEXITED | WNOHANG | WNOWAIT);
        if (result < 0 && errno == EINTR)
            continue;
        if (result < 0)
            return true; // not our child any more: nothing to wait for
        return info.si_pid == leader;
    }
}

} // namespace

GroupStop::GroupStop()
{
    if (pipe2(m_fds, O_CLOEXEC | O_NONBLOCK) != 0)
        m_fds[0] = m_fds[1] = -1;
}

GroupStop::~GroupStop()
{
    for (const int fd : m_fds) {
        if (fd >= 0)
            close(fd);
    }
}

void GroupStop::Request()
{
    if (m_fds[1] >= 0) {
        const char byte = 1;
        while (write(m_fds[1], &byte, 1) < 0 && errno == EINTR) {
        }
    }
}

bool GroupStop::Requested() const
{
    if (m_fds[0] < 0)
        return false;
    pollfd entry{m_fds[0], POLLIN, 0};
    return poll(&entry, 1, 0) > 0 && (entry.revents & POLLIN) != 0;
}

RunningGroup::RunningGroup(std::shared_ptr<GroupStop> stop)
    : m_stop(std::move(stop))
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.stops.push_back(m_stop);
}

void RunningGroup::setLeader(pid_t leader)
{
    if (m_slot < 0)
        m_slot = takeSlot();
    if (m_slot >= 0)
        g_leaders[m_slot].store(leader > 0 ? leader : -1);
}

RunningGroup::~RunningGroup()
{
    if (m_slot >= 0)
        g_leaders[m_slot].store(0);
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.stops.erase(std::remove(r.stops.begin(), r.stops.end(), m_stop), r.stops.end());
    if (r.stops.empty())
        r.emptied.notify_all();
}

pid_t SpawnInOwnGroup(const char* path, const posix_spawn_file_actions_t* actions, char* const argv[],
                      char* const environment[], int* error, bool searchPath)
{
    posix_spawnattr_t attributes;
    int result = posix_spawnattr_init(&attributes);
    pid_t pid = -1;
    if (result == 0) {
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&attributes, 0);
        result = searchPath ? posix_spawnp(&pid, path, actions, &attributes, argv, environment)
                            : posix_spawn(&pid, path, actions, &attributes, argv, environment);
        posix_spawnattr_destroy(&attributes);
    }
    if (error)
        *error = result;
    if (result != 0)
        return -1;
    // The leader is not reaped before its group ends, so the group's id stays its own for the watcher.
    watchForTheProgramsEnd(pid);
    return pid;
}

bool WaitForLeader(pid_t leader, const GroupStop& stop, std::chrono::milliseconds limit)
{
    if (leader <= 0)
        return true;
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    for (;;) {
        if (leaderEnded(leader))
            return true;
        if (limit != std::chrono::milliseconds::max() && Clock::now() - start >= limit)
            return false;
        if (stop.Descriptor() >= 0) {
            pollfd entry{stop.Descriptor(), POLLIN, 0};
            if (poll(&entry, 1, static_cast<int>(kPollStep.count())) > 0)
                return false;
        } else {
            if (stop.Requested())
                return false;
            std::this_thread::sleep_for(kPollStep);
        }
    }
}

void WaitForStop(const GroupStop& stop)
{
    for (;;) {
        if (stop.Descriptor() >= 0) {
            pollfd entry{stop.Descriptor(), POLLIN, 0};
            if (poll(&entry, 1, -1) > 0)
                return;
        } else {
            if (stop.Requested())
                return;
            std::this_thread::sleep_for(kPollStep);
        }
    }
}

void EndGroup(pid_t leader, std::chrono::milliseconds grace)
{
    if (leader <= 0)
        return;
    killpg(leader, SIGTERM);
    // Members that ignore the request get the forced signal once the grace is over; a group whose leader
    // went at once usually went with it, so the wait ends early then.
    const auto deadline = std::chrono::steady_clock::now() + grace;
    while (std::chrono::steady_clock::now() < deadline && !leaderEnded(leader))
        std::this_thread::sleep_for(kPollStep);
    if (leaderEnded(leader)) {
        // Members may still be ending; give them the rest of a short moment before forcing.
        std::this_thread::sleep_for(std::min(grace, kPollStep * 2));
    }
    killpg(leader, SIGKILL);
    ReapLeader(leader);
}

void ReapLeader(pid_t leader)
{
    if (leader <= 0)
        return;
    int status = 0;
    while (waitpid(leader, &status, 0) < 0 && errno == EINTR) {
    }
}

void EndAllGroups(std::chrono::milliseconds limit)
{
    Registry& r = registry();
    std::unique_lock lock(r.mutex);
    for (const std::shared_ptr<GroupStop>& stop : r.stops)
        stop->Request();
    r.emptied.wait_for(lock, limit, [&r] { return r.stops.empty(); });
}

std::size_t RunningGroupCount()
{
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    return r.stops.size();
}

void EndGroupsWithTheProgram()
{
    static std::once_flag installed;
    std::call_once(installed, [] {
        std::atexit(endAllGroupsAtExit);
        for (const int signal : kEndingSignals) {
            struct sigaction action {};
            action.sa_handler = endGroupsOnSignal;
            sigemptyset(&action.sa_mask);
            // An interrupt kept for later leaves the handler in place for the next; the handler itself
            // restores the default before it ends the program.
            const bool interrupt = signal == SIGINT || signal == SIGTERM || signal == SIGHUP;
            action.sa_flags = interrupt ? SA_RESTART : SA_RESETHAND;
            sigaction(signal, &action, nullptr);
        }
    });
}

} // namespace platform
