#pragma once
// Helpers for the counted arrays of the records: a 32-bit count and a pointer to a malloc/realloc block
// of plain rows. Every helper keeps the pair consistent: count 0 exactly when the pointer is null.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>

namespace engine {

// Releases the block and zeroes the count with the pointer. Rows are not visited.
template <typename T>
void freeRows(int32_t& count, T*& rows)
{
    std::free(rows);
    rows = nullptr;
    count = 0;
}

// A zero-filled block of n rows, or null when n is not positive or memory runs out.
template <typename T>
T* allocateRows(int32_t n)
{
    static_assert(std::is_trivially_copyable_v<T>);
    if (n <= 0)
        return nullptr;
    return static_cast<T*>(std::calloc(static_cast<std::size_t>(n), sizeof(T)));
}

// Appends one zero-filled row by reallocation. Returns the new row, or null (array unchanged) when memory
// runs out or the count cannot grow. The block may move: callers re-point anything that held a row.
template <typename T>
T* appendRow(int32_t& count, T*& rows)
{
    static_assert(std::is_trivially_copyable_v<T>);
    const int32_t n = count > 0 && rows ? count : 0;
    if (n == INT32_MAX)
        return nullptr;
    void* grown = std::realloc(static_cast<void*>(rows), sizeof(T) * (static_cast<std::size_t>(n) + 1));
    if (!grown)
        return nullptr;
    rows = static_cast<T*>(grown);
    count = n + 1;
    std::memset(static_cast<void*>(&rows[n]), 0, sizeof(T));
    return &rows[n];
}

// Inserts one zero-filled row before index (clamped to 0..count). Same contract as appendRow.
template <typename T>
T* insertRow(int32_t& count, T*& rows, int32_t index)
{
    T* added = appendRow(count, rows);
    if (!added)
        return nullptr;
    const int32_t last = count - 1;
    if (index < 0)
        index = 0;
    if (index >= last)
        return added;
    std::memmove(static_cast<void*>(&rows[index + 1]), static_cast<const void*>(&rows[index]),
                 sizeof(T) * static_cast<std::size_t>(last - index));
    std::memset(static_cast<void*>(&rows[index]), 0, sizeof(T));
    return &rows[index];
}

// Removes the row at index without visiting it (the caller frees what it owns first). The block shrinks
// in place; the last row's removal frees it. Returns false for an index out of range.
template <typename T>
bool removeRow(int32_t& count, T*& rows, int32_t index)
{
    if (!rows || index < 0 || index >= count)
        return false;
    if (count == 1) {
        freeRows(count, rows);
        return true;
    }
    std::memmove(static_cast<void*>(&rows[index]), static_cast<const void*>(&rows[index + 1]),
                 sizeof(T) * static_cast<std::size_t>(count - index - 1));
    --count;
    if (void* shrunk = std::realloc(static_cast<void*>(rows), sizeof(T) * static_cast<std::size_t>(count)))
        rows = static_cast<T*>(shrunk);
    return true;
}

// Copies the rows of a pointer-free row type into a new block; the target pair is set to 0/null first.
template <typename T>
bool copyPlainRows(int32_t srcCount, const T* src, int32_t& count, T*& rows)
{
    static_assert(std::is_trivially_copyable_v<T>);
    count = 0;
    rows = nullptr;
    if (srcCount <= 0 || !src)
        return true;
    T* block = static_cast<T*>(std::malloc(sizeof(T) * static_cast<std::size_t>(srcCount)));
    if (!block)
        return false;
    std::memcpy(static_cast<void*>(block), static_cast<const void*>(src), sizeof(T) * static_cast<std::size_t>(srcCount));
    rows = block;
    count = srcCount;
    return true;
}

// Deep copy of an array of rows that own blocks. Each row starts as a shallow copy of its source; deep
// (copy, source) must first drop the borrowed pointers, then give the row blocks of its own, and on
// failure leave it holding only blocks it owns. freeRow releases what one row owns. On failure nothing
// is left allocated and the target pair is 0/null.
template <typename T, typename Deep, typename Free>
bool cloneRows(int32_t srcCount, const T* src, int32_t& count, T*& rows, Deep deep, Free freeRow)
{
    static_assert(std::is_trivially_copyable_v<T>);
    count = 0;
    rows = nullptr;
    if (srcCount <= 0 || !src)
        return true;
    T* block = static_cast<T*>(std::malloc(sizeof(T) * static_cast<std::size_t>(srcCount)));
    if (!block)
        return false;
    for (int32_t i = 0; i < srcCount; ++i) {
        block[i] = src[i];
        if (!deep(block[i], src[i])) {
            for (int32_t j = 0; j <= i; ++j)
                freeRow(block[j]);
            std::free(block);
            return false;
        }
    }
    rows = block;
    count = srcCount;
    return true;
}

// The number of rows a pair really holds: 0 for a null pointer or a negative count.
template <typename T>
int32_t rowCount(int32_t count, const T* rows)
{
    return rows && count > 0 ? count : 0;
}

}  // namespace engine
