#pragma once
// The lifetime rule of every SDK object that the debugger or another thread calls (notification and
// logging subscribers, breakpoints, user breakpoints, task and category providers, symbol resolvers):
//
// - Every call reaches the object through its gate: the caller enters, runs the object's code with
//   no lock held, and leaves. Callers hold the gate shared, so a gate outlives the object it guards.
// - The gate opens once the object is whole: at the end of DkWhole<T>'s constructor
//   (plugin/sdk/subscribed.h), or, for an object built as a plain T, in its SDK base's constructor.
// - The gate closes before any of the object is destroyed: in DkWhole<T>'s destructor, in the
//   class's delete (before any destructor runs), or, for a plain T ended in place, in its SDK base's
//   destructor.
// - delete never waits: with calls in progress the object is destroyed by the last of them as it
//   leaves (closeOrDefer), so no running call, and no set or removal in progress (which counts as a
//   call), ever meets freed memory.
// - An object ended in place (on the stack, a member) waits for the calls of other threads (close),
//   but never for a call of its own thread, nor for one whose thread waits in turn for a gate this
//   thread is inside: of two objects ending each other in place from inside their calls on two
//   threads, the thread that closes that circle goes on, and the other call finds its own object
//   ended when its end of the other returns (it touches nothing of it after that).

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

namespace dk {

// An object of T built and ended whole, and what it joins and leaves (plugin/sdk/subscribed.h).
template <typename T, bool = std::is_final_v<T>>
class DkWhole;
struct WholeParts;

class CallGate {
public:
    explicit CallGate(bool open = true) : m_open(open) {}
    CallGate(const CallGate&) = delete;
    CallGate& operator=(const CallGate&) = delete;

    // True, and counted as a call of this thread until leave(), while the gate is open.
    bool enter()
    {
        std::lock_guard lock(state().mutex);
        if (!m_open)
            return false;
        m_callers.push_back(std::this_thread::get_id());
        return true;
    }

    // Ends this thread's innermost call; the last call to leave after closeOrDefer ends the object.
    // Nothing of the gate is touched once the lock is released.
    void leave()
    {
        std::function<void()> end;
        {
            std::lock_guard lock(state().mutex);
            auto it = std::find(m_callers.rbegin(), m_callers.rend(), std::this_thread::get_id());
            if (it != m_callers.rend())
                m_callers.erase(std::next(it).base());
            if (m_end && m_callers.empty())
                end = std::exchange(m_end, nullptr);
        }
        state().changed.notify_all();
        if (end)
            end();
    }

    // Opens a gate not yet ended (the object is whole now).
    void open()
    {
        std::lock_guard lock(state().mutex);
        if (!m_end)
            m_open = true;
    }

    // Bars new callers and ends the object by end(): now when no call is in progress, else when the
    // last call leaves.
    void closeOrDefer(std::function<void()> end)
    {
        {
            std::lock_guard lock(state().mutex);
            m_open = false;
            if (!m_callers.empty()) {
                m_end = std::move(end);
                return;
            }
        }
        end();
    }

    // The destroying delete of an SDK class built with new (T's operator new is the global one):
    // bars new callers and destroys and frees object, now or as the last call leaves.
    template <typename T>
    void endWhenCallsLeave(T* object)
    {
        closeOrDefer([object] {
            void* whole = dynamic_cast<void*>(object);
            object->~T();
            ::operator delete(whole);
        });
    }

    // Bars new callers and waits for the calls of other threads, except those whose thread waits in
    // turn for a gate this thread is inside.
    void close()
    {
        State& s = state();
        std::unique_lock lock(s.mutex);
        m_open = false;
        const std::thread::id self = std::this_thread::get_id();
        const uint64_t order = ++s.waitsBegun;
        s.waits.push_back(Wait{self, this, order});
        s.changed.wait(lock, [&] {
            return std::all_of(m_callers.begin(), m_callers.end(), [&](std::thread::id caller) {
                std::vector<std::thread::id> seen;
                return caller == self || waitsFor(caller, self, order, seen);
            });
        });
        s.waits.erase(std::find_if(s.waits.begin(), s.waits.end(), [&](const Wait& w) { return w.order == order; }));
        lock.unlock();
        s.changed.notify_all();
    }

    // A call through the gate for the life of this value; entered() is false when the gate was
    // closed. Holds the gate, which may outlive its object inside the call.
    class Call {
    public:
        struct AlreadyEntered {};
        explicit Call(std::shared_ptr<CallGate> gate) : m_gate(std::move(gate)), m_entered(m_gate->enter()) {}
        Call(std::shared_ptr<CallGate> gate, AlreadyEntered) : m_gate(std::move(gate)), m_entered(true) {}
        ~Call()
        {
            if (m_entered)
                m_gate->leave();
        }
        Call(const Call&) = delete;
        Call& operator=(const Call&) = delete;
        bool entered() const { return m_entered; }

    private:
        std::shared_ptr<CallGate> m_gate;
        bool m_entered;
    };

private:
    struct Wait {
        std::thread::id thread;
        const CallGate* gate;
        uint64_t order;
    };
    // One lock for every gate: a wait reads the callers of the gates other threads wait for.
    struct State {
        std::mutex mutex;
        std::condition_variable changed;
        std::vector<Wait> waits;
        uint64_t waitsBegun = 0;
    };
    static State& state()
    {
        static auto* s = new State; // outlives every gate
        return *s;
    }

    // Under the lock: true when thread waits, in a close begun before order, for a gate that self
    // is inside, directly or through the threads that gate's callers wait for.
    static bool waitsFor(std::thread::id thread, std::thread::id self, uint64_t order,
                         std::vector<std::thread::id>& seen)
    {
        if (std::find(seen.begin(), seen.end(), thread) != seen.end())
            return false;
        seen.push_back(thread);
        for (const Wait& wait : state().waits) {
            if (wait.thread != thread || wait.order >= order)
                continue;
            for (std::thread::id caller : wait.gate->m_callers)
                if (caller == self || (caller != thread && waitsFor(caller, self, order, seen)))
                    return true;
        }
        return false;
    }

    bool m_open;
    std::vector<std::thread::id> m_callers; // one entry per call in progress
    std::function<void()> m_end;            // set by closeOrDefer while calls are in progress
};

// While a DkWhole<T> is built on a thread, the SDK bases of its T leave opening to it: a part whose
// address lies inside the object being built is not whole yet.
class WholeBuild {
public:
    WholeBuild(const void* object, std::size_t size) : m_begin(static_cast<const char*>(object))
    {
        building().push_back({m_begin, m_begin + size});
    }
    ~WholeBuild() { built(); }
    WholeBuild(const WholeBuild&) = delete;
    WholeBuild& operator=(const WholeBuild&) = delete;

    // True when part belongs to an object built whole on this thread right now.
    static bool within(const void* part)
    {
        const char* at = static_cast<const char*>(part);
        const auto& ranges = building();
        return std::any_of(ranges.begin(), ranges.end(),
                           [&](const auto& range) { return at >= range.first && at < range.second; });
    }

protected:
    void built()
    {
        auto& ranges = building();
        auto it = std::find_if(ranges.begin(), ranges.end(), [&](const auto& range) { return range.first == m_begin; });
        if (it != ranges.end())
            ranges.erase(it);
    }

private:
    static std::vector<std::pair<const char*, const char*>>& building()
    {
        thread_local std::vector<std::pair<const char*, const char*>> ranges;
        return ranges;
    }
    const char* m_begin;
};

} // namespace dk
