// Writes a simulated target with 5,000 semaphores, every one named, and a task waiting on the last one,
// for the host scenario that lists them: large_target_gen DIR. An old data log in DIR is removed.
#include "standins/debugger/simtarget/kernel_objects.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: large_target_gen DIR\n");
        return 2;
    }
    try {
        simtarget::KernelSpec spec;
        spec.port = 3;
        simtarget::TargetBuilder b(spec);
        simtarget::BuildManySemaphores(b, 5000);
        std::error_code error;
        std::filesystem::create_directories(argv[1], error);
        std::filesystem::remove(std::filesystem::path(argv[1]) / "large.csv", error);
        std::string message;
        if (!simtarget::WriteTargetFiles(b.build(), argv[1], "a79", message)) {
            std::fprintf(stderr, "large_target_gen: %s\n", message.c_str());
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "large_target_gen: %s\n", e.what());
        return 1;
    }
    return 0;
}
