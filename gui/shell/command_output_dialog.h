#pragma once
// "Output from command": runs a command on a capture thread and shows what it writes, as it comes, in a
// fixed-pitch read-only text. Copy copies the selection (all text when nothing is selected); Close becomes
// available when the command has finished. The window may be closed while the command runs: the thread then
// stops posting and the command goes on reading nothing from its standard input.

#include "gui/layout/dynamic_dialog.h"

#include <QString>
#include <QStringDecoder>

#include <memory>
#include <string>
#include <vector>

class QPlainTextEdit;
class QPushButton;

namespace shell {
struct CaptureShared;
}

class CommandOutputDialog : public CDynamicDialog {
    Q_OBJECT

public:
    static constexpr unsigned kTemplateId = 204;
    static constexpr int kOutputId = 1271;
    static constexpr int kCopyId = 2;
    static constexpr int kCloseId = 1;
    static constexpr int kShowStep = 1025;

    CommandOutputDialog(const std::string& command, bool pipeMode, QWidget* parent,
                        std::vector<std::string> environment = {});
    ~CommandOutputDialog() override;

    // The accumulated text as the command wrote it (bytes in the locale's encoding), every line ending in
    // CR LF.
    const std::string& text() const { return m_text; }
    bool isDone() const { return m_done; }
    QPlainTextEdit* output() const { return m_output; }
    QPushButton* copyButton() const { return m_copy; }
    QPushButton* closeButton() const { return m_close; }
    // How often the output was shown while draining (for tests of the stepwise display).
    int showCount() const { return m_showCount; }

    // Called on the capture thread.
    void AppendText(std::string text);
    void OnNewText();
    void OnCaptureDone();
    void OnCopy();

protected:
    bool OnInitDialog() override;
    void OnCancel() override;
    const layout::DynamicMapEntry* GetDynamicMap() const override;
    bool event(QEvent* event) override;

private:
    bool takePending(std::string& text);
    void showText();

    std::string m_command;
    bool m_pipeMode;
    std::vector<std::string> m_environment;
    std::shared_ptr<shell::CaptureShared> m_shared;
    std::string m_text;
    bool m_heldCr = false; // a CR at the end of a piece waits for the next piece
    bool m_done = false;
    bool m_waitCursor = false;
    int m_showCount = 0;
    std::size_t m_shownLength = 0; // bytes of the text already in the edit
    QStringDecoder m_decoder;      // holds a character split between two showings
    QPlainTextEdit* m_output;
    QPushButton* m_copy;
    QPushButton* m_close;
};
