#pragma once
// The display-free side of the editors' dialogs. A dialog model fills a ViewState (the text, check, enable,
// visible and caption state of each control, by control id) from the records, reacts to clicks, and on OK
// stores, checks and marks dirty in its fixed order. A view moves values between its widgets and the
// ViewState and does nothing else; tests drive the models directly.
#include <map>
#include <string>
#include <string_view>

#include "engine/records/field_descriptions.h"
#include "engine/records/records.h"

namespace editors {

enum DialogResult : int { ResultOk = 1, ResultCancel = 2 };

// Common control ids.
enum CommonControl : int { IdOkButton = 1, IdCancelButton = 2 };

struct ControlState {
    std::string text;     // an edit's text or a static's
    int check = 0;        // check boxes and radio buttons
    bool enabled = true;
    bool visible = true;
    std::string caption;  // label of a check box, radio button or group; empty: the view's own
    int limit = 0;        // an edit accepts no typing past this many characters (0: no limit)
    std::string widest;   // a static's texts to come, one a line: it keeps room for the widest (empty: none)
};

class ViewState {
public:
    ControlState& operator[](int id) { return m_controls[id]; }
    const ControlState* find(int id) const;
    bool has(int id) const { return find(id) != nullptr; }
    // The text of a control, empty when it has none.
    std::string text(int id) const;
    bool checked(int id) const;
    const std::map<int, ControlState>& controls() const { return m_controls; }

    std::string title;

private:
    std::map<int, ControlState> m_controls;
};

// What the view does for the model in the middle of an OK: show the member values now (before a later
// message box of the same OK).
class DialogHost {
public:
    virtual ~DialogHost() = default;
    virtual void pushNow(const ViewState& state) = 0;
};

// A host that ignores the pushes (tests that only read the final state).
class NullDialogHost : public DialogHost {
public:
    void pushNow(const ViewState&) override {}
};

// The end of an OK: close with OK, or stay open with the focus (and a select-all) on an edit, after
// pushing the members to the controls when asked.
struct OkOutcome {
    bool close = false;
    int focusId = 0;
    bool push = false;

    static OkOutcome closeOk() { return {true, 0, false}; }
    static OkOutcome stay(int focus, bool pushMembers) { return {false, focus, pushMembers}; }
};

class DialogModel {
public:
    virtual ~DialogModel() = default;
    virtual unsigned templateId() const = 0;
    // Fills the state from the records (and, for some classes, writes forced values into them).
    virtual void init(ViewState& state) = 0;
    // A button was clicked (its new check state is already in state). Returns true when the state changed.
    virtual bool clicked(int /*id*/, ViewState& /*state*/) { return false; }
    // The OK button. Messages go through the message service.
    virtual OkOutcome ok(ViewState& state, DialogHost& host) = 0;
    // The Cancel button; most dialogs touch nothing.
    virtual void cancel() {}
};

// Shows a check message the way the object dialogs do: the program's name as caption, an OK button.
void showCheckMessage(const std::string& text);

// The check of every editing road: true when the project, as the edit leaves it, would save and open
// again; else false after a message that says why the change cannot be kept.
bool projectKeepsEdit(const engine::ProjectRecord& project);

// True when the number a text starts with, as ParseNumber reads it, fits 32 bits (no digits: true).
bool NumberFits32Bits(std::string_view text);

// True when the number a typed text starts with, as ParseNumber reads it, is a value the file can hold for
// the field its description describes (none: fits 32 bits).
bool TypedNumberFits(std::string_view typed, const engine::FieldDescription* field);

} // namespace editors
