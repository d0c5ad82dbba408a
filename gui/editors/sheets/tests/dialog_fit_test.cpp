// Every dialog and sheet page opened on the demo project fits what it shows: no edit is narrower than its
// text needs (up to a floor of 30 average characters of the dialog font) and no two controls overlap.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <functional>
#include <string>
#include <vector>

#include "engine/names/project_walk.h"
#include "engine/ops/cpu_record_handler.h"
#include "engine/records/text_field.h"
#include "gui/editors/model/page_cpu_class.h"
#include "gui/editors/services/editors_impl.h"
#include "gui/editors/sheets/application_sheet_view.h"
#include "gui/editors/sheets/cpu_sheet_view.h"
#include "gui/editors/sheets/tests/demo_project.h"
#include "gui/shell/editor_services.h"
#include "platform/qt/control_id.h"
#include "platform/qt/property_sheet.h"
#include "platform/qt/testing/widget_fit.h"

namespace editors::test {
namespace {

// A heading just above a list, other than the one at the list's left edge, stands over the list's
// right-aligned column: it ends in the right third of the list.
std::vector<std::string> headingProblems(QWidget* page, const std::string& where)
{
    std::vector<std::string> problems;
    for (QAbstractItemView* list : page->findChildren<QAbstractItemView*>()) {
        if (!list->isVisibleTo(page))
            continue;
        const QRect area(list->mapTo(page, QPoint(0, 0)), list->size());
        for (QLabel* label : page->findChildren<QLabel*>()) {
            const QRect text(label->mapTo(page, QPoint(0, 0)), label->size());
            const bool above = text.bottom() <= area.top() && text.bottom() >= area.top() - 2 * text.height();
            if (!label->isVisibleTo(page) || label->text().isEmpty() || !above || text.left() <= area.left() + 4)
                continue;
            const int end = text.left() + label->fontMetrics().horizontalAdvance(label->text());
            const int ends = label->alignment() & Qt::AlignRight ? text.right() : end;
            if (ends < area.right() - area.width() / 3)
                problems.push_back(where + ": heading \"" + label->text().toStdString() + "\" ends at " +
                                   std::to_string(ends) + ", not over the column ending at " +
                                   std::to_string(area.right()));
        }
    }
    return problems;
}

// Every page of the sheet in turn.
void checkPages(QWidget* modal, const std::string& where, std::vector<std::string>& problems)
{
    auto* sheet = qobject_cast<platform::PropertySheet*>(modal);
    if (!sheet) {
        problems.push_back(where + ": not a sheet");
        return;
    }
    for (int page = 0; page < sheet->GetPageCount(); ++page) {
        if (!sheet->SetActivePage(page)) {
            problems.push_back(where + ": page " + std::to_string(page) + " cannot be reached");
            continue;
        }
        const std::string pageWhere = where + " / " + sheet->GetPage(page)->caption().toStdString();
        const auto found = platform::testing::FitProblems(modal, pageWhere);
        problems.insert(problems.end(), found.begin(), found.end());
        const auto headings = headingProblems(sheet->GetPage(page), pageWhere);
        problems.insert(problems.end(), headings.begin(), headings.end());
    }
}

class DialogFitTest : public DemoProject {
protected:
    void SetUp() override
    {
        DemoProject::SetUp();
        // The program links the whole library and so installs the editors at load; a test names them.
        shell::setEditorServices(&editorsImpl());
    }

    // Checks the dialog the call opens, then closes it with Cancel.
    void checkDialog(const std::string& where, const std::function<void()>& open)
    {
        whenModal([this, where](QWidget* modal) {
            const auto found = platform::testing::FitProblems(modal, where);
            m_problems.insert(m_problems.end(), found.begin(), found.end());
            qobject_cast<QDialog*>(modal)->reject();
        });
        open();
    }

    std::vector<std::string> m_problems;
};

TEST_F(DialogFitTest, EveryDialogAndPageOfTheDemoShowsItsTextsWithoutOverlaps)
{
    shell::ProjectProperties properties{engine::textString(m_project.name),
                                        "Demonstration system with a communications processor"};
    checkDialog("Project Properties", [&] { shell::editorServices().ProjectPropertiesDialog(properties, nullptr); });
    // The first dialog a new user meets shows the whole description.
    whenModal([](QWidget* modal) {
        auto* description = platform::findControl<QLineEdit>(modal, 1049);
        ASSERT_NE(description, nullptr);
        description->setCursorPosition(0);
        EXPECT_GE(description->width(), description->fontMetrics().horizontalAdvance(description->text()));
        qobject_cast<QDialog*>(modal)->reject();
    });
    shell::editorServices().ProjectPropertiesDialog(properties, nullptr);

    // Every object's dialog, and each class entry's options and, where allowed, its dynamic objects.
    int objects = 0;
    engine::VisitProjectObjects(m_project, [&](const engine::ObjectPlace& place) {
        ++objects;
        checkDialog(engine::textString(place.object->name), [&] {
            shell::editorServices().EditObjectProperties(m_manager, m_project, *place.cpu, *place.application,
                                                         *place.entry, *place.object);
        });
        return 0;
    });
    EXPECT_GT(objects, 10);
    engine::VisitProjectClassEntries(m_project, [&](const engine::ClassEntryPlace& place) {
        const std::string where = engine::textString(place.application->name) + " class " +
                                  std::to_string(place.entry->classType);
        checkDialog(where + " options", [&] {
            shell::editorServices().ClassOptionsDialog(*place.entry, *place.cpu, *place.application, nullptr);
        });
        if (place.entry->dynamicsAllowed) {
            checkDialog(where + " dynamics", [&] {
                shell::editorServices().DynamicObjectsDialog(*place.entry, place.cpu->kernel, place.application,
                                                             nullptr);
            });
        }
        return 0;
    });

    // Every page of each application's sheet.
    engine::VisitProjectApplications(m_project, [&](engine::CpuRecord& cpu, engine::ApplicationRecord& app) {
        const std::string where = "Application " + engine::textString(app.name);
        whenModal([this, where](QWidget* modal) {
            checkPages(modal, where, m_problems);
            qobject_cast<QDialog*>(modal)->reject();
        });
        ShowApplicationPropertiesSheet(m_project, app, cpu);
        return 0;
    });

    // Every page of each CPU's sheet, and of the class sheet of every class that has one.
    engine::VisitProjectCpus(m_project, [&](engine::CpuRecord& cpu) {
        const std::string where = "CPU " + engine::textString(cpu.name);
        engine::CpuRecordHandler handler(&cpu.kernel, &m_config, &cpu);
        CpuSheetParams params{false, false, engine::textString(cpu.name), engine::textString(cpu.description)};
        whenModal([this, where](QWidget* modal) {
            checkPages(modal, where, m_problems);
            auto* sheet = qobject_cast<platform::PropertySheet*>(modal);
            const int last = sheet ? sheet->GetPageCount() - 1 : -1;
            auto* list = last >= 0 ? platform::findControl<QListWidget>(sheet->GetPage(last), class_ids::ClassList)
                                   : nullptr;
            if (list && sheet->SetActivePage(last)) {
                auto* properties = platform::findControl<QPushButton>(sheet->GetPage(last), class_ids::Properties);
                for (int line = 0; line < list->count(); ++line) {
                    list->setCurrentRow(line);
                    if (!properties || !properties->isEnabled())
                        continue;
                    const std::string classWhere = where + " / " + list->item(line)->text().toStdString();
                    whenModal([this, classWhere](QWidget* classSheet) {
                        checkPages(classSheet, classWhere, m_problems);
                        qobject_cast<QDialog*>(classSheet)->reject();
                    });
                    properties->click();
                }
            }
            qobject_cast<QDialog*>(modal)->reject();
        });
        ShowCpuPropertiesSheet(handler, params, &m_project);
        return 0;
    });

    for (const std::string& problem : m_problems)
        ADD_FAILURE() << problem;
}

} // namespace
} // namespace editors::test
