#pragma once
// The object list window pattern, written once: a row of buttons above a report list, the common
// refresh (log button, trace flag, columns, rows, button rules, services-trace refresh), greying while
// the target runs, the trace popup and its commands, Log Data, Services Trace, detail windows that
// exist at most once, and closing with the services-trace window. A class window gives its column
// table, fills the rows and states its button rules; DetailListWindow is the single-list window the
// detail buttons open.

#include "plugin/views/kit/list_sheet.h"
#include "plugin/views/kit/trace_popup.h"
#include "plugin/views/object_window.h"
#include "plugin/views/report_list.h"
#include "plugin/views/service_trace_parent.h"
#include "plugin/views/window_manager.h"

#include "plugin/kernel/object_classes.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class QLineEdit;
class QPushButton;

namespace views {

enum class TraceKind { None, Single, ObjectActor };

struct ButtonSpec {
    int id;
    std::string text;
    bool initiallyEnabled = true;
};

constexpr int kServicesTraceButton = 1074;

struct ListWindowSpec {
    uint32_t dialogId = 0;
    std::string title;           // the window's title, also the log block's title
    std::string traceTitle;      // the services-trace part: class word and class number
    uint32_t traceClass = 0;
    int listId = 0;
    int logButtonId = 0;
    TraceKind trace = TraceKind::None;
    std::vector<ButtonSpec> buttons; // left to right; Log Data and Services Trace among them
    bool serviceTraceNeedsTrace = true; // Services Trace opens only while the target traces
};

class ObjectListWindow : public ObjectWindow, public ServiceTraceParent {
    Q_OBJECT

public:
    ObjectListWindow(WindowManager* manager, ListWindowSpec spec);
    ~ObjectListWindow() override;

    void Refresh() override;
    void DisableControls() override;
    void onCommand(int command) override;

    const ListWindowSpec& spec() const { return m_spec; }
    ReportList* list() const { return m_list; }
    const ListSheet& sheet() const { return m_sheet; }
    QPushButton* button(int id) const;
    bool traceAvailable() const { return m_traceAvailable; }

    // The row of the last right click (-1 none) and its popup; empty when no menu is shown (no trace,
    // no row, an object not in use).
    void setSelectedRow(int row) { m_selectedRow = row; }
    int selectedRow() const { return m_selectedRow; }
    std::vector<PopupItem> popupForRow(int row);

protected:
    // The class's column table and what decides its columns (read at the start of each refresh; the
    // trace flag is filled in by the frame).
    virtual std::vector<ColumnSpec> columns() const = 0;
    virtual ColumnContext readContext() = 0;
    virtual void fillRows(ListSheet& sheet) = 0;
    // Button rules at the end of a refresh (the list is enabled, Services Trace disabled already).
    virtual void endOfRefreshEnables() {}
    // Any other button of the window.
    virtual void onButton(int /*id*/) {}

    // Trace switches: the logical columns of the switches (the object column for a single switch), the
    // object number of a row, whether it is in use, its trace word, and the setter.
    virtual int traceObjectColumn() const { return -1; }
    virtual int traceActorColumn() const { return -1; }
    virtual uint32_t objectOfRow(int row) const { return m_sheet.itemData(row); }
    virtual bool objectInUse(uint32_t /*n*/) { return false; }
    virtual uint32_t traceWord(uint32_t /*n*/) { return 0; }
    virtual void setTrace(uint32_t /*n*/, bool /*actor*/, bool /*on*/) {}

    // Shows the open detail window of that dialog id, or builds one of class T.
    template <typename T>
    void openDetail(uint32_t dialogId)
    {
        if (manager() == nullptr || manager()->ShowOpenWindow(dialogId))
            return;
        auto* window = new T(manager());
        window->ShowModeless();
        window->raise();
    }

    // The same for a detail window registered by dialog id (WindowManager::RegisterDetailWindow).
    void openRegisteredDetail(uint32_t dialogId);

    // Resets statistics of the objects the list shows among 1 to `last`, the objects that pass their checks
    // now (only those in use when `inUseOnly`), then refreshes.
    void resetStatistics(uint32_t last, bool inUseOnly, void (*reset)(uint32_t), int (*inUse)(uint32_t));

    void closeOwnedWindows() override { CloseServiceTrace(); }
    const layout::DynamicMapEntry* GetDynamicMap() const override;

    ListSheet& mutableSheet() { return m_sheet; }

private:
    void showPopup(const QPoint& point);
    void runTraceCommand(int command);
    TraceAccess traceAccess();

    ListWindowSpec m_spec;
    ReportList* m_list;
    std::vector<QPushButton*> m_buttons;
    std::vector<layout::DynamicMapEntry> m_map;
    ListSheet m_sheet;
    std::optional<ListSheet> m_lastRead; // the rows of the last refresh whose reads the target did not refuse
    int m_selectedRow = -1;
    bool m_traceAvailable = false;
};

// A window with one list and nothing else (the detail windows).
class DetailListWindow : public ObjectWindow {
    Q_OBJECT

public:
    DetailListWindow(WindowManager* manager, uint32_t dialogId, const std::string& title, int listId);

    void Refresh() override;
    void DisableControls() override;
    ReportList* list() const { return m_list; }
    const ListSheet& sheet() const { return m_sheet; }

protected:
    virtual std::vector<ColumnSpec> columns() const = 0;
    virtual ColumnContext readContext() = 0;
    virtual void fillRows(ListSheet& sheet) = 0;
    // True for a window whose rows say themselves where a walk stopped at a repeat.
    virtual bool saysWalkCuts() const { return false; }
    const layout::DynamicMapEntry* GetDynamicMap() const override;

private:
    ReportList* m_list;
    ListSheet m_sheet;
    std::optional<ListSheet> m_lastRead; // the rows of the last refresh whose reads the target did not refuse
    layout::DynamicMapEntry m_map[2];
};

// A detail window over one class: its columns and rows from two functions, the class counts read at
// each refresh (their attributes decide the conditional columns).
struct CountedDetailSpec {
    uint32_t dialogId = 0;
    std::string title;
    int listId = 0;
    std::vector<ColumnSpec> (*columns)() = nullptr;
    kernel::ClassCounts (*counts)() = nullptr;
    void (*fill)(ListSheet& sheet, const kernel::ClassCounts& counts) = nullptr;
};

class CountedDetailWindow : public DetailListWindow {
    Q_OBJECT

public:
    CountedDetailWindow(WindowManager* manager, const CountedDetailSpec& spec);

protected:
    std::vector<ColumnSpec> columns() const override { return m_spec.columns(); }
    ColumnContext readContext() override;
    void fillRows(ListSheet& sheet) override { m_spec.fill(sheet, m_counts); }

private:
    CountedDetailSpec m_spec;
    kernel::ClassCounts m_counts{};
};

// The same under the name the class windows first used.
using ClassDetailWindow = CountedDetailWindow;
using ClassDetailSpec = CountedDetailSpec;

// A detail window of saved registers in a fixed-pitch font, with the two legends below the list.
class RegisterListWindow : public DetailListWindow {
    Q_OBJECT

public:
    RegisterListWindow(WindowManager* manager, uint32_t dialogId, const std::string& title, int listId,
                       int notValidId, const std::string& notValidText, int neverValidId);
    void Refresh() override;

protected:
    const layout::DynamicMapEntry* GetDynamicMap() const override { return m_registerMap; }

private:
    bool m_firstRefresh = true;
    QLineEdit* m_notValid;
    QLineEdit* m_neverValid;
    std::string m_notValidText;
    layout::DynamicMapEntry m_registerMap[4];
};

} // namespace views
