// The services trace window and the trace control window over generated kernels: which services are
// listed, the switches and what reaches the target, the owner's side, and the trace upload, save and
// reset with the figures kept between runs.

#include "plugin/views/classes/pool_windows.h"
#include "plugin/views/classes/service_trace_window.h"
#include "plugin/views/classes/tests/class_test_support.h"
#include "plugin/views/classes/trace_control_window.h"
#include "plugin/views/tests/views_fixture.h"

#include "plugin/kernel/trace.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

namespace views::test {
namespace {

using K = kernel::ObjectKind;
using Texts = std::vector<std::string>;

TEST(ServiceTable, AddReplacesAtTheEndAndRefusesTheEndMarker)
{
    ServiceTable table;
    EXPECT_FALSE(table.Add(ServiceTable::kNoService, "none"));
    EXPECT_TRUE(table.Add(4, "Four"));
    EXPECT_TRUE(table.Add(2, "Two"));
    EXPECT_TRUE(table.Add(4, "Four again"));
    std::size_t position = table.GetHeadPosition();
    EXPECT_EQ(table.GetNextNumber(position), 2u);
    EXPECT_EQ(table.GetNextNumber(position), 4u);
    EXPECT_EQ(table.GetNextNumber(position), ServiceTable::kNoService);
    EXPECT_EQ(*table.GetName(4), "Four again");
    EXPECT_TRUE(table.Remove(2));
    EXPECT_EQ(table.GetName(2), nullptr);
    EXPECT_FALSE(table.IsTraced(2));
}

// The demo's services: 1-3 of the task class, 4-5 semaphores, 6-10 class 13 (10 is past the count's
// last read entry). Flags are set for numbers divisible by 3. Service 50 lies beyond the flag array.
void buildServices(simtarget::TargetBuilder& b)
{
    simtarget::BuildDemo(b);
    simtarget::MakeServicesTable(b, {{1, "TaskCreate", 13, 0}, {6, "MboxPost", 13, 0}, {50, "Beyond", 13, 0},
                                     {9, "QueueGet", 13, 0}, {6, "MboxPost", 13, 0}, {7, "Last", 13, 0}});
}

std::vector<std::string> traceColumn(const ServiceTraceDialog& window) { return Column(*window.list(), 1); }

TEST(ServiceTraceWindow, MiscellaneousServicesAndTheirSwitches)
{
    QuietEnvironment quiet;
    GeneratedKernel kernel(&simtarget::BuildDemo);
    ASSERT_EQ(kernel.load(), 0);
    WindowManager manager;
    ASSERT_TRUE(manager.OpenServiceTrace());
    drainEvents();
    auto* window = dynamic_cast<ServiceTraceDialog*>(manager.serviceTraceWindow());
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle().toStdString(), "Miscellaneous Services Trace Settings");
    // Class 13's services in table order; the count's last entry is not read.
    EXPECT_EQ(Column(*window->list(), 0), (Texts{"MboxPost", "MboxPend", "QueuePut", "QueueGet"}));
    EXPECT_EQ(traceColumn(*window), (Texts{"Yes", "No", "No", "Yes"}));
    EXPECT_EQ(window->list()->rowData(2), 8u);
    EXPECT_TRUE(window->button(ServiceTraceDialog::EnableAll)->isEnabled());
    EXPECT_TRUE(window->button(ServiceTraceDialog::DisableAll)->isEnabled());

    window->selectRows({0, 1});
    std::vector<PopupItem> popup = window->popupForSelection();
    EXPECT_FALSE(popup[0].greyed);
    EXPECT_FALSE(popup[1].greyed);
    window->onCommand(kServiceToggle);
    EXPECT_EQ(traceColumn(*window), (Texts{"No", "Yes", "No", "Yes"}));
    EXPECT_EQ(kernel::ReadServiceTraceFlag(6), 0u);
    EXPECT_EQ(kernel::ReadServiceTraceFlag(7), 1u);
    window->selectRows({});
    window->onCommand(kServiceToggle);
    EXPECT_EQ(traceColumn(*window), (Texts{"No", "Yes", "No", "Yes"})) << "an empty selection writes nothing";

    window->onCommand(ServiceTraceDialog::EnableAll);
    EXPECT_EQ(traceColumn(*window), (Texts{"Yes", "Yes", "Yes", "Yes"}));
    EXPECT_FALSE(window->button(ServiceTraceDialog::EnableAll)->isEnabled());
    std::vector<ServiceRow> rows = window->rows();
    EXPECT_EQ(ApplyServiceTrace(rows, {0, 1, 2, 3}, true), 0u) << "nothing to write";
    window->selectRows({2});
    EXPECT_TRUE(window->popupForSelection()[0].greyed) << "&Enable greyed: the row is on";

    // Greyed while the target runs, refilled when it stops.
    manager.OnTargetRunning();
    drainEvents();
    EXPECT_FALSE(window->list()->isEnabled());
    EXPECT_FALSE(window->button(ServiceTraceDialog::ToggleAll)->isEnabled());
    manager.OnTargetStopped();
    drainEvents();
    EXPECT_TRUE(window->list()->isEnabled());
}

TEST(ServiceTraceWindow, RefusedWritesShowTheTargetsStateAndClosingFreesTheOwner)
{
    QuietEnvironment quiet;
    GeneratedKernel kernel(&buildServices);
    ASSERT_EQ(kernel.load(), 0);
    kernel::ServiceEntry last;
    kernel::ReadServiceEntry(kernel::ReadServiceCount(), last);
    ASSERT_EQ(last.name, "Last");

    PartitionsWindow owner(nullptr);
    owner.Refresh();
    ServiceTraceParent misc("Miscellaneous", 13, owner.button(kServicesTraceButton));
    owner.button(kServicesTraceButton)->setEnabled(true);
    ASSERT_TRUE(misc.OpenServiceTrace());
    EXPECT_FALSE(owner.button(kServicesTraceButton)->isEnabled());
    auto* window = dynamic_cast<ServiceTraceDialog*>(misc.serviceTraceWindow());
    ASSERT_NE(window, nullptr);
    drainEvents();
    // A service listed twice stands once, where it was last; "Last" is the count's entry and not read.
    EXPECT_EQ(Column(*window->list(), 0), (Texts{"TaskCreate", "Beyond", "QueueGet", "MboxPost"}));
    window->onCommand(ServiceTraceDialog::EnableAll);
    EXPECT_EQ(traceColumn(*window), (Texts{"Yes", "No", "Yes", "Yes"})) << "the target refused number 50";

    window->close();
    drainEvents();
    EXPECT_EQ(misc.serviceTraceWindow(), nullptr);
    EXPECT_TRUE(owner.button(kServicesTraceButton)->isEnabled());
    ASSERT_TRUE(misc.OpenServiceTrace());
    drainEvents();
    EXPECT_EQ(dynamic_cast<ServiceTraceDialog*>(misc.serviceTraceWindow())->rows().size(), 4u);
    misc.CloseServiceTrace();
    drainEvents();
}

TEST(ServiceTraceWindow, NoTraceNoRows)
{
    QuietEnvironment quiet;
    GeneratedKernel kernel([](simtarget::TargetBuilder& b) { b.addClass(K::Task, 1, 0, 0); });
    ASSERT_EQ(kernel.load(), 0);
    ServiceTraceParent owner("Task", 7, nullptr);
    ASSERT_TRUE(owner.OpenServiceTrace());
    auto* window = dynamic_cast<ServiceTraceDialog*>(owner.serviceTraceWindow());
    EXPECT_EQ(window->list()->rowCount(), 0);
    EXPECT_FALSE(window->button(ServiceTraceDialog::EnableAll)->isEnabled());
    EXPECT_FALSE(window->button(ServiceTraceDialog::DisableAll)->isEnabled());
}

// The demo's trace: 100 + 200 bytes in the lists and 10 in the active segment, mode 1.
TEST(TraceControl, UploadSaveAndDiscardKeepTheirFigures)
{
    QuietEnvironment quiet;
    GeneratedKernel kernel(&simtarget::BuildDemo);
    ASSERT_EQ(kernel.load(), 0);
    TraceControlModel model;
    model.Start();
    ASSERT_TRUE(model.traceAvailable());
    EXPECT_EQ(model.bytesWaiting(), 310u);
    EXPECT_EQ(model.controls().checkedMode, 1u);
    EXPECT_TRUE(model.controls().uploadReset);
    EXPECT_FALSE(model.controls().saveDiscard);

    ASSERT_TRUE(model.Upload());
    EXPECT_EQ(model.uploaded().size(), 310u);
    EXPECT_EQ(model.uploads(), 1u);
    EXPECT_EQ(model.bytesWaiting(), 0u) << "the target's buffer is reset once its data was taken";
    EXPECT_FALSE(model.Upload()) << "an empty upload appends nothing";
    EXPECT_EQ(model.uploads(), 1u);

    const std::filesystem::path dir = kernel.fixture().dir().path();
    EXPECT_FALSE(model.Save((dir / "missing" / "trace.dat").string()));
    EXPECT_EQ(model.uploaded().size(), 310u) << "a failed save keeps the data";
    ASSERT_TRUE(model.Save((dir / "trace.dat").string()));
    EXPECT_EQ(std::filesystem::file_size(dir / "trace.dat"), 310u);
    EXPECT_EQ(model.savedFiles(), 1u);
    EXPECT_EQ(model.savedBytes(), 310u);
    EXPECT_TRUE(model.uploaded().empty());
    EXPECT_EQ(model.uploads(), 1u);
    EXPECT_EQ(model.controls().uploads, "1");
    model.DiscardUploaded();
    EXPECT_EQ(model.uploads(), 0u);
}

// The active segment's data lies outside target memory: the upload cannot read it.
void buildUnreadableTrace(simtarget::TargetBuilder& b)
{
    b.addClass(K::Task, 1, 0, 0);
    const uint32_t block = simtarget::MakeTrace(b, simtarget::TraceSetup{});
    const auto& cb = b.layout(simtarget::Structure::TraceControl);
    const auto& segment = b.layout(simtarget::Structure::Segment);
    const uint32_t active = b.structField(cb, block, 5);
    const uint32_t recorded = b.structField(segment, active, 3) - b.structField(segment, active, 4);
    b.setStructField(segment, active, 4, 0x7FFF0000);
    b.setStructField(segment, active, 3, 0x7FFF0000 + recorded);
}

TEST(TraceControl, AFailedUploadLeavesTheTargetsBuffer)
{
    QuietEnvironment quiet;
    GeneratedKernel kernel(&buildUnreadableTrace);
    ASSERT_EQ(kernel.load(), 0);
    TraceControlModel model;
    model.Start();
    const uint32_t waiting = model.bytesWaiting();
    ASSERT_GT(waiting, 0u);
    EXPECT_FALSE(model.Upload());
    EXPECT_EQ(model.uploads(), 0u);
    EXPECT_TRUE(model.uploaded().empty());
    EXPECT_EQ(model.bytesWaiting(), waiting);
    EXPECT_EQ(kernel::GetTraceDataSize(), waiting);
    // The window says why and offers no Upload until its next run.
    EXPECT_EQ(model.controls().reason, model.uploadFailure());
    EXPECT_EQ(model.uploadFailure().find("The target refused to read the trace data"), 0u) << model.uploadFailure();
    EXPECT_FALSE(model.controls().uploadReset);
    model.Start();
    EXPECT_TRUE(model.controls().uploadReset);
    EXPECT_EQ(model.controls().available, std::to_string(waiting));
    // The window's reason reads whole at its size.
    TraceControlDialog dialog(model);
    dialog.prepare();
    static_cast<QPushButton*>(dialog.control(TraceControlDialog::Upload))->click();
    auto* reason = static_cast<QLabel*>(dialog.control(TraceControlDialog::Reason));
    EXPECT_EQ(reason->text().toStdString(), model.uploadFailure());
    EXPECT_LE(reason->heightForWidth(reason->width()), reason->height());
}

TEST(TraceControl, WindowEnablesAndRunsFromTheManager)
{
    QuietEnvironment quiet;
    GeneratedKernel kernel(&simtarget::BuildDemo);
    ASSERT_EQ(kernel.load(), 0);
    TraceControlModel model;
    TraceControlDialog dialog(model);
    dialog.prepare();
    EXPECT_FALSE(dialog.control(TraceControlDialog::Ok)->isEnabled());
    EXPECT_TRUE(static_cast<QRadioButton*>(dialog.control(TraceControlDialog::OneShotAutoSend))->isChecked());
    static_cast<QRadioButton*>(dialog.control(TraceControlDialog::WrapAround))->click();
    EXPECT_TRUE(dialog.control(TraceControlDialog::Apply)->isEnabled());
    EXPECT_TRUE(static_cast<QRadioButton*>(dialog.control(TraceControlDialog::WrapAround))->isChecked());
    EXPECT_FALSE(static_cast<QRadioButton*>(dialog.control(TraceControlDialog::OneShotAutoSend))->isChecked());
    EXPECT_EQ(kernel::GetTraceMode(), 1u) << "held until Apply";
    static_cast<QPushButton*>(dialog.control(TraceControlDialog::Apply))->click();
    EXPECT_EQ(kernel::GetTraceMode(), 2u);
    EXPECT_FALSE(dialog.control(TraceControlDialog::Apply)->isEnabled());

    std::string chosen = (kernel.fixture().dir().path() / "saved.dat").string();
    TraceControlDialog::setSaveChooser([&](QWidget*) { return std::optional<std::string>(chosen); });
    static_cast<QPushButton*>(dialog.control(TraceControlDialog::Upload))->click();
    EXPECT_TRUE(dialog.control(TraceControlDialog::Save)->isEnabled());
    static_cast<QPushButton*>(dialog.control(TraceControlDialog::Save))->click();
    TraceControlDialog::setSaveChooser(nullptr);
    EXPECT_EQ(static_cast<QLabel*>(dialog.control(TraceControlDialog::SavedBytes))->text().toStdString(), "310");
    EXPECT_FALSE(dialog.control(TraceControlDialog::Save)->isEnabled());
    saveScreenshot(&dialog, "trace_control_window.png");

    // Display command 18 runs the window modally; a scripted Cancel ends each run.
    WindowManager manager;
    std::string uploadsShown;
    QTimer::singleShot(0, [&] {
        auto* modal = qobject_cast<TraceControlDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(modal, nullptr);
        uploadsShown = static_cast<QLabel*>(modal->control(TraceControlDialog::Uploads))->text().toStdString();
        static_cast<QPushButton*>(modal->control(TraceControlDialog::Cancel))->click();
    });
    manager.OnDisplayCommand(18);
    EXPECT_EQ(uploadsShown, "0");
}

TEST(TraceControl, WithoutTraceOnlyCancelWorks)
{
    QuietEnvironment quiet;
    GeneratedKernel kernel([](simtarget::TargetBuilder& b) { b.addClass(K::Task, 1, 0, 0); });
    ASSERT_EQ(kernel.load(), 0);
    TraceControlModel model;
    TraceControlDialog dialog(model);
    dialog.prepare();
    for (int id : {TraceControlDialog::Ok, TraceControlDialog::Apply, TraceControlDialog::Upload,
                   TraceControlDialog::ResetTarget, TraceControlDialog::Save, TraceControlDialog::DiscardUploaded,
                   TraceControlDialog::OneShot, TraceControlDialog::AvailableBytes})
        EXPECT_FALSE(dialog.control(id)->isEnabled()) << id;
    EXPECT_TRUE(dialog.control(TraceControlDialog::Cancel)->isEnabled());
    EXPECT_TRUE(static_cast<QRadioButton*>(dialog.control(TraceControlDialog::Continuous))->isChecked());
}

} // namespace
} // namespace views::test
