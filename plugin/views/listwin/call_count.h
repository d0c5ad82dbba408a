#pragma once
// The Call Count window: the user types function names into the list; each gets a counting breakpoint
// and the list shows how often it was hit. The store of breakpoints lives for the whole process.

#include "plugin/views/listwin/list_window.h"

#include <cstdint>
#include <string>
#include <vector>

namespace views {

struct CallCount {
    std::string function;
    uint32_t hits = 0;
    // The debugger holds the function's breakpoint in this session. When it refused to set it again,
    // the function is not counted until a later stop or session sets it.
    bool counting = true;
};

// The process-wide list of counting breakpoints, in the order they were added.
class CallCountStore {
public:
    // Sets a breakpoint on the function (a symbol with a location); false when there is none or the
    // debugger refused the breakpoint.
    static bool AddFunction(const std::string& name);
    // The first breakpoint with the name goes; false when there is none.
    static bool RemoveFunction(const std::string& name);
    static void ResetCounter(const std::string& name);
    static void ResetAllCounters();
    static std::vector<CallCount> Snapshot();
    // Whether each function is counted, in store order.
    static std::vector<bool> CountingStates();
};

class CallCountWindow final : public DpListWindow {
    Q_OBJECT

public:
    static constexpr const char* kKey = "CALLCOUNT";
    static constexpr const char* kTitle = "Call Count";
    static constexpr const char* kEntryText = "<Enter function here>";
    // After the count of a function whose breakpoint the debugger does not hold; the row is greyed.
    static constexpr const char* kNotCountedText = " (not counted)";
    static constexpr uint32_t kNotCountedColour = 0x808080;

    explicit CallCountWindow(QWidget* parent = nullptr);

    void InitColumns() override;
    bool OnCellEdited(int row, int column, const std::string& text) override;
    bool ShowContextMenu(int row, const QPoint& screenPoint) override;
    void Update() override;
    // Asks for an update when a function's counted state is no longer the one shown (the debugger
    // took a breakpoint again at a stop, or the session ended).
    void AfterIdle() override;
    // The context menu's commands (32784 to 32786).
    void OnCommand(unsigned id) override;
    // The row the next command applies to (set by the context menu).
    void SetContextRow(int row) { m_contextRow = row; }
    int EntryRow() const { return m_entryRow; }

private:
    void appendEntryRow();

    int m_functionColumn = 0;
    int m_callsColumn = 1;
    int m_entryRow = -1;
    int m_contextRow = -1;
    std::vector<bool> m_shownStates; // counted states at the last update
};

} // namespace views
