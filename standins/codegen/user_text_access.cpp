#include "user_text_access.h"

#include "engine/usertext/user_text_store.h"

namespace codegen {

// Reads the store through its inline accessors only: the library links nothing of the engine.
std::vector<GeneratedFile> userTextFiles(const engine::UserTextStore& store)
{
    std::vector<GeneratedFile> files;
    for (std::size_t i = 0; i < store.blockCount(); ++i) {
        const engine::UserTextBlock& block = store.block(i);
        files.push_back({block.baseName, block.kind, fileKindOfFlags(block.flags[0] != 0, block.flags[1] != 0),
                         {block.include, block.revisionTop, block.revisionBottom}});
    }
    return files;
}

} // namespace codegen
