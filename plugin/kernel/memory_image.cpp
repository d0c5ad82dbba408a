#include "plugin/kernel/memory_image.h"

#include "plugin/kernel/srecord.h"
#include "plugin/kernel/target_access.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace kernel {
namespace {

struct ImageSlot {
    std::vector<uint8_t> bytes; // empty: no image
    uint32_t base = 0;
    int32_t width = 1;
};

ImageSlot g_slots[3];
int g_selected = kTargetSource;
std::string g_message;

bool validSlot(int slot) { return slot == kKernelDataSlot || slot == kSecondImageSlot; }

} // namespace

int LoadSRecordImage(const std::string& path, int slot, uint32_t base)
{
    if (!validSlot(slot)) {
        g_message = "memory image slot " + std::to_string(slot) + " does not exist";
        return ImageNoMemory;
    }
    FreeMemoryImage(slot);
    const int32_t width = GetAddressUnitWidth();
    if (width < 1 || width > 8) {
        g_message = "address unit width " + std::to_string(width) + " cannot hold an image";
        return ImageNoMemory;
    }
    std::vector<uint8_t> buffer;
    try {
        buffer.assign(static_cast<std::size_t>(kImageUnits) * static_cast<std::size_t>(width), 0);
    } catch (const std::bad_alloc&) {
        g_message = "no memory for the image of " + path;
        return ImageNoMemory;
    }
    // Each record goes into the window as it is read; the buffer is dropped when a later line fails.
    const SRecordSink intoWindow = [&buffer, base, width](uint32_t address, const uint8_t* data, std::size_t size) {
        // Window rule, computed in 64 bits so an address below the base never wraps into the window.
        int64_t r = static_cast<int64_t>(address) - static_cast<int64_t>(base);
        int64_t length = static_cast<int64_t>(size);
        int64_t skip = 0;
        if (r > 65535 || r + length < 0)
            return;
        if (r < 0) {
            skip = -r;
            length += r;
            r = 0;
        } else if (r + length > 65535) {
            length = 65536 - r;
        }
        if (length <= 0)
            return;
        const std::size_t offset = static_cast<std::size_t>(r) * static_cast<std::size_t>(width);
        const std::size_t n = std::min(static_cast<std::size_t>(length), buffer.size() - offset);
        std::memcpy(buffer.data() + offset, data + skip, n);
    };
    const int code = ReadSRecordFile(path, intoWindow, g_message);
    if (code != SRecordFileLoaded)
        return code;
    g_slots[slot].bytes = std::move(buffer);
    g_slots[slot].base = base;
    g_slots[slot].width = width;
    g_message.clear();
    return ImageLoaded;
}

int LoadKernelDataImage(const std::string& path, uint32_t base) { return LoadSRecordImage(path, kKernelDataSlot, base); }
int LoadSecondImageFile(const std::string& path, uint32_t base) { return LoadSRecordImage(path, kSecondImageSlot, base); }

int LoadSecondImage(const std::string& path, uint32_t base)
{
    ReadSourceScope keep(GetSelectedMemoryImage());
    FreeSecondImage();
    return LoadSecondImageFile(path, base) == ImageLoaded ? 0 : 1;
}

void FreeMemoryImage(int slot)
{
    if (validSlot(slot))
        std::vector<uint8_t>().swap(g_slots[slot].bytes);
}

void FreeKernelDataImage() { FreeMemoryImage(kKernelDataSlot); }
void FreeSecondImage() { FreeMemoryImage(kSecondImageSlot); }
bool HasMemoryImage(int slot) { return validSlot(slot) && !g_slots[slot].bytes.empty(); }
const std::string& GetImageLoadMessage() { return g_message; }

void SelectMemoryImage(int slot)
{
    if (slot == kTargetSource || validSlot(slot))
        g_selected = slot;
}

int GetSelectedMemoryImage() { return g_selected; }

bool ReadImageBytes(int slot, uint32_t address, uint32_t count, uint8_t* buffer)
{
    if (count == 0)
        return true;
    std::memset(buffer, 0, count);
    if (!HasMemoryImage(slot))
        return false;
    const ImageSlot& image = g_slots[slot];
    const int64_t start = (static_cast<int64_t>(address) - static_cast<int64_t>(image.base)) * image.width;
    const int64_t size = static_cast<int64_t>(image.bytes.size());
    bool all = true;
    for (uint32_t i = 0; i < count; ++i) {
        const int64_t at = start + i;
        if (at >= 0 && at < size)
            buffer[i] = image.bytes[static_cast<std::size_t>(at)];
        else
            all = false;
    }
    return all;
}

void ResetMemoryImages()
{
    FreeKernelDataImage();
    FreeSecondImage();
    g_selected = kTargetSource;
    g_message.clear();
}

} // namespace kernel
