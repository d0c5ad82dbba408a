#include "command_output_dialog.h"

#include "capture_runner.h"
#include "fixed_pitch.h"

#include "gui/layout/dialog_maps.h"
#include "platform/qt/locale_text.h"
#include "platform/qt/control_id.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string_view>
#include <thread>

namespace shell {

namespace {
const QEvent::Type kNewTextEvent = static_cast<QEvent::Type>(QEvent::User + 1024);
const QEvent::Type kDoneEvent = static_cast<QEvent::Type>(QEvent::User + 1025);
// Characters the bytes hold when decoded: a byte that continues a character is not one.
std::uint64_t CharactersIn(std::string_view bytes)
{
    return static_cast<std::uint64_t>(std::count_if(bytes.begin(), bytes.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x80 || byte >= 0xC0;
    }));
}
} // namespace

// What the capture thread and the window share: the pending pieces and the window to post to, which the
// window clears when it goes. The pieces are bounded: when the window falls behind a chatty command, the
// oldest pieces are dropped (only a tail of the output is kept for showing anyway) and their lines counted.
struct CaptureShared : CaptureSink {
    std::mutex mutex;
    std::deque<std::string> pending;
    std::size_t pendingBytes = 0;
    std::uint64_t droppedLines = 0;
    // Characters dropped since the last line end dropped: the start of the line the drop ends in.
    std::uint64_t droppedLineStart = 0;
    bool droppedLineEnd = false; // a line end was dropped since the last take
    bool dropped = false;
    bool posted = false; // a new-text event is on its way or being handled
    bool closed = false; // the window is gone: nothing more is kept
    QPointer<QObject> receiver;

    void AppendText(std::string text) override
    {
        std::lock_guard lock(mutex);
        if (closed)
            return;
        pendingBytes += text.size();
        pending.push_back(std::move(text));
        while (pendingBytes > CommandOutputDialog::kPendingLimit && pending.size() > 1) {
            const std::string& oldest = pending.front();
            droppedLines += static_cast<std::uint64_t>(std::count(oldest.begin(), oldest.end(), '\n'));
            const std::size_t lineEnd = oldest.rfind('\n');
            if (lineEnd != std::string::npos) {
                droppedLineStart = 0;
                droppedLineEnd = true;
            }
            droppedLineStart += CharactersIn(std::string_view(oldest).substr(lineEnd == std::string::npos ? 0 : lineEnd + 1));
            pendingBytes -= oldest.size();
            pending.pop_front();
            dropped = true;
        }
    }
    void post(QEvent::Type type)
    {
        std::lock_guard lock(mutex);
        if (receiver)
            QCoreApplication::postEvent(receiver.data(), new QEvent(type));
    }
    void PostNewText() override
    {
        std::lock_guard lock(mutex);
        if (receiver && !posted) {
            posted = true;
            QCoreApplication::postEvent(receiver.data(), new QEvent(kNewTextEvent));
        }
    }
    void PostDone() override { post(kDoneEvent); }
};

} // namespace shell

namespace {

// All line ends become CR LF.
std::string toCrLf(const std::string& piece)
{
    std::string result;
    result.reserve(piece.size() + piece.size() / 16);
    for (std::size_t i = 0; i < piece.size(); ++i) {
        if (piece[i] == '\r' && i + 1 < piece.size() && piece[i + 1] == '\n')
            continue;
        if (piece[i] == '\n')
            result += '\r';
        result += piece[i];
    }
    return result;
}

} // namespace

CommandOutputDialog::CommandOutputDialog(const std::string& command, bool pipeMode, QWidget* parent,
                                         std::vector<std::string> environment)
    : CDynamicDialog(kTemplateId, parent)
    , m_command(command)
    , m_pipeMode(pipeMode)
    , m_environment(std::move(environment))
    , m_shared(std::make_shared<shell::CaptureShared>())
    , m_stop(std::make_shared<platform::GroupStop>())
{
    ModifyFlags(FlagCopyBits, 0);
    resize(560, 360);
    m_output = new QPlainTextEdit(this);
    m_output->setReadOnly(true);
    m_output->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_output->setGeometry(8, 8, 544, 308);
    platform::setControlId(m_output, kOutputId);
    m_copy = new QPushButton(QStringLiteral("Copy"), this);
    m_copy->setGeometry(290, 324, 90, 26);
    platform::setControlId(m_copy, kCopyId);
    m_close = new QPushButton(QStringLiteral("Close"), this);
    m_close->setGeometry(180, 324, 90, 26);
    m_close->setDefault(true);
    platform::setControlId(m_close, kCloseId);
    connect(m_copy, &QPushButton::clicked, this, &CommandOutputDialog::OnCopy);
    connect(m_close, &QPushButton::clicked, this, [this] { EndDialog(IdOk); });
    // The next step of a long output runs from a timer, which the event loop serves only after the input
    // and paint events that came meanwhile.
    m_nextStep.setSingleShot(true);
    m_nextStep.setInterval(0);
    connect(&m_nextStep, &QTimer::timeout, this, &CommandOutputDialog::OnNewText);
}

CommandOutputDialog::~CommandOutputDialog()
{
    {
        // What the command still writes is read and dropped; what was waiting is freed now.
        std::lock_guard lock(m_shared->mutex);
        m_shared->receiver = nullptr;
        m_shared->closed = true;
        m_shared->pending.clear();
        m_shared->pendingBytes = 0;
    }
    // The command and everything it started end with the window; the capture thread then ends too.
    m_stop->Request();
    if (m_waitCursor)
        QApplication::restoreOverrideCursor();
}

const layout::DynamicMapEntry* CommandOutputDialog::GetDynamicMap() const
{
    return layout::kOutputDialogMap;
}

bool CommandOutputDialog::OnInitDialog()
{
    CDynamicDialog::OnInitDialog();
    m_close->setEnabled(false);
    m_copy->setEnabled(false);
    // The command line reads as the shell receives it, in the locale's encoding.
    setWindowTitle(platform::captionText(QStringLiteral("Output from command: \"%1\"").arg(platform::toQString(m_command))));
    shell::UseFixedPitchFont(m_output);
    // No busy cursor over the window: it stays usable (Copy, Close) while the command runs.
    m_shared->receiver = this;
    std::thread([shared = m_shared, stop = m_stop, command = m_command, pipe = m_pipeMode,
                 environment = m_environment] { shell::RunCaptured(command, pipe, environment, *shared, stop); })
        .detach();
    return true;
}

void CommandOutputDialog::AppendText(std::string text)
{
    m_shared->AppendText(std::move(text));
}

CommandOutputDialog::Taken CommandOutputDialog::takePending(std::size_t budget)
{
    Taken taken;
    std::lock_guard lock(m_shared->mutex);
    taken.dropped = m_shared->dropped;
    taken.droppedLines = m_shared->droppedLines;
    taken.droppedLineStart = m_shared->droppedLineStart;
    taken.droppedLineEnd = m_shared->droppedLineEnd;
    m_shared->dropped = false;
    m_shared->droppedLines = 0;
    m_shared->droppedLineStart = 0;
    m_shared->droppedLineEnd = false;
    std::size_t bytes = 0;
    while (!m_shared->pending.empty() && bytes < budget) {
        bytes += m_shared->pending.front().size();
        m_shared->pendingBytes -= m_shared->pending.front().size();
        taken.pieces.push_back(std::move(m_shared->pending.front()));
        m_shared->pending.pop_front();
    }
    taken.more = !m_shared->pending.empty();
    if (!taken.more)
        m_shared->posted = false;
    return taken;
}

void CommandOutputDialog::leaveOutShownText(std::uint64_t droppedLines, std::uint64_t droppedLineStart,
                                            bool droppedLineEnd)
{
    // Everything shown so far is older than what was dropped: none of it belongs to the tail any more.
    QTextDocument* document = m_output->document();
    // The blocks before the last are whole lines; the last one is empty or a line whose end is counted
    // with the dropped text or skipped after it.
    const int first = m_noticeShown ? 1 : 0;
    const auto shownLines = static_cast<std::uint64_t>(std::max(0, document->blockCount() - first - 1));
    // The start of the line the drop ends in: what was dropped of it, after what was shown of it when no
    // line end was dropped.
    std::uint64_t lineStart = droppedLineStart;
    if (!droppedLineEnd) {
        lineStart += static_cast<std::uint64_t>(std::max(0, document->lastBlock().length() - 1));
        if (shownLines == 0 && m_firstLineCounted)
            lineStart += m_firstLineCut;
    }
    QTextCursor body(document);
    body.setPosition(first > 0 ? document->firstBlock().next().position() : 0);
    body.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    body.removeSelectedText();
    // A first line that is the remainder of one counted already is in the count once: finished (among the
    // lines shown or dropped), or not (the line the drop ends in).
    m_leftOutLines += shownLines + droppedLines - (m_firstLineCounted && shownLines + droppedLines > 0 ? 1 : 0);
    m_firstLineCut = lineStart;
    m_text.clear();
    m_shownLength = 0;
    m_heldCr = false;
    m_decoder.Finish();
    showLeftOut();
}

void CommandOutputDialog::showLeftOut()
{
    if (m_leftOutLines == 0)
        return;
    // Whole lines, and the start of the first line shown when that line was cut.
    const std::uint64_t wholeLines = m_leftOutLines - (m_firstLineCounted ? 1 : 0);
    QString notice;
    if (!m_firstLineCounted)
        notice = QStringLiteral("[... %1 earlier lines left out ...]").arg(wholeLines);
    else if (wholeLines == 0)
        notice = QStringLiteral("[... the first %1 characters of the line below left out ...]").arg(m_firstLineCut);
    else
        notice = QStringLiteral("[... %1 earlier lines and the first %2 characters of the line below left out ...]")
                     .arg(wholeLines)
                     .arg(m_firstLineCut);
    const QTextCursor caret = m_output->textCursor();
    const bool caretAtStart = !caret.hasSelection() && caret.position() == 0;
    QTextCursor cursor(m_output->document());
    if (m_noticeShown) {
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        cursor.insertText(notice);
    } else {
        cursor.insertText(notice + u'\n');
        m_noticeShown = true;
    }
    if (caretAtStart)
        m_output->moveCursor(QTextCursor::Start);
}

void CommandOutputDialog::keepTail()
{
    // The edit keeps the last kKeptCharacters or so: whole lines go from the top, and the first line says
    // how many. A line longer than kLongestShownLine (output without line ends) keeps its own tail only,
    // below the notice: it counts as left out, once.
    QTextDocument* document = m_output->document();
    const QTextBlock last = document->lastBlock();
    const bool longLine = last.length() > kLongestShownLine + kLongestShownLine / 4;
    if (!longLine && document->characterCount() <= kKeptCharacters + kKeptCharacters / 4)
        return;
    const int keptCharacters = longLine ? kLongestShownLine : kKeptCharacters;
    const int first = m_noticeShown ? 1 : 0;
    const QTextBlock top = document->findBlockByNumber(first);
    const QTextBlock keep = document->findBlock(document->characterCount() - keptCharacters);
    const bool inside = longLine || keep.blockNumber() <= first;
    const int cut = inside ? document->characterCount() - 1 - keptCharacters : keep.position();
    // Whole lines that go (the first of them counted already when it was a line's remainder), and the line
    // cut inside unless it is that remainder.
    const int wholeLines = std::max(0, keep.blockNumber() - first);
    std::uint64_t counted = static_cast<std::uint64_t>(wholeLines);
    if (wholeLines > 0 && m_firstLineCounted)
        --counted;
    if (inside && !(wholeLines == 0 && m_firstLineCounted))
        ++counted;
    // The characters of the line cut inside that go: those before the cut, and those of it never shown.
    const QTextBlock cutLine = document->findBlock(cut);
    const std::uint64_t lineCut = inside ? static_cast<std::uint64_t>(cut - cutLine.position()) +
                                               (cutLine == last ? m_unshownLineStart : 0)
                                         : 0;
    const bool sameLine = inside && wholeLines == 0 && m_firstLineCounted;
    m_firstLineCut = sameLine ? m_firstLineCut + lineCut : lineCut;
    m_unshownLineStart = 0;
    QTextCursor cursor(document);
    cursor.setPosition(top.position());
    cursor.setPosition(cut, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    m_firstLineCounted = inside;
    m_leftOutLines += counted;
    showLeftOut();
    // The bytes behind the shown text go the same way, at a line end.
    const auto kept = static_cast<std::size_t>(keptCharacters);
    if (m_shownLength > kept) {
        std::size_t from = inside ? std::string::npos : m_text.find('\n', m_shownLength - kept);
        from = from == std::string::npos || from >= m_shownLength ? m_shownLength - kept : from + 1;
        m_text.erase(0, from);
        m_shownLength -= from;
    }
}

void CommandOutputDialog::showText()
{
    ++m_showCount;
    // Only what came since the last showing is added: setting the whole text each time made a long output
    // take minutes to arrive.
    if (m_shownLength > m_text.size())
        m_shownLength = 0;
    const std::string_view bytes(m_text.data() + m_shownLength, m_text.size() - m_shownLength);
    QString added = m_decoder.Decode(bytes).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    // Of a line far longer than the window shows, only what can stay is inserted: enough for keepTail to
    // see the line is cut and count it.
    const qsizetype lineStart = added.lastIndexOf(u'\n') + 1;
    const qsizetype longest = kLongestShownLine + kLongestShownLine / 4 + 1;
    if (added.size() - lineStart > longest) {
        const qsizetype unshown = added.size() - lineStart - longest;
        added.remove(lineStart, unshown);
        m_unshownLineStart += static_cast<std::uint64_t>(unshown);
    }
    m_shownLength = m_text.size();
    // The user's caret stays where it was (Copy with nothing selected at the start copies everything).
    const QTextCursor caret = m_output->textCursor();
    const bool caretAtStart = !caret.hasSelection() && caret.position() == 0;
    QTextCursor end(m_output->document());
    end.movePosition(QTextCursor::End);
    end.insertText(added);
    keepTail();
    if (caretAtStart)
        m_output->moveCursor(QTextCursor::Start);
    m_output->verticalScrollBar()->setValue(m_output->verticalScrollBar()->maximum());
}

void CommandOutputDialog::OnNewText()
{
    // One step takes what the window can show at once; the rest waits for the next step, after the
    // window has answered its input and painted.
    Taken taken = takePending(kStepBytes);
    if (taken.dropped) {
        // Dropped pieces take everything shown before them out of the tail. The line the drop ends in is
        // left out too (unless it is the line left out last time, still unfinished): the tail starts at the
        // next line when one starts in what was taken, or else with the rest of that line.
        leaveOutShownText(taken.droppedLines + 1, taken.droppedLineStart, taken.droppedLineEnd);
        m_skipToLineStart = std::any_of(taken.pieces.begin(), taken.pieces.end(),
                                        [](const std::string& piece) { return piece.find('\n') != std::string::npos; });
        m_firstLineCounted = !m_skipToLineStart;
    }
    std::size_t shownLength = m_text.size();
    for (std::string& piece : taken.pieces) {
        if (m_skipToLineStart) {
            // Up to the end of the line the drop cut, which is counted already.
            const std::size_t end = piece.find('\n');
            if (end == std::string::npos)
                continue;
            piece.erase(0, end + 1);
            m_skipToLineStart = false;
        }
        if (m_heldCr) {
            piece.insert(0, 1, '\r');
            m_heldCr = false;
        }
        // A CR LF may be split between two reads: keep a final CR for the next piece.
        if (!piece.empty() && piece.back() == '\r') {
            piece.pop_back();
            m_heldCr = true;
        }
        m_text += toCrLf(piece);
        // A line already longer than the window shows of it is shown once per step: its start goes anyway.
        const bool longLine = piece.find('\n') == std::string::npos &&
                              m_output->document()->lastBlock().length() >= kLongestShownLine;
        if (m_text.size() - shownLength >= static_cast<std::size_t>(kShowStep) && !longLine) {
            showText();
            shownLength = m_text.size();
        }
    }
    m_copy->setEnabled(!m_output->document()->isEmpty());
    if (m_text.size() != shownLength)
        showText();
    if (taken.more)
        m_nextStep.start();
    else if (m_captureEnded && !m_done)
        finish();
}

void CommandOutputDialog::OnCaptureDone()
{
    m_captureEnded = true;
    OnNewText();
}

void CommandOutputDialog::finish()
{
    if (m_heldCr) {
        m_heldCr = false;
        m_text += '\r';
        showText();
    }
    // A character the output ended inside is shown as what it is, a byte that does not decode.
    if (m_decoder.Holding()) {
        QTextCursor end(m_output->document());
        end.movePosition(QTextCursor::End);
        end.insertText(m_decoder.Finish());
    }
    m_done = true;
    m_close->setEnabled(true);
    m_copy->setEnabled(!m_output->document()->isEmpty());
    if (m_waitCursor) {
        m_waitCursor = false;
        QApplication::restoreOverrideCursor();
    }
}

void CommandOutputDialog::OnCopy()
{
    QTextCursor cursor = m_output->textCursor();
    if (!cursor.hasSelection() && cursor.position() == 0) {
        m_output->selectAll();
        cursor = m_output->textCursor();
    }
    QApplication::clipboard()->setText(cursor.selectedText().replace(QChar::ParagraphSeparator, u'\n'));
}

void CommandOutputDialog::OnCancel()
{
    // Esc and the close box end the window as Close does, also while the command still runs; the command
    // ends with it.
    m_stop->Request();
    EndDialog(IdOk);
}

bool CommandOutputDialog::event(QEvent* event)
{
    if (event->type() == shell::kNewTextEvent) {
        OnNewText();
        return true;
    }
    if (event->type() == shell::kDoneEvent) {
        OnCaptureDone();
        return true;
    }
    return CDynamicDialog::event(event);
}
