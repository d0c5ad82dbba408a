#pragma once
// A thread-safe list of framework clients (command targets, idle chores, font handlers) that the
// IDE calls on its GUI thread while clients may go away on any thread. Leaving the list waits until
// no call into that client is running on another thread.

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace ide {

template <typename T>
class CallRegistry {
public:
    // A dormant client is listed but not called until its constructing thread activates it: the IDE
    // must not call an object that another thread is still constructing.
    void add(T* client, bool dormant = false)
    {
        std::lock_guard lock(m_mutex);
        if (dormant)
            m_dormant.push_back(Call{client, std::this_thread::get_id()});
        else
            m_clients.push_back(client);
    }

    // Makes the dormant clients added by this thread callable, in the order they were added.
    void activate()
    {
        std::lock_guard lock(m_mutex);
        auto mine = [](const Call& call) { return call.thread == std::this_thread::get_id(); };
        for (const Call& call : m_dormant)
            if (mine(call))
                m_clients.push_back(call.client);
        m_dormant.erase(std::remove_if(m_dormant.begin(), m_dormant.end(), mine), m_dormant.end());
    }

    void remove(T* client)
    {
        std::unique_lock lock(m_mutex);
        m_clients.erase(std::remove(m_clients.begin(), m_clients.end(), client), m_clients.end());
        m_dormant.erase(std::remove_if(m_dormant.begin(), m_dormant.end(),
                                       [&](const Call& call) { return call.client == client; }),
                        m_dormant.end());
        m_done.wait(lock, [&] {
            return std::none_of(m_calls.begin(), m_calls.end(), [&](const Call& call) {
                return call.client == client && call.thread != std::this_thread::get_id();
            });
        });
    }

    // Calls f(client) for each client still listed at its turn, in list order. Stops when f answers
    // true if stopOnTrue. Answers how many calls answered true.
    template <typename F>
    int forEach(F&& f, bool stopOnTrue = false)
    {
        std::vector<T*> snapshot;
        {
            std::lock_guard lock(m_mutex);
            snapshot = m_clients;
        }
        int answeredTrue = 0;
        for (T* client : snapshot) {
            {
                std::lock_guard lock(m_mutex);
                if (std::find(m_clients.begin(), m_clients.end(), client) == m_clients.end())
                    continue;
                m_calls.push_back(Call{client, std::this_thread::get_id()});
            }
            bool result = false;
            try {
                result = f(client);
            } catch (...) {
            }
            {
                std::lock_guard lock(m_mutex);
                auto it = std::find_if(m_calls.begin(), m_calls.end(), [&](const Call& call) {
                    return call.client == client && call.thread == std::this_thread::get_id();
                });
                if (it != m_calls.end())
                    m_calls.erase(it);
            }
            m_done.notify_all();
            if (result) {
                ++answeredTrue;
                if (stopOnTrue)
                    break;
            }
        }
        return answeredTrue;
    }

    std::size_t size() const
    {
        std::lock_guard lock(m_mutex);
        return m_clients.size();
    }

private:
    struct Call {
        T* client;
        std::thread::id thread;
    };
    mutable std::mutex m_mutex;
    std::condition_variable m_done;
    std::vector<T*> m_clients;
    std::vector<Call> m_dormant; // added while their constructor runs, by that thread
    std::vector<Call> m_calls;
};

} // namespace ide
