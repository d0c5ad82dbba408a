#include "platform/core/process_group.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform {
namespace {

// Processes of a group that still run; zombies waiting for their reaper do not count.
int liveMembers(pid_t group)
{
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string line;
        if (!std::getline(stat, line))
            continue;
        const std::size_t close = line.rfind(')');
        if (close == std::string::npos || close + 2 >= line.size())
            continue;
        char state = 0;
        int parent = 0;
        int processGroup = 0;
        if (std::sscanf(line.c_str() + close + 2, "%c %d %d", &state, &parent, &processGroup) == 3 &&
            processGroup == group && state != 'Z')
            ++count;
    }
    return count;
}

bool waitUntil(const std::function<bool()>& condition)
{
    for (int i = 0; i < 300 && !condition(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return condition();
}

// A program that starts a group (a shell and a grandchild that ignores the polite signal), tells its
// leader through the pipe, and then ends as asked: by a signal or by exit.
[[noreturn]] void programWithAGroup(int report, bool byExit)
{
    EndGroupsWithTheProgram();
    auto stop = std::make_shared<GroupStop>();
    std::thread runner([stop, report] {
        RunningGroup running(stop);
        char shell[] = "/bin/sh";
        char flag[] = "-c";
        char line[] = "sh -c 'trap \"\" TERM; while :; do sleep 1; done' & while :; do sleep 1; done";
        char* argv[] = {shell, flag, line, nullptr};
        const pid_t leader = SpawnInOwnGroup("/bin/sh", nullptr, argv, environ);
        running.setLeader(leader);
        if (write(report, &leader, sizeof leader) != sizeof leader)
            _exit(3);
        if (WaitForLeader(leader, *stop))
            ReapLeader(leader);
        else
            EndGroup(leader);
    });
    runner.detach();
    // Waits for the parent's word (a byte on stdin is not used: the parent signals or closes).
    pause();
    if (byExit)
        std::exit(0);
    _exit(4);
}

// However the program ends (a signal, or exit), no process of the groups it started runs on.
TEST(ProcessGroup, TheProgramsEndEndsEveryGroupItStarted)
{
    for (const bool byExit : {false, true}) {
        SCOPED_TRACE(byExit ? "exit" : "SIGTERM");
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t program = fork();
        ASSERT_GE(program, 0);
        if (program == 0) {
            close(fds[0]);
            if (byExit) {
                // SIGUSR1 wakes the program, which then exits normally.
                struct sigaction wake {};
                wake.sa_handler = [](int) {};
                sigaction(SIGUSR1, &wake, nullptr);
            }
            programWithAGroup(fds[1], byExit);
        }
        close(fds[1]);
        pid_t group = 0;
        ASSERT_EQ(read(fds[0], &group, sizeof group), static_cast<ssize_t>(sizeof group));
        close(fds[0]);
        ASSERT_GT(group, 0);
        EXPECT_TRUE(waitUntil([&] { return liveMembers(group) >= 3; })) << liveMembers(group);
        kill(program, byExit ? SIGUSR1 : SIGTERM);
        int status = 0;
        ASSERT_EQ(waitpid(program, &status, 0), program);
        if (byExit) {
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        } else {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
        }
        EXPECT_TRUE(waitUntil([&] { return liveMembers(group) == 0; })) << liveMembers(group) << " still run";
    }
}

} // namespace
} // namespace platform
