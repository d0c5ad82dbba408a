#pragma once
// The mailbox windows: Mailboxes (display command 4) and its detail windows Message Entry Information
// and Mailbox Semaphores.

#include "plugin/views/object_list_window.h"

#include "plugin/kernel/object_classes.h"

namespace views {

enum MailboxColumn : int { MboxNumber, MboxName, MboxCurrent, MboxUsage, MboxOrder, MboxWaiters, MboxTrace };
std::vector<ColumnSpec> MailboxColumns();
void FillMailboxRows(ListSheet& sheet, const kernel::ClassCounts& counts);
// Every queued message, continuation rows without number and name.
void FillMailboxMessageRows(ListSheet& sheet, const kernel::ClassCounts& counts);
void FillMailboxSemaphoreRows(ListSheet& sheet, const kernel::ClassCounts& counts);

class MailboxesWindow : public ObjectListWindow {
    Q_OBJECT

public:
    static constexpr uint32_t kDialogId = 1002;
    enum Control : int { List = 1007, Semaphores = 1026, Messages = 1027, ResetStatistics = 1028, LogData = 1176 };
    explicit MailboxesWindow(WindowManager* manager);

protected:
    std::vector<ColumnSpec> columns() const override { return MailboxColumns(); }
    ColumnContext readContext() override;
    void fillRows(ListSheet& sheet) override { FillMailboxRows(sheet, m_counts); }
    void endOfRefreshEnables() override;
    void onButton(int id) override;
    int traceObjectColumn() const override { return MboxTrace; }
    bool objectInUse(uint32_t n) override { return kernel::IsMailboxInUse(n) != 0; }
    uint32_t traceWord(uint32_t n) override;
    void setTrace(uint32_t n, bool actor, bool on) override;

private:
    kernel::ClassCounts m_counts{};
};

class MailboxMessagesWindow : public CountedDetailWindow {
    Q_OBJECT

public:
    static constexpr uint32_t kDialogId = 1031;
    explicit MailboxMessagesWindow(WindowManager* manager);
};

class MailboxSemaphoresWindow : public CountedDetailWindow {
    Q_OBJECT

public:
    static constexpr uint32_t kDialogId = 1017;
    explicit MailboxSemaphoresWindow(WindowManager* manager);
};

} // namespace views
