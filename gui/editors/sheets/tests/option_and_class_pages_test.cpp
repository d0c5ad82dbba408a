// The option row pages, and the CPU Class page with the class sheet's pages.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTimer>

#include "engine/footprint/structure_size.h"
#include "engine/names/kernel_lookup.h"
#include "engine/names/project_walk.h"
#include "engine/ops/cpu_record_handler.h"
#include "engine/records/counted_array.h"
#include "engine/records/text_field.h"
#include "gui/editors/model/page_cpu_class.h"
#include "gui/editors/model/page_option_rows.h"
#include "gui/editors/model/tests/editor_fixture.h"
#include "gui/editors/sheets/application_pages.h"
#include "gui/editors/sheets/page_view.h"
#include "gui/editors/sheets/tests/demo_project.h"
#include "platform/qt/control_id.h"
#include "platform/qt/property_sheet.h"
#include "platform/qt/qt_message_service.h"

namespace editors::test {
namespace {

using namespace option_ids;

class OptionRowsTest : public EditorFixture {
protected:
    engine::ModelOptionRow& addRow(const char* name, int32_t minimum, int32_t maximum, int32_t base = 10,
                                   int32_t hasValue = 1)
    {
        engine::ModelOptionRow& row = *engine::appendRow(kernel().optionCount, kernel().options);
        engine::setText(row.sectionName, name);
        engine::setText(row.name, name);
        row.hasValue = hasValue;
        row.minimum = minimum;
        row.maximum = maximum;
        row.base = base;
        row.shown = 1;
        row.variantMask = 7;
        return row;
    }
    ViewState m_state;
};

TEST_F(OptionRowsTest, SlotsScrollAndStoreWithinTheRanges)
{
    addRow("Hex", 0, 0xFF, 16).value = 0x1F;
    addRow("Signed", -256, 16).value = 3;
    addRow("Switch", 0, 0, 10, 0).state = 1;
    for (int i = 0; i < 5; ++i)
        addRow(("Row" + std::to_string(i)).c_str(), 0, 100);
    OptionRowsPage page(cpu(), nullptr);
    page.initialise(m_state);
    EXPECT_FALSE(m_state[ScrollBar].enabled) << "exactly eight rows";
    EXPECT_EQ(m_state.text(Edit[0]), "1F");
    EXPECT_TRUE(m_state[Check[2]].visible);
    EXPECT_FALSE(m_state[Edit[2]].visible);
    EXPECT_EQ(m_state[Check[2]].caption, "Switch");
    EXPECT_EQ(m_state[Check[2]].check, 1);

    addRow("Row5", 0, 100);
    page.reload(m_state);
    EXPECT_TRUE(m_state[ScrollBar].enabled);
    EXPECT_EQ(m_state[ScrollBar].limit, 1);

    m_state[Edit[0]].text = "0x20";
    m_state[Edit[1]].text = "-5";
    m_state[Check[2]].check = 0;
    EXPECT_TRUE(page.killActive(m_state).close);
    EXPECT_EQ(kernel().options[0].value, 0x20);
    EXPECT_EQ(kernel().options[1].value, -5);
    EXPECT_EQ(kernel().options[2].state, 0);

    // Out of range: the message names the signed range; earlier rows keep what they stored.
    m_state[Edit[0]].text = "1f";
    m_state[Edit[1]].text = "20";
    const OkOutcome outcome = page.killActive(m_state);
    EXPECT_FALSE(outcome.close);
    EXPECT_EQ(outcome.focusId, Edit[1]);
    EXPECT_EQ(messages().at(0), "Signed range is -256 to 16");
    EXPECT_EQ(m_messages->boxes()[0].caption, "Range Error");
    EXPECT_EQ(kernel().options[0].value, 0x1F);

    // A range error refuses to scroll; a good row scrolls.
    m_state[ScrollBar].check = 1;
    EXPECT_FALSE(page.scrollTo(1, m_state));
    EXPECT_EQ(page.firstRow(), 0);
    m_state[Edit[1]].text = "zz";  // no digits: 0, in range
    EXPECT_TRUE(page.scrollTo(1, m_state));
    EXPECT_EQ(page.firstRow(), 1);
    EXPECT_EQ(m_state[Check[1]].caption, "Switch");
    EXPECT_EQ(m_state.text(Edit[7]), "0");
}

// A number past 32 bits does not pass as the largest value, whatever the row's range.
TEST_F(OptionRowsTest, NumbersPast32BitsAreRefused)
{
    addRow("Wide", 0, -1).value = 5;  // 0 to 4294967295
    addRow("WideHex", 0, -1, 16).value = 5;
    OptionRowsPage page(cpu(), nullptr);
    page.initialise(m_state);
    for (const auto& [slot, typed, message] :
         {std::tuple{0, "99999999999", "Wide range is 0 to 4294967295"},
          std::tuple{0, "0x1FFFFFFFF", "Wide range is 0 to 4294967295"},
          std::tuple{1, "100000000", "WideHex range is 0 to FFFFFFFF"},
          std::tuple{1, "0x1FFFFFFFF", "WideHex range is 0 to FFFFFFFF"}}) {
        m_messages->clear();
        m_state[Edit[0]].text = "5";
        m_state[Edit[1]].text = "5";
        m_state[Edit[slot]].text = typed;
        const OkOutcome outcome = page.killActive(m_state);
        EXPECT_FALSE(outcome.close) << typed;
        EXPECT_EQ(outcome.focusId, Edit[slot]);
        EXPECT_EQ(messages(), std::vector<std::string>{message});
        EXPECT_EQ(kernel().options[slot].value, 5);
    }
    m_state[Edit[1]].text = "FFFFFFFF";
    EXPECT_TRUE(page.killActive(m_state).close);
    EXPECT_EQ(kernel().options[1].value, -1);
}

// The labels change as the rows scroll; a longer one shown later still ends a character before its edit.
TEST_F(OptionRowsTest, LabelsScrolledIntoViewEndBeforeTheirEdits)
{
    for (int i = 0; i < 8; ++i)
        addRow(("R" + std::to_string(i)).c_str(), 0, 100);
    addRow("Processors in the system and more", 0, 100);
    OptionRowsPage model(cpu(), nullptr);
    std::vector<std::string> problems;
    whenModal([&](QWidget* modal) {
        auto* sheet = qobject_cast<platform::PropertySheet*>(modal);
        QWidget* page = sheet->GetPage(0);
        platform::findControl<QScrollBar>(page, ScrollBar)->setValue(1);
        settle();
        const auto cramped = [&] {
            problems.clear();
            for (int slot = 0; slot < kSlots; ++slot) {
                auto* label = platform::findControl<QLabel>(page, Label[slot]);
                auto* edit = platform::findControl<QLineEdit>(page, Edit[slot]);
                const int textEnd = label->x() + label->fontMetrics().horizontalAdvance(label->text());
                if (label->width() < label->sizeHint().width() ||
                    edit->x() - textEnd < label->fontMetrics().averageCharWidth())
                    problems.push_back(label->text().toStdString());
            }
            return !problems.empty();
        };
        // Under a window manager the sheet's growth to its page is confirmed asynchronously.
        if (!QTest::qWaitFor([&] { return !cramped(); }, 5000))
            cramped(); // the problems as they stand at the end
        EXPECT_EQ(platform::findControl<QLabel>(page, Label[7])->text(),
                  QStringLiteral("Processors in the system and more"));
        sheet->reject();
    });
    platform::PropertySheet sheet(QStringLiteral("CPU Properties"));
    sheet.AddPage(new ModelPage(model, optionRows()));
    sheet.exec();
    EXPECT_TRUE(problems.empty()) << problems.front();
}

TEST_F(OptionRowsTest, ApplicationRowsFollowTheModelAndTheBinaryOnlyRule)
{
    addRow("Heap", 0, 100).forApplications = 1;
    addRow("Hidden", 0, 100).forApplications = 1;
    kernel().options[1].shown = 0;
    addRow("Locked", 0, 100).forApplications = 1;
    kernel().options[2].overrideBinary = 0;
    kernel().options[0].overrideBinary = 1;
    for (const char* name : {"heap", "Hidden", "Orphan", "Locked"}) {
        engine::ApplicationOption& option = *engine::appendRow(app().optionCount, app().options);
        engine::setText(option.name, name);
        option.value = 7;
    }
    kernel().binaryDistribution = 1;
    OptionRowsPage page(cpu(), &app());
    page.initialise(m_state);
    EXPECT_EQ(m_state[Label[0]].text, "Heap") << "matched without regard to case";
    EXPECT_EQ(m_state[Label[1]].text, "Locked") << "hidden and unmatched rows take no slot";
    EXPECT_FALSE(m_state[Edit[2]].visible);
    EXPECT_TRUE(m_state[Edit[0]].enabled);
    EXPECT_FALSE(m_state[Edit[1]].enabled);
    EXPECT_FALSE(m_state[RestoreDefaults].enabled);
    m_state[Edit[0]].text = "9";
    EXPECT_TRUE(page.killActive(m_state).close);
    EXPECT_EQ(app().options[0].value, 9);
    EXPECT_EQ(ReadOptionNumber("  +12abc", 10), 12u);
    EXPECT_EQ(ReadOptionNumber("99999999999", 10), 0xFFFFFFFFu);
    EXPECT_EQ(OptionNumberText(255, 16), "FF");
}

// The point of a scroll bar's down arrow.
QPoint downArrow(QScrollBar* bar)
{
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.orientation = bar->orientation();
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    option.subControls = QStyle::SC_All;
    return bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarAddLine, bar).center();
}

// A press held on the down arrow with a row out of range, as a user does it, with real boxes: one box,
// opened after the press has ended, over the rows as they were; the held press does not repeat into more.
TEST_F(OptionRowsTest, ARangeErrorWhileScrollingShowsOneBoxAndKeepsTheRows)
{
    for (int i = 0; i < 9; ++i)
        addRow(("Row" + std::to_string(i)).c_str(), 0, 100);
    OptionRowsPage model(cpu(), nullptr);
    const platform::ScopedQtMessageService realBoxes;
    struct Seen {
        QString text;
        QString caption;
        bool insidePress;
        int barValue;
        QString firstLabel;
    };
    std::vector<Seen> boxes;
    bool pressing = false;
    QWidget* page = nullptr;
    QScrollBar* bar = nullptr;
    // Watches for boxes the whole time; each stays up longer than the bar's auto-repeat delay.
    QTimer watcher;
    watcher.setInterval(20);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || box->property("seen").toBool())
            return;
        box->setProperty("seen", true);
        boxes.push_back({box->text(), box->windowTitle(), pressing, bar->value(),
                         platform::findControl<QLabel>(page, Label[0])->text()});
        if (boxes.size() >= 3)
            QTest::mouseRelease(bar, Qt::LeftButton, {}, downArrow(bar));  // ends a runaway repeat
        QTimer::singleShot(800, box, [box] { box->button(QMessageBox::Ok)->click(); });
    });
    watcher.start();

    whenModal([&](QWidget* modal) {
        auto* sheet = qobject_cast<platform::PropertySheet*>(modal);
        page = sheet->GetPage(0);
        auto* edit = platform::findControl<QLineEdit>(page, Edit[3]);
        bar = platform::findControl<QScrollBar>(page, ScrollBar);
        ASSERT_TRUE(edit && bar);
        EXPECT_EQ(bar->maximum(), 1);
        edit->setText(QStringLiteral("500"));
        pressing = true;
        QTest::mousePress(bar, Qt::LeftButton, {}, downArrow(bar));
        pressing = false;
        QTest::qWait(1600);  // the box, and time for a repeat to show another
        QTest::mouseRelease(bar, Qt::LeftButton, {}, downArrow(bar));
        settle();
        EXPECT_EQ(bar->value(), 0);
        EXPECT_EQ(platform::findControl<QLabel>(page, Label[0])->text(), QStringLiteral("Row0"));
        EXPECT_EQ(model.firstRow(), 0);
        EXPECT_EQ(page->focusWidget(), edit);
        EXPECT_EQ(edit->selectedText(), QStringLiteral("500"));

        edit->setText(QStringLiteral("50"));
        QTest::mouseClick(bar, Qt::LeftButton, {}, downArrow(bar));
        settle();
        EXPECT_EQ(platform::findControl<QLabel>(page, Label[0])->text(), QStringLiteral("Row1"));
        sheet->reject();
    });
    platform::PropertySheet sheet(QStringLiteral("CPU Properties"));
    sheet.AddPage(new ModelPage(model, optionRows()));
    sheet.exec();
    watcher.stop();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, QStringLiteral("Row3 range is 0 to 100"));
    EXPECT_EQ(boxes[0].caption, QStringLiteral("Range Error"));
    EXPECT_FALSE(boxes[0].insidePress);
    EXPECT_EQ(boxes[0].barValue, 0) << "the scroll is undone before the box";
    EXPECT_EQ(boxes[0].firstLabel, QStringLiteral("Row0"));
    EXPECT_EQ(kernel().options[3].value, 50);
}

class ClassPagesTest : public DemoProject {
protected:
    void SetUp() override
    {
        DemoProject::SetUp();
        if (HasFatalFailure())
            return;
        m_cpu = &cpu("Comms");
        m_handler = std::make_unique<engine::CpuRecordHandler>(&m_cpu->kernel, &m_config, m_cpu);
        m_context.handler = m_handler.get();
        m_context.cpu = m_cpu;
        m_context.sync = [this] {
            ++m_syncs;
            m_handler->NormalizeKernelSelections();
        };
    }
    void TearDown() override
    {
        m_handler.reset();
        DemoProject::TearDown();
    }
    int classIndex(int32_t type)
    {
        for (int32_t i = 0; i < m_cpu->kernel.classCount; ++i) {
            if (m_cpu->kernel.classes[i].classType == type)
                return i;
        }
        return -1;
    }

    engine::CpuRecord* m_cpu = nullptr;
    std::unique_ptr<engine::CpuRecordHandler> m_handler;
    ClassPagesContext m_context;
    ViewState m_state;
    int m_syncs = 0;
};

// A task's size per object is that of its control block; it is listed like every other class's.
TEST_F(ClassPagesTest, ClassPageShowsTheSizeOfATask)
{
    CpuClassPage page(m_context);
    page.initialise(m_state);
    const std::vector<ListLine> lines = page.items(class_ids::ClassList);
    const uint32_t tcb = engine::GetStructureSize("TCB", *m_cpu);
    ASSERT_GT(tcb, 0u);
    EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                           [&](const ListLine& line) { return line.text == "Task\t" + std::to_string(tcb); }),
              lines.end());
}

TEST_F(ClassPagesTest, ClassPageStoresChecksAtOnceAndOpensOnlySelectedClasses)
{
    CpuClassPage page(m_context);
    page.initialise(m_state);
    EXPECT_EQ(m_state.text(class_ids::SizeHeading), "Bytes per Object");
    const std::vector<ListLine> lines = page.items(class_ids::ClassList);
    ASSERT_FALSE(lines.empty());
    int semaphores = -1;
    for (int line = 0; line < static_cast<int>(lines.size()); ++line) {
        if (page.classOfLine(line) == classIndex(engine::ClassSemaphore))
            semaphores = line;
    }
    ASSERT_GE(semaphores, 0);
    EXPECT_NE(lines[semaphores].text, "Semaphore\t") << "a size per object";
    engine::KernelClassRecord& semaphore = m_cpu->kernel.classes[classIndex(engine::ClassSemaphore)];
    int opened = 0;
    m_context.runClassSheet = [&](int) { return ++opened, 1; };

    EXPECT_TRUE(page.checkChanged(class_ids::ClassList, semaphores, 0, m_state));
    EXPECT_EQ(semaphore.selected, 0) << "stored at once";
    m_state[class_ids::ClassList].check = semaphores;
    page.clicked(class_ids::ClassList, m_state);
    EXPECT_FALSE(m_state[class_ids::Properties].enabled);
    EXPECT_FALSE(page.doubleClicked(class_ids::ClassList, m_state));
    EXPECT_EQ(opened, 0);
    page.checkChanged(class_ids::ClassList, semaphores, 1, m_state);
    EXPECT_TRUE(m_state[class_ids::Properties].enabled);
    EXPECT_TRUE(page.clicked(class_ids::Properties, m_state));
    EXPECT_EQ(opened, 1);

    m_cpu->kernel.binaryDistribution = 1;
    page.checkChanged(class_ids::ClassList, semaphores, 0, m_state);
    EXPECT_EQ(semaphore.selected, 1);
    EXPECT_EQ(messages().back(), "These items cannot be changed in a binary-only Korvane distribution.");
    EXPECT_EQ(m_messages->boxes().back().caption, "Changes not accepted");
}

TEST_F(ClassPagesTest, ClassSheetPagesAndTheirCancel)
{
    const int tasks = classIndex(engine::ClassTask);
    ASSERT_GE(tasks, 0);
    engine::KernelClassRecord& task = m_cpu->kernel.classes[tasks];
    ASSERT_TRUE(ClassSheetHasMpPages(m_cpu->kernel, task));
    EXPECT_FALSE(ClassSheetHasMpPages(m_cpu->kernel, m_cpu->kernel.classes[classIndex(engine::ClassLevel)]));

    engine::KernelRecord before{};
    ASSERT_TRUE(engine::CpuRecordHandler::CloneKernelRecord(before, m_cpu->kernel));
    engine::ApplicationRecord& link = application("Link");
    engine::ApplicationClassEntry* taskEntry = engine::FindApplicationClassEntryByType(link, engine::ClassTask);
    ASSERT_NE(taskEntry, nullptr);
    taskEntry->numberOfDynamics = 2;
    link.edited = 0;
    {
        ClassSheetTransaction transaction(*m_cpu, m_cpu->kernel);
        ASSERT_TRUE(transaction.begin());
        ClassOptionsPage options(m_context, tasks);
        options.initialise(m_state);
        const std::vector<ListLine> lines = options.items(class_ids::OptionList);
        int dynamics = -1;
        for (int line = 0; line < static_cast<int>(lines.size()); ++line) {
            if (lines[line].text.rfind("Dynamics\t", 0) == 0)
                dynamics = line;
        }
        ASSERT_GE(dynamics, 0) << "\"Task Dynamics\" shows its second word";
        ASSERT_EQ(lines[dynamics].check, 1);
        m_messages->queueAnswer(platform::IdNo);
        options.checkChanged(class_ids::OptionList, dynamics, 0, m_state);
        EXPECT_EQ(messages().at(0), "Class Task has dynamic objects under one or more applications\nZero the number "
                                    "of dynamics for this class in all applications?");
        EXPECT_EQ(m_messages->boxes()[0].caption, "Task Dynamics");
        EXPECT_EQ(options.items(class_ids::OptionList)[dynamics].check, 1);
        m_messages->queueAnswer(platform::IdYes);
        options.checkChanged(class_ids::OptionList, dynamics, 0, m_state);
        EXPECT_EQ(taskEntry->numberOfDynamics, 0);
        EXPECT_EQ(options.items(class_ids::OptionList)[dynamics].check, 0);

        // MP services show on the MP pages only; an incoming check sets the selection.
        ClassServicesPage scalable(m_context, tasks, ServicePage::Scalable, true);
        ClassServicesPage incoming(m_context, tasks, ServicePage::Incoming, true);
        EXPECT_STREQ(scalable.caption(), "Non-MP Services");
        const std::vector<ListLine> nonMp = scalable.items(class_ids::ServiceList);
        const std::vector<ListLine> mp = incoming.items(class_ids::ServiceList);
        ASSERT_EQ(mp.size(), 2u);
        for (const ListLine& line : nonMp)
            EXPECT_NE(line.text, "KS_TaskSuspend");
        EXPECT_EQ(mp[0].text, "KS_TaskSuspend");
        EXPECT_EQ(mp[0].check, 0);
        incoming.checkChanged(class_ids::ServiceList, 0, 1, m_state);
        EXPECT_EQ(task.services[1].incoming, 1);
        EXPECT_EQ(task.services[1].state, 1);
        transaction.finish(2);
    }
    EXPECT_FALSE(engine::CpuRecordHandler::KernelRecordsDiffer(m_cpu->kernel, before));
    EXPECT_EQ(taskEntry->numberOfDynamics, 2) << "Cancel brings the dynamic objects back";
    EXPECT_EQ(link.edited, 0);
    engine::CpuRecordHandler::FreeKernelRecord(before);
}

} // namespace
} // namespace editors::test
