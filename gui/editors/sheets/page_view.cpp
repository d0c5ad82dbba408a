#include "gui/editors/sheets/page_view.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <optional>

#include "gui/editors/objects/control_builder.h"
#include "gui/shell/custom_check_list_box.h"
#include "platform/core/message_service.h"
#include "platform/qt/control_id.h"
#include "platform/qt/locale_text.h"

namespace editors {

namespace {

// Lists and scroll bars report inside the mouse press (or drag) that changed them, a combo box inside the
// key press or wheel turn that picked its line.
bool reportsInsidePress(QWidget* widget)
{
    return qobject_cast<QScrollBar*>(widget) || qobject_cast<QTreeWidget*>(widget) ||
           qobject_cast<CustomCheckListBox*>(widget) || qobject_cast<QComboBox*>(widget);
}

// A scroll bar held on an arrow repeats its step until it sees the release; a box shown while it is held
// takes that release, so the bar is let go of first.
void letGo(QScrollBar* bar)
{
    const QPointF inside(1, 1);
    QMouseEvent release(QEvent::MouseButtonRelease, inside, bar->mapToGlobal(inside), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &release);
}

} // namespace

ModelPage::ModelPage(PageModel& model, const ControlTable& rows, QWidget* parent)
    : platform::PropertyPage(platform::toQString(model.caption()), parent), m_model(model), m_rows(rows)
{
    build(rows);
    // Models and pages end in either order: the model keeps only a guarded way back.
    m_model.setShowNow([page = QPointer<ModelPage>(this)] {
        if (page)
            page->push();
    });
}

void ModelPage::build(const ControlTable& rows)
{
    auto* outer = new QVBoxLayout(this);
    ControlHooks hooks;
    hooks.clicked = [this](int id) { onClicked(id); };
    hooks.edited = hooks.clicked;
    hooks.doubleClicked = [this](int id) {
        later([this, id] {
            if (!isCreated())
                return;
            pull();
            if (m_model.doubleClicked(id, m_state))
                push();
        });
    };
    hooks.checkChanged = [this](int id) {
        if (!m_pushing)
            later([this, id] { onCheckChanged(id); });
    };
    hooks.editFilter = this;
    outer->addWidget(buildControls(this, rows, hooks));
    outer->addStretch(1);
}

void ModelPage::fillList(int id)
{
    // A list keeps its items when the number of lines stays: a refill between the two clicks of a
    // double-click (the first one's selection change) would otherwise take the row the second click
    // lands on away from under it, and no double-click would arrive.
    QWidget* widget = platform::findControl(this, id);
    const std::vector<ListLine> lines = m_model.items(id);
    const int count = static_cast<int>(lines.size());
    const int selected = m_state.find(id) ? m_state.find(id)->check : -1;
    if (auto* list = qobject_cast<QTreeWidget*>(widget)) {
        const QSignalBlocker block(list);
        if (list->topLevelItemCount() != count) {
            list->clear();
            for (int i = 0; i < count; ++i)
                new QTreeWidgetItem(list);
        }
        for (int i = 0; i < count; ++i) {
            const std::string& text = lines[i].text;
            const std::string::size_type tab = text.find('\t');
            QTreeWidgetItem* item = list->topLevelItem(i);
            item->setText(0, platform::toQString(text.substr(0, tab)));
            item->setText(1, tab != std::string::npos ? platform::toQString(text.substr(tab + 1)) : QString());
            item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        }
        list->setCurrentItem(selected >= 0 ? list->topLevelItem(selected) : nullptr);
    } else if (auto* checks = qobject_cast<CustomCheckListBox*>(widget)) {
        const QSignalBlocker block(checks);
        if (checks->count() != count) {
            checks->clear();
            for (const ListLine& line : lines)
                checks->AddString(platform::toQString(line.text));
        }
        for (int i = 0; i < count; ++i) {
            const ListLine& line = lines[i];
            checks->item(i)->setText(platform::toQString(line.text));
            checks->SetCheck(i, line.check);
            checks->Enable(i, line.enabled);
            checks->SetItemTag(i, line.indent);
        }
        checks->setCurrentRow(selected);
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        const QSignalBlocker block(combo);
        combo->clear();
        for (const ListLine& line : lines)
            combo->addItem(platform::toQString(line.text));
        combo->setCurrentIndex(selected);
    }
}

void ModelPage::push()
{
    m_pushing = true;
    for (const auto& [id, control] : m_state.controls()) {
        QWidget* widget = platform::findControl(this, id);
        if (!widget)
            continue;
        if (qobject_cast<QTreeWidget*>(widget) || qobject_cast<QComboBox*>(widget) ||
            qobject_cast<CustomCheckListBox*>(widget))
            fillList(id);
        showControl(widget, control);
        widget->setToolTip(platform::toQString(m_model.toolTip(id)));
    }
    m_pushing = false;
}

void ModelPage::pull()
{
    for (const auto& entry : m_state.controls()) {
        const int id = entry.first;
        QWidget* widget = platform::findControl(this, id);
        if (readControl(widget, m_state[id]))
            continue;
        if (auto* list = qobject_cast<QTreeWidget*>(widget))
            m_state[id].check = list->currentItem() ? list->indexOfTopLevelItem(list->currentItem()) : -1;
        else if (auto* checks = qobject_cast<CustomCheckListBox*>(widget))
            m_state[id].check = checks->currentRow();
        else if (auto* combo = qobject_cast<QComboBox*>(widget))
            m_state[id].check = combo->currentIndex();
        else if (auto* bar = qobject_cast<QScrollBar*>(widget))
            m_state[id].check = bar->value();
    }
}

void ModelPage::reload()
{
    if (!isCreated())
        return;
    m_model.reload(m_state);
    push();
}

bool ModelPage::OnInitDialog()
{
    platform::PropertyPage::OnInitDialog();
    m_state = ViewState();
    m_model.initialise(m_state);
    push();
    return true;
}

bool ModelPage::OnKillActive()
{
    runQueued();
    pull();
    // Leaving the page by its tab happens inside the tab's mouse press: a refusal's messages wait for the
    // press to end. A page that is left shows them now, while it is certain to be there.
    PageMessageDeferral deferral;
    const OkOutcome outcome = m_model.killActive(m_state);
    std::vector<PageMessageDeferral::Kept> messages = deferral.take();
    if (outcome.push || !outcome.close)
        push();
    if (outcome.close) {
        for (const PageMessageDeferral::Kept& message : messages)
            platform::messageBox(message.text, message.caption, message.style);
        return true;
    }
    focusEdit(outcome.focusId);
    if (!messages.empty()) {
        later([this, messages, focus = outcome.focusId] {
            if (showMessages(messages))
                focusEdit(focus);
        });
    }
    return false;
}

void ModelPage::OnOK()
{
    runQueued();
    pull();
    m_model.ok(m_state);
}

void ModelPage::OnCancel()
{
    // What is still queued (a message of a refusal) is shown before the sheet goes.
    runQueued();
    platform::PropertyPage::OnCancel();
}

bool ModelPage::eventFilter(QObject* watched, QEvent* event)
{
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (event->type() == QEvent::FocusOut && !m_pushing && isCreated() && edit != nullptr) {
        pull();
        m_model.store(m_state);
        // The edit left shows what was stored (a path as the record holds it), the others stay as typed.
        if (const ControlState* stored = m_state.find(platform::controlId(edit))) {
            const QString shown = platform::toQString(stored->text);
            if (edit->text() != shown) {
                m_pushing = true;
                edit->setText(shown);
                m_pushing = false;
            }
        }
    }
    return platform::PropertyPage::eventFilter(watched, event);
}

void ModelPage::onClicked(int id)
{
    if (m_pushing || !isCreated())
        return;
    if (reportsInsidePress(platform::findControl(this, id)))
        later([this, id] { handleClick(id, true); });
    else
        handleClick(id, false);
}

void ModelPage::handleClick(int id, bool held)
{
    if (!isCreated())
        return;
    pull();
    std::vector<PageMessageDeferral::Kept> messages;
    {
        // A press may still be held (a scroll bar's arrow): messages wait until the controls show the state
        // again and the bar has let go.
        std::optional<PageMessageDeferral> deferral;
        if (held)
            deferral.emplace();
        // A check list's selection change refills it from the records: checks not yet handed over go first.
        const bool handedOver = handOverChecks(id);
        if (m_model.clicked(id, m_state) || handedOver)
            push();
        if (deferral)
            messages = deferral->take();
    }
    const int focus = m_model.takeFocusRequest();
    if (focus)
        focusEdit(focus);
    if (showMessages(messages) && focus)
        focusEdit(focus);  // back to the failing edit once the box has gone
}

bool ModelPage::showMessages(const std::vector<PageMessageDeferral::Kept>& messages)
{
    if (messages.empty())
        return false;
    for (QScrollBar* bar : findChildren<QScrollBar*>())
        letGo(bar);
    const QPointer<ModelPage> alive(this);
    for (const PageMessageDeferral::Kept& message : messages) {
        platform::messageBox(message.text, message.caption, message.style);
        if (!alive)
            return false;
    }
    return true;
}

void ModelPage::later(std::function<void()> work)
{
    m_queued.push_back(std::move(work));
    if (m_queuePosted)
        return;
    m_queuePosted = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_queuePosted = false;
            runQueued();
        },
        Qt::QueuedConnection);
}

void ModelPage::runQueued()
{
    // Inside a box that queued work opened, new work waits for the loop below.
    if (m_runningQueued)
        return;
    m_runningQueued = true;
    while (!m_queued.empty()) {
        const std::function<void()> work = std::move(m_queued.front());
        m_queued.pop_front();
        work();
    }
    m_runningQueued = false;
}

void ModelPage::onCheckChanged(int id)
{
    if (!isCreated() || !platform::findControl<CustomCheckListBox>(this, id))
        return;
    pull();
    // A refused check (its message) shows once the list shows what the records kept.
    std::vector<PageMessageDeferral::Kept> messages;
    {
        PageMessageDeferral deferral;
        handOverChecks(id);
        push();
        messages = deferral.take();
    }
    showMessages(messages);
}

bool ModelPage::handOverChecks(int id)
{
    auto* checks = platform::findControl<CustomCheckListBox>(this, id);
    if (!checks)
        return false;
    // Each line whose box the user changed goes to the model; the next push shows what it kept.
    bool changed = false;
    const std::vector<ListLine> lines = m_model.items(id);
    for (int line = 0; line < static_cast<int>(lines.size()) && line < checks->count(); ++line) {
        const int check = checks->GetCheck(line);
        if (check != lines[line].check) {
            m_model.checkChanged(id, line, check, m_state);
            changed = true;
        }
    }
    return changed;
}

void ModelPage::focusEdit(int id)
{
    focusControl(this, id);
}

} // namespace editors
