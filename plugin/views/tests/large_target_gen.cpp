// Writes a simulated target for the host scenarios: large_target_gen DIR [MODE].
// "semaphores" (the default): 5,000 semaphores, every one named, and a task waiting on the last one; an
// old data log in DIR is removed. "garbled-ff" and "garbled-random": the demo kernel whose anchor, KWS and
// system properties are sound but whose class entries and objects are overwritten with 0xFF or random
// bytes, as a kernel leaves them before it has set up its objects. "garbage-claims": the demo whose class
// entries claim 0x7FFFFFFF objects in 2 MB of readable random bytes ("garbage-nameless": no names kept and
// records of 0x60 bytes; "garbage-nameless-zeros": claiming 0xFFFFFFFF in 2 MB of zeros; "garbage-nameless-zeros-most":
// claiming 0x7FFFFFFF there). "cyclic": the demo whose lists come
// back on themselves. "stacks-8k" and "stacks-64k": the demo with 8 KB stacks (1 KB in use) or 64 KB
// stacks (4 KB in use). "demo": the demo itself.
// "backtrace-deep": the demo whose exception chain holds 12 frames, 2 more than the backtrace shows.
// The edges of what the generator's editors configure, each written with "edge.scn", the scenario that
// opens Tasks, Semaphores, Alarms and Task Stacks Information and expects each object whole and right:
// "names-N" (name length N; "names-none": no names kept), "stacks-2m" (2 MB stacks, the kernel's and
// task 1's, 8 KB for the others, 1 KB in use in each), "stacks-8m" (the kernel's stack 8 MB and task 1's
// 6 MB, each with 1 KB spare), "trace-N" (a trace of N segments), "port-N" (the demo on processor port N).
// "free-slots-zero" and "free-slots-stale": a kernel with free dynamic task and thread slots first, in the
// middle and last, never written (all zero) or left by deleted objects, and a dynamic name with a tab.
#include "standins/debugger/simtarget/kernel_objects.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
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

// What a window shows of a name: its first 32 characters.
std::string shown(const std::string& name) { return name.substr(0, std::min<std::size_t>(name.size(), 32)); }

struct Edge {
    simtarget::KernelSpec spec;
    uint32_t stackSize = 512, stackUsed = 0, mainStackSize = 0, mainStackUsed = 0;
    bool stackCells = false; // the stack cells are known (stackUsed, and the kernel's)
};

// The configuration an edge mode names; false when it names none.
bool edgeOf(const std::string& mode, Edge& edge)
{
    edge.spec.port = 3;
    auto number = [&mode](const char* prefix, long& value) {
        const std::string p = prefix;
        if (mode.compare(0, p.size(), p) != 0 || mode.size() == p.size())
            return false;
        char* end = nullptr;
        value = std::strtol(mode.c_str() + p.size(), &end, 10);
        return *end == 0;
    };
    long value = 0;
    if (mode == "names-none") {
        edge.spec.nameLength = 0;
    } else if (number("names-", value) && value >= 1 && value <= 1024) {
        edge.spec.nameLength = static_cast<int32_t>(value);
    } else if (mode == "stacks-2m") {
        edge.spec.kernelStackSize = 2u << 20;
        edge.spec.kernelStackUsed = 1024;
        edge.stackSize = 8192; // task 1's stack is the big one: each 2 MB stack costs 2 M reads
        edge.stackUsed = 1024;
        edge.mainStackSize = 2u << 20;
        edge.stackCells = true;
    } else if (mode == "stacks-8m") {
        // All but 1 KB of the big stacks in use: the scan reads that 1 KB and the first used unit, so a
        // debugger that reads byte by byte checks 8 and 6 MB stacks in a few thousand reads.
        edge.spec.kernelStackSize = 8u << 20;
        edge.spec.kernelStackUsed = (8u << 20) - 1024;
        edge.stackSize = 8192;
        edge.stackUsed = 8192 - 1024;
        edge.mainStackSize = 6u << 20;
        edge.mainStackUsed = (6u << 20) - 1024;
        edge.stackCells = true;
    } else if (number("trace-", value) && value >= 4 && value <= 65536) {
        edge.spec.traceSegments = static_cast<uint32_t>(value);
    } else if (number("port-", value)) {
        edge.spec.port = static_cast<int>(value);
    } else {
        return false;
    }
    return true;
}

// The scenario that expects every object of the edge's kernel whole and right.
std::string edgeScenario(const Edge& edge, const simtarget::DemoNames& names, uint32_t taskCount)
{
    const bool named = edge.spec.nameLength > 0;
    const auto length = static_cast<std::size_t>(std::max(edge.spec.nameLength, 0));
    auto cell = [](const std::string& title, int row, int column, const std::string& text) {
        return "expect-cell \"" + title + "\" " + std::to_string(row) + " " + std::to_string(column) + " \"" + text + "\"\n";
    };
    std::string s = "# Written by large_target_gen: every object of this kernel listed whole and right.\n"
                    "step-bound 120\nsymbols target.sym\nmemory target.srec\ninit\nloaded\nwait-idle\n"
                    "expect-window \"Korvane Control Panel\"\nclick 1126\nclick 1\nwait-idle\nreset-reads\n"
                    "click display2\nclick display3\nclick display15\nwait-idle\n"
                    "expect-window \"Tasks\"\nclick 1056\nwait-idle\n";
    s += cell("Tasks", 1, 1, named ? shown(names.task1) : "<Task #1>");
    // A dynamic name is read up to name length + 1 characters.
    s += cell("Tasks", 6, 1, named ? shown(names.task6.substr(0, length + 1)) : "<Task #6>");
    s += cell("Semaphores", 0, 1, named ? shown(names.semaphore1) : "<Sema #1>");
    s += cell("Alarms", 3, 1, named ? shown(names.alarm4) : "<Alarm #4>");
    s += cell("Task Stacks Information", 1, 1, named ? shown(names.task1) : "<Task #1>");
    s += cell("Task Stacks Information", static_cast<int>(taskCount), 0, std::to_string(taskCount));
    if (edge.stackCells) {
        const uint32_t kernelSize = edge.spec.kernelStackSize, kernelUsed = edge.spec.kernelStackUsed;
        s += cell("Task Stacks Information", 0, 4, std::to_string(kernelUsed));
        s += cell("Task Stacks Information", 0, 5, std::to_string(kernelSize - kernelUsed));
        for (uint32_t n = 1; n <= taskCount; ++n) {
            // Task 5 is inactive: its stack is untouched.
            const uint32_t used = n == 5 ? 0 : n == 1 && edge.mainStackUsed ? edge.mainStackUsed : edge.stackUsed;
            const uint32_t size = n == 1 && edge.mainStackSize ? edge.mainStackSize : edge.stackSize;
            s += cell("Task Stacks Information", static_cast<int>(n), 3, std::to_string(size));
            s += cell("Task Stacks Information", static_cast<int>(n), 4, std::to_string(used));
            s += cell("Task Stacks Information", static_cast<int>(n), 5, std::to_string(size - used));
        }
    }
    s += "expect-reads <= @READ_BOUND@\nexit\nwait-idle\nexpect-no-window \"Korvane Control Panel\"\n";
    return s;
}

// The scenario that expects every slot of BuildFreeSlotDemo's kernel as its in-use field says: the free
// ones "<not in use>" whatever their records hold, the ones in use after them listed and named.
std::string freeSlotScenario()
{
    auto cell = [](const std::string& title, int row, int column, const std::string& text) {
        return "expect-cell \"" + title + "\" " + std::to_string(row) + " " + std::to_string(column) + " \"" + text + "\"\n";
    };
    std::string s = "# Written by large_target_gen: free dynamic slots listed as not in use, the objects after them whole.\n"
                    "step-bound 120\nsymbols target.sym\nmemory target.srec\ninit\nloaded\nwait-idle\n"
                    "expect-window \"Korvane Control Panel\"\nclick 1126\nclick 1\nwait-idle\nreset-reads\n"
                    "click display2\nclick display7\nclick display9\nwait-idle\n"
                    "expect-window \"Tasks\"\nclick 1056\nwait-idle\n";
    const char* tasks[] = {"<Null Task>", "Main", "Idle", nullptr, "Logger", nullptr, "Work\\ter", nullptr};
    for (int n = 0; n <= 7; ++n) {
        const std::string name = tasks[n] ? tasks[n] : "<not in use>";
        s += cell("Tasks", n, 1, name);
        if (n >= 1)
            s += cell("Task Stacks Information", n, 1, name);
    }
    const char* threads[] = {"ThrA", nullptr, "ThrC", nullptr, "ThrE", nullptr};
    for (int n = 1; n <= 6; ++n)
        s += cell("Threads", n - 1, 1, threads[n - 1] ? threads[n - 1] : "<not in use>");
    s += cell("Mutexes", 0, 1, "MutexA");
    s += cell("Mutexes", 0, 8, "Work\\ter");
    s += "expect-reads <= @READ_BOUND@\nexit\nwait-idle\nexpect-no-window \"Korvane Control Panel\"\n";
    return s;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc >= 3 ? argv[2] : "semaphores";
    const std::string modes[] = {"semaphores", "demo", "garbled-ff", "garbled-random", "garbage-claims",
                                 "garbage-nameless", "garbage-nameless-zeros", "garbage-nameless-zeros-most", "cyclic", "stacks-8k", "stacks-64k", "backtrace-deep",
                                 "free-slots-zero", "free-slots-stale"};
    Edge edge;
    const bool isEdge = edgeOf(mode, edge);
    if ((argc < 2 || argc > 4) || (!isEdge && std::find(std::begin(modes), std::end(modes), mode) == std::end(modes))) {
        std::fprintf(stderr, "usage: large_target_gen DIR [semaphores|demo|garbled-ff|garbled-random|garbage-claims|garbage-nameless|"
                             "garbage-nameless-zeros|garbage-nameless-zeros-most|cyclic|"
                             "stacks-8k|stacks-64k|backtrace-deep|names-N|names-none|stacks-2m|stacks-8m|trace-N|port-N|free-slots-zero|"
                             "free-slots-stale] [READ_BOUND]\n");
        return 2;
    }
    try {
        simtarget::GeneratedTarget target;
        std::string scenario;
        if (mode == "free-slots-zero" || mode == "free-slots-stale") {
            simtarget::KernelSpec spec;
            spec.port = 3;
            spec.freeSlots = mode == "free-slots-zero" ? simtarget::FreeSlot::NeverWritten : simtarget::FreeSlot::Stale;
            simtarget::TargetBuilder b(spec);
            simtarget::BuildFreeSlotDemo(b);
            target = b.build();
            scenario = freeSlotScenario();
        } else if (isEdge) {
            simtarget::TargetBuilder b(edge.spec);
            const simtarget::DemoNames names =
                simtarget::BuildEdgeDemo(b, edge.stackSize, edge.stackUsed, edge.mainStackSize, edge.mainStackUsed);
            target = b.build();
            scenario = edgeScenario(edge, names, b.objectCount(ObjectKind::Task));
        } else if (mode == "semaphores") {
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
            else if (mode == "backtrace-deep") {
                simtarget::BuildDemo(b);
                std::vector<simtarget::ExceptionFrame> frames;
                for (uint32_t i = 0; i < 12; ++i)
                    frames.push_back({1 + i % 3, 0, 0});
                simtarget::MakeExceptionChain(b, frames);
            }
            else
                simtarget::BuildDemo(b);
            target = b.build();
            if (mode.rfind("garbage-", 0) == 0) {
                const bool zeros = mode.rfind("garbage-nameless-zeros", 0) == 0;
                simtarget::ClaimGarbage(b, 41, mode != "garbage-claims", zeros,
                                        mode == "garbage-nameless-zeros" ? 0xFFFFFFFFu : 0x7FFFFFFFu);
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
        if (!scenario.empty()) {
            const std::string bound = argc == 4 ? argv[3] : "100000";
            for (std::size_t at = scenario.find("@READ_BOUND@"); at != std::string::npos; at = scenario.find("@READ_BOUND@"))
                scenario.replace(at, 12, bound);
            std::FILE* file = std::fopen((std::filesystem::path(argv[1]) / "edge.scn").c_str(), "wb");
            const bool written = file && std::fwrite(scenario.data(), 1, scenario.size(), file) == scenario.size();
            if (!file || std::fclose(file) != 0 || !written) {
                std::fprintf(stderr, "large_target_gen: edge.scn cannot be written\n");
                return 1;
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "large_target_gen: %s\n", e.what());
        return 1;
    }
    return 0;
}
