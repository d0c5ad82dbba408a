#include "gui/editors/model/page_cpu_class.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "engine/footprint/structure_size.h"
#include "engine/footprint/symbol_table.h"
#include "engine/names/project_walk.h"
#include "engine/ops/cpu_record_handler.h"
#include "engine/records/text_field.h"
#include "engine/util/text.h"
#include "platform/core/message_service.h"

namespace editors {

using namespace class_ids;

namespace {

constexpr int kMaxAttributeDepth = 16;

std::string sizeText(uint32_t size)
{
    return size ? std::to_string(size) : std::string();
}

} // namespace

bool syncClassPages(ClassPagesContext& context)
{
    if (!context.sync)
        return false;
    context.sync();
    return true;
}

bool RefuseBinaryOnlyChange(const engine::KernelRecord& kernel)
{
    if (!kernel.binaryDistribution)
        return false;
    pageMessage("These items cannot be changed in a binary-only Korvane distribution.", "Changes not accepted",
                platform::MbOk);
    return true;
}

std::string ClassObjectStructure(const engine::KernelClassRecord& kernelClass)
{
    // A task's own block is its control block, not a "<root>HEADER" structure.
    if (kernelClass.classType == engine::ClassTask)
        return "TCB";
    return engine::textString(kernelClass.headerRoot) + "HEADER";
}

uint32_t ClassObjectSize(const engine::KernelClassRecord& kernelClass, const engine::CpuRecord& cpu)
{
    const std::string root = engine::textString(kernelClass.headerRoot);
    if (root.empty() && kernelClass.classType != engine::ClassTask)
        return 0;
    const uint32_t size = engine::GetStructureSize(ClassObjectStructure(kernelClass), cpu);
    return size || root.empty() ? size : engine::GetStructureSize(root, cpu);
}

std::string SizePerObjectHeading(const engine::KernelRecord& kernel)
{
    std::string heading = engine::textString(kernel.sizeUnitName) + " per Object";
    heading[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(heading[0])));
    return heading;
}

// ---- the Class page

engine::KernelRecord& CpuClassPage::kernel() const
{
    return *m_context.handler->GetKernelRecord();
}

int CpuClassPage::classOfLine(int line) const
{
    const engine::KernelRecord& k = kernel();
    int position = 0;
    for (int32_t i = 0; k.classes && i < k.classCount; ++i) {
        if (!k.classes[i].available)
            continue;
        if (position++ == line)
            return i;
    }
    return -1;
}

std::vector<ListLine> CpuClassPage::items(int id) const
{
    std::vector<ListLine> lines;
    const engine::KernelRecord& k = kernel();
    if (id != ClassList || !m_context.cpu)
        return lines;
    engine::UpdateSymbolsForCpu(*m_context.cpu);
    for (int32_t i = 0; k.classes && i < k.classCount; ++i) {
        const engine::KernelClassRecord& kernelClass = k.classes[i];
        if (!kernelClass.available)
            continue;
        ListLine line;
        line.text = engine::textString(kernelClass.name) + "\t" +
                    sizeText(ClassObjectSize(kernelClass, *m_context.cpu));
        line.check = kernelClass.selected ? 1 : 0;
        lines.push_back(line);
    }
    return lines;
}

void CpuClassPage::load(ViewState& state)
{
    state[SizeHeading].text = SizePerObjectHeading(kernel());
    state[Properties].enabled = false;
    state[ClassList].check = -1;
    syncClassPages(m_context);
}

bool CpuClassPage::clicked(int id, ViewState& state)
{
    if (id == Properties)
        return openProperties(state);
    if (id != ClassList)
        return false;
    syncClassPages(m_context);
    const int index = classOfLine(state[ClassList].check);
    state[Properties].enabled = index >= 0 && kernel().classes[index].selected;
    return true;
}

bool CpuClassPage::doubleClicked(int id, ViewState& state)
{
    return id == ClassList && openProperties(state);
}

bool CpuClassPage::checkChanged(int id, int line, int check, ViewState& state)
{
    const int index = classOfLine(line);
    if (id != ClassList || index < 0)
        return false;
    if (RefuseBinaryOnlyChange(kernel()))
        return true;  // the list shows the record again
    // Every check is stored at once, so none is lost when the sheet closes first.
    engine::KernelClassRecord& kernelClass = kernel().classes[index];
    kernelClass.selected = check ? 1 : 0;
    syncClassPages(m_context);
    const int selected = classOfLine(state[ClassList].check);
    state[Properties].enabled = selected >= 0 && kernel().classes[selected].selected;
    return true;
}

bool CpuClassPage::openProperties(ViewState& state)
{
    const int line = state[ClassList].check;
    const int index = classOfLine(line);
    if (index < 0 || !kernel().classes[index].selected || !m_context.runClassSheet)
        return false;
    m_context.runClassSheet(index);
    // The page is reloaded when the class sheet closes; the row stays chosen, and so does Properties while
    // its class is selected, as before the sheet opened.
    const int after = classOfLine(line);
    state[ClassList].check = after >= 0 ? line : -1;
    state[Properties].enabled = after >= 0 && kernel().classes[after].selected;
    return true;
}

// ---- the class sheet's transaction

ClassSheetTransaction::ClassSheetTransaction(engine::CpuRecord& cpu, engine::KernelRecord& kernel)
    : m_cpu(cpu), m_kernel(kernel)
{
}

ClassSheetTransaction::~ClassSheetTransaction()
{
    if (m_taken)
        engine::CpuRecordHandler::FreeKernelRecord(m_saved);
}

bool ClassSheetTransaction::begin()
{
    std::memset(&m_saved, 0, sizeof m_saved);
    m_taken = engine::CpuRecordHandler::CloneKernelRecord(m_saved, m_kernel);
    if (!m_taken) {
        engine::CpuRecordHandler::FreeKernelRecord(m_saved);
        return false;
    }
    engine::VisitCpuClassEntries(m_cpu, [this](const engine::ClassEntryPlace& place) {
        m_dynamics.push_back(place.entry->numberOfDynamics);
        return 0;
    });
    return true;
}

void ClassSheetTransaction::finish(int result)
{
    if (!m_taken)
        return;
    std::size_t n = 0;
    if (result == 1) {
        engine::UpdateSymbolsForCpu(m_cpu);
        // Dynamic object counts the Options page zeroed belong to the application files.
        engine::VisitCpuClassEntries(m_cpu, [&](const engine::ClassEntryPlace& place) {
            if (n < m_dynamics.size() && place.entry->numberOfDynamics != m_dynamics[n] && place.application)
                place.application->edited = 1;
            ++n;
            return 0;
        });
        return;
    }
    engine::CpuRecordHandler::FreeKernelRecord(m_kernel);
    m_kernel = m_saved;
    std::memset(&m_saved, 0, sizeof m_saved);
    m_taken = false;
    engine::VisitCpuClassEntries(m_cpu, [&](const engine::ClassEntryPlace& place) {
        if (n < m_dynamics.size())
            place.entry->numberOfDynamics = m_dynamics[n];
        ++n;
        return 0;
    });
}

bool ClassSheetHasMpPages(const engine::KernelRecord& kernel, const engine::KernelClassRecord& kernelClass)
{
    return (kernel.featureMask & 4) && (kernel.framework & 4) && kernelClass.classType != engine::ClassLevel;
}

// ---- the class Options page

std::vector<std::pair<engine::KernelClassAttribute*, int>> ClassOptionsPage::listed() const
{
    std::vector<std::pair<engine::KernelClassAttribute*, int>> out;
    engine::KernelRecord& k = *m_context.handler->GetKernelRecord();
    if (m_class < 0 || m_class >= k.classCount || !k.classes)
        return out;
    std::function<void(engine::KernelClassAttribute*, int32_t, int)> walk =
        [&](engine::KernelClassAttribute* attributes, int32_t count, int depth) {
            for (int32_t i = 0; attributes && i < count && depth < kMaxAttributeDepth; ++i) {
                engine::KernelClassAttribute& attribute = attributes[i];
                if (!attribute.shown || (attribute.variantMask & k.framework) == 0)
                    continue;
                out.emplace_back(&attribute, depth);
                walk(attribute.children, attribute.childCount, depth + 1);
            }
        };
    walk(k.classes[m_class].attributes, k.classes[m_class].attributeCount, 0);
    return out;
}

int ClassOptionsPage::sizeEffect(engine::KernelClassAttribute& attribute) const
{
    engine::CpuRecord& cpu = *m_context.cpu;
    const engine::KernelClassRecord& kernelClass = m_context.handler->GetKernelRecord()->classes[m_class];
    engine::UpdateSymbolsForCpu(cpu);
    const int64_t before = ClassObjectSize(kernelClass, cpu);
    attribute.selected = !attribute.selected;
    engine::UpdateSymbolsForCpu(cpu);
    const int64_t after = ClassObjectSize(kernelClass, cpu);
    attribute.selected = !attribute.selected;
    engine::UpdateSymbolsForCpu(cpu);
    return static_cast<int>(std::llabs(after - before));
}

void ClassOptionsPage::load(ViewState& state)
{
    m_effects.clear();
    for (const auto& [attribute, depth] : listed()) {
        (void)depth;
        m_effects.push_back(m_context.cpu ? sizeEffect(*attribute) : 0);
    }
    state[SizeHeading].text = SizePerObjectHeading(*m_context.handler->GetKernelRecord());
    state[OptionList].check = -1;
    syncClassPages(m_context);
}

std::vector<ListLine> ClassOptionsPage::items(int id) const
{
    std::vector<ListLine> lines;
    if (id != OptionList)
        return lines;
    const auto attributes = listed();
    for (std::size_t n = 0; n < attributes.size(); ++n) {
        const engine::KernelClassAttribute& attribute = *attributes[n].first;
        const std::string name = engine::textString(attribute.name);
        const std::string::size_type blank = name.find(' ');
        ListLine line;
        line.text = (blank == std::string::npos ? name : name.substr(blank + 1)) + "\t" +
                    (n < m_effects.size() && m_effects[n] ? std::to_string(m_effects[n]) : std::string());
        line.indent = attributes[n].second;
        line.check = attribute.selected ? 1 : 0;
        line.enabled = attribute.available != 0;
        lines.push_back(line);
    }
    return lines;
}

bool ClassOptionsPage::clicked(int id, ViewState&)
{
    return id == OptionList && syncClassPages(m_context);
}

bool ClassOptionsPage::checkChanged(int id, int line, int check, ViewState&)
{
    const auto attributes = listed();
    if (id != OptionList || line < 0 || line >= static_cast<int>(attributes.size()))
        return false;
    engine::KernelRecord& k = *m_context.handler->GetKernelRecord();
    if (RefuseBinaryOnlyChange(k))
        return true;
    engine::KernelClassAttribute& attribute = *attributes[line].first;
    const engine::KernelClassRecord& kernelClass = k.classes[m_class];
    const std::string name = engine::TrimText(engine::textOf(attribute.name), true, true);
    const bool dynamicsOption = name.size() >= 8 && name.compare(name.size() - 8, 8, "Dynamics") == 0;
    if (!check && attribute.selected && dynamicsOption && m_context.cpu) {
        bool dynamics = false;
        engine::VisitCpuClassEntries(*m_context.cpu, [&](const engine::ClassEntryPlace& place) {
            dynamics = dynamics || (place.entry->classType == kernelClass.classType && place.entry->numberOfDynamics > 0);
            return 0;
        });
        if (dynamics) {
            const std::string className = engine::textString(kernelClass.name);
            if (platform::messageBox("Class " + className +
                                         " has dynamic objects under one or more applications\nZero the number of "
                                         "dynamics for this class in all applications?",
                                     className + " Dynamics", platform::MbYesNo | platform::MbIconWarning) !=
                platform::IdYes)
                return true;
            engine::VisitCpuClassEntries(*m_context.cpu, [&](const engine::ClassEntryPlace& place) {
                if (place.entry->classType == kernelClass.classType)
                    place.entry->numberOfDynamics = 0;
                return 0;
            });
        }
    }
    attribute.selected = check ? 1 : 0;
    syncClassPages(m_context);
    return true;
}

// ---- the class services pages

const char* ClassServicesPage::caption() const
{
    switch (m_kind) {
    case ServicePage::Local: return "Local MP Services";
    case ServicePage::Outgoing: return "Outgoing MP Services";
    case ServicePage::Incoming: return "Incoming MP Services";
    case ServicePage::Scalable: break;
    }
    return m_mpPages ? "Non-MP Services" : "Scalable Services";
}

unsigned ClassServicesPage::templateId() const
{
    switch (m_kind) {
    case ServicePage::Local: return 190;
    case ServicePage::Outgoing: return 191;
    case ServicePage::Incoming: return 192;
    case ServicePage::Scalable: break;
    }
    return 112;
}

std::vector<engine::KernelServiceRow*> ClassServicesPage::listed() const
{
    std::vector<engine::KernelServiceRow*> out;
    engine::KernelRecord& k = *m_context.handler->GetKernelRecord();
    if (m_class < 0 || m_class >= k.classCount || !k.classes)
        return out;
    const auto take = [&](engine::KernelServiceRow* services, int32_t count) {
        for (int32_t i = 0; services && i < count; ++i) {
            const bool mp = services[i].mp != 0;
            const bool wanted = m_kind == ServicePage::Scalable ? !(m_mpPages && mp) : mp;
            if (wanted)
                out.push_back(&services[i]);
        }
    };
    std::function<void(engine::KernelClassAttribute*, int32_t, int)> walk =
        [&](engine::KernelClassAttribute* attributes, int32_t count, int depth) {
            for (int32_t i = 0; attributes && i < count && depth < kMaxAttributeDepth; ++i) {
                if ((attributes[i].variantMask & k.framework) == 0)
                    continue;
                take(attributes[i].services, attributes[i].serviceCount);
                walk(attributes[i].children, attributes[i].childCount, depth + 1);
            }
        };
    engine::KernelClassRecord& kernelClass = k.classes[m_class];
    take(kernelClass.services, kernelClass.serviceCount);
    walk(kernelClass.attributes, kernelClass.attributeCount, 0);
    return out;
}

int32_t& ClassServicesPage::flagOf(engine::KernelServiceRow& service) const
{
    switch (m_kind) {
    case ServicePage::Local: return service.local;
    case ServicePage::Outgoing: return service.outgoing;
    case ServicePage::Incoming: return service.incoming;
    case ServicePage::Scalable: break;
    }
    return service.state;
}

void ClassServicesPage::load(ViewState& state)
{
    state[ServiceList].check = -1;  // the list is filled from items()
    syncClassPages(m_context);
}

bool ClassServicesPage::clicked(int id, ViewState&)
{
    return id == ServiceList && syncClassPages(m_context);
}

std::vector<ListLine> ClassServicesPage::items(int id) const
{
    std::vector<ListLine> lines;
    if (id != ServiceList)
        return lines;
    for (engine::KernelServiceRow* service : listed()) {
        ListLine line;
        line.text = engine::textString(service->name);
        line.check = flagOf(*service) ? 1 : 0;
        line.enabled = service->enabled != 0;
        lines.push_back(line);
    }
    return lines;
}

bool ClassServicesPage::checkChanged(int id, int line, int check, ViewState&)
{
    const auto services = listed();
    if (id != ServiceList || line < 0 || line >= static_cast<int>(services.size()))
        return false;
    if (RefuseBinaryOnlyChange(*m_context.handler->GetKernelRecord()))
        return true;
    engine::KernelServiceRow& service = *services[line];
    flagOf(service) = check ? 1 : 0;
    if (m_kind != ServicePage::Scalable)
        service.state = (service.local || service.outgoing || service.incoming) ? 1 : 0;
    syncClassPages(m_context);
    return true;
}

} // namespace editors
