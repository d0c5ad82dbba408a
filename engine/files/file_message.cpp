#include "engine/files/file_message.h"

#include "engine/util/program_title.h"
#include "platform/core/message_service.h"

namespace engine {

void ShowFileMessage(const std::string& text) { platform::messageBox(text, ProgramTitle(), platform::MbOk); }

} // namespace engine
