#pragma once
// Name and label clashes within an application and across a multiprocessor project. Object names are
// judged by the application file's rule (a section name, whatever the letter case); labels and the
// other comparisons are exact (case counts): the names become symbols of the generated sources.

#include <string>

#include "engine/names/project_walk.h"
#include "engine/records/records.h"

namespace engine {

// True when the application's file can hold the object's name: no other section of it (another object,
// enabled or not, a class, an option, the file's own sections) bears the name or, for an object with
// children, the name of its child list, in any letter case; the same for every object below it.
bool IsObjectNameUnique(ApplicationRecord& application, const ObjectRecord& object);
// The same, finding the object's application in the project; true when the project does not hold it.
bool IsObjectNameUnique(const ProjectRecord& project, const ObjectRecord& object);

// Compares a name with the application's object names and labels, in this order: object names, task
// entry points and stack labels, thread entry points, exception entry points, partition, queue and pipe
// labels (each only while its class entry is enabled), then, when asked and placed manually, the kernel
// stack label and the System RAM label. At the first clash fills what with its description ("Entry point
// for Task t1") and returns true. The ignored object is skipped at every step.
bool FindLabelConflict(ApplicationRecord& application, const std::string& name, std::string& what,
                       const ObjectRecord* ignore, bool checkSystemRamLabel, bool checkKernelStackLabel);

// True when the object at `place` is global: Is MP, enabled, of a class type other than 1, in an enabled
// class entry of an MP application on an MP-enabled CPU.
bool IsGlobalObject(const ObjectPlace& place);

// Another object of the project with the object's name that is global (IsGlobalObject); null when none.
// application (optional) receives the other object's application.
ObjectRecord* FindGlobalNameConflict(const ProjectRecord& project, const ObjectRecord& object,
                                     ApplicationRecord** application = nullptr);

// True when no other multiprocessor application of the project bears the node name.
bool IsNodeNameUnique(const ProjectRecord& project, const ApplicationRecord& application,
                      const std::string& nodeName);

// The object's name as lists and the tree show it: with markers set, "*" before the name of a global
// (Is MP) object, as CPUs and applications are marked.
std::string ObjectDisplayName(const ObjectRecord& object, bool withMarkers);

} // namespace engine
