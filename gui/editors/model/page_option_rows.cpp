#include "gui/editors/model/page_option_rows.h"

#include <algorithm>
#include <cctype>

#include "engine/ops/project_manager.h"
#include "engine/records/model_option.h"
#include "engine/records/text_field.h"
#include "engine/util/text.h"
#include "platform/core/message_service.h"

namespace editors {

using namespace option_ids;

namespace {

constexpr const char* kRangeCaption = "Range Error";

bool sameNameIgnoringCase(const char* a, const char* b)
{
    const std::string_view x = engine::textOf(a, engine::kNameSize);
    const std::string_view y = engine::textOf(b, engine::kNameSize);
    return x.size() == y.size() && std::equal(x.begin(), x.end(), y.begin(), [](char p, char q) {
               return std::tolower(static_cast<unsigned char>(p)) == std::tolower(static_cast<unsigned char>(q));
           });
}

// Numbers are shown and read in radix 16 or 10 alike, so a visit never changes a value.
int effectiveRadix(const engine::ModelOptionRow& row)
{
    return row.base == 16 ? 16 : 10;
}

} // namespace

uint32_t ReadOptionNumber(const std::string& text, int radix, bool* fits)
{
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (radix == 16 && i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X'))
        i += 2;
    uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const int c = std::tolower(static_cast<unsigned char>(text[i]));
        const int digit = std::isdigit(c) ? c - '0' : (c >= 'a' && c <= 'z') ? c - 'a' + 10 : 99;
        if (digit >= radix)
            break;
        value = value * static_cast<uint64_t>(radix) + static_cast<uint64_t>(digit);
        if (value > 0xFFFFFFFFull)
            value = 0x100000000ull;  // stays saturated
    }
    // A prefixed number past 32 bits is refused in a decimal row too, not read as the 0 before its "x".
    if (fits)
        *fits = value <= 0xFFFFFFFFull && NumberFits32Bits(text);
    uint32_t result = value > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(value);
    if (negative && value <= 0xFFFFFFFFull)
        result = 0u - result;
    return result;
}

std::string OptionNumberText(uint32_t value, int radix)
{
    return radix == 16 ? engine::FormatText("%X", value) : engine::FormatText("%u", value);
}

OptionRowsPage::OptionRowsPage(engine::CpuRecord& cpu, engine::ApplicationRecord* application)
    : m_cpu(cpu), m_application(application)
{
}

bool OptionRowsPage::editable(const engine::ModelOptionRow& row) const
{
    return !m_cpu.kernel.binaryDistribution || row.overrideBinary;
}

engine::ModelOptionRow* OptionRowsPage::modelOf(const Row& row) const
{
    const engine::KernelRecord& kernel = m_cpu.kernel;
    return kernel.options && row.model >= 0 && row.model < kernel.optionCount ? &kernel.options[row.model] : nullptr;
}

engine::ApplicationOption* OptionRowsPage::optionOf(const Row& row) const
{
    if (!m_application || !m_application->options || row.option < 0 || row.option >= m_application->optionCount)
        return nullptr;
    return &m_application->options[row.option];
}

std::vector<OptionRowsPage::Row> OptionRowsPage::rowsFrom(int from) const
{
    std::vector<Row> rows;
    engine::KernelRecord& kernel = m_cpu.kernel;
    const auto offered = [&kernel](const engine::ModelOptionRow& row) {
        return row.shown && (row.variantMask & kernel.framework) != 0;
    };
    if (m_application) {
        for (int32_t i = std::max(from, 0); m_application->options && i < m_application->optionCount; ++i) {
            engine::ApplicationOption& option = m_application->options[i];
            for (int32_t m = 0; kernel.options && m < kernel.optionCount; ++m) {
                if (offered(kernel.options[m]) && sameNameIgnoringCase(kernel.options[m].sectionName, option.name)) {
                    rows.push_back({m, i});
                    break;
                }
            }
        }
        return rows;
    }
    int position = 0;
    for (int32_t m = 0; kernel.options && m < kernel.optionCount; ++m) {
        engine::ModelOptionRow& row = kernel.options[m];
        if (row.forApplications || !offered(row))
            continue;
        if (position++ >= from)
            rows.push_back({m, -1});
    }
    return rows;
}

void OptionRowsPage::load(ViewState& state)
{
    m_first = 0;
    build(state, true);
}

void OptionRowsPage::build(ViewState& state, bool reset)
{
    const std::vector<Row> rows = rowsFrom(m_first);
    m_tips.clear();
    m_shown.assign(rows.begin(), rows.begin() + std::min<std::size_t>(rows.size(), kSlots));
    m_rowCount = m_application ? m_first + static_cast<int>(rows.size())
                               : static_cast<int>(rowsFrom(0).size());
    for (int slot = 0; slot < kSlots; ++slot) {
        ControlState& label = state[Label[slot]];
        ControlState& edit = state[Edit[slot]];
        ControlState& check = state[Check[slot]];
        if (slot >= static_cast<int>(m_shown.size())) {
            label.visible = edit.visible = check.visible = false;
            continue;
        }
        const engine::ModelOptionRow& model = *modelOf(m_shown[slot]);
        const engine::ApplicationOption* option = optionOf(m_shown[slot]);
        const bool canEdit = editable(model);
        const std::string tip = engine::textString(model.toolTip);
        const int32_t value = option ? option->value : model.value;
        const int32_t enabled = option ? option->state : model.state;
        if (!engine::carriesNumber(model)) {
            check.visible = true;
            label.visible = edit.visible = false;
            check.caption = engine::textString(model.name);
            check.check = enabled ? 1 : 0;
            check.enabled = canEdit;
            m_tips[Check[slot]] = tip;
        } else {
            check.visible = false;
            label.visible = edit.visible = true;
            label.text = engine::textString(model.name);
            edit.text = OptionNumberText(static_cast<uint32_t>(value), effectiveRadix(model));
            label.enabled = edit.enabled = canEdit;
            m_tips[Label[slot]] = m_tips[Edit[slot]] = tip;
        }
    }
    ControlState& scroll = state[ScrollBar];
    if (reset) {
        // The labels change as the rows scroll: each keeps room for the longest, so none runs into its edit.
        std::string widest;
        for (const Row& row : rowsFrom(0)) {
            if (const engine::ModelOptionRow* model = modelOf(row); model && engine::carriesNumber(*model))
                widest += engine::textString(model->name) + '\n';
        }
        for (const int id : Label)
            state[id].widest = widest;
        scroll.enabled = m_rowCount > kSlots;
        scroll.limit = std::max(m_rowCount - kSlots, 0);
    }
    scroll.check = m_first;
    if (m_application)
        state[RestoreDefaults].enabled = !m_cpu.kernel.binaryDistribution;
}

int OptionRowsPage::storeRows(ViewState& state, std::string& message)
{
    for (int slot = 0; slot < static_cast<int>(m_shown.size()); ++slot) {
        engine::ModelOptionRow* found = modelOf(m_shown[slot]);
        engine::ApplicationOption* option = optionOf(m_shown[slot]);
        if (!found || (m_application && !option))
            continue;  // the arrays shrank since the rows were shown
        engine::ModelOptionRow& model = *found;
        if (!engine::carriesNumber(model)) {
            (option ? option->state : model.state) = state.checked(Check[slot]) ? 1 : 0;
            continue;
        }
        const int radix = effectiveRadix(model);
        bool fits = true;
        const uint32_t value = ReadOptionNumber(state.text(Edit[slot]), radix, &fits);
        const uint32_t low = static_cast<uint32_t>(model.minimum);
        const uint32_t high = static_cast<uint32_t>(model.maximum);
        const bool unsignedRange = low <= high;
        const bool inRange = unsignedRange ? value >= low && value <= high
                                           : static_cast<int32_t>(value) >= model.minimum &&
                                                 static_cast<int32_t>(value) <= model.maximum;
        if (!inRange || !fits) {
            const std::string name = engine::textString(model.name);
            message = radix == 16      ? engine::FormatText("%s range is %X to %X", name.c_str(), low, high)
                      : unsignedRange ? engine::FormatText("%s range is %u to %u", name.c_str(), low, high)
                                      : engine::FormatText("%s range is %d to %d", name.c_str(), model.minimum,
                                                           model.maximum);
            return slot;
        }
        (option ? option->value : model.value) = static_cast<int32_t>(value);
    }
    return -1;
}

OkOutcome OptionRowsPage::killActive(ViewState& state)
{
    std::string message;
    const int failed = storeRows(state, message);
    if (failed < 0)
        return OkOutcome::closeOk();
    pageMessage(message, kRangeCaption, platform::MbOk);
    return OkOutcome::stay(Edit[failed], false);
}

bool OptionRowsPage::scrollTo(int index, ViewState& state)
{
    index = std::clamp(index, 0, std::max(m_rowCount - kSlots, 0));
    if (index == m_first) {
        state[ScrollBar].check = m_first;
        return true;
    }
    std::string message;
    if (const int failed = storeRows(state, message); failed >= 0) {
        state[ScrollBar].check = m_first;
        requestFocus(Edit[failed]);
        pageMessage(message, kRangeCaption, platform::MbOk);
        return false;
    }
    m_first = index;
    build(state, false);
    return true;
}

std::string OptionRowsPage::toolTip(int id) const
{
    const auto found = m_tips.find(id);
    return found == m_tips.end() ? std::string() : found->second;
}

bool OptionRowsPage::clicked(int id, ViewState& state)
{
    if (id == ScrollBar) {
        scrollTo(state[ScrollBar].check, state);
        return true;
    }
    if (id == RestoreDefaults && m_application) {
        engine::BuildApplicationOptionList(m_cpu, *m_application);
        load(state);
        return true;
    }
    return false;
}

} // namespace editors
