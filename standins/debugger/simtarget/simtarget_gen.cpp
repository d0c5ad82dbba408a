// simtarget-gen: writes a simulated target (kernel data file, second image, target memory, symbols).
//   simtarget-gen [--port N] [--endian little|big] [--prefix P] [--scenario demo|minimal|bulk]
//                 [--seed N] [--ext EXT] --out DIR
// --seed: 0 (the default) writes the plain layout, 1 to 39 shuffled ones (each of them tested).
#include "standins/debugger/simtarget/kernel_objects.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>

namespace {

int usage(const char* message)
{
    if (message)
        std::fprintf(stderr, "simtarget-gen: %s\n", message);
    std::fprintf(stderr, "usage: simtarget-gen [--port N] [--endian little|big] [--prefix P] "
                         "[--scenario demo|minimal|bulk] [--seed 0-39] [--ext EXT] --out DIR\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    simtarget::KernelSpec spec;
    spec.port = 3;
    std::string scenario = "demo", ext = "a79", out;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help")
            return usage(nullptr), 0;
        if (i + 1 >= argc)
            return usage(("missing value after " + arg).c_str());
        const std::string value = argv[++i];
        if (arg == "--port")
            spec.port = std::atoi(value.c_str());
        else if (arg == "--endian" && (value == "little" || value == "big"))
            spec.littleEndian = value == "little";
        else if (arg == "--prefix")
            spec.symbolPrefix = value;
        else if (arg == "--scenario")
            scenario = value;
        else if (arg == "--seed") {
            char* end = nullptr;
            const unsigned long seed = std::strtoul(value.c_str(), &end, 10);
            if (value.empty() || *end != 0 || seed > simtarget::kDocumentedSeeds)
                return usage("the seed must be one of 0 to 39");
            spec.seed = static_cast<uint32_t>(seed);
        }
        else if (arg == "--ext")
            ext = value;
        else if (arg == "--out")
            out = value;
        else
            return usage(("unknown option " + arg + " " + value).c_str());
    }
    const int ports[] = {3, 4, 5, 6, 7, 8, 9, 10, 13};
    if (std::find(std::begin(ports), std::end(ports), spec.port) == std::end(ports))
        return usage("the port must be one of 3 to 10 or 13");
    if (out.empty())
        return usage("--out DIR is required");
    try {
        simtarget::TargetBuilder builder(spec);
        if (scenario == "demo")
            simtarget::BuildDemo(builder);
        else if (scenario == "bulk")
            simtarget::BuildBulk(builder, 1000, 1000);
        else if (scenario == "minimal") {
            builder.addClass(simtarget::ObjectKind::Task, 2, 0, 0);
            builder.addClass(simtarget::ObjectKind::Semaphore, 1, 0, 0);
        } else
            return usage(("unknown scenario " + scenario).c_str());
        std::error_code error;
        std::filesystem::create_directories(out, error);
        std::string message;
        if (!simtarget::WriteTargetFiles(builder.build(), out, ext, message)) {
            std::fprintf(stderr, "simtarget-gen: %s\n", message.c_str());
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "simtarget-gen: %s\n", e.what());
        return 1;
    }
    return 0;
}
