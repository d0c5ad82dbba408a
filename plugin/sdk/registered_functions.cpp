#include "plugin/sdk/registered_functions.h"

#include "plugin/sdk/kernel.h"
#include "plugin/sdk/values.h"

#include <atomic>
#include <vector>

namespace dk {
namespace {
std::atomic<const DkFunctionRecord*> g_records{nullptr};
constexpr int kMaxRecords = 4096; // the array is ours, but a missing end record must not run away
} // namespace

void setFunctionRecords(const DkFunctionRecord* records) { g_records.store(records); }

void RegisterFunctionRecords()
{
    const DkFunctionRecord* records = g_records.load();
    for (int i = 0; records != nullptr && i < kMaxRecords && records[i].id != 0; ++i)
        callKernel<DkRegisterFunctionFn>(uint32_t{0}, DK_REGISTER_FUNCTION, registrationHandle(), records[i].id,
                                         records[i].word1, records[i].word2, &records[i]);
}

void UnregisterFunctionRecords()
{
    const DkFunctionRecord* records = g_records.load();
    for (int i = 0; records != nullptr && i < kMaxRecords && records[i].id != 0; ++i)
        callKernel<DkUnregisterFunctionFn>(uint32_t{0}, DK_UNREGISTER_FUNCTION, records[i].id);
}

DkStatus CallRegisteredFunction(uint32_t count, const uint32_t* arguments, const DkFunctionRecord* record,
                                uint32_t resultSlot)
{
    if (record == nullptr || record->function == nullptr || (count != 0 && arguments == nullptr))
        return DK_STATUS_FAILURE;
    std::vector<DkValue> values;
    values.reserve(count);
    for (uint32_t i = 0; i < count; ++i)
        values.push_back(DkValue::TakeOver(arguments[i]));
    DkValue result = DkValue::New();
    DkStatus status;
    try {
        status = record->function(count, count != 0 ? static_cast<void*>(values.data()) : nullptr, &result);
    } catch (DkStatus thrown) {
        status = thrown;
    } catch (...) {
        status = DK_STATUS_FAILURE;
    }
    if (status == DK_STATUS_OK)
        callKernel<DkFunctionResultFn>(DkStatus{DK_STATUS_FAILURE}, DK_FUNCTION_RESULT, resultSlot, result.GetHandle());
    return status;
}

} // namespace dk
