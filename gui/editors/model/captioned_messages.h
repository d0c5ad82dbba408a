#pragma once
// While a CaptionedMessages lives, every message box shows under its caption: the boxes of one failed
// file operation (the reader's reason, a refusal) all read as that operation's failure.

#include <string>
#include <utility>

#include "platform/core/message_service.h"

namespace editors {

class CaptionedMessages final : public platform::MessageService {
public:
    explicit CaptionedMessages(std::string caption)
        : m_caption(std::move(caption)), m_previous(platform::messageService())
    {
        platform::setMessageService(this);
    }
    ~CaptionedMessages() override { platform::setMessageService(&m_previous); }
    CaptionedMessages(const CaptionedMessages&) = delete;
    CaptionedMessages& operator=(const CaptionedMessages&) = delete;

    int show(const std::string& text, const std::string&, unsigned style) override
    {
        return m_previous.show(text, m_caption, style);
    }

private:
    std::string m_caption;
    platform::MessageService& m_previous;
};

} // namespace editors
