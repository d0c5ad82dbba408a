#pragma once
// A gate in front of plug-in code that another thread may end: a caller enters, runs the code with no
// lock held, and leaves; close() bars new callers and waits until the callers of other threads have
// left. A caller of the closing thread itself (the code ends its own object) is not waited for.

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace dk {

class CallGate {
public:
    CallGate() = default;
    CallGate(const CallGate&) = delete;
    CallGate& operator=(const CallGate&) = delete;

    // True, and counted as a call until leave(), while the gate is open.
    bool enter()
    {
        std::lock_guard lock(m_mutex);
        if (!m_open)
            return false;
        ++m_calls;
        insideHere().push_back(this);
        return true;
    }

    // Nothing of the gate is touched once the lock is released: the closer may free it then.
    void leave()
    {
        std::lock_guard lock(m_mutex);
        --m_calls;
        std::vector<const CallGate*>& inside = insideHere();
        inside.erase(std::find(inside.rbegin(), inside.rend(), this).base() - 1);
        m_left.notify_all();
    }

    void close()
    {
        std::unique_lock lock(m_mutex);
        m_open = false;
        const auto own = std::count(insideHere().begin(), insideHere().end(), this);
        m_left.wait(lock, [&] { return m_calls == own; });
    }

    void open()
    {
        std::lock_guard lock(m_mutex);
        m_open = true;
    }

    // A call through the gate for the life of this value; ran() is false when the gate was closed.
    class Call {
    public:
        explicit Call(CallGate& gate) : m_gate(gate), m_entered(gate.enter()) {}
        ~Call()
        {
            if (m_entered)
                m_gate.leave();
        }
        Call(const Call&) = delete;
        Call& operator=(const Call&) = delete;
        bool entered() const { return m_entered; }

    private:
        CallGate& m_gate;
        bool m_entered;
    };

    // Leaves, at its end, a call entered before it.
    class Entered {
    public:
        explicit Entered(CallGate& gate) : m_gate(gate) {}
        ~Entered() { m_gate.leave(); }
        Entered(const Entered&) = delete;
        Entered& operator=(const Entered&) = delete;

    private:
        CallGate& m_gate;
    };

private:
    // The gates the calling thread is inside, innermost last.
    static std::vector<const CallGate*>& insideHere()
    {
        thread_local std::vector<const CallGate*> inside;
        return inside;
    }

    std::mutex m_mutex;
    std::condition_variable m_left;
    bool m_open = true;
    long m_calls = 0;
};

} // namespace dk
