#include "plugin/kernel/fuzz/fuzz_readers.h"

#include "plugin/kernel/kernel_info.h"

namespace kernel::fuzz {

void ExerciseReaders()
{
    DataFileHeader header;
    ReadDataFileHeader(header);
    KernelProperties props;
    GetSystemProperties(props);
}

} // namespace kernel::fuzz
