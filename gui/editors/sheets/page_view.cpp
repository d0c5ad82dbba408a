#include "gui/editors/sheets/page_view.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QValidator>
#include <QVBoxLayout>

#include "gui/shell/custom_check_list_box.h"
#include "platform/qt/control_id.h"
#include "platform/qt/latin1.h"

namespace editors {

namespace {

// Refuses typing that makes the text longer than the record's field holds.
class LengthLimit : public QValidator {
public:
    LengthLimit(QLineEdit* edit, int limit) : QValidator(edit), m_edit(edit), m_limit(limit) {}
    State validate(QString& input, int&) const override
    {
        return input.size() > m_limit && input.size() > m_edit->text().size() ? Invalid : Acceptable;
    }

private:
    QLineEdit* m_edit;
    int m_limit;
};

struct Level {
    QWidget* container;
    QGridLayout* grid;
    int line = -1;
    int column = 0;
};

} // namespace

ModelPage::ModelPage(PageModel& model, const PageRows& rows, QWidget* parent)
    : platform::PropertyPage(QString::fromLatin1(model.caption()), parent), m_model(model), m_rows(rows)
{
    build(rows);
}

void ModelPage::build(const PageRows& rows)
{
    auto* outer = new QVBoxLayout(this);
    auto* body = new QWidget(this);
    outer->addWidget(body);
    outer->addStretch(1);
    std::vector<Level> levels{{body, new QGridLayout(body)}};
    levels.back().grid->setContentsMargins(0, 0, 0, 0);
    QButtonGroup* radios = nullptr;

    const auto place = [&](QWidget* widget, bool sameLine, int span = 1) {
        Level& level = levels.back();
        if (!sameLine || level.line < 0) {
            ++level.line;
            level.column = 0;
        }
        level.grid->addWidget(widget, level.line, level.column, 1, span);
        level.column += span;
    };
    const auto identify = [](QWidget* widget, int id) {
        if (id > 0)
            platform::setControlId(widget, id);
    };

    for (std::size_t r = 0; r < rows.size(); ++r) {
        const PageRow& row = rows[r];
        // A fixed text takes the whole line unless something follows it on that line.
        const bool followed = r + 1 < rows.size() && rows[r + 1].sameLine;
        const QString label = row.label ? QString::fromLatin1(row.label) : QString();
        QWidget* parentWidget = levels.back().container;
        const int id = row.id;
        switch (row.kind) {
        case PageRowKind::Edit: {
            if (row.label)
                place(new QLabel(label, parentWidget), row.sameLine);
            auto* edit = new QLineEdit(parentWidget);
            identify(edit, id);
            edit->installEventFilter(this);
            place(edit, row.sameLine || row.label != nullptr);
            connect(edit, &QLineEdit::textEdited, this, [this, id] { onClicked(id); });
            break;
        }
        case PageRowKind::Combo: {
            if (row.label)
                place(new QLabel(label, parentWidget), row.sameLine);
            auto* combo = new QComboBox(parentWidget);
            identify(combo, id);
            place(combo, row.sameLine || row.label != nullptr);
            connect(combo, &QComboBox::activated, this, [this, id] { onClicked(id); });
            break;
        }
        case PageRowKind::Check: {
            auto* box = new QCheckBox(label, parentWidget);
            identify(box, id);
            place(box, row.sameLine, 2);
            connect(box, &QAbstractButton::clicked, this, [this, id] { onClicked(id); });
            break;
        }
        case PageRowKind::RadioFirst:
        case PageRowKind::Radio: {
            auto* radio = new QRadioButton(label, parentWidget);
            identify(radio, id);
            if (row.kind == PageRowKind::RadioFirst || !radios) {
                radios = new QButtonGroup(this);
                radios->setExclusive(true);
            }
            radios->addButton(radio);
            place(radio, row.sameLine);
            connect(radio, &QAbstractButton::clicked, this, [this, id] { onClicked(id); });
            break;
        }
        case PageRowKind::Button: {
            auto* button = new QPushButton(label, parentWidget);
            button->setAutoDefault(false);
            identify(button, id);
            place(button, row.sameLine);
            connect(button, &QAbstractButton::clicked, this, [this, id] { onClicked(id); });
            break;
        }
        case PageRowKind::Static:
        case PageRowKind::Text: {
            auto* text = new QLabel(label, parentWidget);
            text->setWordWrap(row.kind == PageRowKind::Text);
            text->setProperty("fixedText", row.label != nullptr && *row.label != '\0');
            identify(text, id);
            place(text, row.sameLine, row.kind == PageRowKind::Text && !followed ? 4 : 1);
            break;
        }
        case PageRowKind::List: {
            auto* list = new QTreeWidget(parentWidget);
            list->setColumnCount(2);
            list->setHeaderHidden(true);
            list->setRootIsDecorated(false);
            list->header()->setStretchLastSection(false);
            list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
            list->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
            list->setMinimumHeight(160);
            identify(list, id);
            place(list, row.sameLine, 4);
            connect(list, &QTreeWidget::currentItemChanged, this, [this, id] { onClicked(id); });
            connect(list, &QTreeWidget::itemDoubleClicked, this, [this, id] {
                pull();
                if (m_model.doubleClicked(id, m_state))
                    push();
            });
            break;
        }
        case PageRowKind::CheckList: {
            auto* list = new CustomCheckListBox(parentWidget);
            list->setMinimumHeight(200);
            identify(list, id);
            place(list, row.sameLine, 4);
            connect(list, &QListWidget::currentRowChanged, this, [this, id] { onClicked(id); });
            connect(list, &CustomCheckListBox::checkChanged, this, [this, id] { onCheckChanged(id); });
            connect(list, &QListWidget::itemDoubleClicked, this, [this, id] {
                pull();
                if (m_model.doubleClicked(id, m_state))
                    push();
            });
            break;
        }
        case PageRowKind::ScrollBar: {
            auto* bar = new QScrollBar(Qt::Vertical, parentWidget);
            bar->setPageStep(8);
            identify(bar, id);
            levels.back().grid->addWidget(bar, 0, 8, 8, 1);
            connect(bar, &QScrollBar::valueChanged, this, [this, id] { onClicked(id); });
            break;
        }
        case PageRowKind::GroupBegin: {
            auto* group = new QGroupBox(label, parentWidget);
            identify(group, id);
            place(group, row.sameLine, 4);
            levels.push_back({group, new QGridLayout(group)});
            break;
        }
        case PageRowKind::GroupEnd:
            if (levels.size() > 1)
                levels.pop_back();
            break;
        }
    }
}

void ModelPage::fillList(int id)
{
    QWidget* widget = platform::findControl(this, id);
    const std::vector<ListLine> lines = m_model.items(id);
    const int selected = m_state.find(id) ? m_state.find(id)->check : -1;
    if (auto* list = qobject_cast<QTreeWidget*>(widget)) {
        const QSignalBlocker block(list);
        list->clear();
        for (const ListLine& line : lines) {
            const std::string::size_type tab = line.text.find('\t');
            auto* item = new QTreeWidgetItem(list);
            item->setText(0, platform::toQString(line.text.substr(0, tab)));
            if (tab != std::string::npos)
                item->setText(1, platform::toQString(line.text.substr(tab + 1)));
            item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        }
        list->setCurrentItem(selected >= 0 ? list->topLevelItem(selected) : nullptr);
    } else if (auto* checks = qobject_cast<CustomCheckListBox*>(widget)) {
        const QSignalBlocker block(checks);
        checks->clear();
        for (const ListLine& line : lines) {
            const int item = checks->AddString(platform::toQString(line.text));
            checks->SetCheck(item, line.check);
            checks->Enable(item, line.enabled);
            checks->SetItemTag(item, line.indent);
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
        if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
            const QString text = platform::toQString(control.text);
            if (edit->text() != text)
                edit->setText(text);
            if (control.limit > 0 && !edit->validator())
                edit->setValidator(new LengthLimit(edit, control.limit));
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            if (button->isCheckable())
                button->setChecked(control.check != 0);
            if (!control.caption.empty())
                button->setText(platform::toQString(control.caption));
        } else if (auto* bar = qobject_cast<QScrollBar*>(widget)) {
            bar->setRange(0, control.limit);
            bar->setValue(control.check);
        } else if (qobject_cast<QTreeWidget*>(widget) || qobject_cast<QComboBox*>(widget) ||
                   qobject_cast<CustomCheckListBox*>(widget)) {
            fillList(id);
        } else if (auto* text = qobject_cast<QLabel*>(widget)) {
            // A static with a caption of its own keeps it unless the model gives it a text.
            if (!control.text.empty() || !text->property("fixedText").toBool())
                text->setText(platform::toQString(control.text));
        }
        widget->setEnabled(control.enabled);
        widget->setVisible(control.visible);
        widget->setToolTip(platform::toQString(m_model.toolTip(id)));
    }
    m_pushing = false;
}

void ModelPage::pull()
{
    for (const auto& [id, control] : m_state.controls()) {
        (void)control;
        QWidget* widget = platform::findControl(this, id);
        if (auto* edit = qobject_cast<QLineEdit*>(widget))
            m_state[id].text = platform::toStdString(edit->text());
        else if (auto* button = qobject_cast<QAbstractButton*>(widget); button && button->isCheckable())
            m_state[id].check = button->isChecked() ? 1 : 0;
        else if (auto* list = qobject_cast<QTreeWidget*>(widget))
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
    pull();
    const OkOutcome outcome = m_model.killActive(m_state);
    if (outcome.push || !outcome.close)
        push();
    if (!outcome.close)
        focusEdit(outcome.focusId);
    return outcome.close;
}

void ModelPage::OnOK()
{
    pull();
    m_model.ok(m_state);
}

bool ModelPage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && !m_pushing && isCreated() && qobject_cast<QLineEdit*>(watched)) {
        pull();
        m_model.store(m_state);
    }
    return platform::PropertyPage::eventFilter(watched, event);
}

void ModelPage::onClicked(int id)
{
    if (m_pushing || !isCreated())
        return;
    pull();
    if (m_model.clicked(id, m_state))
        push();
}

void ModelPage::onCheckChanged(int id)
{
    auto* checks = platform::findControl<CustomCheckListBox>(this, id);
    if (m_pushing || !isCreated() || !checks)
        return;
    pull();
    // Hand each line whose box the user changed to the model; the push shows what it kept.
    const std::vector<ListLine> lines = m_model.items(id);
    for (int line = 0; line < static_cast<int>(lines.size()) && line < checks->count(); ++line) {
        const int check = checks->GetCheck(line);
        if (check != lines[line].check)
            m_model.checkChanged(id, line, check, m_state);
    }
    push();
}

void ModelPage::focusEdit(int id)
{
    QWidget* widget = id > 0 ? platform::findControl(this, id) : nullptr;
    if (!widget)
        return;
    widget->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->selectAll();
}

} // namespace editors
