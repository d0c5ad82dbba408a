#include "plugin/views/listwin/list_window.h"

#include "plugin/views/listwin/plugin_resources.h"

#include "platform/core/folder_entries.h"
#include "platform/qt/locale_text.h"
#include "sdk/ide/if_desktop.h"

#include <QAction>
#include <QApplication>
#include <QBoxLayout>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QToolBar>
#include <QToolTip>

#include <boost/format.hpp>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace views {
namespace {

constexpr unsigned kRejectedEditString = 25096;

QColor toQColor(uint32_t colour)
{
    return QColor((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
}

// The frame's identifier of its standard toolbar, the name of the toolbar widget.
constexpr int kStandardToolbarId = 0xE800;
// Where a cell keeps the bitmap it shows (a QPixmap).
constexpr int kBitmapRole = Qt::UserRole + 1;

// The part of the bitmap at (left, 0) of the size given, with the pixels of the transparent colour
// left out.
QPixmap toPixmap(const IfBitmap& bitmap, uint32_t transparent, int left, int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t rgb = bitmap.pixels[static_cast<std::size_t>(y * bitmap.width + left + x)] & 0xFFFFFFu;
            image.setPixel(x, y, rgb == (transparent & 0xFFFFFFu) ? 0u : (0xFF000000u | rgb));
        }
    return QPixmap::fromImage(image);
}

// The cell's bitmap, loaded from the resource module that holds it; null when none does.
QPixmap cellBitmap(uint32_t id, uint32_t transparent)
{
    IfBitmap bitmap;
    if (!LoadBitmap(id, bitmap))
        return {};
    return toPixmap(bitmap, transparent, 0, bitmap.width, bitmap.height);
}

// A cell showing a bitmap: its background (and selection) as for any cell, then the bitmap at the
// cell's top-left corner, clipped to the cell, then the row's check box over it. Other cells are drawn
// as usual. A cell whose text is cut off shows its whole text as a tool tip.
class CellDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QVariant bitmap = index.data(kBitmapRole);
        if (bitmap.typeId() != QMetaType::QPixmap) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        QStyle* style = option.widget != nullptr ? option.widget->style() : QApplication::style();
        const bool checkBox = (cell.features & QStyleOptionViewItem::HasCheckIndicator) != 0;
        QStyleOptionViewItem box = cell;
        if (checkBox) {
            box.rect = style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &cell, option.widget);
            box.state &= ~QStyle::State_HasFocus;
            box.state |= cell.checkState == Qt::Checked ? QStyle::State_On : QStyle::State_Off;
        }
        cell.text.clear();
        cell.icon = QIcon();
        cell.features &= ~(QStyleOptionViewItem::HasDecoration | QStyleOptionViewItem::HasCheckIndicator);
        style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, option.widget);
        painter->save();
        painter->setClipRect(option.rect);
        painter->drawPixmap(option.rect.topLeft(), bitmap.value<QPixmap>());
        painter->restore();
        if (checkBox)
            style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &box, painter, option.widget);
    }

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override
    {
        if (event == nullptr || view == nullptr || event->type() != QEvent::ToolTip ||
            index.data(Qt::ToolTipRole).isValid())
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        QStyle* style = view->style();
        // The room the style leaves the text: its rectangle less the margins on both sides.
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
        const int room = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, view).width() - 2 * margin;
        const bool cut = !cell.text.isEmpty() && QFontMetrics(cell.font).horizontalAdvance(cell.text) > room;
        QToolTip::showText(event->globalPos(), cut ? cell.text : QString(), view->viewport(), option.rect);
        event->setAccepted(cut);
        return cut;
    }
};

} // namespace

QColor SelectionTextColour(const QColor& background)
{
    const int average = (background.red() + background.green() + background.blue()) / 3;
    return average < 128 ? QColor(Qt::white) : QColor(Qt::black);
}

// ---- the behaviour ----

DpListWindowBase::DpListWindowBase(QWidget* parent) : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    header()->setStretchLastSection(false);
    // Columns stay where they were added: the check box, the cell hit tests and the saved widths go
    // by column index.
    header()->setSectionsMovable(false);
    setColumnCount(0);
    setHeaderLabels({});
    setItemDelegate(new CellDelegate(this));
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* current) {
        if (current != nullptr)
            OnSelectionChanged(indexOfTopLevelItem(current));
    });
}

DpListWindowBase::~DpListWindowBase()
{
    StopIdle();
    closeEditors();
    if (m_toolbar) {
        m_toolbar->removeEventFilter(this);
        delete m_toolbar.data();
    }
}

void DpListWindowBase::createToolbar()
{
    QWidget* frame = parentWidget();
    if (m_toolbarId == 0 || m_toolbar || frame == nullptr)
        return;
    IfToolbar resource;
    IfBitmap images;
    if (!LoadToolbar(m_toolbarId, resource, images))
        return;
    auto* bar = new QToolBar(frame);
    bar->setObjectName(QString::number(kStandardToolbarId));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    bar->setIconSize(QSize(resource.buttonWidth, resource.buttonHeight));
    int image = 0;
    for (const unsigned command : resource.items) {
        if (command == 0) {
            bar->addSeparator();
            continue;
        }
        const QPixmap icon = toPixmap(images, kIfToolbarBackground, image++ * resource.buttonWidth,
                                      resource.buttonWidth, resource.buttonHeight);
        QAction* action = bar->addAction(QIcon(icon), QString());
        action->setObjectName(QString::number(command));
        action->setToolTip(platform::toQString(CommandToolTip(command)));
        connect(action, &QAction::triggered, this, [this, command] { OnCommand(command); });
        connect(action, &QAction::hovered, this, [command] { ShowCommandPrompt(command); });
    }
    bar->installEventFilter(this); // leaving it clears the prompt
    if (auto* box = qobject_cast<QBoxLayout*>(frame->layout()))
        box->insertWidget(0, bar);
    else
        bar->move(0, 0);
    bar->show();
    m_toolbar = bar;
}

void DpListWindowBase::setFonts()
{
    const QFont proportional = IfFontDb::GetFont("DefaultProportional");
    const QFont fixed = IfFontDb::GetFont("DefaultFixed");
    auto variants = [](const QFont& base, QFont* out) {
        out[0] = base;
        out[1] = base;
        out[1].setWeight(QFont::Bold);
        out[2] = base;
        out[2].setItalic(true);
    };
    variants(proportional, &m_fonts[0]);
    variants(fixed, &m_fonts[3]);
    setFont(m_fonts[0]);
}

QFont DpListWindowBase::StyleFont(int style) const
{
    if (style < StyleProportional || style > StyleFixedItalic)
        style = StyleProportional;
    return m_fonts[static_cast<std::size_t>(style - 1)];
}

void DpListWindowBase::OnInitialUpdate()
{
    createToolbar();
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setFonts();
    SetReady();
    InitColumns();
}

void DpListWindowBase::OnFontDbEvent(IfFontDbEvent::Type type)
{
    if (type != IfFontDbEvent::FontsChanged)
        return;
    setFonts();
    doItemsLayout();
}

bool DpListWindowBase::ExportToFile(const std::string& path) const
{
    // Only a regular file is written: a named pipe or a device at the path is refused before it is
    // opened, and the open neither waits (a pipe put there since without a reader fails at once) nor
    // truncates before what it opened is known to be a regular file.
    if (path.empty() || (::access(path.c_str(), F_OK) == 0 && !platform::IsRegularFile(path)))
        return false;
    std::string text;
    std::vector<std::string> texts;
    std::vector<CellAttributes> attributes;
    for (int r = 0; r < GetRowCount(); ++r) {
        if (!GetRow(r, texts, attributes))
            continue;
        for (std::size_t c = 0; c < texts.size(); ++c)
            text.append(c > 0 ? "\t" : "").append(texts[c]);
        text += '\n';
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::ftruncate(fd, 0) == 0;
    for (std::size_t done = 0; ok && done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            done += static_cast<std::size_t>(n);
    }
    return ::close(fd) == 0 && ok;
}

bool DpListWindowBase::SaveContent(IfContentStorage& storage)
{
    for (int c = 0; c < columnCount(); ++c)
        storage.Save(3, (boost::format("Column%d") % c).str(), columnWidth(c));
    const QModelIndex current = currentIndex();
    storage.Save(1, "DpListWindow-Selection", current.isValid() ? current.row() : -1);
    const QModelIndex top = indexAt(QPoint(0, 0));
    storage.Save(1, "DpListWindow-TopItem", top.isValid() ? top.row() : 0);
    storage.Save(1, "DpListWindow-ScrollH", horizontalScrollBar()->value());
    return true;
}

bool DpListWindowBase::RestoreContent(IfContentStorage& storage)
{
    for (int c = 0; c < columnCount(); ++c) {
        int width = 10;
        if (storage.Restore((boost::format("Column%d") % c).str(), width, 10))
            setColumnWidth(c, width & 0xFFFF);
    }
    int top = 0, scroll = 0, selection = -1;
    storage.Restore("DpListWindow-TopItem", top, 0);
    storage.Restore("DpListWindow-ScrollH", scroll, 0);
    storage.Restore("DpListWindow-Selection", selection, -1);
    if (selection != -1 && topLevelItem(selection) != nullptr) {
        setCurrentItem(topLevelItem(selection));
        topLevelItem(selection)->setSelected(true);
    }
    horizontalScrollBar()->setValue(scroll);
    if (QTreeWidgetItem* item = topLevelItem(top))
        scrollToItem(item, QAbstractItemView::PositionAtTop);
    return true;
}

void DpListWindowBase::mousePressEvent(QMouseEvent* event)
{
    const QPoint point = event->position().toPoint();
    QTreeWidgetItem* item = itemAt(point);
    const int row = item != nullptr ? indexOfTopLevelItem(item) : -1;
    const int column = item != nullptr ? columnAt(point.x()) : -1;
    bool checkClick = false;
    if (HasCheckBoxes() && row >= 0 && column == 0) {
        const QRect cell = visualRect(indexFromItem(item, 0));
        checkClick = point.x() >= cell.left() && point.x() < cell.left() + 4 + cell.height();
    }
    QTreeWidget::mousePressEvent(event);
    if (row < 0 || column < 0 || event->button() != Qt::LeftButton)
        return;
    if (checkClick)
        ToggleItemCheck(row);
    else if (IsCellTextEditable(row, column) && m_edit == nullptr)
        OpenEditBox(row, column);
    else if (IsCellListEditable(row, column))
        OpenDropDown(row, column);
}

void DpListWindowBase::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTreeWidgetItem* item = itemAt(event->position().toPoint());
    QTreeWidget::mouseDoubleClickEvent(event);
    if (item != nullptr)
        OnDoubleClick(indexOfTopLevelItem(item));
}

void DpListWindowBase::contextMenuEvent(QContextMenuEvent* event)
{
    const QModelIndex current = currentIndex();
    const int row = current.isValid() ? current.row() : -1;
    // From the keyboard there is no mouse position: the menu opens at the window's top-left corner.
    const QPoint point = event->reason() == QContextMenuEvent::Keyboard ? mapToGlobal(QPoint(0, 0)) : event->globalPos();
    if (!ShowContextMenu(row, point))
        QTreeWidget::contextMenuEvent(event);
}

void DpListWindowBase::OpenEditBox(int row, int column)
{
    QTreeWidgetItem* item = topLevelItem(row);
    std::string text;
    if (item == nullptr || m_edit != nullptr)
        return;
    scrollToItem(item);
    if (!GetItemText(row, column, text)) {
        viewport()->update();
        return;
    }
    m_edit = new QLineEdit(viewport());
    m_edit->setFont(font());
    m_edit->setGeometry(visualRect(indexFromItem(item, column)).adjusted(0, -2, 0, 2));
    m_edit->setText(platform::toQString(text));
    m_textAtStart = text;
    m_editRow = row;
    m_editColumn = column;
    m_edit->selectAll();
    m_edit->installEventFilter(this);
    m_edit->show();
    m_edit->setFocus();
}

void DpListWindowBase::OpenDropDown(int row, int column)
{
    QTreeWidgetItem* item = topLevelItem(row);
    if (item == nullptr)
        return;
    scrollToItem(item);
    std::vector<std::string> choices;
    GetCellChoices(row, column, choices);
    if (choices.empty())
        return;
    if (m_combo != nullptr)
        CancelEdit();
    m_combo = new QComboBox(viewport());
    m_combo->setFont(font());
    m_combo->setGeometry(visualRect(indexFromItem(item, column)).adjusted(0, -2, 0, 2));
    for (const std::string& choice : choices)
        m_combo->addItem(platform::toQString(choice));
    // The current text is looked for after the first choice, wrapping around to it.
    std::string text;
    int selected = 0;
    if (GetItemText(row, column, text)) {
        const int count = static_cast<int>(choices.size());
        for (int i = 1; i <= count; ++i)
            if (choices[static_cast<std::size_t>(i % count)] == text) {
                selected = i % count;
                break;
            }
    }
    m_combo->setCurrentIndex(selected);
    m_editRow = row;
    m_editColumn = column;
    m_combo->installEventFilter(this);
    connect(m_combo, &QComboBox::activated, this, [this] { CommitEdit(); });
    m_combo->show();
    m_combo->setFocus();
}

void DpListWindowBase::closeEditors()
{
    if (m_edit != nullptr) {
        m_edit->removeEventFilter(this);
        m_edit->hide();
        m_edit->deleteLater();
        m_edit = nullptr;
    }
    if (m_combo != nullptr) {
        m_combo->removeEventFilter(this);
        m_combo->hide();
        m_combo->deleteLater();
        m_combo = nullptr;
    }
    viewport()->update();
}

void DpListWindowBase::CommitEdit()
{
    if (m_committing)
        return;
    m_committing = true;
    const int row = m_editRow;
    const int column = m_editColumn;
    if (m_edit != nullptr) {
        const std::string text = platform::toBytes(m_edit->text());
        const bool changed = text != m_textAtStart;
        closeEditors();
        if (changed) {
            if (OnCellEdited(row, column, text))
                SetItemText(row, column, text);
            else
                RejectEdit();
        }
    } else if (m_combo != nullptr) {
        const std::string text = platform::toBytes(m_combo->currentText());
        closeEditors();
        if (OnCellEdited(row, column, text))
            SetItemText(row, column, text);
        else
            RejectEdit();
    }
    m_committing = false;
}

void DpListWindowBase::CancelEdit() { closeEditors(); }

void DpListWindowBase::commitEditIn(int row, int column)
{
    if ((m_edit != nullptr || m_combo != nullptr) && (row < 0 || m_editRow == row) &&
        (column < 0 || m_editColumn == column))
        CommitEdit();
}

void DpListWindowBase::followEditAfterColumnDeleted(int column)
{
    if ((m_edit == nullptr && m_combo == nullptr) || m_editColumn <= column)
        return;
    --m_editColumn;
    placeEditors();
}

void DpListWindowBase::followEditAfterRowDeleted(int row)
{
    if ((m_edit == nullptr && m_combo == nullptr) || m_editRow <= row)
        return;
    --m_editRow;
    placeEditors();
}

void DpListWindowBase::placeEditors()
{
    QTreeWidgetItem* item = topLevelItem(m_editRow);
    if (item == nullptr)
        return;
    const QRect cell = visualRect(indexFromItem(item, m_editColumn)).adjusted(0, -2, 0, 2);
    if (m_edit != nullptr)
        m_edit->setGeometry(cell);
    if (m_combo != nullptr)
        m_combo->setGeometry(cell);
}

void DpListWindowBase::showEvent(QShowEvent* event)
{
    // Cut cells show their text as a tool tip whichever window is active (the control panel has the
    // focus while the IDE's windows are looked at). The attribute is read from the top-level window,
    // which changes when the window is docked or floats; each shows the list again.
    if (QWidget* top = window(); top != nullptr && !top->testAttribute(Qt::WA_AlwaysShowToolTips))
        top->setAttribute(Qt::WA_AlwaysShowToolTips);
    QTreeWidget::showEvent(event);
}

void DpListWindowBase::RejectEdit()
{
    QApplication::beep();
    if (IfDesktop* desktop = IfDesktop::Instance())
        desktop->SetStatusText(LoadResourceString(kRejectedEditString));
}

bool DpListWindowBase::eventFilter(QObject* watched, QEvent* event)
{
    if (m_toolbar != nullptr && watched == m_toolbar.data()) {
        if (event->type() == QEvent::Leave)
            ShowCommandPrompt(0);
        return QTreeWidget::eventFilter(watched, event);
    }
    const bool editor = (m_edit != nullptr && watched == m_edit) || (m_combo != nullptr && watched == m_combo);
    if (!editor)
        return QTreeWidget::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            CommitEdit();
            return true;
        }
        if (key == Qt::Key_Escape) {
            CancelEdit();
            return true;
        }
    } else if (event->type() == QEvent::FocusOut && !m_committing) {
        if (m_combo != nullptr && m_combo->view()->isVisible())
            return false; // its own list took the focus
        // Losing the focus commits inside the same window, and cancels when another window takes it.
        QWidget* focus = QApplication::focusWidget();
        if (focus != nullptr && focus->window() == window())
            CommitEdit();
        else
            CancelEdit();
    }
    return QTreeWidget::eventFilter(watched, event);
}

// ---- the rows ----

struct DpListWindow::RowRecord {
    uint32_t textEditable = 0;
    uint32_t listEditable = 0;
    std::array<uint32_t, kAttributeColumns> textColour;
    std::array<uint32_t, kAttributeColumns> background;
    std::array<int, kAttributeColumns> style;
    uint32_t bitmapBits = 0;
    std::array<uint32_t, kAttributeColumns> bitmap{};
    std::array<uint32_t, kAttributeColumns> transparent{};
    RowRecord()
    {
        textColour.fill(kDefaultColour);
        background.fill(kDefaultColour);
        style.fill(StyleProportional);
    }
};

class DpListWindow::Row final : public QTreeWidgetItem {
public:
    // The window toggles the check box itself on the mouse press; the item must not toggle it back.
    Row() { setFlags(flags() & ~Qt::ItemIsUserCheckable); }

    // Cells take the alignment of their column's header.
    QVariant data(int column, int role) const override
    {
        if (role == Qt::TextAlignmentRole && treeWidget() != nullptr && treeWidget()->headerItem() != nullptr)
            return treeWidget()->headerItem()->data(column, role);
        return QTreeWidgetItem::data(column, role);
    }

    std::unique_ptr<RowRecord> record; // made when first needed
    // The row's check state: 0 none yet, 1 unchecked, 2 checked. A list without check boxes keeps it
    // without showing it.
    int stateImage = 0;
};

DpListWindow::DpListWindow(QWidget* parent) : DpListWindowBase(parent) {}

DpListWindow::~DpListWindow()
{
    CancelEdit(); // no handler of a class already destroyed is asked to take the edit
    DeleteAllRows();
}

DpListWindow::Row* DpListWindow::rowAt(int row) const
{
    return row >= 0 && row < topLevelItemCount() ? static_cast<Row*>(topLevelItem(row)) : nullptr;
}

bool DpListWindow::validCell(int row, int column) const
{
    return rowAt(row) != nullptr && column >= 0 && column < columnCount();
}

DpListWindow::RowRecord& DpListWindow::record(int row)
{
    Row* item = rowAt(row);
    if (!item->record)
        item->record = std::make_unique<RowRecord>();
    return *item->record;
}

void DpListWindow::applyCell(int row, int column)
{
    Row* item = rowAt(row);
    if (item == nullptr || column < 0 || column >= kAttributeColumns)
        return;
    const RowRecord* r = item->record.get();
    const uint32_t text = r != nullptr ? r->textColour[static_cast<std::size_t>(column)] : kDefaultColour;
    const uint32_t back = r != nullptr ? r->background[static_cast<std::size_t>(column)] : kDefaultColour;
    item->setData(column, Qt::ForegroundRole, text == kDefaultColour ? QVariant() : QVariant(toQColor(text)));
    item->setData(column, Qt::BackgroundRole, back == kDefaultColour ? QVariant() : QVariant(toQColor(back)));
    item->setFont(column, StyleFont(r != nullptr ? r->style[static_cast<std::size_t>(column)] : StyleProportional));
    const bool bitmap = r != nullptr && (r->bitmapBits & (1u << column)) != 0;
    const QPixmap pixmap = bitmap ? cellBitmap(r->bitmap[static_cast<std::size_t>(column)],
                                               r->transparent[static_cast<std::size_t>(column)])
                                  : QPixmap();
    item->setData(column, kBitmapRole, pixmap.isNull() ? QVariant() : QVariant(pixmap));
}

void DpListWindow::emptyCell(int row, int column)
{
    Row* item = rowAt(row);
    if (item == nullptr || column < 0)
        return;
    for (const int role : {int(Qt::DisplayRole), int(Qt::ForegroundRole), int(Qt::BackgroundRole), int(Qt::FontRole),
                           int(Qt::ToolTipRole), kBitmapRole})
        item->setData(column, role, QVariant());
    RowRecord* r = item->record.get();
    if (r == nullptr || column >= kAttributeColumns)
        return;
    const uint32_t bit = 1u << column;
    const auto i = static_cast<std::size_t>(column);
    r->textEditable &= ~bit;
    r->listEditable &= ~bit;
    r->bitmapBits &= ~bit;
    r->textColour[i] = kDefaultColour;
    r->background[i] = kDefaultColour;
    r->style[i] = StyleProportional;
    r->bitmap[i] = 0;
    r->transparent[i] = 0;
}

int DpListWindow::InsertRowAt(const std::string& text, int index, uint32_t textColour, int style)
{
    if (index < 0 || index > topLevelItemCount())
        return -1;
    auto* item = new Row;
    insertTopLevelItem(index, item);
    item->setText(0, platform::toQString(text));
    if (m_checkBoxes) {
        item->stateImage = 1;
        showCheck(item);
    }
    if (textColour != kDefaultColour || style != StyleProportional) {
        RowRecord& r = record(index);
        r.textColour.fill(textColour);
        r.style.fill(style);
        for (int c = 0; c < std::min(columnCount(), kAttributeColumns); ++c)
            applyCell(index, c);
    }
    return index;
}

int DpListWindow::InsertRow(const std::string& text, int where, uint32_t textColour, int style)
{
    return InsertRowAt(text, where == 0 ? 0 : topLevelItemCount(), textColour, style);
}

int DpListWindow::InsertBitmapRow(uint32_t bitmap, uint32_t transparent, int where)
{
    const int row = InsertRow("", where);
    SetCellBitmap(row, 0, bitmap, transparent);
    return row;
}

bool DpListWindow::SetItemText(int row, int column, const std::string& text)
{
    if (!validCell(row, column))
        return false;
    rowAt(row)->setText(column, platform::toQString(text));
    if (column < kAttributeColumns && rowAt(row)->record) {
        record(row).bitmapBits &= ~(1u << column);
        applyCell(row, column);
    }
    return true;
}

bool DpListWindow::GetItemText(int row, int column, std::string& text) const
{
    if (!validCell(row, column))
        return false;
    text = platform::toBytes(rowAt(row)->text(column));
    return true;
}

bool DpListWindow::SetCellBitmap(int row, int column, uint32_t bitmap, uint32_t transparent)
{
    if (!validCell(row, column) || column >= kAttributeColumns)
        return false;
    rowAt(row)->setText(column, QString());
    RowRecord& r = record(row);
    r.bitmapBits |= 1u << column;
    r.bitmap[static_cast<std::size_t>(column)] = bitmap;
    r.transparent[static_cast<std::size_t>(column)] = transparent;
    applyCell(row, column);
    return true;
}

bool DpListWindow::SetRowTextColour(int row, uint32_t colour)
{
    if (rowAt(row) == nullptr)
        return false;
    record(row).textColour.fill(colour);
    for (int c = 0; c < std::min(columnCount(), kAttributeColumns); ++c)
        applyCell(row, c);
    return true;
}

bool DpListWindow::SetCellTextColour(int row, int column, uint32_t colour)
{
    if (!validCell(row, column) || column >= kAttributeColumns)
        return false;
    record(row).textColour[static_cast<std::size_t>(column)] = colour;
    applyCell(row, column);
    return true;
}

bool DpListWindow::SetRowBackground(int row, uint32_t colour)
{
    if (rowAt(row) == nullptr)
        return false;
    record(row).background.fill(colour);
    for (int c = 0; c < std::min(columnCount(), kAttributeColumns); ++c)
        applyCell(row, c);
    return true;
}

bool DpListWindow::SetCellBackground(int row, int column, uint32_t colour)
{
    if (!validCell(row, column) || column >= kAttributeColumns)
        return false;
    record(row).background[static_cast<std::size_t>(column)] = colour;
    applyCell(row, column);
    return true;
}

bool DpListWindow::SetRowStyle(int row, int style)
{
    if (rowAt(row) == nullptr)
        return false;
    record(row).style.fill(style);
    for (int c = 0; c < std::min(columnCount(), kAttributeColumns); ++c)
        applyCell(row, c);
    return true;
}

bool DpListWindow::SetCellStyle(int row, int column, int style)
{
    if (!validCell(row, column) || column >= kAttributeColumns)
        return false;
    record(row).style[static_cast<std::size_t>(column)] = style;
    applyCell(row, column);
    return true;
}

bool DpListWindow::SetCellEditable(int row, int column, bool editable)
{
    if (!validCell(row, column) || column >= kAttributeColumns)
        return false;
    RowRecord& r = record(row);
    if ((r.bitmapBits & (1u << column)) != 0)
        return false;
    r.textEditable = editable ? (r.textEditable | (1u << column)) : (r.textEditable & ~(1u << column));
    return true;
}

bool DpListWindow::SetCellListEditable(int row, int column, bool editable)
{
    if (!validCell(row, column) || column >= kAttributeColumns)
        return false;
    RowRecord& r = record(row);
    if ((r.bitmapBits & (1u << column)) != 0)
        return false;
    r.listEditable = editable ? (r.listEditable | (1u << column)) : (r.listEditable & ~(1u << column));
    return true;
}

bool DpListWindow::IsCellTextEditable(int row, int column) const
{
    const Row* item = rowAt(row);
    return item != nullptr && item->record && column >= 0 && column < kAttributeColumns &&
           (item->record->textEditable & (1u << column)) != 0;
}

bool DpListWindow::IsCellListEditable(int row, int column) const
{
    const Row* item = rowAt(row);
    return item != nullptr && item->record && column >= 0 && column < kAttributeColumns &&
           (item->record->listEditable & (1u << column)) != 0;
}

bool DpListWindow::DeleteRow(int row)
{
    if (rowAt(row) == nullptr)
        return false;
    commitEditIn(row, -1); // its handler may change the rows
    if (rowAt(row) == nullptr)
        return false;
    delete takeTopLevelItem(row);
    followEditAfterRowDeleted(row);
    return true;
}

void DpListWindow::DeleteAllRows()
{
    commitEditIn(-1, -1); // its handler may change the rows; every row goes after it
    while (topLevelItemCount() > 0)
        delete takeTopLevelItem(topLevelItemCount() - 1);
}

void DpListWindow::showCheck(Row* item) const
{
    if (m_checkBoxes)
        item->setCheckState(0, item->stateImage == 2 ? Qt::Checked : Qt::Unchecked);
    else
        item->setData(0, Qt::CheckStateRole, QVariant());
}

void DpListWindow::SetCheckBoxes(bool on)
{
    m_checkBoxes = on;
    for (int r = 0; r < topLevelItemCount(); ++r) {
        Row* item = rowAt(r);
        if (on)
            item->stateImage = 1; // every row starts unchecked
        showCheck(item);
    }
}

void DpListWindow::SetItemCheck(int row, bool checked)
{
    if (Row* item = rowAt(row)) {
        item->stateImage = checked ? 2 : 1;
        showCheck(item);
    }
}

bool DpListWindow::GetItemCheck(int row) const
{
    const Row* item = rowAt(row);
    return item != nullptr && item->stateImage != 1;
}

bool DpListWindow::GetRow(int row, std::vector<std::string>& texts, std::vector<CellAttributes>& attributes) const
{
    const Row* item = rowAt(row);
    if (item == nullptr)
        return false;
    texts.clear();
    attributes.clear();
    for (int c = 0; c < columnCount(); ++c) {
        texts.push_back(platform::toBytes(item->text(c)));
        CellAttributes cell;
        if (item->record && c < kAttributeColumns) {
            const RowRecord& r = *item->record;
            const auto i = static_cast<std::size_t>(c);
            cell.style = r.style[i];
            cell.textColour = r.textColour[i];
            cell.background = r.background[i];
            cell.editable = (r.textEditable & (1u << c)) != 0;
            if ((r.bitmapBits & (1u << c)) != 0) {
                cell.bitmap = r.bitmap[i];
                cell.transparent = r.transparent[i];
            }
        }
        attributes.push_back(cell);
    }
    return true;
}

int DpListWindow::GetColumnWidthAt(int column) const
{
    return column >= 0 && column < columnCount() ? columnWidth(column) : 0;
}

bool DpListWindow::SetColumnWidthAt(int column, int width)
{
    if (column < 0 || column >= columnCount())
        return false;
    setColumnWidth(column, width);
    return true;
}

namespace {

// The mask with bit `column` taken out and the bits above it moved down by one.
uint32_t withoutBit(uint32_t mask, int column)
{
    const uint32_t below = column == 0 ? 0 : mask & ((1u << column) - 1);
    const uint32_t above = column >= 31 ? 0 : (mask >> (column + 1)) << column;
    return below | above;
}

template <typename T, std::size_t N>
void withoutEntry(std::array<T, N>& values, int column, T fill)
{
    for (std::size_t c = static_cast<std::size_t>(column); c + 1 < N; ++c)
        values[c] = values[c + 1];
    values[N - 1] = fill;
}

} // namespace

bool DpListWindow::DeleteColumn(int column)
{
    if (column < 0 || column >= columnCount())
        return false;
    commitEditIn(-1, column); // its handler may change the columns
    if (column >= columnCount())
        return false;
    const int count = columnCount();
    // The columns to the right move one to the left with everything a column carries: header text,
    // alignment and width, cell texts and the per-cell attributes.
    std::vector<int> widths;
    for (int c = 0; c < count; ++c)
        widths.push_back(columnWidth(c));
    QTreeWidgetItem* header = headerItem();
    for (int c = column; c + 1 < count; ++c) {
        header->setText(c, header->text(c + 1));
        header->setData(c, Qt::TextAlignmentRole, header->data(c + 1, Qt::TextAlignmentRole));
    }
    for (int r = 0; r < topLevelItemCount(); ++r) {
        Row* item = rowAt(r);
        for (int c = column; c + 1 < count; ++c)
            item->setText(c, item->text(c + 1));
        if (RowRecord* rec = item->record.get(); rec != nullptr && column < kAttributeColumns) {
            rec->textEditable = withoutBit(rec->textEditable, column);
            rec->listEditable = withoutBit(rec->listEditable, column);
            rec->bitmapBits = withoutBit(rec->bitmapBits, column);
            withoutEntry(rec->textColour, column, kDefaultColour);
            withoutEntry(rec->background, column, kDefaultColour);
            withoutEntry(rec->style, column, static_cast<int>(StyleProportional));
            withoutEntry(rec->bitmap, column, 0u);
            withoutEntry(rec->transparent, column, 0u);
        }
        // Shrinking the column count shortens the header, not the rows: what a row held in its last
        // column goes here.
        emptyCell(r, count - 1);
    }
    setColumnCount(count - 1);
    for (int c = column; c + 1 < count; ++c)
        setColumnWidth(c, widths[static_cast<std::size_t>(c + 1)]);
    for (int r = 0; r < topLevelItemCount(); ++r)
        for (int c = column; c < std::min(count - 1, kAttributeColumns); ++c)
            applyCell(r, c);
    followEditAfterColumnDeleted(column);
    return true;
}

int DpListWindow::AddColumn(const std::string& title, int width, int alignment)
{
    const int column = columnCount();
    setColumnCount(column + 1);
    headerItem()->setText(column, platform::toQString(title));
    const Qt::Alignment align = alignment == 2 ? Qt::AlignRight : alignment == 1 ? Qt::AlignHCenter : Qt::AlignLeft;
    headerItem()->setTextAlignment(column, align | Qt::AlignVCenter);
    setColumnWidth(column, width);
    // A new column starts empty, in the list's own colours and font.
    for (int r = 0; r < topLevelItemCount(); ++r)
        emptyCell(r, column);
    return column;
}

void DpListWindow::SetSelectionBackground(const QColor& colour)
{
    QPalette p = palette();
    p.setColor(QPalette::Highlight, colour);
    p.setColor(QPalette::HighlightedText, SelectionTextColour(colour));
    setPalette(p);
}

void DpListWindow::ResetSelectionBackground() { setPalette(QApplication::palette(this)); }

} // namespace views
