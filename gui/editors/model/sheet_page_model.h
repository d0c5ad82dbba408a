#pragma once
// The display-free side of a property page. A page fills a ViewState from the records once it has been
// shown (load), stores the controls into the records when an edit loses the focus (store), reacts to
// clicks, and decides whether the user may leave it (killActive). Lists and combo boxes take their lines
// from items(); their selected line is the control's check value (-1 for none).
#include <functional>
#include <string>
#include <vector>

#include "engine/records/records.h"
#include "gui/editors/model/dialog_model.h"
#include "platform/core/message_service.h"

namespace editors {

struct ListLine {
    std::string text;  // a tab separates the right-aligned column
    int indent = 0;
    int check = 0;      // check lists: 1 checked
    bool enabled = true;
};

class PageModel {
public:
    virtual ~PageModel() = default;
    virtual const char* caption() const = 0;
    virtual unsigned templateId() const = 0;

    // The first showing of the page: from now on load() fills the controls.
    void initialise(ViewState& state)
    {
        m_initialised = true;
        load(state);
    }
    bool initialised() const { return m_initialised; }
    // Fills the controls from the records; does nothing before the page was first shown.
    void reload(ViewState& state)
    {
        if (m_initialised)
            load(state);
    }

    // Moves the controls into the records (an edit lost the focus).
    virtual void store(ViewState&) {}
    // A button or list was used (its new state is in state). True when the state changed.
    virtual bool clicked(int /*id*/, ViewState& /*state*/) { return false; }
    // Leaving the page or OK: close == false keeps the page, with the focus on focusId.
    virtual OkOutcome killActive(ViewState& state)
    {
        store(state);
        return OkOutcome::closeOk();
    }
    // The sheet's OK, given to every page that was shown.
    virtual void ok(ViewState& /*state*/) {}
    // A list line was double-clicked.
    virtual bool doubleClicked(int /*id*/, ViewState& /*state*/) { return false; }
    // The user changed the check of a check list's line.
    virtual bool checkChanged(int /*id*/, int /*line*/, int /*check*/, ViewState& /*state*/) { return false; }
    // The tool tip of a control (empty: none).
    virtual std::string toolTip(int /*id*/) const { return {}; }
    // The lines of a list or combo box.
    virtual std::vector<ListLine> items(int /*id*/) const { return {}; }
    // The edit a refused click wants focused (its text selected), once; 0 for none.
    int takeFocusRequest()
    {
        const int id = m_focusRequest;
        m_focusRequest = 0;
        return id;
    }
    // How the view shows the state it handed to a check at once (set by the view; none in model tests).
    void setShowNow(std::function<void()> show) { m_showNow = std::move(show); }

protected:
    virtual void load(ViewState& state) = 0;
    void requestFocus(int id) { m_focusRequest = id; }
    // Shows a corrected value in the controls before the message that reports it.
    void showNow()
    {
        if (m_showNow)
            m_showNow();
    }

private:
    bool m_initialised = false;
    int m_focusRequest = 0;
    std::function<void()> m_showNow;
};

// A chosen file's path as the project stores it: its folder relative to the project file's folder (the
// current folder when there is no project), a separator, the file name.
std::string ProjectRelativePath(const engine::ProjectRecord* project, const std::string& path);

// What keeps the trimmed name out of the project file, worded to follow "<What> name cannot "; empty when
// the project file can carry it (engine::nameSyntaxProblem).
std::string FileSyntaxProblem(const std::string& name);

// Shows a page's message: caption as given (empty: the program's title), an OK button, a warning icon
// unless the style says otherwise.
void pageMessage(const std::string& text, const std::string& caption = std::string(),
                 unsigned style = platform::MbOk | platform::MbIconWarning);

// While one lives, page messages are kept in it instead of shown: a check that runs inside an input event
// (a tab's mouse press, a held scroll bar) leaves them for its view to show once the event has ended or the
// controls show the state again. GUI thread only.
class PageMessageDeferral {
public:
    struct Kept {
        std::string text;
        std::string caption;
        unsigned style;
    };
    PageMessageDeferral();
    ~PageMessageDeferral();
    PageMessageDeferral(const PageMessageDeferral&) = delete;
    PageMessageDeferral& operator=(const PageMessageDeferral&) = delete;
    std::vector<Kept> take() { return std::move(m_kept); }
    // The innermost living deferral, or null.
    static PageMessageDeferral* current();
    void keep(Kept message) { m_kept.push_back(std::move(message)); }

private:
    std::vector<Kept> m_kept;
    PageMessageDeferral* m_outer;
};

} // namespace editors
