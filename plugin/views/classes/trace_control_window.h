#pragma once
// The trace control window (display command 18): the trace mode, the bytes waiting on the target, the
// upload into the plug-in, saving what was uploaded and resetting the target's buffer. It runs modally
// over a model that keeps its figures from one run to the next.

#include "plugin/views/classes/trace_control_model.h"

#include "gui/layout/dynamic_dialog.h"

#include <functional>
#include <optional>
#include <string>

class QLabel;
class QPushButton;
class QRadioButton;

namespace views {

class TraceControlDialog : public CDynamicDialog {
    Q_OBJECT

public:
    static constexpr unsigned kDialogId = 1038;
    enum Control : int {
        Apply = 3, Ok = 1, Cancel = 2,
        OneShot = 1081, OneShotAutoSend = 1082, WrapAroundAutoSend = 1083, Continuous = 1084, WrapAround = 1087,
        AvailableBytes = 1080, Upload = 1085, ResetTarget = 1086, UploadedBytes = 1091, Uploads = 1093,
        Save = 1095, DiscardUploaded = 1097, SavedBytes = 1099, SavedFiles = 1100,
        ModeGroup = 1088, AvailableGroup = 1089, UploadedGroup = 1096, SavedGroup = 1098,
        Reason = 1103, // why no trace can be taken, read whole below the modes
    };

    explicit TraceControlDialog(TraceControlModel& model, QWidget* parent = nullptr);

    // A run: nothing pending, the target re-read, the controls set; then the modal loop.
    int run();
    // The steps of a run before its loop (tests drive the window without the loop).
    void prepare();
    void onCommand(int id);

    QWidget* control(int id) const;
    TraceControlModel& model() { return m_model; }

    // Asks for the file to save to; the default shows a save dialog (extension "dat", overwrite prompt).
    using SaveChooser = std::function<std::optional<std::string>(QWidget* parent)>;
    static void setSaveChooser(SaveChooser chooser);

    // The figures the window manager's runs share; they last as long as the plug-in.
    static TraceControlModel& sharedModel();

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    const layout::DynamicMapEntry* GetDynamicMap() const override;

private:
    void updateControls();

    TraceControlModel& m_model;
};

} // namespace views
