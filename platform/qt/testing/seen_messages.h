#pragma once
// Test support: a message service that records each message with the text an edit of the modal dialog on
// top shows while the message is up, and answers OK.

#include "platform/core/message_service.h"
#include "platform/qt/control_id.h"

#include <QApplication>
#include <QLineEdit>

#include <string>
#include <utility>
#include <vector>

namespace platform::testing {

class SeenMessages : public platform::MessageService {
public:
    explicit SeenMessages(int editId) : m_editId(editId), m_previous(platform::setMessageService(this)) {}
    ~SeenMessages() override { platform::setMessageService(m_previous); }
    SeenMessages(const SeenMessages&) = delete;
    SeenMessages& operator=(const SeenMessages&) = delete;

    int show(const std::string& text, const std::string&, unsigned) override
    {
        auto* edit = platform::findControl<QLineEdit>(QApplication::activeModalWidget(), m_editId);
        shown.push_back({text, edit ? edit->text().toStdString() : std::string()});
        return platform::IdOk;
    }
    // Each message with what the edit showed while it was up.
    std::vector<std::pair<std::string, std::string>> shown;

private:
    int m_editId;
    platform::MessageService* m_previous;
};

} // namespace platform::testing
