#pragma once
// The check made after reading an application that is global to a multiprocessor system: its shared
// objects must have names no other global application uses.

#include <string>
#include <unordered_map>

namespace engine {

struct ApplicationRecord;
struct CpuRecord;
struct ProjectRecord;

// The global objects of the applications an open has read so far, by name, with the application of the
// first one of each name.
using GlobalObjectNames = std::unordered_map<std::string, const ApplicationRecord*>;

// When the CPU's kernel and variant both offer multiprocessing and the application is global, warns
// once for each shared object whose name a shared object of another global application of the project
// also has. Nothing is changed. With `seen` (during an open) the names are looked up there instead of
// in a walk over the project, and the application's own global objects are added to it.
void warnAboutGlobalNameClashes(const ProjectRecord* project, CpuRecord* cpu, ApplicationRecord* application,
                                GlobalObjectNames* seen = nullptr);

}  // namespace engine
