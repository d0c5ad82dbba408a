#pragma once
// DkWhole<T> (DkSubscribed<T> for subscribers): an SDK object of T that the debugger and other threads
// reach only while it is whole (plugin/sdk/call_gate.h). It joins, or opens to the debugger's calls,
// at the end of its construction, and leaves, or is withdrawn, at the start of its destruction, before
// any of T is destroyed.
//
// When to use it: for a notification or logging subscriber, a task or category provider or a symbol
// resolver built while other threads dispatch or call (a plain T is reached from its SDK base's
// constructor on, and until its SDK base's destructor), and for a breakpoint or user breakpoint ended
// in place (on the stack, a member) whose destructor does not call Retire() first. A plain T built
// before the debugger runs and ended by delete needs none of it.
//
//     DkSubscribed<MySubscriber> subscriber(arguments...);
//     auto* breakpoint = new DkWhole<MyBreakpoint>(arguments...); // ended by delete
//
// A final T is held inside: reach it with get(), * or ->.

#include "plugin/sdk/call_gate.h"

#include <type_traits>
#include <utility>

namespace dk {

class DkNotifySubscriber;
class DkLoggingSubscriber;
class DkBreakpoint;
class DkUserBreakpointBase;
class DkTaskProvider;
class DkUserBreakCategoryProvider;
class DkSymbolResolver;

// The parts of an object that the debugger or another thread calls.
struct WholeParts {
    template <typename Base, typename U>
    static constexpr bool is = std::is_base_of_v<Base, U>;

    // They join, or open, now.
    template <typename U>
    static void join(U& object)
    {
        if constexpr (is<DkNotifySubscriber, U>)
            object.DkNotifySubscriber::Subscribe();
        if constexpr (is<DkLoggingSubscriber, U>)
            object.DkLoggingSubscriber::JoinLog();
        if constexpr (is<DkTaskProvider, U>)
            object.DkTaskProvider::OpenWhole();
        if constexpr (is<DkUserBreakCategoryProvider, U>)
            object.DkUserBreakCategoryProvider::OpenWhole();
        if constexpr (is<DkSymbolResolver, U>)
            object.DkSymbolResolver::OpenWhole();
    }

    // They leave, are withdrawn or removed, before any of object is destroyed.
    template <typename U>
    static void leave(U& object)
    {
        if constexpr (is<DkNotifySubscriber, U>)
            object.DkNotifySubscriber::Unsubscribe();
        if constexpr (is<DkLoggingSubscriber, U>)
            object.DkLoggingSubscriber::LeaveLog();
        if constexpr (is<DkBreakpoint, U>)
            object.DkBreakpoint::Retire();
        if constexpr (is<DkUserBreakpointBase, U>)
            object.DkUserBreakpointBase::Retire();
        if constexpr (is<DkTaskProvider, U>)
            object.DkTaskProvider::Withdraw();
        if constexpr (is<DkUserBreakCategoryProvider, U>)
            object.DkUserBreakCategoryProvider::Withdraw();
        if constexpr (is<DkSymbolResolver, U>)
            object.DkSymbolResolver::Withdraw();
    }
};

template <typename T>
class DkWhole<T, false> final : private WholeBuild, public T {
public:
    template <typename... Args>
    explicit DkWhole(Args&&... args) : WholeBuild(this, sizeof(DkWhole)), T(std::forward<Args>(args)...)
    {
        built();
        WholeParts::join(static_cast<T&>(*this));
    }
    ~DkWhole() override { WholeParts::leave(static_cast<T&>(*this)); }
};

template <typename T>
class DkWhole<T, true> final : private WholeBuild {
public:
    template <typename... Args>
    explicit DkWhole(Args&&... args) : WholeBuild(this, sizeof(DkWhole)), m_object(std::forward<Args>(args)...)
    {
        built();
        WholeParts::join(m_object);
    }
    ~DkWhole() { WholeParts::leave(m_object); }

    T& get() { return m_object; }
    const T& get() const { return m_object; }
    T& operator*() { return m_object; }
    T* operator->() { return &m_object; }

private:
    T m_object;
};

template <typename T>
using DkSubscribed = DkWhole<T>;

} // namespace dk
