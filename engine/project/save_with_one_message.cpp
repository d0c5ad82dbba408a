#include "engine/project/save_with_one_message.h"

#include "engine/files/file_chooser.h"
#include "engine/project/file_messages.h"
#include "engine/util/file_io.h"
#include "platform/core/message_service.h"

#include <vector>

namespace engine {

namespace {

// Holds back the plain boxes of a writer; questions go on to the service that was in use.
class HeldBackMessages final : public platform::MessageService {
public:
    HeldBackMessages()
        : m_shown(platform::messageService())
        , m_previous(platform::setMessageService(this))
    {
    }
    ~HeldBackMessages() override { platform::setMessageService(m_previous); }
    HeldBackMessages(const HeldBackMessages&) = delete;
    HeldBackMessages& operator=(const HeldBackMessages&) = delete;

    int show(const std::string& text, const std::string& caption, unsigned style) override
    {
        if ((style & 0xFu) != platform::MbOk)
            return m_shown.show(text, caption, style);
        m_held.push_back({text, caption, style});
        return platform::IdOk;
    }
    void showHeld()
    {
        for (const Held& box : m_held)
            m_shown.show(box.text, box.caption, box.style);
        m_held.clear();
    }
    std::string firstText() const { return m_held.empty() ? std::string() : m_held.front().text; }
    platform::MessageService& shown() { return m_shown; }

private:
    struct Held {
        std::string text;
        std::string caption;
        unsigned style;
    };
    platform::MessageService& m_shown;
    platform::MessageService* m_previous;
    std::vector<Held> m_held;
};

// Passes the choice of a name to the chooser in use, with the boxes shown at once while the user picks
// (a refused name must be read before the chooser asks again), and keeps the answer.
class ChoiceOutsideTheHold final : public FileChooser {
public:
    explicit ChoiceOutsideTheHold(platform::MessageService& shown)
        : m_shown(shown)
        , m_inner(SetFileChooser(this))
    {
    }
    ~ChoiceOutsideTheHold() override { SetFileChooser(m_inner); }
    ChoiceOutsideTheHold(const ChoiceOutsideTheHold&) = delete;
    ChoiceOutsideTheHold& operator=(const ChoiceOutsideTheHold&) = delete;

    std::string Choose(bool open, int kind, const std::string& title) override
    {
        platform::MessageService* held = platform::setMessageService(&m_shown);
        m_chosen = m_inner ? m_inner->Choose(open, kind, title) : std::string();
        platform::setMessageService(held);
        m_asked = true;
        return m_chosen;
    }
    bool cancelled() const { return m_asked && m_chosen.empty(); }
    const std::string& chosen() const { return m_chosen; }

private:
    platform::MessageService& m_shown;
    FileChooser* m_inner;
    bool m_asked = false;
    std::string m_chosen;
};

} // namespace

SaveEnd SaveWithOneMessage(const std::string& what, const std::string& path, const std::function<bool()>& write)
{
    ForgetLastReplaceOutcome();
    std::string text;
    {
        HeldBackMessages held;
        ChoiceOutsideTheHold choice(held.shown());
        const bool written = write();
        if (choice.cancelled()) {
            held.showHeld();
            return SaveEnd::Cancelled;
        }
        if (written) {
            held.showHeld();
            return SaveEnd::Saved;
        }
        const std::string file = path.empty() ? choice.chosen() : path;
        // The save's own text (a file saved under a name just chosen is also created), then the file.
        const std::string failed = what == "project file" ? std::string("Error writing project")
                                   : path.empty()         ? "Unable to write or create " + what
                                                          : "Unable to write " + what;
        const std::string named = file.empty() ? failed : failed + " " + file;
        const ReplaceOutcome& outcome = LastReplaceOutcome();
        // Another program's save held this save up, and the user has been told so for an earlier file.
        if (outcome.saidBefore)
            return SaveEnd::Failed;
        if (outcome.step != ReplaceFailure::None)
            text = named + ": " + ReplaceFailureReason(outcome);
        else if (!held.firstText().empty())
            text = held.firstText(); // the writer refused the content, and says why
        else
            text = named;
    }
    showSaveError(text);
    return SaveEnd::Failed;
}

} // namespace engine
