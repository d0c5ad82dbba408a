#pragma once
// The pages of the "Application Properties" sheet: General, Class, Paths, System, Code Generation and
// Extended Context. Each edits the application record in place; the sheet's transaction restores it on
// Cancel.
#include <vector>

#include "gui/editors/model/application_sheet.h"
#include "gui/editors/model/sheet_page_model.h"

namespace editors {

// Control ids of the application pages.
namespace app_ids {
enum : int {
    // General
    Name = 1060, FilePath = 1061, Description = 1172, UserTrace = 1097, InstancesLabel = 1175, Instances = 1176,
    NodeNameLabel = 1211, NodeName = 1212, UserVersion = 1173, Load = 1062, Save = 1063, SaveAs = 1064,
    EnableStatistics = 1049, EnableDiagnostics = 1050, EnableTrace = 1051,
    DisableStatistics = 1052, DisableDiagnostics = 1053, DisableTrace = 1054,
    // Class
    ClassOptions = 1050, ClassList = 1021, ClassHeading = 1149,
    // Paths
    CodePath = 1094, HeaderPath = 1095, OptionsPath = 1098, ReportPath = 1100,
    BrowseCode = 1096, BrowseHeader = 1097, BrowseOptions = 1099, BrowseReport = 1102,
    // System
    RamSize = 1120, RamAutomatic = 1122, RamManual = 1123, RamLabel = 1124, RamLabelStatic = 1135,
    StackSize = 1121, StackAutomatic = 1125, StackManual = 1126, StackLabel = 1127, StackLabelStatic = 1136,
    AnchorFloating = 1130, AnchorFixed = 1131, AnchorAddress = 1132, AnchorStatic = 1137,
    ClockRate = 1133, ClockTick = 1134, RamUnit = 1128, StackUnit = 1129,
    // Code Generation
    CSourceExt = 1182, CHeaderExt = 1183, AsmSourceExt = 1184, AsmHeaderExt = 1185, AssemblerOutput = 1181,
    Instrumentation = 1177, ExceptionMacros = 1178, ExternConst = 1192, CommentsC = 1179, CommentsCpp = 1180,
    DosFiles = 1228, UnixFiles = 1229, Suffix = 1297, RestoreDefaults = 1186,
    // Extended Context
    Context0 = 1231,
};
}

class ApplicationPage : public PageModel {
public:
    explicit ApplicationPage(ApplicationSheetContext& context) : m_context(context) {}

protected:
    engine::ApplicationRecord& application() const { return *m_context.application; }
    engine::CpuRecord& cpu() const { return *m_context.cpu; }
    ApplicationSheetContext& m_context;
};

class AppGeneralPage : public ApplicationPage {
public:
    using ApplicationPage::ApplicationPage;
    const char* caption() const override { return "General"; }
    unsigned templateId() const override { return 131; }
    void store(ViewState& state) override;
    bool clicked(int id, ViewState& state) override;
    OkOutcome killActive(ViewState& state) override;
    // Enables the six all-classes switches and Save from the records.
    void updateButtonStates(ViewState& state) const;

protected:
    void load(ViewState& state) override;

private:
    // Whether the page shows the instances and the node name: for a multiprocessor application of an
    // MP-enabled CPU.
    bool showsNode() const;
    // Sets or clears a feature on every class entry; true when an entry changed.
    bool switchAll(int id, ViewState& state);
    void loadFile(ViewState& state);
    void saveFile(ViewState& state, bool choose);
};

class AppClassPage : public ApplicationPage {
public:
    using ApplicationPage::ApplicationPage;
    const char* caption() const override { return "Class"; }
    unsigned templateId() const override { return 133; }
    bool clicked(int id, ViewState& state) override;
    bool doubleClicked(int id, ViewState& state) override { return clicked(id, state) | clicked(app_ids::ClassOptions, state); }
    std::vector<ListLine> items(int id) const override;
    // The class entry of a line (null for none).
    engine::ApplicationClassEntry* entryOfLine(int line) const;

protected:
    void load(ViewState& state) override;

private:
    void fill();
    std::vector<ListLine> m_lines;
    std::vector<engine::ApplicationClassEntry*> m_entries;
};

class AppPathsPage : public ApplicationPage {
public:
    using ApplicationPage::ApplicationPage;
    const char* caption() const override { return "Paths"; }
    unsigned templateId() const override { return 150; }
    void store(ViewState& state) override;
    bool clicked(int id, ViewState& state) override;

protected:
    void load(ViewState& state) override;
};

class AppSystemPage : public ApplicationPage {
public:
    explicit AppSystemPage(ApplicationSheetContext& context);
    const char* caption() const override { return "System"; }
    unsigned templateId() const override { return 167; }
    void store(ViewState& state) override;
    bool clicked(int id, ViewState& state) override;
    OkOutcome killActive(ViewState& state) override;

protected:
    void load(ViewState& state) override;

private:
    void setEnables(ViewState& state) const;
    // The system block as the page was built.
    struct Block {
        int32_t ramSize, ramManual, stackSize, stackManual, anchorFixed, anchorAddress, clockRate;
        std::string ramLabel, stackLabel;
    } m_before;
};

class AppCodegenPage : public ApplicationPage {
public:
    using ApplicationPage::ApplicationPage;
    const char* caption() const override { return "Code Generation"; }
    unsigned templateId() const override { return 189; }
    bool clicked(int id, ViewState& state) override;
    OkOutcome killActive(ViewState& state) override;

protected:
    void load(ViewState& state) override;
};

class AppContextPage : public ApplicationPage {
public:
    using ApplicationPage::ApplicationPage;
    const char* caption() const override { return "Extended Context"; }
    unsigned templateId() const override { return 202; }
    OkOutcome killActive(ViewState& state) override;

protected:
    void load(ViewState& state) override;
};

} // namespace editors
