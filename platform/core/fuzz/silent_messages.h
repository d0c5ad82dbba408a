#pragma once
// A message service for fuzz targets: answers every box at once with its default, shows and keeps nothing.

#include "platform/core/message_service.h"

#include <string>

namespace platform::fuzzing {

class SilentMessages : public platform::MessageService {
public:
    int show(const std::string&, const std::string&, unsigned style) override { return platform::defaultAnswer(style); }
};

} // namespace platform::fuzzing
