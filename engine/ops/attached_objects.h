#pragma once
// Copy, comparison and release of the objects that records own by pointer: an application's user text
// store and the sectioned files of projects, CPUs and applications. Nothing here throws.

#include "engine/records/records.h"

namespace engine {

// Gives copy its own copy of source's user text store, owned by copy (null when source has none).
bool CopyUserTexts(const ApplicationRecord& source, ApplicationRecord& copy);
// Gives target its own copy of a sectioned file (null when source is null).
bool CopySectionedFile(const SectionedFile* source, SectionedFile*& target);
void DeleteUserTexts(UserTextStore*& store);
void DeleteSectionedFile(SectionedFile*& file);
// True when the stores hold different blocks; a missing store differs from a present one.
bool UserTextsDiffer(const UserTextStore* a, const UserTextStore* b);
// Points the application's store (and its blocks) at the application, after the record moved.
void RepointUserTexts(ApplicationRecord& application);

}  // namespace engine
