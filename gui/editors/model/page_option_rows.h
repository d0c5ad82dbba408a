#pragma once
// The "Options" pages of the application and CPU sheets: the model options as a scrolling list of eight
// row slots. A yes/no option is a check box; a number option a label and an edit, range-checked when the
// rows are stored (leaving the page, or scrolling).
#include <map>
#include <string>
#include <vector>

#include "engine/records/records.h"
#include "gui/editors/model/sheet_page_model.h"

namespace engine {
class CpuRecordHandler;
}

namespace editors {

namespace option_ids {
constexpr int kSlots = 8;
constexpr int Label[kSlots] = {1102, 1103, 1108, 1109, 1110, 1111, 1112, 1113};
constexpr int Edit[kSlots] = {1098, 1099, 1100, 1101, 1104, 1105, 1106, 1107};
constexpr int Check[kSlots] = {1114, 1115, 1116, 1117, 1119, 1120, 1121, 1122};
constexpr int ScrollBar = 1118;
constexpr int RestoreDefaults = 1229;
}

class OptionRowsPage : public PageModel {
public:
    // The application page edits the application's option rows; without an application, the CPU page
    // edits the kernel's own options.
    OptionRowsPage(engine::CpuRecord& cpu, engine::ApplicationRecord* application);
    const char* caption() const override { return "Options"; }
    unsigned templateId() const override { return m_application ? 132 : 107; }
    bool clicked(int id, ViewState& state) override;
    OkOutcome killActive(ViewState& state) override;

    // The scroll bar's state: enabled and its largest position (the control's limit), its position (check).
    int firstRow() const { return m_first; }
    int rowCount() const { return m_rowCount; }
    // Moves the first row; false (nothing moved) when the shown rows do not store, after the range message,
    // with the failing edit asked for the focus.
    bool scrollTo(int index, ViewState& state);
    std::string toolTip(int id) const override;

protected:
    void load(ViewState& state) override;

private:
    // One listed row: the model option's index, and for the application page the application option's.
    // Indices, not pointers: a Cancel elsewhere in the sheet (the class sheet's) may replace the arrays.
    struct Row {
        int32_t model = -1;
        int32_t option = -1;
    };
    engine::ModelOptionRow* modelOf(const Row& row) const;
    engine::ApplicationOption* optionOf(const Row& row) const;
    // The listed rows from position `from` on (application page: positions of the application's rows).
    std::vector<Row> rowsFrom(int from) const;
    void build(ViewState& state, bool reset);
    // Stores the filled slots; the index of the failing slot, or -1, with its range message in message.
    int storeRows(ViewState& state, std::string& message);
    bool editable(const engine::ModelOptionRow& row) const;

    engine::CpuRecord& m_cpu;
    engine::ApplicationRecord* m_application;
    int m_first = 0;
    int m_rowCount = 0;
    std::vector<Row> m_shown;
    std::map<int, std::string> m_tips;
};

// An option number as typed: leading blanks, a sign, for radix 16 an optional "0x", then digits of the
// radix up to the first other character; no digits read 0. Beyond 32 bits it saturates, and fits (when
// given) says false.
uint32_t ReadOptionNumber(const std::string& text, int radix, bool* fits = nullptr);
std::string OptionNumberText(uint32_t value, int radix);

} // namespace editors
