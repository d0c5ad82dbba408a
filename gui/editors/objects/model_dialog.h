#pragma once
// The widget side of every editor dialog: builds its controls from a control table, moves values between
// them and the model's ViewState, and hands clicks, OK and Cancel to the model.
#include <map>

#include "gui/editors/model/dialog_model.h"
#include "gui/editors/objects/control_table.h"
#include "gui/shell/omba_dialog.h"

class QButtonGroup;
class QGridLayout;
class QWidget;

namespace editors {

class ModelDialog : public COMBADialog, private DialogHost {
    Q_OBJECT
public:
    ModelDialog(DialogModel& model, const ControlTable& controls, QWidget* parent = nullptr);
    ~ModelDialog() override;

    // The values as the model last saw or set them.
    const ViewState& state() const { return m_state; }

    // Widgets to state and back.
    void pull();
    void push();

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    void pushNow(const ViewState& state) override;
    void build(const ControlTable& controls);
    void onClicked(int id);
    void focusEdit(int id);

    DialogModel& m_model;
    ViewState m_state;
};

// Runs a dialog of a model modally; 1 OK, 2 Cancel.
int runModelDialog(DialogModel& model, const ControlTable& controls, QWidget* parent);

} // namespace editors
