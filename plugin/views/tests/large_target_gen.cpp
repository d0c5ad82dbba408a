// Writes a simulated target for the host scenarios: large_target_gen DIR [MODE].
// "semaphores" (the default): 5,000 semaphores, every one named, and a task waiting on the last one; an
// old data log in DIR is removed. "garbled-ff" and "garbled-random": the demo kernel whose anchor, KWS and
// system properties are sound but whose class entries and objects are overwritten with 0xFF or random
// bytes, as a kernel leaves them before it has set up its objects. "garbage-claims": the demo whose class
// entries claim 0xFFFFFFFF objects in 2 MB of readable random bytes. "cyclic": the demo whose lists come
// back on themselves. "stacks-8k" and "stacks-64k": the demo with 8 KB stacks (1 KB in use) or 64 KB
// stacks (4 KB in use). "demo": the demo itself.
#include "standins/debugger/simtarget/kernel_objects.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <random>
#include <string>

namespace {

using simtarget::ObjectKind;

uint32_t extent(const simtarget::LayoutTable& t)
{
    int64_t end = 0;
    for (std::size_t f = 0; f < t.offsets.size() && f < t.sizes.size(); ++f)
        end = std::max<int64_t>(end, int64_t{t.offsets[f]} + t.sizes[f]);
    return static_cast<uint32_t>(end);
}

simtarget::GeneratedTarget garbledDemo(bool random)
{
    simtarget::KernelSpec spec;
    spec.port = 3;
    simtarget::TargetBuilder b(spec);
    simtarget::BuildDemo(b);
    simtarget::GeneratedTarget target = b.build();
    std::mt19937 bytes(34);
    auto garble = [&](uint32_t address, uint32_t size) {
        for (uint32_t i = 0; i < size; ++i)
            b.memory().put(address + i, 1, random ? bytes() & 0xFF : 0xFF);
    };
    for (int k = 0; k < simtarget::kObjectKindCount; ++k) {
        const auto kind = static_cast<ObjectKind>(k);
        for (uint32_t n = 1; n <= b.objectCount(kind); ++n)
            garble(b.objectAddress(kind, n), extent(b.objectLayout(kind)));
    }
    const uint32_t table = b.kwsAddress() + static_cast<uint32_t>(b.layout(simtarget::Structure::Kws).offsets[11]);
    for (int cls = 0; cls < 14; ++cls)
        if (const uint32_t entry = b.memory().get(table + static_cast<uint32_t>(cls) * 4, 4))
            garble(entry, extent(b.layout(simtarget::Structure::ClassEntry)));
    target.memory = b.memory().blocks();
    return target;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc == 3 ? argv[2] : "semaphores";
    const std::string modes[] = {"semaphores", "demo", "garbled-ff", "garbled-random", "garbage-claims", "cyclic", "stacks-8k", "stacks-64k"};
    if ((argc != 2 && argc != 3) || std::find(std::begin(modes), std::end(modes), mode) == std::end(modes)) {
        std::fprintf(stderr, "usage: large_target_gen DIR [semaphores|demo|garbled-ff|garbled-random|garbage-claims|cyclic|"
                             "stacks-8k|stacks-64k]\n");
        return 2;
    }
    try {
        simtarget::GeneratedTarget target;
        if (mode == "semaphores") {
            simtarget::KernelSpec spec;
            spec.port = 3;
            simtarget::TargetBuilder b(spec);
            simtarget::BuildManySemaphores(b, 5000);
            target = b.build();
        } else if (mode == "garbled-ff" || mode == "garbled-random") {
            target = garbledDemo(mode == "garbled-random");
        } else {
            simtarget::KernelSpec spec;
            spec.port = 3;
            simtarget::TargetBuilder b(spec);
            if (mode == "cyclic")
                simtarget::BuildCyclicDemo(b);
            else if (mode == "stacks-8k")
                simtarget::BuildDemoStacks(b, 8192, 1024);
            else if (mode == "stacks-64k")
                simtarget::BuildDemoStacks(b, 65536, 4096);
            else
                simtarget::BuildDemo(b);
            target = b.build();
            if (mode == "garbage-claims") {
                simtarget::ClaimGarbage(b, 41);
                target.memory = b.memory().blocks();
            }
        }
        std::error_code error;
        std::filesystem::create_directories(argv[1], error);
        std::filesystem::remove(std::filesystem::path(argv[1]) / "large.csv", error);
        std::string message;
        if (!simtarget::WriteTargetFiles(target, argv[1], "a79", message)) {
            std::fprintf(stderr, "large_target_gen: %s\n", message.c_str());
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "large_target_gen: %s\n", e.what());
        return 1;
    }
    return 0;
}
