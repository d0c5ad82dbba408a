#include "gui/editors/objects/control_table.h"

#include <initializer_list>

namespace editors {

namespace {

using K = ControlKind;

ControlTable withFrame(std::initializer_list<ControlRow> rows)
{
    ControlTable table{{K::Edit, 1065, "Name:"}, {K::Edit, 1066, "Description:"}};
    table.insert(table.end(), rows);
    return table;
}

const ControlRow kTraceBox{K::Check, 1194, "Initial Trace Mode"};

ControlTable traceModes()
{
    return {{K::GroupBegin, 1230, "Initial Trace Modes"},
            {K::Check, 1194, "Object"},
            {K::Check, 1197, "Actor", true},
            {K::GroupEnd, 0, nullptr}};
}

ControlTable waitingOrder()
{
    return {{K::GroupBegin, 0, "Waiting Order"},
            {K::RadioFirst, 1078, "Priority"},
            {K::Radio, 1079, "FIFO", true},
            {K::GroupEnd, 0, nullptr}};
}

ControlTable placement()
{
    return {{K::GroupBegin, 0, "Placement"},
            {K::RadioFirst, 1167, "Automatic"},
            {K::Edit, 1166, "Alignment:", true},
            {K::Radio, 1168, "Manual"},
            {K::Edit, 1169, "Label:", true},
            {K::GroupEnd, 0, nullptr}};
}

ControlTable join(std::initializer_list<ControlTable> parts)
{
    ControlTable table;
    for (const ControlTable& part : parts)
        table.insert(table.end(), part.begin(), part.end());
    return table;
}

ControlTable taskControls()
{
    ControlTable table = withFrame({{K::Edit, 1067, "Entry Point:"},
                                    {K::Edit, 1072, "Initial Priority:"},
                                    {K::Edit, 1074, "Starting Order Number:"},
                                    {K::GroupBegin, 0, "Task Stack"},
                                    {K::Edit, 1073, "Size in"},
                                    {K::Static, 1278, "", true},
                                    {K::GroupEnd, 0, nullptr},
                                    {K::GroupBegin, 0, "Placement"},
                                    {K::RadioFirst, 1275, "Automatic"},
                                    {K::Radio, 1276, "Manual", true},
                                    {K::Edit, 1277, "Label"},
                                    {K::GroupEnd, 0, nullptr},
                                    {K::GroupBegin, 1235, "Extended Context"},
                                    {K::Check, 1231, "Context 0"},
                                    {K::Check, 1232, "Context 1"},
                                    {K::Check, 1233, "Context 2"},
                                    {K::Check, 1234, "Context 3"},
                                    {K::GroupEnd, 0, nullptr},
                                    {K::GroupBegin, 1296, "Attributes"}});
    for (int i = 0; i < 4; ++i) {
        table.push_back({K::Static, 1286 + 3 * i, ""});
        table.push_back({K::RadioFirst, 1284 + 3 * i, "", true});
        table.push_back({K::Radio, 1285 + 3 * i, "", true});
    }
    table.push_back({K::GroupEnd, 0, nullptr});
    const ControlTable trace = traceModes();
    table.insert(table.end(), trace.begin(), trace.end());
    return table;
}

std::vector<ControlTable> buildObjectTables()
{
    std::vector<ControlTable> tables(15);
    tables[1] = join({withFrame({{K::GroupBegin, 0, "Scheduling Policy"},
                                 {K::RadioFirst, 1067, "Priority"},
                                 {K::Radio, 1068, "Round Robin", true},
                                 {K::GroupEnd, 0, nullptr},
                                 kTraceBox})});
    tables[2] = join({withFrame({{K::Edit, 1067, "Entry Point:"}}), traceModes()});
    tables[3] = join({withFrame({{K::Edit, 1067, "Interrupt Level:"},
                                 {K::Edit, 1068, "Vector Number:"},
                                 {K::Edit, 1069, "Entry Point:"}}),
                      traceModes()});
    tables[4] = withFrame({kTraceBox});
    tables[5] = withFrame({{K::Edit, 1067, "Modulus:"},
                           {K::Check, 1069, "System Timebase"},
                           {K::Check, 1070, "Tickslice Counter"},
                           kTraceBox});
    tables[6] = withFrame({{K::Edit, 1067, "Initial Count:"},
                           {K::Edit, 1307, "Expression:", true},
                           {K::Edit, 1068, "Recycle Count:"},
                           {K::Edit, 1308, "Expression:", true},
                           {K::Check, 1193, "Initial Trace Mode"}});
    tables[7] = join({withFrame({{K::GroupBegin, 0, "Buffer(s)"},
                                 {K::Edit, 1071, "# of Buffers:"},
                                 {K::Edit, 1074, "Expression:", true},
                                 {K::Edit, 1072, "Buffer Size:"},
                                 {K::Edit, 1073, "Expression:", true},
                                 {K::GroupEnd, 0, nullptr}}),
                      placement(),
                      {{K::Check, 1195, "Suppress Buffer Allocation"}, kTraceBox}});
    tables[8] = taskControls();
    tables[9] = join({withFrame({{K::GroupBegin, 0, "Signal Type"},
                                 {K::RadioFirst, 1080, "Single"},
                                 {K::Radio, 1081, "Multiple", true},
                                 {K::GroupEnd, 0, nullptr}}),
                      waitingOrder(), {kTraceBox}});
    tables[10] = join({withFrame({{K::Edit, 1076, "Width:"},
                                  {K::Edit, 1080, "Expression:", true},
                                  {K::Edit, 1077, "Depth:"},
                                  {K::Edit, 1081, "Expression:", true}}),
                       waitingOrder(), placement(), {kTraceBox}});
    tables[11] = join({withFrame({}), waitingOrder(), {kTraceBox}});
    tables[12] = join({withFrame({{K::Edit, 1080, "Block Size:"},
                                  {K::Edit, 1082, "Expression:", true},
                                  {K::Edit, 1081, "# of Blocks:"},
                                  {K::Edit, 1083, "Expression:", true}}),
                       waitingOrder(), placement(), {kTraceBox}});
    tables[13] = join({withFrame({{K::Check, 1081, "Priority Inheritance"}}), waitingOrder(), {kTraceBox}});
    tables[14] = withFrame({});
    return tables;
}

} // namespace

const ControlTable& objectDialogControls(int classType)
{
    static const std::vector<ControlTable> tables = buildObjectTables();
    return tables[(classType >= 1 && classType <= 14) ? classType : 0];
}

const ControlTable& classOptionsControls()
{
    static const ControlTable table{
        {K::Static, 1149, "Size per Object"},
        {K::Check, 1051, "Statistics"},
        {K::Static, 1054, "", true},
        {K::Check, 1052, "Diagnostics"},
        {K::Static, 1055, "", true},
        {K::Check, 1053, "System Trace"},
        {K::Static, 1056, "", true},
        {K::Static, 1282, "Max Name Length"},
        {K::Edit, 1142, nullptr, true},
    };
    return table;
}

const ControlTable& dynamicObjectsControls()
{
    static const ControlTable table = [] {
        ControlTable rows;
        for (int row = 0; row < 4; ++row) {
            rows.push_back({K::Static, 1090 + row, "Number of Dynamics for Class"});
            rows.push_back({K::Static, 1082 + 2 * row, "", true});
            rows.push_back({K::Edit, 1083 + 2 * row, nullptr, true});
        }
        return rows;
    }();
    return table;
}

const ControlTable& projectPropertiesControls()
{
    static const ControlTable table{{K::Edit, 1048, "Name:"}, {K::Edit, 1049, "Description:"}};
    return table;
}

} // namespace editors
