#pragma once
// The "Application Properties" sheet as a transaction on one application record: a deep copy before the
// pages edit the record in place; OK marks the application when it differs from the copy; Cancel puts the
// copy back (arrays whose shape changed in between are replaced whole).
#include <functional>
#include <string>

#include "engine/records/records.h"

namespace editors {

class ApplicationSheetTransaction {
public:
    ApplicationSheetTransaction(engine::CpuRecord& cpu, engine::ApplicationRecord& application);
    ~ApplicationSheetTransaction();
    ApplicationSheetTransaction(const ApplicationSheetTransaction&) = delete;
    ApplicationSheetTransaction& operator=(const ApplicationSheetTransaction&) = delete;

    // Takes the copy; false when memory runs out (the sheet must not run).
    bool begin();
    // Ends the sheet with its result (1 OK, anything else Cancel).
    void finish(int result);
    // A page wrote the application file while the sheet ran: after a Cancel memory then differs from the
    // file, so the application stays marked edited.
    void noteFileWritten() { m_fileWritten = true; }

    const engine::ApplicationRecord& snapshot() const { return m_snapshot; }

private:
    engine::CpuRecord& m_cpu;
    engine::ApplicationRecord& m_application;
    engine::ApplicationRecord m_snapshot{};
    bool m_taken = false;
    bool m_fileWritten = false;
};

// What the application pages ask of the program around them.
struct ApplicationSheetHooks {
    // Reloads every page that exists (after the General page read another file).
    std::function<void()> refreshPages;
    // Rebuilds the project tree, or refreshes its labels.
    std::function<void()> rebuildTree;
    std::function<void()> refreshTreeLabels;
    // The class options dialog of a class entry; 1 OK.
    std::function<int(engine::ApplicationClassEntry& entry)> classOptions;
    // The General page's button states after a class options change.
    std::function<void()> updateGeneralButtons;
    // Recomputes and shows the application's memory footprint.
    std::function<void()> updateFootprint;
    // The folder picker: (purpose, initial folder, chosen folder out); false when cancelled.
    std::function<bool(const std::string& purpose, const std::string& initial, std::string& chosen)> chooseFolder;
};

// Everything a page of the sheet works on.
struct ApplicationSheetContext {
    engine::ProjectRecord* project = nullptr;
    engine::CpuRecord* cpu = nullptr;
    engine::ApplicationRecord* application = nullptr;
    ApplicationSheetTransaction* transaction = nullptr;
    ApplicationSheetHooks hooks;
};

// Whether the sheet gets its Options and Extended Context pages.
bool ApplicationHasOptionsPage(const engine::ApplicationRecord& application);
bool ApplicationHasContextPage(const engine::CpuRecord& cpu);

} // namespace editors
