#include "gui/editors/model/sheet_page_model.h"

#include "platform/core/message_service.h"

namespace editors {

void pageMessage(const std::string& text, const std::string& caption)
{
    platform::messageBox(text, caption, platform::MbOk | platform::MbIconWarning);
}

} // namespace editors
