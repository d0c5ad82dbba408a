#pragma once
// Adding, removing and moving records within the project's counted arrays, as the editors' add, delete
// and drag operations need. Arrays grow and shrink by reallocation, so a pointer to a row of a changed
// array is stale afterwards; the functions return the row's new address where one is needed. After
// any change of an application array every user text store is pointed at its moved application.

#include "engine/records/records.h"

namespace engine {

// A new CPU at the end: fields zero, kernel record in its reset state. Null when memory runs out.
CpuRecord* AppendCpu(ProjectRecord& project);
// Frees the CPU with everything it owns and closes the gap. False for an index out of range.
bool RemoveCpuAt(ProjectRecord& project, int32_t index);

// A new, zeroed application at the end (the caller gives it its defaults and its user text store).
ApplicationRecord* AppendApplication(CpuRecord& cpu);
bool RemoveApplicationAt(CpuRecord& cpu, int32_t index);

// A new, zeroed object inserted before index (index out of range: at the end) of a class entry's
// objects or of a parent object's children. The caller allocates its data block.
ObjectRecord* InsertClassObject(ApplicationClassEntry& entry, int32_t index);
ObjectRecord* InsertChildObject(ObjectRecord& parent, int32_t index);
// Frees the object (data block and children) and closes the gap.
bool RemoveClassObjectAt(ApplicationClassEntry& entry, int32_t index);
bool RemoveChildObjectAt(ObjectRecord& parent, int32_t index);

// An object array: a class entry's objects or a parent object's children.
struct ObjectArray {
    int32_t* count;
    ObjectRecord** rows;
};
ObjectArray ObjectsOf(ApplicationClassEntry& entry);
ObjectArray ChildrenOf(ObjectRecord& parent);

// Moves the object at fromIndex of one array to stand before toIndex of another (or the same) array,
// with its data block and children; toIndex out of range means the end. toIndex counts the target's
// rows as they are before the move. Returns the object's new address, or null (nothing changed) for a
// bad index or when memory runs out. The caller keeps the move within objects of one class and
// checks the class maximums first.
ObjectRecord* MoveObject(ObjectArray from, int32_t fromIndex, ObjectArray to, int32_t toIndex);

}  // namespace engine
