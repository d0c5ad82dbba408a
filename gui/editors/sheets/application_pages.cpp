#include "gui/editors/sheets/application_pages.h"

#include "gui/editors/model/page_application.h"
#include "gui/editors/model/page_option_rows.h"

namespace editors {

using namespace app_ids;
using K = ControlKind;

const ControlTable& appGeneralRows()
{
    static const ControlTable rows = {
        {K::Edit, Name, "Application Name:"},
        {K::GroupBegin, 0, "Application File"},
        {K::Edit, FilePath, nullptr},
        {K::Button, Load, "Load"},
        {K::Button, Save, "Save", true},
        {K::Button, SaveAs, "Save As", true},
        {K::Text, 0, "Note: The path specified above is relative to the folder which contains the Project (*.omb) file."},
        {K::GroupEnd, 0, nullptr},
        {K::Edit, Description, "Description:"},
        {K::Check, UserTrace, "User trace"},
        {K::Static, InstancesLabel, "Instances:"},
        {K::Edit, Instances, nullptr, true},
        {K::Static, NodeNameLabel, "Node name:"},
        {K::Edit, NodeName, nullptr, true},
        {K::Edit, UserVersion, "User Version:"},
        {K::Static, 0, "(0-65535)", true},
        {K::GroupBegin, 0, "Enable for All Classes"},
        {K::Button, EnableStatistics, "Statistics"},
        {K::Button, EnableDiagnostics, "Diagnostics", true},
        {K::Button, EnableTrace, "System Trace", true},
        {K::GroupEnd, 0, nullptr},
        {K::GroupBegin, 0, "Disable for All Classes"},
        {K::Button, DisableStatistics, "Statistics"},
        {K::Button, DisableDiagnostics, "Diagnostics", true},
        {K::Button, DisableTrace, "System Trace", true},
        {K::GroupEnd, 0, nullptr},
    };
    return rows;
}

const ControlTable& appClassRows()
{
    static const ControlTable rows = {
        {K::Text, 0, "Class"},
        {K::Static, ClassHeading, "Bytes per Object", true},
        {K::List, ClassList, nullptr},
        {K::Button, ClassOptions, "Options"},
    };
    return rows;
}

const ControlTable& appPathsRows()
{
    static const ControlTable rows = {
        {K::Edit, CodePath, "Path to Code (.c) Files:"},
        {K::Button, BrowseCode, "Browse...", true},
        {K::Edit, HeaderPath, "Path to Header (.h) Files:"},
        {K::Button, BrowseHeader, "Browse...", true},
        {K::Edit, OptionsPath, "Path to Options (koptions.*, aoptions.*) Files:"},
        {K::Button, BrowseOptions, "Browse...", true},
        {K::Edit, ReportPath, "Path to Report File:"},
        {K::Button, BrowseReport, "Browse...", true},
        {K::Text, 0, "Note: The paths specified above are relative to the folder which contains the Project (*.omb) file."},
    };
    return rows;
}

const ControlTable& appSystemRows()
{
    static const ControlTable rows = {
        {K::GroupBegin, 0, "System RAM"},
        {K::Edit, RamSize, "Size:"},
        {K::Static, RamUnit, "bytes", true},
        {K::RadioFirst, RamAutomatic, "Automatic"},
        {K::Radio, RamManual, "Manual", true},
        {K::Static, RamLabelStatic, "Label"},
        {K::Edit, RamLabel, nullptr, true},
        {K::GroupEnd, 0, nullptr},
        {K::GroupBegin, 0, "Kernel Stack"},
        {K::Edit, StackSize, "Size:"},
        {K::Static, StackUnit, "bytes", true},
        {K::RadioFirst, StackAutomatic, "Automatic"},
        {K::Radio, StackManual, "Manual", true},
        {K::Static, StackLabelStatic, "Label"},
        {K::Edit, StackLabel, nullptr, true},
        {K::GroupEnd, 0, nullptr},
        {K::GroupBegin, 0, "Anchor Address"},
        {K::RadioFirst, AnchorFloating, "Floating"},
        {K::Radio, AnchorFixed, "Fixed", true},
        {K::Static, AnchorStatic, "Address"},
        {K::Edit, AnchorAddress, nullptr, true},
        {K::GroupEnd, 0, nullptr},
        {K::GroupBegin, 0, "System Clock"},
        {K::Edit, ClockRate, "Rate (Hz):"},
        {K::Text, 0, "Tick (ms):"},
        {K::Static, ClockTick, nullptr, true},
        {K::GroupEnd, 0, nullptr},
    };
    return rows;
}

const ControlTable& appCodegenRows()
{
    static const ControlTable rows = {
        {K::GroupBegin, 0, "File Extensions"},
        {K::Edit, CSourceExt, "C Source"},
        {K::Edit, CHeaderExt, "C Includes"},
        {K::Edit, AsmSourceExt, "Assembler Source"},
        {K::Edit, AsmHeaderExt, "Assembler Includes"},
        {K::GroupEnd, 0, nullptr},
        {K::GroupBegin, 0, "Generate"},
        {K::Check, AssemblerOutput, "Assembler Output"},
        {K::Check, Instrumentation, "Instrumentation Data"},
        {K::Check, ExceptionMacros, "Exception Macros"},
        {K::Check, ExternConst, "Declare const data as extern"},
        {K::GroupEnd, 0, nullptr},
        {K::GroupBegin, 0, "Comment Style"},
        {K::RadioFirst, CommentsC, "C"},
        {K::Radio, CommentsCpp, "C++", true},
        {K::GroupEnd, 0, nullptr},
        {K::GroupBegin, 0, "Line Terminators"},
        {K::RadioFirst, DosFiles, "DOS/Windows"},
        {K::Radio, UnixFiles, "Unix/Linux", true},
        {K::GroupEnd, 0, nullptr},
        {K::Edit, Suffix, "Optional symbol suffix:"},
        {K::Button, RestoreDefaults, "Restore Defaults"},
    };
    return rows;
}

const ControlTable& appContextRows()
{
    static const ControlTable rows = {
        {K::Check, Context0, "Context 0"},
        {K::Check, Context0 + 1, "Context 1"},
        {K::Check, Context0 + 2, "Context 2"},
        {K::Check, Context0 + 3, "Context 3"},
    };
    return rows;
}

const ControlTable& optionRows()
{
    static const ControlTable rows = [] {
        ControlTable table;
        for (int slot = 0; slot < option_ids::kSlots; ++slot) {
            table.push_back({K::Static, option_ids::Label[slot], ""});
            table.push_back({K::Edit, option_ids::Edit[slot], nullptr, true});
            // A yes/no option shows in place of the label and edit of a number option.
            table.push_back({K::Check, option_ids::Check[slot], "", true, true});
        }
        table.push_back({K::ScrollBar, option_ids::ScrollBar, nullptr});
        return table;
    }();
    return rows;
}

const ControlTable& appOptionsRows()
{
    static const ControlTable rows = [] {
        ControlTable table = optionRows();
        table.push_back({K::Button, option_ids::RestoreDefaults, "Restore Defaults"});
        return table;
    }();
    return rows;
}

} // namespace editors
