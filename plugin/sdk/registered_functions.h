#pragma once
// Functions the plug-in offers to the debugger's expression evaluator: an array of records ended by
// a record with id 0. This plug-in registers none unless a record array is set.

#include "sdk/debugger/dk_abi.h"

namespace dk {

void setFunctionRecords(const DkFunctionRecord* records); // null: none
void RegisterFunctionRecords();   // entry 49 for each record
void UnregisterFunctionRecords(); // entry 50 for each record
// Calls the record's function with one value per argument handle and hands a successful result to
// entry 126. The function receives the first DkValue of an array (null when count is 0) and the
// result DkValue.
DkStatus CallRegisteredFunction(uint32_t count, const uint32_t* arguments, const DkFunctionRecord* record,
                                uint32_t resultSlot);

} // namespace dk
