#include "plugin/sdk/registered_object.h"

#include "plugin/sdk/retry_list.h"

namespace dk {
namespace {

RetryList<RetiredAnchor>& retired()
{
    static auto* list = new RetryList<RetiredAnchor>;
    return *list;
}

} // namespace

std::size_t dropAnchorsOfEndedSessions()
{
    return retired().retry([](RetiredAnchor& anchor) { return SessionEnded(anchor.heldIn()); });
}

void keepUntilSessionEnds(std::shared_ptr<RetiredAnchor> anchor)
{
    // The rest go when their session ends (DkDisconnectKernel).
    if (anchor->heldIn() != 0 && !SessionEnded(anchor->heldIn()))
        retired().add(std::move(anchor));
}

} // namespace dk
