#include "user_text_access.h"

namespace codegen {

std::vector<GeneratedFile> userTextFiles(const engine::UserTextStore& /*store*/)
{
    return {};
}

} // namespace codegen
