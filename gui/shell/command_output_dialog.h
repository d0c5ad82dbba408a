#pragma once
// "Output from command": runs a command on a capture thread and shows what it writes, as it comes, in a
// fixed-pitch read-only text. Copy copies the selection (all text when nothing is selected); Close becomes
// available when the command has finished. The window may be closed while the command runs: the command and
// everything it started are then ended, and the thread stops posting and ends.

#include "gui/layout/dynamic_dialog.h"
#include "platform/qt/locale_text.h"

#include <QString>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class QPlainTextEdit;
class QPushButton;

namespace shell {
struct CaptureShared;
}
namespace platform {
class GroupStop;
}

class CommandOutputDialog : public CDynamicDialog {
    Q_OBJECT

public:
    static constexpr unsigned kTemplateId = 204;
    static constexpr int kOutputId = 1271;
    static constexpr int kCopyId = 2;
    static constexpr int kCloseId = 1;
    static constexpr int kShowStep = 1025;
    // A long output keeps a tail of about this many characters in the window, under a line saying how many
    // lines were left out; at most this many bytes wait to be shown; one step of the display takes this many.
    static constexpr int kKeptCharacters = 1 << 20;
    // Of a line longer than this (output without line ends) the window shows this much of its end.
    static constexpr int kLongestShownLine = 1 << 12;
    static constexpr std::size_t kPendingLimit = 1u << 20;
    static constexpr std::size_t kStepBytes = 16u << 10;

    CommandOutputDialog(const std::string& command, bool pipeMode, QWidget* parent,
                        std::vector<std::string> environment = {});
    ~CommandOutputDialog() override;

    // The text as the command wrote it (bytes in the locale's encoding), every line ending in CR LF; of a
    // long output, the tail the window keeps.
    const std::string& text() const { return m_text; }
    bool isDone() const { return m_done; }
    QPlainTextEdit* output() const { return m_output; }
    QPushButton* copyButton() const { return m_copy; }
    QPushButton* closeButton() const { return m_close; }
    // How often the output was shown while draining (for tests of the stepwise display).
    int showCount() const { return m_showCount; }
    // Lines of a long output that are no longer kept (the window's first line says so).
    std::uint64_t leftOutLines() const { return m_leftOutLines; }
    // Characters left out of the start of the first line shown (0 when that line is shown whole).
    std::uint64_t firstLineCut() const { return m_firstLineCounted ? m_firstLineCut : 0; }

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
    // Pending pieces of about budget bytes, whether more wait, and what was dropped since the last take.
    struct Taken {
        std::vector<std::string> pieces;
        bool more = false;
        bool dropped = false;
        std::uint64_t droppedLines = 0; // whole lines, and a line the drop cut inside
        std::uint64_t droppedLineStart = 0; // characters dropped of the line the drop ends in
        bool droppedLineEnd = false;        // whether a line end was dropped
    };
    Taken takePending(std::size_t budget);
    // Takes everything shown out of the tail after a drop; droppedLines counts the lines the drop left out,
    // the one it ends in included.
    // droppedLineStart and droppedLineEnd say how much of the line the drop ends in was dropped.
    void leaveOutShownText(std::uint64_t droppedLines, std::uint64_t droppedLineStart, bool droppedLineEnd);
    void showLeftOut();
    void keepTail();
    void showText();
    void finish();

    std::string m_command;
    bool m_pipeMode;
    std::vector<std::string> m_environment;
    std::shared_ptr<shell::CaptureShared> m_shared;
    std::shared_ptr<platform::GroupStop> m_stop;
    std::string m_text;
    bool m_heldCr = false; // a CR at the end of a piece waits for the next piece
    bool m_done = false;
    bool m_captureEnded = false;   // the command's end arrived; done once the pending text is shown
    bool m_skipToLineStart = false; // pieces were dropped: the tail starts at the next line
    bool m_firstLineCounted = false; // the first line shown is the end of a line counted as left out
    bool m_noticeShown = false;
    std::uint64_t m_leftOutLines = 0;
    std::uint64_t m_firstLineCut = 0;     // characters left out of the first line shown, when it was cut
    std::uint64_t m_unshownLineStart = 0; // characters of the last line taken out before they were shown
    bool m_waitCursor = false;
    int m_showCount = 0;
    std::size_t m_shownLength = 0; // bytes of the text already in the edit
    platform::StreamDecoder m_decoder; // holds a character split between two showings
    QTimer m_nextStep;
    QPlainTextEdit* m_output;
    QPushButton* m_copy;
    QPushButton* m_close;
};
