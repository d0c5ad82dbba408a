#include "plugin/views/windows/mailbox_windows.h"

#include "plugin/views/windows/builtin_windows.h"
#include "plugin/views/windows/class_counts.h"

#include "plugin/kernel/object_texts.h"
#include "plugin/kernel/target_access.h"
#include "plugin/kernel/text_utils.h"

#include <boost/format.hpp>

#include <QPushButton>

namespace views {
namespace {

kernel::ClassCounts mailboxCounts()
{
    return ReadCounts(&kernel::IsMailboxClassConfigured, &kernel::EnsureMailboxClassRecord, &kernel::GetMailboxCounts);
}

std::string dec(uint32_t value) { return kernel::DecimalText(static_cast<int32_t>(value)); }

std::string priorityText(uint32_t priority)
{
    return priority == 1 ? "Normal" : priority == 2 ? "Urgent" : "Unknown";
}

// Shown for a message whose bytes the target does not give.
constexpr const char* kMessageNotRead = "<cannot be read>";

// The first 16 bytes of a message as "%02X" separated by blanks; a failed read is not shown as zeros.
std::string messageBytes(uint32_t address)
{
    uint8_t bytes[16] = {};
    if (!kernel::ReadTargetBytes(sizeof bytes, address, bytes))
        return kMessageNotRead;
    std::string text;
    for (uint8_t byte : bytes) {
        if (!text.empty())
            text += ' ';
        text += (boost::format("%02X") % static_cast<unsigned>(byte)).str();
    }
    return text;
}

ListWindowSpec mailboxesSpec()
{
    return ListWindowSpec{MailboxesWindow::kDialogId,
                          "Mailboxes",
                          "Mailbox",
                          9,
                          MailboxesWindow::List,
                          MailboxesWindow::LogData,
                          TraceKind::Single,
                          {{MailboxesWindow::LogData, "Log Data"},
                           {kServicesTraceButton, "Services Trace", false},
                           {MailboxesWindow::Messages, "Messages"},
                           {MailboxesWindow::Semaphores, "Semaphores", false},
                           {MailboxesWindow::ResetStatistics, "Reset Statistics", false}}};
}

std::vector<ColumnSpec> MailboxMessageColumns()
{
    return {{"#", Align::Right, 15},     {"Name", Align::Left, 100},   {"Priority", Align::Right, 80},
            {"Task", Align::Left, 100},  {"State", Align::Left, 40},   {"Address", Align::Right, 60},
            {"Message", Align::Left, 400}};
}

std::vector<ColumnSpec> MailboxSemaphoreColumns()
{
    return {{"#", Align::Right, 15}, {"Name", Align::Left, 100}, {"Semaphore", Align::Left, 200}};
}

} // namespace

std::vector<ColumnSpec> MailboxColumns()
{
    return {
        {"#", Align::Right, 15},
        {"Name", Align::Left, 100},
        {"Current", Align::Right, 75},
        {"Usage", Align::Right, 50, 0x8},
        {"Order", Align::Left, 50},
        {"Waiters", Align::Left, 250},
        {"Trace", Align::Left, 50, 0, true},
    };
}

void FillMailboxRows(ListSheet& sheet, const kernel::ClassCounts& counts)
{
    for (uint32_t n = 1; n <= LastObject(counts); ++n) {
        const int row = sheet.addRow(n);
        sheet.set(row, MboxNumber, dec(n));
        if (!kernel::IsMailboxInUse(n)) {
            sheet.set(row, MboxName, kNotInUse);
            continue;
        }
        kernel::MailboxRecord record{};
        kernel::ReadMailboxRecord(n, record);
        sheet.set(row, MboxName, kernel::FormatMboxName(n));
        sheet.set(row, MboxCurrent, kernel::UnsignedText(record[1]));
        if (sheet.isShown(MboxUsage)) {
            kernel::MailboxStatistics statistics{};
            kernel::ReadMailboxStatistics(n, statistics);
            sheet.set(row, MboxUsage, kernel::UnsignedText(statistics[0]));
        }
        sheet.set(row, MboxOrder, kernel::WaitOrderText(record[0]));
        sheet.set(row, MboxWaiters, kernel::MailboxWaitersText(n, record));
        sheet.set(row, MboxTrace, YesNo((record[0] & kernel::kTraceObjectBit) != 0));
    }
    AddNotReadRow(sheet, counts);
}

void FillMailboxMessageRows(ListSheet& sheet, const kernel::ClassCounts& counts)
{
    for (uint32_t n = 1; n <= LastObject(counts); ++n) {
        int row = sheet.addRow(n);
        sheet.set(row, 0, dec(n));
        if (!kernel::IsMailboxInUse(n)) {
            sheet.set(row, 1, kNotInUse);
            continue;
        }
        sheet.set(row, 1, kernel::FormatMboxName(n));
        const int32_t count = static_cast<int32_t>(kernel::ReadMailboxMessageCount(n));
        if (count == 0)
            sheet.set(row, 2, "<no messages>");
        // The count is a target word: the walk ends at the first message that cannot be read, as every
        // later one hangs behind it in the same chain. The chain is walked once for all messages.
        if (count > 0) {
            kernel::ForEachMailboxMessage(n, [&](uint32_t k, const kernel::MailboxMessage& message, uint32_t address) {
                if (k > static_cast<uint32_t>(count))
                    return false;
                if (k > 1)
                    row = sheet.addRow(0);
                sheet.set(row, 2, priorityText(message[0]));
                sheet.set(row, 3, message[1] == 0 ? "<already ACKed>" : kernel::FormatTaskName(message[1]));
                sheet.set(row, 4, dec(message[2]));
                if (address != message[3]) {
                    sheet.set(row, 5, "<address error>");
                    return true;
                }
                sheet.set(row, 5, kernel::HexText(address, 8, true, true));
                sheet.set(row, 6, messageBytes(address));
                return true;
            });
        }
    }
    AddNotReadRow(sheet, counts);
}

void FillMailboxSemaphoreRows(ListSheet& sheet, const kernel::ClassCounts& counts)
{
    for (uint32_t n = 1; n <= LastObject(counts); ++n) {
        const int row = sheet.addRow(n);
        sheet.set(row, 0, dec(n));
        if (!kernel::IsMailboxInUse(n)) {
            sheet.set(row, 1, kNotInUse);
            continue;
        }
        sheet.set(row, 1, kernel::FormatMboxName(n));
        if (const uint32_t semaphore = kernel::GetMailboxNotEmptySemaphore(n))
            sheet.set(row, 2, kernel::FormatSemaName(semaphore) + "<MNE>");
    }
    AddNotReadRow(sheet, counts);
}

MailboxesWindow::MailboxesWindow(WindowManager* manager) : ObjectListWindow(manager, mailboxesSpec()) {}

ColumnContext MailboxesWindow::readContext()
{
    m_counts = mailboxCounts();
    ColumnContext context;
    context.classAttributes = m_counts[0];
    return context;
}

void MailboxesWindow::endOfRefreshEnables()
{
    button(Messages)->setEnabled(true);
    button(Semaphores)->setEnabled((m_counts[0] & 0x4) != 0);
    button(ResetStatistics)->setEnabled((m_counts[0] & 0x8) != 0);
}

void MailboxesWindow::onButton(int id)
{
    if (id == Messages) {
        openDetail<MailboxMessagesWindow>(MailboxMessagesWindow::kDialogId);
    } else if (id == Semaphores) {
        openDetail<MailboxSemaphoresWindow>(MailboxSemaphoresWindow::kDialogId);
    } else if (id == ResetStatistics) {
        readContext();
        resetStatistics(LastObject(m_counts), true, &kernel::ResetMailboxStatistics, &kernel::IsMailboxInUse);
    }
}

uint32_t MailboxesWindow::traceWord(uint32_t n)
{
    kernel::MailboxRecord record{};
    kernel::ReadMailboxRecord(n, record);
    return record[0];
}

void MailboxesWindow::setTrace(uint32_t n, bool, bool on) { kernel::SetMailboxTrace(n, on ? 1 : 0); }

MailboxMessagesWindow::MailboxMessagesWindow(WindowManager* manager)
    : CountedDetailWindow(manager, {kDialogId, "Message Entry Information", 1060, &MailboxMessageColumns, &mailboxCounts,
                                  &FillMailboxMessageRows})
{
}

MailboxSemaphoresWindow::MailboxSemaphoresWindow(WindowManager* manager)
    : CountedDetailWindow(manager, {kDialogId, "Mailbox Semaphores", 1029, &MailboxSemaphoreColumns, &mailboxCounts,
                                  &FillMailboxSemaphoreRows})
{
    // A fixed frame: this window is not resized.
    setFixedSize(size());
    ModifyFlags(0, CDynamicWnd::FlagSizeGrip);
}

ObjectWindow* CreateMailboxesWindow(WindowManager& manager) { return new MailboxesWindow(&manager); }

} // namespace views
