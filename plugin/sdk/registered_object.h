#pragma once
// An object the debugger holds by registration (task and category providers, symbol resolvers). The
// debugger is handed an anchor of the same interface, not the object: the anchor passes each call to
// the object through its gate (plugin/sdk/call_gate.h) and answers neutrally once the object is
// ended. A withdrawn anchor is kept until the session it was registered in has ended, since a debugger
// thread may be about to call it while its object goes.

#include "plugin/sdk/call_gate.h"
#include "plugin/sdk/kernel.h"

#include <cstdint>
#include <memory>
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
    CallGate& gate() { return *m_gate; }

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

// The owner's side: its anchor and whether it was withdrawn from the debugger.
template <typename A>
class Registration {
public:
    template <typename Ops>
    explicit Registration(Ops* owner) : m_anchor(std::make_shared<A>(owner))
    {
    }
    void* object() const { return static_cast<void*>(static_cast<typename A::Interface*>(m_anchor.get())); }
    uint64_t session() const { return m_anchor->heldIn(); }
    CallGate& gate() { return m_anchor->gate(); }
    void open() { m_anchor->gate().open(); }

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
    std::shared_ptr<A> m_anchor;
    bool m_withdrawn = false;
};

} // namespace dk
