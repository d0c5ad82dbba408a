#pragma once
// The sections an application file is written with, as the application writer lays them out, so that a
// name an editor is about to give is judged by the rule the writer keeps: no two sections of one file
// share a name, whatever the letter case, disabled objects and classes included.

#include <string>
#include <vector>

#include "engine/records/records.h"

namespace engine {

// The section names an object brings into its file: its own section and, when it has child objects
// under a chained class, the list of them ("OBJS " and its name).
std::vector<std::string> ObjectSectionNames(const ObjectRecord& object, bool hasChainedClass);

// The first name the application's file would then hold twice when the objects of `moved` (an object
// and every object below it, which may or may not be in the application yet) take their place in it,
// along with `extraSections` (for example the list a move creates); "" when every name stays unique.
// The sections the moved objects have in the application now are not counted against them.
std::string MovedObjectNameClash(ApplicationRecord& application, const ObjectRecord& moved,
                                 const std::vector<std::string>& extraSections = {});

// The first name the application's file would hold twice as it stands; "" when every section name is
// unique.
std::string ApplicationSectionRepeat(const ApplicationRecord& application);

// The check every editing road runs on the project it is about to keep: the project check the open and
// the writers run, and the application files' section names. "" when the project would save and open
// again as it stands; else the problem, as a sentence.
std::string KeptEditProblem(const ProjectRecord& project);

// The message an editing road shows when it does not keep an edit (KeptEditProblem in a sentence); "" when
// the edit may be kept.
std::string KeptEditRefusal(const ProjectRecord& project);

}  // namespace engine
