#pragma once
// An object the debugger holds by registration (task and category providers, symbol resolvers). The
// debugger is handed an anchor of the same interface, not the object: the anchor passes each call to
// the object through its gate (plugin/sdk/call_gate.h) and answers neutrally once the object is
// ended. A withdrawn anchor is kept until the session it was registered in has ended, since a debugger
// thread may be about to call it while its object goes.

#include "plugin/sdk/call_gate.h"
#include "plugin/sdk/kernel.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>

namespace dk {

// Anything handed to the debugger: kept, once its object is gone, while the session the debugger
// was last handed it in lasts.
class RetiredAnchor {
public:
    virtual ~RetiredAnchor() = default;
    virtual uint64_t heldIn() const = 0; // 0: never handed over
};

// Keeps a withdrawn anchor while its session lasts.
void keepUntilSessionEnds(std::shared_ptr<RetiredAnchor> anchor);
// Lets the anchors of ended sessions go; answers how many are kept.
std::size_t dropAnchorsOfEndedSessions();

template <typename Ops>
class Anchor : public Ops, public RetiredAnchor {
public:
    using Interface = Ops;
    // Closed until the owner is whole when it is built as DkWhole<T>.
    explicit Anchor(Ops* owner)
        : m_gate(std::make_shared<CallGate>(!WholeBuild::within(owner))), m_owner(owner)
    {
    }
    uint64_t heldIn() const override { return m_session; }
    const std::shared_ptr<CallGate>& gatePointer() const { return m_gate; }

protected:
    template <typename R, typename F>
    R pass(R neutral, F&& f)
    {
        const CallGate::Call call(m_gate);
        return call.entered() ? std::forward<F>(f)(*m_owner) : neutral;
    }

private:
    std::shared_ptr<CallGate> m_gate;
    Ops* m_owner;
    uint64_t m_session = sessionNumber(); // registered in the constructor of its owner
};

// The owner's side: what the debugger was handed and whether it was withdrawn.
class Registration {
public:
    template <typename A>
    explicit Registration(std::shared_ptr<A> anchor)
        : m_object(static_cast<void*>(static_cast<typename A::Interface*>(anchor.get()))),
          m_gate(anchor->gatePointer()),
          m_anchor(std::move(anchor))
    {
    }
    void* object() const { return m_object; }
    uint64_t session() const { return m_anchor->heldIn(); }
    CallGate& gate() { return *m_gate; }

    // Runs unregister the first time only; the anchor is kept while the debugger may still call it.
    template <typename F>
    void withdraw(F&& unregister)
    {
        if (std::exchange(m_withdrawn, true))
            return;
        std::forward<F>(unregister)();
        keepUntilSessionEnds(m_anchor);
    }

private:
    void* m_object;
    std::shared_ptr<CallGate> m_gate;
    std::shared_ptr<RetiredAnchor> m_anchor;
    bool m_withdrawn = false;
};

// The SDK base of an object of interface Ops that the debugger holds by registration, reached
// through an anchor A. The SDK class registers object() in its constructor, unregisters in
// unregisterFromDebugger, and calls Withdraw() first in its destructor.
template <typename Ops, typename A>
class RegisteredObject : public Ops {
public:
    static void* operator new(std::size_t size) { return ::operator new(size); }
    static void operator delete(void* memory) { ::operator delete(memory); } // a constructor threw
    // delete: withdrawn at once, destroyed when its calls in progress have returned.
    void operator delete(RegisteredObject* object, std::destroying_delete_t)
    {
        object->unregister();
        object->m_registration.gate().endWhenCallsLeave(object);
    }

protected:
    friend struct WholeParts;
    RegisteredObject() : m_registration(std::make_shared<A>(static_cast<Ops*>(this))) {}
    // Opens to the debugger's calls (DkWhole<T>, once whole).
    void OpenWhole() { m_registration.gate().open(); }
    // Unregisters and closes its gate (CallGate::close) for a call running on another thread.
    void Withdraw()
    {
        unregister();
        m_registration.gate().close();
    }
    virtual void unregisterFromDebugger() = 0;
    void* debuggerObject() const { return m_registration.object(); }
    uint64_t registeredIn() const { return m_registration.session(); }

private:
    void unregister()
    {
        m_registration.withdraw([this] { unregisterFromDebugger(); });
    }
    Registration m_registration;
};

} // namespace dk
