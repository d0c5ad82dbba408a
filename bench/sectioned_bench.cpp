// Reading and writing a large sectioned file against a plain read and write of the same bytes. The
// sectioned run reports its time over the plain run's ("x_plain", both measured in the same run) and the
// most heap it held at once over the file's size ("peak_x_file").
#include "bench/heap_meter.h"
#include "engine/sectioned/sectioned_file.h"
#include "engine/util/file_io.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <algorithm>
#include <random>
#include <string>

namespace {

// A generated file of about 12 MB: 4000 sections of 60 keys, some values needing escapes.
struct BenchFiles {
    std::string folder;
    std::string input;
    std::string output;
    std::size_t bytes = 0;

    BenchFiles()
    {
        folder = (std::filesystem::temp_directory_path() / "korvane-sectioned-bench").string();
        std::filesystem::create_directories(folder);
        input = folder + "/input.app";
        output = folder + "/output.app";
        engine::SectionedFile file(input, true);
        std::mt19937 random(42);
        for (int s = 0; s < 4000; ++s) {
            engine::SectionedFileSection* section = file.AddSection("Object Section " + std::to_string(s));
            for (int k = 0; k < 60; ++k) {
                std::string value;
                for (int n = 0; n < 32; ++n)
                    value.push_back(static_cast<char>('a' + random() % 26));
                if (k % 10 == 0)
                    value += "; //quoted";
                section->AddEntry("Key Number " + std::to_string(k), std::string_view(value));
            }
        }
        file.WriteSectionedFile(false);
        bytes = std::filesystem::file_size(input);
    }
    ~BenchFiles()
    {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

BenchFiles& files()
{
    static BenchFiles instance;
    return instance;
}

void plainReadWrite(const BenchFiles& f)
{
    std::string bytes;
    engine::ReadWholeFile(f.input, bytes);
    engine::WriteWholeFile(f.output, bytes);
    benchmark::DoNotOptimize(bytes.data());
}

double seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_PlainReadWrite(benchmark::State& state)
{
    BenchFiles& f = files();
    for (auto _ : state)
        plainReadWrite(f);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(f.bytes));
}

void BM_SectionedReadWrite(benchmark::State& state)
{
    BenchFiles& f = files();
    // The plain run, timed here too, so the ratio compares two runs made at the same time.
    constexpr int kPlainRuns = 20;
    const auto plainStart = std::chrono::steady_clock::now();
    for (int i = 0; i < kPlainRuns; ++i)
        plainReadWrite(f);
    const double plain = seconds(plainStart) / kPlainRuns;
    double total = 0;
    std::size_t peak = 0;
    for (auto _ : state) {
        bench::ResetHeapPeak();
        const std::size_t before = bench::HeapBytesHeld();
        const auto start = std::chrono::steady_clock::now();
        {
            engine::SectionedFile file(f.input, false);
            file.Read(true);
            file.SaveAs(f.output, false);
            benchmark::DoNotOptimize(file.GetSectionCount());
        }
        total += seconds(start);
        peak = std::max(peak, bench::HeapPeak() - before);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(f.bytes));
    state.counters["file_MB"] = static_cast<double>(f.bytes) / (1024.0 * 1024.0);
    if (state.iterations() > 0 && plain > 0)
        state.counters["x_plain"] = total / static_cast<double>(state.iterations()) / plain;
    state.counters["peak_x_file"] = static_cast<double>(peak) / static_cast<double>(f.bytes);
}

BENCHMARK(BM_PlainReadWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SectionedReadWrite)->Unit(benchmark::kMillisecond);

} // namespace
