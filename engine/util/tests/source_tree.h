#pragma once
// Where the engine tests find their data: the source tree (samples, fixtures) and the build tree (the
// program folder with the configuration and the models). ctest passes both in the environment; a test
// program started by hand uses the folders it was built from.

#include <cstdlib>
#include <string>

namespace engine::testing {

inline std::string sourceTree()
{
    const char* source = std::getenv("KORVANE_SOURCE_DIR");
    return source != nullptr && *source != '\0' ? source : ENGINE_TEST_SOURCE_DIR;
}

inline std::string buildTree()
{
    const char* binary = std::getenv("KORVANE_BINARY_DIR");
    return binary != nullptr && *binary != '\0' ? binary : ENGINE_TEST_BINARY_DIR;
}

} // namespace engine::testing
