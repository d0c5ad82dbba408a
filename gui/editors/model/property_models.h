#pragma once
// The property dialogs beside the object dialogs: Class Options, Dynamic Objects and Project Properties.
#include <array>
#include <string>

#include "engine/records/records.h"
#include "gui/editors/model/dialog_model.h"

namespace editors {

enum ClassOptionsControl : int {
    IdStatistics = 1051,
    IdDiagnostics = 1052,
    IdSystemTrace = 1053,
    IdStatisticsSize = 1054,
    IdDiagnosticsSize = 1055,
    IdSystemTraceSize = 1056,
    IdMaxNameLength = 1142,
    IdSizeUnit = 1149,
    IdMaxNameLengthLabel = 1282,
};

// The per-class kernel options of one application class entry, and how much each grows an object.
class ClassOptionsModel : public DialogModel {
public:
    ClassOptionsModel(engine::ApplicationClassEntry& entry, engine::CpuRecord& cpu,
                      engine::ApplicationRecord& application);
    unsigned templateId() const override { return 134; }
    void init(ViewState& state) override;
    bool clicked(int id, ViewState& state) override;
    OkOutcome ok(ViewState& state, DialogHost& host) override;

    bool binaryOnly() const { return m_cpu.kernel.binaryDistribution != 0; }

private:
    struct Options {
        int32_t statistics = 0;
        int32_t diagnostics = 0;
        int32_t systemTrace = 0;
        int32_t maxKeyLength = 0;
    };
    void takeChecks(const ViewState& state);
    // The size effect of each option under the working values, shown beside it (empty for 0).
    void showSizes(ViewState& state);
    uint32_t optionSizeEffect(int32_t engine::ApplicationClassEntry::*option, const std::string& structure);
    void clearTraceFlags();

    engine::ApplicationClassEntry& m_entry;
    engine::CpuRecord& m_cpu;
    engine::ApplicationRecord& m_application;
    Options m_copy;
};

enum DynamicObjectsControl : int {
    IdDynamicsFirstName = 1082,  // row n: name 1082 + 2n, count 1083 + 2n, label 1090 + n
};
constexpr int kDynamicRows = 4;
constexpr int dynamicNameId(int row) { return 1082 + 2 * row; }
constexpr int dynamicCountId(int row) { return 1083 + 2 * row; }
constexpr int dynamicLabelId(int row) { return 1090 + row; }

// The number of dynamic objects of a class entry and the entries chained after it.
class DynamicObjectsModel : public DialogModel {
public:
    // application (optional) gives the static object count of chained entries and is marked edited on a
    // change.
    DynamicObjectsModel(engine::ApplicationClassEntry& entry, const engine::KernelRecord& kernel,
                        engine::ApplicationRecord* application);
    unsigned templateId() const override { return 149; }
    void init(ViewState& state) override;
    OkOutcome ok(ViewState& state, DialogHost& host) override;
    // Puts back the numbers an adjusting OK stored.
    void cancel() override;

private:
    int rowCount() const;
    engine::ApplicationClassEntry* rowEntry(int row) const;
    int32_t staticObjects(const engine::ApplicationClassEntry& entry) const;

    engine::ApplicationClassEntry& m_entry;
    const engine::KernelRecord& m_kernel;
    engine::ApplicationRecord* m_application;
    std::array<int32_t, kDynamicRows> m_atOpen{};
};

enum ProjectPropertiesControl : int { IdProjectName = 1048, IdProjectDescription = 1049 };

// A project's name and description; writes nothing into the project record.
class ProjectPropertiesModel : public DialogModel {
public:
    explicit ProjectPropertiesModel(const engine::ProjectRecord* project) : m_project(project) {}
    unsigned templateId() const override { return 130; }
    void init(ViewState& state) override;
    OkOutcome ok(ViewState& state, DialogHost& host) override;

    const std::string& name() const { return m_name; }
    const std::string& description() const { return m_description; }

private:
    const engine::ProjectRecord* m_project;
    std::string m_name;
    std::string m_description;
};

} // namespace editors
