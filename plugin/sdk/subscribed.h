#pragma once
// DkSubscribed<T>: a notification or logging subscriber T that joins its list at the end of
// construction, once the object is whole, and leaves it at the start of destruction, before any of
// T is destroyed, so that a dispatch on another thread never reaches a half-built or half-destroyed
// object. The way to build every subscriber: DkSubscribed<MySubscriber> s(arguments...), or with new.

#include "plugin/sdk/callback_objects.h"
#include "plugin/sdk/notify.h"

#include <type_traits>
#include <utility>

namespace dk {

template <typename T>
class DkSubscribed final : public T {
public:
    template <typename... Args>
    explicit DkSubscribed(Args&&... args) : T(std::forward<Args>(args)...)
    {
        if constexpr (std::is_base_of_v<DkNotifySubscriber, T>)
            this->Subscribe();
        if constexpr (std::is_base_of_v<DkLoggingSubscriber, T>)
            this->JoinLog();
    }
    ~DkSubscribed() override
    {
        if constexpr (std::is_base_of_v<DkNotifySubscriber, T>)
            this->Unsubscribe();
        if constexpr (std::is_base_of_v<DkLoggingSubscriber, T>)
            this->LeaveLog();
    }
};

} // namespace dk
