#pragma once
// The "CPU Properties" sheet as a transaction on one CPU's kernel record: a deep copy before the pages
// edit the record in place; OK marks the CPU and its applications when the record differs; Cancel moves
// the copy back (the record may have changed shape, so it is never copied into the live arrays).
// A model change made by the General page is kept whole by the transaction: the model file it parsed is
// swapped in and swapped back out on Cancel, and the applications' class entries follow the new model
// only on OK. The applications' dynamic object counts come back on Cancel too.
#include <functional>
#include <string>
#include <vector>

#include "engine/records/records.h"

namespace engine {
class CpuRecordHandler;
class SectionedFile;
}

namespace editors {

// The sheet's parameter block.
struct CpuSheetParams {
    bool newCpu = false;
    bool readKernel = false;  // read the kernel file named by the record's path when the page opens
    std::string name;
    std::string description;
};

class CpuSheetTransaction {
public:
    explicit CpuSheetTransaction(engine::CpuRecordHandler& handler);
    ~CpuSheetTransaction();
    CpuSheetTransaction(const CpuSheetTransaction&) = delete;
    CpuSheetTransaction& operator=(const CpuSheetTransaction&) = delete;

    bool begin();
    void finish(int result);

    // Loads model row index into the kernel record through a scratch record, so a failed load changes
    // nothing. True on success.
    bool changeModel(int32_t index);
    // A page wrote the kernel file while the sheet ran.
    void noteFileWritten() { m_fileWritten = true; }
    // The General page's Save. The kernel file alone, or, after a model change or while the project file or
    // an application of the CPU holds unsaved changes, the project's files as one, a model change in them as
    // OK would keep it: the project file names the model and the applications follow it, so the files on
    // disk open together. False after the saver's messages. Cancel then leaves what was saved on disk and
    // marks what differs from it as edited.
    bool saveKernel(engine::ProjectRecord* project);

    // The one judge of what the sheet would keep, for OK and for every Save of its pages: the whole change
    // (a model change's application option lists rebuilt with their defaults and class entries reset) is
    // put on the CPU, the project is judged as it would then be, and the CPU is put back as it was. False,
    // after the judge's message, when the project could not be saved and opened again.
    bool projectKeeps(const engine::ProjectRecord& project);

    engine::CpuRecordHandler& handler() const { return m_handler; }
    engine::KernelRecord& kernel() const;
    bool modelChanged() const { return m_modelChanged; }

private:
    // Runs `act` with the CPU's applications as the model change leaves them (their copies), then puts the
    // applications back; `act` alone when the model did not change.
    bool withChangeApplied(const std::function<bool()>& act);
    void alignClassEntries();
    // A model change's consequences for the CPU's applications: their option lists rebuilt with the
    // model's defaults and their class entries following the new model.
    void applyModelChange();

    engine::CpuRecordHandler& m_handler;
    engine::KernelRecord m_saved{};
    bool m_taken = false;
    bool m_modelChanged = false;
    bool m_fileWritten = false;
    engine::ProjectRecord* m_projectWritten = nullptr;  // the project a page's Save wrote whole
    engine::SectionedFile* m_savedModelFile = nullptr;  // the CPU's model file before a model change
    std::vector<int32_t> m_dynamics;  // the applications' dynamic object counts, which a class sheet may zero
};

// Whether the sheet gets its Options page (model options for the kernel that fit its variant and show).
bool CpuHasOptionsPage(const engine::CpuRecordHandler& handler);

} // namespace editors
