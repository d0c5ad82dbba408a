#pragma once
// The life cycle every dialog of the programs follows, for modal and modeless use:
//   OnInitDialog  once before the window is first shown (and again if the same object is shown after it
//                 was destroyed, as a recreated window would be);
//   OnOK/OnCancel the OK button (or Enter) and Cancel (Esc, the close box); they end the dialog through
//                 EndDialog, or return without doing so to keep it open;
//   EndDialog     ends with a result (IdOk 1, IdCancel 2, or any other number);
//   OnDestroy     once per window life, while the window is still shown, so its placement and visibility
//                 can be read; then the window hides.
// Every dialog is wide enough for its caption as the window manager draws it (caption_fit.h).
// A destructor that finds the window still live runs DestroyWindow, which at that point reaches only the
// OnDestroy of the classes not yet destroyed: close windows through EndDialog or DestroyWindow.

#include <QDialog>

namespace platform {

class DialogBase : public QDialog {
    Q_OBJECT

public:
    enum Result { IdOk = 1, IdCancel = 2 };

    explicit DialogBase(QWidget* parent = nullptr);
    ~DialogBase() override;

    // Runs the dialog modally (an arrow cursor over any busy cursor meanwhile) and returns the result given
    // to EndDialog; IdCancel when the window went away otherwise.
    int exec() override;
    // Shows the dialog without a modal loop; the owner keeps working.
    void ShowModeless();
    // Ends the dialog with a result: OnDestroy, then the window hides and a modal loop returns.
    void EndDialog(int result);
    // Destroys the window without a new result (OnDestroy, then hide).
    void DestroyWindow();

    // Runs OnInitDialog now when the window is not live yet.
    void ensureInitialized();
    // Between OnInitDialog and OnDestroy.
    bool isLive() const { return m_state == State::Live; }
    // True while exec() runs (also during OnInitDialog of a modal run).
    bool isRunningModal() const { return m_runningModal; }

    void setVisible(bool visible) override;

public slots:
    void accept() override;
    void reject() override;

signals:
    // Emitted after OnInitDialog and before OnDestroy.
    void initialized();
    void destroying();

protected:
    // Returns true to let the platform give the focus (kept for symmetry with callers).
    virtual bool OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void OnDestroy();
    void changeEvent(QEvent* event) override;

private:
    enum class State { Fresh, Live, Destroyed };
    void runDestroy();

    State m_state = State::Fresh;
    bool m_initializing = false;
    bool m_runningModal = false;
};

} // namespace platform
