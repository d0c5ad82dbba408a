// 10,000 target images of stale or garbage memory behind a sound data file: every reader and text runs
// on each without a crash, a hang or a sanitizer report.
#include "plugin/kernel/fuzz/fuzz_readers.h"
#include "plugin/kernel/layout.h"
#include "standins/debugger/simtarget/kernel_objects.h"
#include "standins/debugger/simtarget/tests/generated_fixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <cstdlib>
#include <random>

namespace simtarget::test {
namespace {

TEST(Robustness, TenThousandRandomTargetImages)
{
    const int kImages = std::getenv("KERNEL_ROBUSTNESS_IMAGES") ? std::atoi(std::getenv("KERNEL_ROBUSTNESS_IMAGES")) : 10000;
    // Two sound kernels: port 3 little-endian and port 7 big-endian, with shuffled layouts.
    struct Sound {
        GeneratedTarget target;
        bool little;
        std::unique_ptr<GeneratedFixture> files; // writes the two images once
        std::string dataFile, secondImage;
    };
    std::vector<Sound> sounds;
    for (const auto& [port, little] : {std::pair{3, true}, std::pair{7, false}}) {
        KernelSpec spec;
        spec.port = port;
        spec.littleEndian = little;
        spec.seed = 7;
        TargetBuilder builder(spec);
        BuildDemo(builder);
        Sound s{builder.build(), little, nullptr, "", ""};
        s.files = std::make_unique<GeneratedFixture>(s.target, little);
        s.dataFile = s.files->dataFilePath();
        s.secondImage = s.files->dir().file("i2data.a79");
        sounds.push_back(std::move(s));
    }
    std::mt19937 random(2026);
    int loaded = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int image = 0; image < kImages; ++image) {
        const Sound& sound = sounds[static_cast<std::size_t>(image / 2 % 2)];
        GeneratedTarget target = sound.target;
        const int mode = image % 10;
        for (auto& block : target.memory) {
            if (mode == 0) {
                for (auto& byte : block.data) // all garbage
                    byte = static_cast<uint8_t>(random());
            } else {
                // Stale memory: some words overwritten with garbage or with addresses into the target.
                const std::size_t changes = 1 + random() % 24;
                for (std::size_t c = 0; c < changes && block.data.size() >= 4; ++c) {
                    const std::size_t at = (random() % (block.data.size() - 3)) & ~std::size_t{3};
                    uint32_t value = static_cast<uint32_t>(random());
                    if (random() % 2)
                        value = target.memory[random() % target.memory.size()].address + (value & 0x3FC);
                    for (int i = 0; i < 4; ++i)
                        block.data[at + static_cast<std::size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
                }
            }
        }
        GeneratedFixture fixture(target, sound.little, sound.dataFile, sound.secondImage);
        fixture.target().setFailUnmapped(image % 2 == 0);
        if (fixture.load() == kernel::LoadOk) {
            ++loaded;
            fixture.loadSecondImage();
            kernel::fuzz::ExerciseReaders(3);
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GT(loaded, kImages / 2);
    RecordProperty("seconds", std::to_string(seconds));
}

} // namespace
} // namespace simtarget::test
