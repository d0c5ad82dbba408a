#include "qt_message_service.h"

#include "caption_fit.h"
#include "locale_text.h"
#include "wait_cursor.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QThread>
#include <QWindow>

#include <algorithm>
#include <climits>

namespace platform {

namespace {

// The invisible place to break that lets a box wrap a long path.
constexpr char16_t kBreakHere = 0x200B;

// What is copied from the box, by its own copy key or from a selection of its text, is the text as it
// is held: the places to break are taken out of the clipboard again. Only a text that came from this
// box is touched.
void copyWithoutBreaks(QMessageBox& box, const QString& held)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    QObject::connect(clipboard, &QClipboard::changed, &box, [clipboard, held](QClipboard::Mode mode) {
        QString text = clipboard->text(mode);
        if (!text.contains(QChar(kBreakHere)))
            return;
        text.remove(QChar(kBreakHere));
        if (held.contains(text) || text.contains(held))
            clipboard->setText(text, mode);
    });
}

// A text taller than half the screen (a summary of many files) scrolls within the box, so the box and
// its buttons stay on the screen.
void fitHeight(QMessageBox& box, const QRect& available, int room)
{
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    const int budget = available.height() / 2;
    if (!label || !grid ||
        QFontMetrics(label->font()).boundingRect(QRect(0, 0, room, INT_MAX), Qt::TextWordWrap, box.text()).height() <=
            budget)
        return;
    int row = 0;
    int column = 0;
    int rows = 1;
    int columns = 1;
    grid->getItemPosition(grid->indexOf(label), &row, &column, &rows, &columns);
    grid->removeWidget(label);
    auto* area = new QScrollArea(&box);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    label->setWordWrap(true);
    area->setWidget(label);
    area->setFixedSize(room + area->verticalScrollBar()->sizeHint().width(), budget);
    grid->addWidget(area, row, column, rows, columns);
}

} // namespace

QMessageBox::StandardButton QtMessageService::toStandardButton(int answer)
{
    switch (answer) {
    case IdOk: return QMessageBox::Ok;
    case IdCancel: return QMessageBox::Cancel;
    case IdAbort: return QMessageBox::Abort;
    case IdRetry: return QMessageBox::Retry;
    case IdIgnore: return QMessageBox::Ignore;
    case IdYes: return QMessageBox::Yes;
    case IdNo: return QMessageBox::No;
    default: return QMessageBox::NoButton;
    }
}

int QtMessageService::toAnswer(QMessageBox::StandardButton button)
{
    switch (button) {
    case QMessageBox::Ok: return IdOk;
    case QMessageBox::Cancel: return IdCancel;
    case QMessageBox::Abort: return IdAbort;
    case QMessageBox::Retry: return IdRetry;
    case QMessageBox::Ignore: return IdIgnore;
    case QMessageBox::Yes: return IdYes;
    case QMessageBox::No: return IdNo;
    default: return 0;
    }
}

QMessageBox::StandardButtons QtMessageService::standardButtons(unsigned style)
{
    QMessageBox::StandardButtons buttons;
    for (int answer : buttonsOfStyle(style))
        buttons |= toStandardButton(answer);
    return buttons;
}

QMessageBox::Icon QtMessageService::icon(unsigned style)
{
    switch (style & 0xF0) {
    case MbIconError: return QMessageBox::Critical;
    case MbIconQuestion: return QMessageBox::Question;
    case MbIconWarning: return QMessageBox::Warning;
    case MbIconInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

QMessageBox::StandardButton QtMessageService::defaultButton(unsigned style)
{
    return toStandardButton(defaultAnswer(style));
}

QString QtMessageService::messageText(const std::string& text)
{
    return toQString(text);
}

QString QtMessageService::breakableText(const QString& text, const QFontMetrics& metrics, int room)
{
    // A word the box cannot wrap (a long path) is given places to break, invisible ones: after each '/',
    // and where a part between them still passes the room. A word that fits stays as it is.
    const QChar breakHere(kBreakHere);
    QString result;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && !text[end].isSpace())
            ++end;
        const QString word = text.mid(start, end - start);
        if (metrics.horizontalAdvance(word) <= room) {
            result += word;
        } else {
            QString line;
            for (qsizetype i = 0; i < word.size(); ++i) {
                const bool pair = word[i].isHighSurrogate() && i + 1 < word.size();
                const QString character = word.mid(i, pair ? 2 : 1);
                i += pair ? 1 : 0;
                if (!line.isEmpty() && metrics.horizontalAdvance(line + character) > room) {
                    result += breakHere;
                    line.clear();
                }
                result += character;
                line += character;
                if (character == QStringLiteral("/")) {
                    result += breakHere;
                    line.clear();
                }
            }
        }
        // The blanks after the word, as they are.
        start = end;
        while (end < text.size() && text[end].isSpace())
            ++end;
        result += text.mid(start, end - start);
        start = end;
    }
    return result;
}

int QtMessageService::show(const std::string& text, const std::string& caption, unsigned style)
{
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app)
        return ConsoleMessageService().show(text, caption, style);
    if (QThread::currentThread() == app->thread())
        return showHere(text, caption, style);
    int answer = defaultAnswer(style);
    QMetaObject::invokeMethod(
        app, [&] { answer = showHere(text, caption, style); }, Qt::BlockingQueuedConnection);
    return answer;
}

QWidget* QtMessageService::ownerWindow()
{
    // The modal dialog on top is the window a box belongs to; the active window serves when there is none.
    // Right after a box closed no window is active yet, so the window the previous box belonged to (or
    // else the program's visible main window) keeps the next box of a sequence over it.
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner)
        owner = QApplication::activeWindow();
    if (!owner && m_lastOwner && m_lastOwner->isVisible())
        owner = m_lastOwner;
    if (!owner) {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->isVisible() && window->inherits("QMainWindow")) {
                owner = window;
                break;
            }
        }
    }
    if (owner)
        owner = owner->window();
    m_lastOwner = owner;
    return owner;
}

int QtMessageService::showHere(const std::string& text, const std::string& caption, unsigned style)
{
    // The box is a window of its own that the window manager keeps over its owner: were it the owner's
    // child, a window that goes while the box is open (a splash ending, a dialog destroyed) would take the
    // box with it, out from under this call.
    QMessageBox box(icon(style), toQString(caption), messageText(text), standardButtons(style));
    box.setAttribute(Qt::WA_QuitOnClose, false);
    FitCaption(box);
    QWidget* owner = ownerWindow();
    // The box fits its screen: its text wraps within the width at which a message box wraps its words
    // (half the screen, at most 500 pixels), long paths included.
    if (QScreen* screen = owner && owner->screen() ? owner->screen() : QGuiApplication::primaryScreen()) {
        const int room = std::min(screen->availableGeometry().width() / 2, 500);
        copyWithoutBreaks(box, box.text());
        box.setText(breakableText(box.text(), QFontMetrics(box.font()), room));
        fitHeight(box, screen->availableGeometry(), room);
    }
    if (owner && owner->windowHandle()) {
        box.winId();
        box.windowHandle()->setTransientParent(owner->windowHandle());
        // When that window goes or hides while the box is up (a splash ending), the box moves over the
        // window that stays, so it never sinks below it.
        const QPointer<QWidget> stays =
            owner->parentWidget() ? owner->parentWidget()->window() : static_cast<QWidget*>(nullptr);
        const auto moveOver = [&box, stays, leaving = static_cast<const void*>(owner)] {
            QWidget* next = stays && stays->isVisible() && stays != &box ? stays.data() : nullptr;
            for (QWidget* window : QApplication::topLevelWidgets()) {
                if (!next && window != &box && static_cast<const void*>(window) != leaving && window->isVisible() &&
                    window->inherits("QMainWindow"))
                    next = window;
            }
            if (!next || !next->windowHandle() || !box.windowHandle())
                return;
            box.windowHandle()->setTransientParent(next->windowHandle());
            box.raise();
            box.activateWindow();
        };
        QObject::connect(owner, &QObject::destroyed, &box, moveOver);
        QObject::connect(owner->windowHandle(), &QWindow::visibleChanged, &box, [moveOver](bool visible) {
            if (!visible)
                moveOver();
        });
    }
    box.setDefaultButton(defaultButton(style));
    // The close box and Esc answer Cancel when there is one, else the only or default button.
    const std::vector<int> buttons = buttonsOfStyle(style);
    int escape = buttons.size() == 1 ? buttons.front() : 0;
    for (int b : buttons) {
        if (b == IdCancel)
            escape = IdCancel;
    }
    if (escape)
        box.setEscapeButton(toStandardButton(escape));
    ScopedArrowCursor arrow;
    // Boxes that have ended are dropped here: after exec this service may be gone (the session ended
    // while the box was open), so nothing of it is touched then.
    m_open.erase(std::remove(m_open.begin(), m_open.end(), nullptr), m_open.end());
    m_open.emplace_back(&box);
    const int result = box.exec();
    const int answer = toAnswer(static_cast<QMessageBox::StandardButton>(result));
    return answer ? answer : (escape ? escape : defaultAnswer(style));
}

void QtMessageService::closeOpenBoxes()
{
    // Innermost first: each returns from its own exec as the stack unwinds.
    std::vector<QPointer<QMessageBox>> open = m_open;
    for (auto it = open.rbegin(); it != open.rend(); ++it)
        if (*it)
            (*it)->reject();
}

ScopedQtMessageService::ScopedQtMessageService()
    : m_previous(setMessageService(&m_service))
{
}

ScopedQtMessageService::~ScopedQtMessageService()
{
    setMessageService(m_previous);
}

} // namespace platform
