#include "report.h"

#include <cstdint>

#include "application_model.h"
#include "c_text.h"
#include "class_columns.h"
#include "output_file.h"

#include <cstdio>

namespace codegen {

namespace {

std::string onOff(int32_t flag)
{
    return flag ? "on" : "off";
}

std::string padded(const std::string& label, std::size_t width)
{
    return label.size() >= width ? label + " " : label + std::string(width - label.size(), ' ');
}

} // namespace

std::string reportPath(const engine::CpuRecord& cpu, const engine::ApplicationRecord& application)
{
    return joinPath(nativePath(fieldText(application.reportPath)),
                    fieldText(cpu.name) + "_" + fieldText(application.name) + ".txt");
}

std::string reportText(const engine::ProjectRecord* project, const engine::CpuRecord& cpu,
                       const engine::ApplicationRecord& app, const std::string& version)
{
    std::string out;
    auto line = [&out](const std::string& text = {}) { out += text + "\n"; };
    line("Korvane kernel configuration report");
    line();
    line(padded("Project:", 14) + (project ? fieldText(project->name) : std::string()));
    line(padded("CPU:", 14) + fieldText(cpu.name) + " (model " + fieldText(cpu.kernel.modelName) + ")");
    line(padded("Kernel:", 14) + version);
    line(padded("Application:", 14) + fieldText(app.name));
    line(padded("Description:", 14) + fieldText(app.description));
    line(padded("Instances:", 14) + std::to_string(app.instances) + (app.isMp ? ", multiprocessor" : ""));
    line(padded("Clock rate:", 14) + std::to_string(app.systemClockRateHz) + " Hz");
    line();
    std::string unit = fieldText(cpu.kernel.sizeUnitName);
    if (unit.empty())
        unit = "bytes";
    line("Memory footprint (" + unit + ")" + (app.footprint.IsValid() ? "" : ": not computed"));
    // A counter at its largest value holds that much or more.
    const auto amount = [](uint32_t value) { return std::to_string(value) + (value == UINT32_MAX ? " or more" : ""); };
    line("  " + padded("User RAM", 12) + amount(app.footprint.UserRam()));
    line("  " + padded("User ROM", 12) + amount(app.footprint.UserRom()));
    line("  " + padded("System RAM", 12) + amount(app.footprint.SystemRam()));
    line();
    line("Options");
    const int32_t optionCount = usableCount(app.optionCount, app.options);
    if (optionCount == 0)
        line("  (none)");
    for (int32_t i = 0; i < optionCount; ++i) {
        const engine::ApplicationOption& option = app.options[i];
        line("  " + padded(fieldText(option.name), 32) + std::to_string(option.value) + " (" + onOff(option.state) + ")");
    }
    line();
    line("Classes");
    const ApplicationModel model = buildApplicationModel(cpu, app);
    if (model.classes.empty())
        line("  (none)");
    for (const ClassTable& table : model.classes) {
        const engine::ApplicationClassEntry& entry = *table.entry;
        std::string heading = "  " + std::string(static_cast<std::size_t>(table.depth) * 2, ' ') + table.name +
                              " (type " + std::to_string(table.classType) + ")";
        if (!entry.enabled) {
            line(heading + ": disabled");
            continue;
        }
        line(heading + ": " + std::to_string(table.rows.size()) + " object(s), statistics " + onOff(entry.statistics) +
             ", diagnostics " + onOff(entry.diagnostics) + ", system trace " + onOff(entry.systemTrace));
        for (const ObjectRow& row : table.rows) {
            std::string text = "    " + std::string(static_cast<std::size_t>(table.depth) * 2, ' ') +
                               fieldText(row.object->name);
            for (const ClassColumn& column : classColumns(table.classType)) {
                const std::string value = columnText(column, row.object->data);
                if (!value.empty() && value != "0")
                    text += std::string(" ") + column.name + "=" + value;
            }
            line(text);
        }
    }
    return out;
}

} // namespace codegen
