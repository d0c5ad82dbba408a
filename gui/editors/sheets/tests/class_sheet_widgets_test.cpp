// The CPU sheet's Class page and the class sheet it opens, driven by mouse and keyboard on the demo project.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QTimer>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>

#include <map>

#include "engine/ops/cpu_record_handler.h"
#include "engine/records/text_field.h"
#include "gui/editors/model/page_cpu_class.h"
#include "gui/editors/model/page_option_rows.h"
#include "gui/editors/sheets/cpu_sheet_view.h"
#include "gui/editors/sheets/tests/demo_project.h"
#include "gui/shell/custom_check_list_box.h"
#include "platform/core/message_service.h"
#include "platform/qt/control_id.h"
#include "platform/qt/property_sheet.h"

namespace editors::test {
namespace {

platform::PropertySheet* sheetOf(QWidget* modal)
{
    auto* sheet = qobject_cast<platform::PropertySheet*>(modal);
    EXPECT_NE(sheet, nullptr) << modal->windowTitle().toStdString();
    return sheet;
}

void clickButton(QAbstractButton* button)
{
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
}

void clickClose(platform::PropertySheet* sheet, QDialogButtonBox::StandardButton which)
{
    clickButton(sheet->buttonBox()->button(which));
}

// The line whose text starts with the given words, -1 when there is none.
int lineOf(const CustomCheckListBox* list, const QString& start)
{
    for (int row = 0; list && row < list->count(); ++row) {
        if (list->item(row)->text().startsWith(start))
            return row;
    }
    return -1;
}

QStringList linesOf(const CustomCheckListBox* list)
{
    QStringList lines;
    for (int row = 0; list && row < list->count(); ++row)
        lines << list->item(row)->text();
    return lines;
}

// Clicks a line's text (selects it) or its check box.
void clickLine(CustomCheckListBox* list, int row)
{
    ASSERT_TRUE(list && row >= 0 && row < list->count());
    const QRect rect = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      QPoint(rect.left() + list->textOffset(row) + 8, rect.center().y()));
    settle();  // the page takes a list's change once the press has ended
}

void clickCheck(CustomCheckListBox* list, int row)
{
    ASSERT_TRUE(list && row >= 0 && row < list->count());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->checkRect(row).center());
    settle();
}

// Runs the step on the modal window of that title if one comes up within a few turns of the event loop.
void whenModalSoon(const QString& title, std::function<void(QWidget*)> step, int turns = 100)
{
    QTimer::singleShot(0, [title, step, turns] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->windowTitle() == title)
            step(modal);
        else if (turns > 0)
            whenModalSoon(title, step, turns - 1);
    });
}

class ClassSheetWidgetsTest : public DemoProject {
protected:
    // Runs the CPU sheet of a CPU with the step on it; the sheet's result.
    int runCpuSheet(engine::CpuRecord& cpu, std::function<void(platform::PropertySheet*)> step)
    {
        engine::CpuRecordHandler handler(&cpu.kernel, &m_config, &cpu);
        CpuSheetParams params{false, false, engine::textString(cpu.name), engine::textString(cpu.description)};
        whenModal(
            [step](QWidget* modal) {
                platform::PropertySheet* sheet = sheetOf(modal);
                if (sheet)
                    step(sheet);
                if (modal->isVisible())
                    qobject_cast<QDialog*>(modal)->reject();
            },
            QStringLiteral("CPU Properties"));
        return ShowCpuPropertiesSheet(handler, params, &m_project);
    }

    // On the CPU sheet: the Class page's list, after a click on its tab.
    static CustomCheckListBox* classList(platform::PropertySheet* sheet)
    {
        platform::PropertyPage* page = clickTab(sheet, QStringLiteral("Class"));
        return page ? platform::findControl<CustomCheckListBox>(page, class_ids::ClassList) : nullptr;
    }

    // On the CPU sheet: selects the class's line, clicks "Properties" and runs the step on the class sheet.
    static void openClassSheet(platform::PropertySheet* sheet, const QString& className,
                               std::function<void(platform::PropertySheet*)> step)
    {
        CustomCheckListBox* list = classList(sheet);
        clickLine(list, lineOf(list, className + "\t"));
        whenModal(
            [step](QWidget* modal) {
                if (platform::PropertySheet* classSheet = sheetOf(modal))
                    step(classSheet);
                if (modal->isVisible())
                    qobject_cast<QDialog*>(modal)->reject();
            },
            className + QStringLiteral(" Properties"));
        clickButton(platform::findControl<QAbstractButton>(sheet->GetActivePage(), class_ids::Properties));
    }

    int classIndex(engine::CpuRecord& cpu, const char* name)
    {
        for (int32_t i = 0; i < cpu.kernel.classCount; ++i) {
            if (engine::textOf(cpu.kernel.classes[i].name) == name)
                return i;
        }
        ADD_FAILURE() << "no class " << name;
        return 0;
    }
};

TEST_F(ClassSheetWidgetsTest, ServicesPagesListWhatTheModelOffersOnBothCpus)
{
    const QStringList mpServices = {"KS_TaskSuspend", "KS_TaskResume"};
    const QStringList otherServices = {"KS_TaskStart", "KS_TaskCreate", "KS_TaskDelete"};
    for (const char* name : {"Main", "Comms"}) {
        std::map<QString, QStringList> shown;
        runCpuSheet(cpu(name), [&](platform::PropertySheet* sheet) {
            openClassSheet(sheet, QStringLiteral("Task"), [&](platform::PropertySheet* classSheet) {
                for (int i = 1; i < classSheet->GetPageCount(); ++i) {
                    const QString caption = classSheet->GetPage(i)->caption();
                    platform::PropertyPage* page = clickTab(classSheet, caption);
                    shown[caption] = linesOf(platform::findControl<CustomCheckListBox>(page, class_ids::ServiceList));
                }
                clickClose(classSheet, QDialogButtonBox::Cancel);
            });
        });
        SCOPED_TRACE(name);
        if (std::string(name) == "Main") {
            ASSERT_EQ(shown.size(), 1u) << "a kernel without MP has one services page";
            const QStringList& all = shown[QStringLiteral("Scalable Services")];
            for (const QString& service : mpServices + otherServices)
                EXPECT_TRUE(all.contains(service)) << service.toStdString();
            continue;
        }
        ASSERT_EQ(shown.size(), 4u);
        EXPECT_EQ(shown[QStringLiteral("Non-MP Services")], otherServices);
        for (const char* page : {"Local MP Services", "Outgoing MP Services", "Incoming MP Services"})
            EXPECT_EQ(shown[QString::fromLatin1(page)], mpServices) << page;
    }
}

TEST_F(ClassSheetWidgetsTest, OneClickOnACheckBoxStoresIt)
{
    engine::CpuRecord& comms = cpu("Comms");
    engine::KernelClassRecord& semaphore = comms.kernel.classes[classIndex(comms, "Semaphore")];
    engine::KernelClassRecord& task = comms.kernel.classes[classIndex(comms, "Task")];
    ASSERT_EQ(semaphore.selected, 1);
    int32_t staticNames = -1;
    int32_t resumeLocal = -1;
    const int result = runCpuSheet(comms, [&](platform::PropertySheet* sheet) {
        // A click on the box of a line that is not the current one.
        CustomCheckListBox* list = classList(sheet);
        ASSERT_EQ(list->currentRow(), -1);
        clickCheck(list, lineOf(list, QStringLiteral("Semaphore\t")));
        EXPECT_EQ(semaphore.selected, 0);
        EXPECT_EQ(list->GetCheck(lineOf(list, QStringLiteral("Semaphore\t"))), 0);
        clickCheck(list, lineOf(list, QStringLiteral("Semaphore\t")));
        EXPECT_EQ(semaphore.selected, 1);

        openClassSheet(sheet, QStringLiteral("Task"), [&](platform::PropertySheet* classSheet) {
            auto* options = platform::findControl<CustomCheckListBox>(classSheet->GetPage(0), class_ids::OptionList);
            const int line = lineOf(options, QStringLiteral("Static"));
            ASSERT_GE(line, 0);
            const int before = options->GetCheck(line);
            clickCheck(options, line);
            EXPECT_NE(options->GetCheck(lineOf(options, QStringLiteral("Static"))), before);
            staticNames = task.attributes[0].selected;
            EXPECT_NE(staticNames, before) << "the option's own flag";

            platform::PropertyPage* local = clickTab(classSheet, QStringLiteral("Local MP Services"));
            auto* services = platform::findControl<CustomCheckListBox>(local, class_ids::ServiceList);
            const int resume = lineOf(services, QStringLiteral("KS_TaskResume"));
            const int wasLocal = services->GetCheck(resume);
            clickCheck(services, resume);
            EXPECT_NE(services->GetCheck(resume), wasLocal);
            for (int32_t s = 0; s < task.serviceCount; ++s) {
                if (engine::textOf(task.services[s].name) == "KS_TaskResume")
                    resumeLocal = task.services[s].local;
            }
            EXPECT_NE(resumeLocal, wasLocal);
            clickClose(classSheet, QDialogButtonBox::Ok);
        });
        clickClose(sheet, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(result, 1);
    EXPECT_GE(staticNames, 0);
    EXPECT_GE(resumeLocal, 0);
    EXPECT_EQ(task.attributes[0].selected, staticNames) << "kept through both OKs";
    EXPECT_EQ(comms.kernel.edited, 1);
}

// A check refused on a binary-only kernel says so once the click has ended, not inside its mouse press;
// the line shows the record's check again, before the box comes up.
TEST_F(ClassSheetWidgetsTest, ARefusedCheckIsReportedAfterThePress)
{
    engine::CpuRecord& comms = cpu("Comms");
    comms.kernel.binaryDistribution = 1;
    bool clicking = false;
    std::vector<bool> insideClick;
    std::vector<std::string> texts;
    struct Recording : platform::MessageService {
        std::function<void(const std::string&)> seen;
        int show(const std::string& text, const std::string&, unsigned) override
        {
            seen(text);
            return platform::IdOk;
        }
    } recording;
    CustomCheckListBox* shownList = nullptr;
    int shownLine = -1;
    std::vector<int> checkAtBox;
    recording.seen = [&](const std::string& text) {
        insideClick.push_back(clicking);
        texts.push_back(text);
        if (shownList)
            checkAtBox.push_back(shownList->GetCheck(shownLine));
    };
    platform::MessageService* previous = platform::setMessageService(&recording);
    int before = -1;
    int after = -1;
    runCpuSheet(comms, [&](platform::PropertySheet* sheet) {
        CustomCheckListBox* list = classList(sheet);
        const int line = lineOf(list, QStringLiteral("Semaphore\t"));
        ASSERT_GE(line, 0);
        before = list->GetCheck(line);
        shownList = list;
        shownLine = line;
        clicking = true;
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->checkRect(line).center());
        clicking = false;
        settle();
        after = list->GetCheck(line);
        shownList = nullptr;
    });
    platform::setMessageService(previous);
    EXPECT_EQ(checkAtBox, std::vector<int>{before});
    EXPECT_EQ(texts, std::vector<std::string>{"These items cannot be changed in a binary-only Korvane distribution."});
    EXPECT_EQ(insideClick, std::vector<bool>{false});
    EXPECT_EQ(after, before);
}

TEST_F(ClassSheetWidgetsTest, ClassSheetCancelThenEveryOtherPage)
{
    engine::CpuRecord& comms = cpu("Comms");
    const int result = runCpuSheet(comms, [&](platform::PropertySheet* sheet) {
        clickTab(sheet, QStringLiteral("Options"));
        openClassSheet(sheet, QStringLiteral("Task"), [](platform::PropertySheet* classSheet) {
            for (int i = 0; i < classSheet->GetPageCount(); ++i)
                clickTab(classSheet, classSheet->GetPage(i)->caption());
            clickClose(classSheet, QDialogButtonBox::Cancel);
        });
        platform::PropertyPage* options = clickTab(sheet, QStringLiteral("Options"));
        ASSERT_NE(options, nullptr);
        QLineEdit* tickRate = nullptr;
        for (int slot = 0; slot < option_ids::kSlots; ++slot) {
            if (platform::findControl<QLabel>(options, option_ids::Label[slot])->text() == "System tick rate (Hz)")
                tickRate = platform::findControl<QLineEdit>(options, option_ids::Edit[slot]);
        }
        ASSERT_NE(tickRate, nullptr);
        tickRate->selectAll();
        QTest::keyClicks(tickRate, QStringLiteral("700"));
        clickTab(sheet, QStringLiteral("General"));
        clickTab(sheet, QStringLiteral("Class"));
        EXPECT_EQ(clickTab(sheet, QStringLiteral("Options")), options);
        EXPECT_EQ(tickRate->text(), QStringLiteral("700"));
        clickClose(sheet, QDialogButtonBox::Ok);
    });
    EXPECT_EQ(result, 1);
    int32_t tickRate = -1;
    for (int32_t i = 0; i < comms.kernel.optionCount; ++i) {
        if (engine::textOf(comms.kernel.options[i].sectionName) == "Tick Rate")
            tickRate = comms.kernel.options[i].value;
    }
    EXPECT_EQ(tickRate, 700);
}

// A double-click on a line that is not the current one opens its class the first time: the first click's
// selection change does not take the line from under the second.
TEST_F(ClassSheetWidgetsTest, ADoubleClickOnALineThatIsNotCurrentOpensItsClass)
{
    engine::CpuRecord& comms = cpu("Comms");
    QStringList opened;
    runCpuSheet(comms, [&](platform::PropertySheet* sheet) {
        CustomCheckListBox* list = classList(sheet);
        for (const char* name : {"Task", "Semaphore"}) {
            const int line = lineOf(list, QString::fromLatin1(name) + "\t");
            ASSERT_GE(line, 0);
            ASSERT_NE(list->currentRow(), line);
            const QRect rect = list->visualItemRect(list->item(line));
            const QPoint at(rect.left() + list->textOffset(line) + 8, rect.center().y());
            whenModalSoon(QString::fromLatin1(name) + " Properties", [&](QWidget* modal) {
                opened << modal->windowTitle();
                qobject_cast<QDialog*>(modal)->reject();
            });
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
            settle();  // the page takes the selection change between the two clicks
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
            settle();
            for (int turn = 0; turn < 100; ++turn)
                QCoreApplication::processEvents();
        }
    });
    EXPECT_EQ(opened, (QStringList{"Task Properties", "Semaphore Properties"}));
}

// A class sheet closed (OK or Cancel) leaves its row chosen on the Class page and Properties enabled for
// it; a click on that row keeps it so, and Properties opens the sheet again.
TEST_F(ClassSheetWidgetsTest, PropertiesStaysEnabledForTheRowStillChosenAfterTheClassSheetCloses)
{
    QStringList opened;
    runCpuSheet(cpu("Comms"), [&](platform::PropertySheet* sheet) {
        for (const QDialogButtonBox::StandardButton close : {QDialogButtonBox::Ok, QDialogButtonBox::Cancel}) {
            openClassSheet(sheet, QStringLiteral("Task"), [&](platform::PropertySheet* classSheet) {
                opened << classSheet->windowTitle();
                clickClose(classSheet, close);
            });
            settle();
            CustomCheckListBox* list = classList(sheet);
            auto* properties = platform::findControl<QAbstractButton>(sheet->GetActivePage(), class_ids::Properties);
            const int task = lineOf(list, QStringLiteral("Task\t"));
            EXPECT_EQ(list->currentRow(), task);
            EXPECT_TRUE(list->item(task)->isSelected());
            EXPECT_TRUE(properties->isEnabled());
            clickLine(list, task);
            EXPECT_EQ(list->currentRow(), task);
            EXPECT_TRUE(properties->isEnabled());
        }
        whenModal([&](QWidget* modal) {
            opened << modal->windowTitle();
            qobject_cast<QDialog*>(modal)->reject();
        });
        clickButton(platform::findControl<QAbstractButton>(sheet->GetActivePage(), class_ids::Properties));
    });
    EXPECT_EQ(opened, (QStringList{"Task Properties", "Task Properties", "Task Properties"}));
}

} // namespace
} // namespace editors::test
