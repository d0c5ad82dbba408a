#pragma once
// A gate in front of plug-in code that another thread may end: a caller enters, runs the code with no
// lock held, and leaves; close() bars new callers and waits until the callers of other threads have
// left. A caller of the closing thread itself (the code ends its own object) is not waited for.
// closeOrDefer() bars new callers without waiting: when calls are in progress, the last of them to
// leave is told to end the object (leave() answers true), so no thread waits on another.

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

    // Nothing of the gate is touched once the lock is released: the closer may free it then. True
    // for the last call to leave after closeOrDefer(): the caller then ends the object.
    bool leave()
    {
        std::lock_guard lock(m_mutex);
        --m_calls;
        std::vector<const CallGate*>& inside = insideHere();
        inside.erase(std::find(inside.rbegin(), inside.rend(), this).base() - 1);
        m_left.notify_all();
        if (!m_endDeferred || m_calls != 0)
            return false;
        m_endDeferred = false;
        return true;
    }

    // Bars new callers. True when no call is in progress (the caller ends the object now); else the
    // last call to leave ends it.
    bool closeOrDefer()
    {
        std::lock_guard lock(m_mutex);
        m_open = false;
        if (m_calls == 0)
            return true;
        m_endDeferred = true;
        return false;
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

    // Leaves, at its end, a call entered before it, and ends the object with end(object) when its end
    // was deferred to this call.
    template <typename T, void (*End)(T*)>
    class Entered {
    public:
        Entered(CallGate& gate, T* object) : m_gate(gate), m_object(object) {}
        ~Entered()
        {
            if (m_gate.leave())
                End(m_object);
        }
        Entered(const Entered&) = delete;
        Entered& operator=(const Entered&) = delete;

    private:
        CallGate& m_gate;
        T* m_object;
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
    bool m_endDeferred = false;
    long m_calls = 0;
};

} // namespace dk
