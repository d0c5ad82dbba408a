#pragma once
// Runs the system's C compiler on a generated file, the way a kernel build would take it.

#include <filesystem>
#include <string>

namespace codegen::test {

// Compiles one generated file ("cc -c -Wall -Wextra -Werror"; headers as C, assembler headers as
// assembler) into outputFolder. Headers the compiler cannot find (the user's own, named in user text
// blocks) get an empty stand-in in stubFolder. Returns "" on success, else the command and the
// compiler's output.
std::string compileGeneratedFile(const std::filesystem::path& file, const std::filesystem::path& outputFolder,
                                 const std::filesystem::path& stubFolder);

} // namespace codegen::test
