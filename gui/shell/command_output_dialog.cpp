#include "command_output_dialog.h"

#include "capture_runner.h"
#include "fixed_pitch.h"
#include "locale_text.h"

#include "gui/layout/dialog_maps.h"
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
#include <QTextCursor>

#include <deque>
#include <mutex>
#include <thread>

namespace shell {

namespace {
const QEvent::Type kNewTextEvent = static_cast<QEvent::Type>(QEvent::User + 1024);
const QEvent::Type kDoneEvent = static_cast<QEvent::Type>(QEvent::User + 1025);
} // namespace

// What the capture thread and the window share: the pending pieces and the window to post to, which the
// window clears when it goes.
struct CaptureShared : CaptureSink {
    std::mutex mutex;
    std::deque<std::string> pending;
    QPointer<QObject> receiver;

    void AppendText(std::string text) override
    {
        std::lock_guard lock(mutex);
        pending.push_back(std::move(text));
    }
    void post(QEvent::Type type)
    {
        std::lock_guard lock(mutex);
        if (receiver)
            QCoreApplication::postEvent(receiver.data(), new QEvent(type));
    }
    void PostNewText() override { post(kNewTextEvent); }
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
    , m_decoder(shell::LocaleDecoder())
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
}

CommandOutputDialog::~CommandOutputDialog()
{
    {
        std::lock_guard lock(m_shared->mutex);
        m_shared->receiver = nullptr;
    }
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
    setWindowTitle(QStringLiteral("Output from command: \"%1\"").arg(shell::FromLocaleText(m_command)));
    shell::UseFixedPitchFont(m_output);
    // No busy cursor over the window: it stays usable (Copy, Close) while the command runs.
    m_shared->receiver = this;
    std::thread([shared = m_shared, command = m_command, pipe = m_pipeMode, environment = m_environment] {
        shell::RunCaptured(command, pipe, environment, *shared);
    }).detach();
    return true;
}

void CommandOutputDialog::AppendText(std::string text)
{
    m_shared->AppendText(std::move(text));
}

bool CommandOutputDialog::takePending(std::string& text)
{
    std::lock_guard lock(m_shared->mutex);
    if (m_shared->pending.empty())
        return false;
    text = std::move(m_shared->pending.front());
    m_shared->pending.pop_front();
    return true;
}

void CommandOutputDialog::showText()
{
    ++m_showCount;
    // Only what came since the last showing is added: setting the whole text each time made a long output
    // take minutes to arrive.
    if (m_shownLength > m_text.size())
        m_shownLength = 0;
    const QByteArrayView bytes(m_text.data() + m_shownLength, static_cast<qsizetype>(m_text.size() - m_shownLength));
    const QString added = QString(m_decoder.decode(bytes)).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_shownLength = m_text.size();
    // The user's caret stays where it was (Copy with nothing selected at the start copies everything).
    const QTextCursor caret = m_output->textCursor();
    const bool caretAtStart = !caret.hasSelection() && caret.position() == 0;
    QTextCursor end(m_output->document());
    end.movePosition(QTextCursor::End);
    end.insertText(added);
    if (caretAtStart)
        m_output->moveCursor(QTextCursor::Start);
    m_output->verticalScrollBar()->setValue(m_output->verticalScrollBar()->maximum());
}

void CommandOutputDialog::OnNewText()
{
    std::size_t shownLength = m_text.size();
    std::string piece;
    while (takePending(piece)) {
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
        if (m_text.size() - shownLength >= static_cast<std::size_t>(kShowStep)) {
            showText();
            shownLength = m_text.size();
        }
    }
    m_copy->setEnabled(!m_text.empty());
    if (m_text.size() != shownLength)
        showText();
}

void CommandOutputDialog::OnCaptureDone()
{
    OnNewText();
    if (m_heldCr) {
        m_heldCr = false;
        m_text += '\r';
        showText();
    }
    m_done = true;
    m_close->setEnabled(true);
    m_copy->setEnabled(!m_text.empty());
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
    QApplication::clipboard()->setText(cursor.selectedText().replace(QChar::ParagraphSeparator, QLatin1Char('\n')));
}

void CommandOutputDialog::OnCancel()
{
    // Esc and the close box end the window as Close does, also while the command still runs.
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
