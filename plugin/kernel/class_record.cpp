#include "plugin/kernel/class_record.h"

namespace kernel {

ClassRecordSlots& ClassRecords()
{
    static ClassRecordSlots slots;
    return slots;
}

void FreeClassRecords()
{
    for (auto& slot : ClassRecords())
        slot.reset();
}

} // namespace kernel
