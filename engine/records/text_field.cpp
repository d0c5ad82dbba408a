#include "engine/records/text_field.h"

#include <cstring>

namespace engine {

bool setText(char* field, std::size_t size, std::string_view text)
{
    if (size == 0)
        return text.empty();
    const std::size_t n = text.size() < size ? text.size() : size - 1;
    if (n > 0)
        std::memcpy(field, text.data(), n);
    std::memset(field + n, 0, size - n);
    return n == text.size();
}

std::string_view textOf(const char* field, std::size_t size)
{
    const void* end = std::memchr(field, 0, size);
    return std::string_view(field, end ? static_cast<const char*>(end) - field : size);
}

}  // namespace engine
