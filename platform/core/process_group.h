#pragma once
// Commands that run in a process group of their own, so that ending one ends everything it started.
// A runner starts its command with SpawnInOwnGroup, registers a GroupStop for as long as it runs, and ends
// the group with EndGroup when the stop is requested: a polite signal to the whole group, a forced one after
// a short grace. EndAllGroups requests every registered stop (the program's end) and waits for the runners.

#include <chrono>
#include <cstddef>
#include <memory>

#include <spawn.h>
#include <sys/types.h>

namespace platform {

constexpr std::chrono::milliseconds kGroupGrace{300};

// A request to end one running command, which its runner can wait on together with its output.
class GroupStop {
public:
    GroupStop();
    ~GroupStop();
    GroupStop(const GroupStop&) = delete;
    GroupStop& operator=(const GroupStop&) = delete;

    // Any thread, any number of times.
    void Request();
    bool Requested() const;
    // Readable once the stop was requested (-1 when no descriptor could be made: poll Requested()).
    int Descriptor() const { return m_fds[0]; }

private:
    int m_fds[2] = {-1, -1};
};

// Keeps a stop reachable by EndAllGroups while its runner works, and the group's leader reachable by the
// program's end on a signal; unregisters when it goes.
class RunningGroup {
public:
    explicit RunningGroup(std::shared_ptr<GroupStop> stop);
    ~RunningGroup();
    RunningGroup(const RunningGroup&) = delete;
    RunningGroup& operator=(const RunningGroup&) = delete;

    // The group's leader once it runs (until it is reaped).
    void setLeader(pid_t leader);

private:
    std::shared_ptr<GroupStop> m_stop;
    int m_slot = -1;
};

// posix_spawn (posix_spawnp with searchPath) with the child as the leader of a new process group. Returns
// the child's id, or -1 with the spawn's error in *error. The group also ends when the program is gone
// without ending it (killed, or a crash its handlers could not see): a watcher in the group waits for that.
pid_t SpawnInOwnGroup(const char* path, const posix_spawn_file_actions_t* actions, char* const argv[],
                      char* const environment[], int* error = nullptr, bool searchPath = false);

// Waits until the leader ends, the stop is requested or the limit (when one is given) has passed; true when
// the leader ended. The leader is not reaped.
bool WaitForLeader(pid_t leader, const GroupStop& stop,
                   std::chrono::milliseconds limit = std::chrono::milliseconds::max());

// Waits until the stop is requested.
void WaitForStop(const GroupStop& stop);

// Ends the group led by leader (SIGTERM to every member, SIGKILL to what is left after the grace) and
// reaps the leader. The leader stays unreaped until the last signal, so its id cannot name another group.
void EndGroup(pid_t leader, std::chrono::milliseconds grace = kGroupGrace);

// Reaps a leader that ended.
void ReapLeader(pid_t leader);

// Requests every registered stop and waits up to limit for their runners to finish.
void EndAllGroups(std::chrono::milliseconds limit = kGroupGrace * 4);

// Runners still registered (for tests and the program's end).
std::size_t RunningGroupCount();

// Makes every way the program ends end the groups still running: a normal exit (also one the windowing
// system forces) runs EndAllGroups, and every ending signal the program can catch (TERM, INT, HUP, QUIT,
// ABRT, SEGV, BUS, FPE, ILL) signals every group (polite, then forced after the grace) before the program
// ends as the signal would have ended it. SIGKILL is met by each group's watcher.
void EndGroupsWithTheProgram();

} // namespace platform
