#pragma once
// The widget side of a property page: builds its controls from a row table, moves values between them
// and the page model's ViewState, stores when an edit loses the focus, and asks the model when the user
// leaves the page. What a press, a drag or a moving scroll bar asks for runs once that input event has
// ended, so no message box opens inside it.
#include <deque>
#include <functional>
#include <vector>

#include "gui/editors/model/sheet_page_model.h"
#include "gui/editors/objects/control_table.h"
#include "platform/qt/property_sheet.h"

namespace editors {

class ModelPage : public platform::PropertyPage {
    Q_OBJECT
public:
    ModelPage(PageModel& model, const ControlTable& rows, QWidget* parent = nullptr);

    PageModel& model() const { return m_model; }
    const ViewState& state() const { return m_state; }
    // Reloads the controls from the records (after another file was read); nothing before the first show.
    void reload();
    void pull();
    void push();
    // Lets code outside the page change its state: pull, change, push.
    template <typename Change>
    void update(Change change)
    {
        if (!isCreated())
            return;
        pull();
        change(m_state);
        push();
    }

    bool OnInitDialog() override;
    bool OnKillActive() override;
    void OnOK() override;
    void OnCancel() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build(const ControlTable& rows);
    void onClicked(int id);
    // held: the click came from a press or drag that may still be going on.
    void handleClick(int id, bool held);
    // Queues work to run after the current input event, in order and one piece at a time (a message box's
    // own event loop does not start the next piece); runQueued runs what is waiting now.
    void later(std::function<void()> work);
    void runQueued();
    // Shows messages a deferral kept, after the bars have let go of a held press; true when there were some
    // and the page is still there.
    bool showMessages(const std::vector<PageMessageDeferral::Kept>& messages);
    void focusEdit(int id);
    void fillList(int id);
    void onCheckChanged(int id);
    // Hands the checks of a check list that differ from the model's lines to the model; true when any did.
    bool handOverChecks(int id);

    PageModel& m_model;
    ControlTable m_rows;
    ViewState m_state;
    bool m_pushing = false;
    std::deque<std::function<void()>> m_queued;
    bool m_queuePosted = false;
    bool m_runningQueued = false;
};

} // namespace editors
