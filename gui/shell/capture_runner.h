#pragma once
// Runs a command line through the system shell and hands everything it writes to standard output and
// standard error to a sink, in pieces as they arrive, then reports the end. Pipe mode reads the output
// while the command runs; temporary-file mode gives the shell a temporary file as both streams and reads
// it line by line after the command ended (the file is removed; one a run left behind, because the
// program was killed, is removed at the next start). The command's standard input
// is /dev/null. The command runs in a process group of its own: when its stop is requested (the window
// closed) or the program ends, the group is ended with everything the command started. No Qt: the output
// window bridges the sink to its thread.

#include "platform/core/process_group.h"

#include <memory>
#include <string>
#include <vector>

namespace shell {

class CaptureSink {
public:
    virtual ~CaptureSink() = default;
    // One piece of output (at most 1024 bytes, or one line in temporary-file mode).
    virtual void AppendText(std::string text) = 0;
    // New text is pending (after each AppendText).
    virtual void PostNewText() = 0;
    // The command has finished (also when it could not be started).
    virtual void PostDone() = 0;
};

constexpr std::size_t kCaptureChunk = 1024;
constexpr const char* kOutputFilePrefix = "omb-output-";

// Removes the output files in the temporary folder that runs of this user left behind (no run holds them).
void RemoveLeftOutputFiles();

// Runs the command to its end, or until stop is requested, on the calling thread. environment holds
// "NAME=value" texts for the child (empty: the program's own).
void RunCaptured(const std::string& command, bool pipeMode, const std::vector<std::string>& environment,
                 CaptureSink& sink, std::shared_ptr<platform::GroupStop> stop = nullptr);

} // namespace shell
