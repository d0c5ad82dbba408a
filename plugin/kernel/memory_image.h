#pragma once
// Memory images: the contents of an S-record file laid into a 65,536-unit window above a base address.
// Slot 1 holds the kernel data file, slot 2 the second image; the selection says where typed reads go
// (0 the target, 1 or 2 a slot).

#include <cstdint>
#include <string>

namespace kernel {

constexpr int kTargetSource = 0;
constexpr int kKernelDataSlot = 1;
constexpr int kSecondImageSlot = 2;
constexpr uint32_t kImageUnits = 65536;

// Status codes of LoadSRecordImage.
enum ImageLoadStatus : int {
    ImageLoaded = 0,
    ImageCannotOpen = 1,
    ImageNotSRecord = 2,
    ImageReadError = 3, // also a malformed line
    ImageNoMemory = 4,
};

// Loads the file into a fresh zero-filled buffer and stores it in the slot (1 or 2), replacing any
// image there. On failure the slot is left empty and GetImageLoadMessage() says why.
int LoadSRecordImage(const std::string& path, int slot, uint32_t base);
int LoadKernelDataImage(const std::string& path, uint32_t base);
int LoadSecondImageFile(const std::string& path, uint32_t base);
// Saves the selection, reloads slot 2, restores the selection; 0 success, 1 failure.
int LoadSecondImage(const std::string& path, uint32_t base);

void FreeMemoryImage(int slot);
void FreeKernelDataImage();
void FreeSecondImage();
bool HasMemoryImage(int slot);

// The message of the last failed load (empty after a success).
const std::string& GetImageLoadMessage();

// Selection of the read source: 0, 1 or 2; other values are ignored.
void SelectMemoryImage(int slot);
int GetSelectedMemoryImage();

// Copies `count` bytes of the image in `slot` at target address `address` (offset (address - base) x
// unit width). Bytes outside the window, or of an empty slot, read as 0; returns false then.
bool ReadImageBytes(int slot, uint32_t address, uint32_t count, uint8_t* buffer);

// Selects a read source for its lifetime and restores the previous selection after.
class ReadSourceScope {
public:
    explicit ReadSourceScope(int slot) : m_saved(GetSelectedMemoryImage()) { SelectMemoryImage(slot); }
    ~ReadSourceScope() { SelectMemoryImage(m_saved); }
    ReadSourceScope(const ReadSourceScope&) = delete;
    ReadSourceScope& operator=(const ReadSourceScope&) = delete;

private:
    int m_saved;
};

// Frees both slots and selects the target (for tests).
void ResetMemoryImages();

} // namespace kernel
