#pragma once
// Ends the test program with a failure when a test has not finished within a bound far above any
// run's length: a deadlock becomes a failure, not a hang. The bound is no synchronisation.

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace dk::test {

class Watchdog {
public:
    explicit Watchdog(std::string what)
        : m_thread([this, what = std::move(what)] {
              std::unique_lock lock(m_mutex);
              if (!m_finished.wait_for(lock, std::chrono::minutes(3), [this] { return m_done; })) {
                  std::fprintf(stderr, "watchdog: %s made no progress: deadlock\n", what.c_str());
                  std::_Exit(3);
              }
          })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_finished.notify_all();
        m_thread.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    std::mutex m_mutex;
    std::condition_variable m_finished;
    bool m_done = false;
    std::thread m_thread;
};

} // namespace dk::test
