#include "gui/editors/objects/control_builder.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTreeWidget>
#include <QValidator>

#include <algorithm>
#include <vector>

#include "gui/layout/dialog_units.h"
#include "gui/shell/custom_check_list_box.h"
#include "platform/qt/control_id.h"
#include "platform/qt/locale_text.h"

namespace editors {

namespace {

// The control characters (C0, DEL and C1) in a text: a one-line value has no room for them.
qsizetype controlCharacters(const QString& text)
{
    return std::count_if(text.begin(), text.end(),
                         [](QChar c) { return c.unicode() < 0x20 || (c.unicode() >= 0x7f && c.unicode() <= 0x9f); });
}

// What typing and pasting may put into an edit: no control character (a pasted tab or line break), and no
// growth past the length limit (0: none), counted in the bytes the record holds. A longer text, or one with
// control characters, set from code is kept, so that the checks can report and correct it.
class TypedText : public QValidator {
public:
    explicit TypedText(QLineEdit* edit)
        : QValidator(edit), m_length(edit->text().size()), m_controls(controlCharacters(edit->text()))
    {
        connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) {
            m_length = text.size();
            m_controls = controlCharacters(text);
        });
    }
    void setLimit(int limit) { m_limit = limit; }
    // The edit holds the proposed text already while it asks, so the length to compare with is the one
    // last accepted.
    State validate(QString& input, int&) const override
    {
        if (controlCharacters(input) > m_controls)
            return Invalid;
        const auto bytes = static_cast<qsizetype>(platform::toBytes(input).size());
        return m_limit > 0 && bytes > m_limit && input.size() > m_length ? Invalid : Acceptable;
    }

private:
    int m_limit = 0;
    qsizetype m_length;
    qsizetype m_controls;
};

// A static whose row gives it a text keeps it unless the model gives it another.
constexpr const char* kFixedText = "fixedText";

// A heading that ends its line, directly above a list, stands over the list's right-aligned column.
bool headsListColumn(const ControlTable& table, std::size_t r)
{
    return table[r].sameLine && r + 1 < table.size() && !table[r + 1].sameLine &&
           (table[r + 1].kind == ControlKind::List || table[r + 1].kind == ControlKind::CheckList);
}

// Lists and check lists take the first four columns of their grid.
constexpr int kListSpan = 4;

// One level of nesting while the widgets are built: a container with its grid and the current line.
struct Level {
    QWidget* container;
    QGridLayout* grid;
    int line = -1;
    int column = 0;
};

// A label keeps an average character of room after its text, so the value beside it never reads as part
// of it.
QLabel* keepsGap(QLabel* label)
{
    label->setContentsMargins(0, 0, label->fontMetrics().averageCharWidth(), 0);
    return label;
}

void report(const std::function<void(int)>& hook, int id)
{
    if (hook)
        hook(id);
}

} // namespace

void filterTyping(QLineEdit* edit)
{
    edit->setValidator(new TypedText(edit));
}

QWidget* buildControls(QWidget* owner, const ControlTable& table, const ControlHooks& hooks)
{
    auto* body = new QWidget(owner);
    std::vector<Level> levels{{body, new QGridLayout(body)}};
    levels.back().grid->setContentsMargins(0, 0, 0, 0);
    QButtonGroup* radios = nullptr;
    std::size_t r = 0;  // the row being built

    const auto place = [&](QWidget* widget, bool sameLine, int span = 1) {
        Level& level = levels.back();
        if (table[r].firstCell && level.line >= 0) {
            level.grid->addWidget(widget, level.line, 0, 1, span);
            return;
        }
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
    const auto onClick = [&hooks](QAbstractButton* button, int id) {
        QObject::connect(button, &QAbstractButton::clicked, button, [hook = hooks.clicked, id] { report(hook, id); });
    };

    for (r = 0; r < table.size(); ++r) {
        const ControlRow& row = table[r];
        const bool followed = r + 1 < table.size() && table[r + 1].sameLine;
        const QString label = row.label ? platform::toQString(row.label) : QString();
        QWidget* parentWidget = levels.back().container;
        const int id = row.id;
        switch (row.kind) {
        case ControlKind::Edit: {
            if (row.label)
                place(keepsGap(new QLabel(label, parentWidget)), row.sameLine);
            auto* edit = new QLineEdit(parentWidget);
            edit->setValidator(new TypedText(edit));
            identify(edit, id);
            layout::fitEditWidth(edit, 0, QString());
            if (hooks.editFilter)
                edit->installEventFilter(hooks.editFilter);
            place(edit, row.sameLine || row.label != nullptr);
            if (hooks.edited)
                QObject::connect(edit, &QLineEdit::textEdited, edit, [hook = hooks.edited, id] { hook(id); });
            break;
        }
        case ControlKind::Combo: {
            if (row.label)
                place(keepsGap(new QLabel(label, parentWidget)), row.sameLine);
            auto* combo = new QComboBox(parentWidget);
            identify(combo, id);
            place(combo, row.sameLine || row.label != nullptr);
            QObject::connect(combo, &QComboBox::activated, combo, [hook = hooks.clicked, id] { report(hook, id); });
            break;
        }
        case ControlKind::Check: {
            auto* box = new QCheckBox(label, parentWidget);
            identify(box, id);
            place(box, row.sameLine, 2);
            onClick(box, id);
            break;
        }
        case ControlKind::RadioFirst:
        case ControlKind::Radio: {
            auto* radio = new QRadioButton(label, parentWidget);
            identify(radio, id);
            if (row.kind == ControlKind::RadioFirst || !radios) {
                radios = new QButtonGroup(owner);
                radios->setExclusive(true);
            }
            radios->addButton(radio);
            place(radio, row.sameLine);
            onClick(radio, id);
            break;
        }
        case ControlKind::Button: {
            auto* button = new QPushButton(label, parentWidget);
            button->setAutoDefault(false);
            identify(button, id);
            place(button, row.sameLine);
            onClick(button, id);
            break;
        }
        case ControlKind::Static:
        case ControlKind::Text: {
            auto* text = new QLabel(label, parentWidget);
            text->setWordWrap(row.kind == ControlKind::Text);
            text->setProperty(kFixedText, !label.isEmpty());
            identify(text, id);
            if (headsListColumn(table, r)) {
                text->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
                place(text, row.sameLine, std::max(1, kListSpan - levels.back().column));
                break;
            }
            // A static that labels the edit or combo box after it on its line.
            if (followed && (table[r + 1].kind == ControlKind::Edit || table[r + 1].kind == ControlKind::Combo))
                keepsGap(text);
            place(text, row.sameLine, row.kind == ControlKind::Text && !followed ? 4 : 1);
            break;
        }
        case ControlKind::List: {
            auto* list = new QTreeWidget(parentWidget);
            list->setColumnCount(2);
            list->setHeaderHidden(true);
            list->setRootIsDecorated(false);
            list->header()->setStretchLastSection(false);
            list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
            list->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
            list->setMinimumHeight(160);
            identify(list, id);
            place(list, row.sameLine, kListSpan);
            QObject::connect(list, &QTreeWidget::currentItemChanged, list, [hook = hooks.clicked, id] { report(hook, id); });
            QObject::connect(list, &QTreeWidget::itemDoubleClicked, list,
                             [hook = hooks.doubleClicked, id] { report(hook, id); });
            break;
        }
        case ControlKind::CheckList: {
            auto* list = new CustomCheckListBox(parentWidget);
            list->setMinimumHeight(200);
            identify(list, id);
            place(list, row.sameLine, kListSpan);
            QObject::connect(list, &QListWidget::currentRowChanged, list, [hook = hooks.clicked, id] { report(hook, id); });
            QObject::connect(list, &CustomCheckListBox::checkChanged, list,
                             [hook = hooks.checkChanged, id] { report(hook, id); });
            QObject::connect(list, &QListWidget::itemDoubleClicked, list,
                             [hook = hooks.doubleClicked, id] { report(hook, id); });
            break;
        }
        case ControlKind::ScrollBar: {
            auto* bar = new QScrollBar(Qt::Vertical, parentWidget);
            bar->setPageStep(8);
            identify(bar, id);
            levels.back().grid->addWidget(bar, 0, 8, 8, 1);
            QObject::connect(bar, &QScrollBar::valueChanged, bar, [hook = hooks.clicked, id] { report(hook, id); });
            break;
        }
        case ControlKind::GroupBegin: {
            auto* group = new QGroupBox(label, parentWidget);
            identify(group, id);
            place(group, row.sameLine, 4);
            levels.push_back({group, new QGridLayout(group)});
            break;
        }
        case ControlKind::GroupEnd:
            if (levels.size() > 1)
                levels.pop_back();
            break;
        }
    }
    return body;
}

void showControl(QWidget* widget, const ControlState& control)
{
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        const QString text = platform::toQString(control.text);
        if (edit->text() != text) {
            edit->setText(text);
            // Text set from code is shown from its start, as the user reads it; an edit being typed in
            // keeps its cursor.
            if (!edit->hasFocus())
                edit->setCursorPosition(0);
        }
        if (auto* typed = dynamic_cast<TypedText*>(const_cast<QValidator*>(edit->validator())))
            typed->setLimit(control.limit);
        layout::fitEditWidth(edit, control.limit, text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        if (button->isCheckable())
            button->setChecked(control.check != 0);
        if (!control.caption.empty())
            button->setText(platform::toQString(control.caption));
    } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
        if (!control.caption.empty())
            group->setTitle(platform::toQString(control.caption));
    } else if (auto* bar = qobject_cast<QScrollBar*>(widget)) {
        bar->setRange(0, control.limit);
        bar->setValue(control.check);
    } else if (auto* text = qobject_cast<QLabel*>(widget)) {
        if (!control.text.empty() || !text->property(kFixedText).toBool())
            text->setText(platform::toQString(control.text));
        if (!control.widest.empty()) {
            int width = 0;
            for (const QString& line : platform::toQString(control.widest).split(u'\n'))
                width = std::max(width, text->fontMetrics().horizontalAdvance(line));
            text->setMinimumWidth(width + text->fontMetrics().averageCharWidth());
        }
    }
    widget->setEnabled(control.enabled);
    // Widgets never hidden are left alone, so a dialog's rows show with it.
    if (!control.visible)
        widget->setVisible(false);
    else if (widget->isHidden() && widget->testAttribute(Qt::WA_WState_ExplicitShowHide))
        widget->setVisible(true);
}

bool readControl(QWidget* widget, ControlState& control)
{
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        control.text = platform::toBytes(edit->text());
        return true;
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget); button && button->isCheckable()) {
        control.check = button->isChecked() ? 1 : 0;
        return true;
    }
    return false;
}

void focusControl(QWidget* root, int id)
{
    QWidget* widget = id > 0 ? platform::findControl(root, id) : nullptr;
    if (!widget)
        return;
    widget->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->selectAll();
}

} // namespace editors
