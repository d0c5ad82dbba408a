#pragma once
// The CPU sheet's Class page (the kernel classes as a check list, with their object sizes) and the pages of
// the class sheet it opens: the class's options and its services. All edit the CPU's kernel record in
// place; every stored check is followed by a normalisation of the selections (sync).
#include <functional>
#include <vector>

#include "engine/records/records.h"
#include "gui/editors/model/sheet_page_model.h"

namespace engine {
class CpuRecordHandler;
}

namespace editors {

namespace class_ids {
enum : int { Properties = 1022, ClassList = 1021, SizeHeading = 1149, OptionList = 1027, ServiceList = 1023 };
}

// Shared by the Class page and the class sheet's pages.
struct ClassPagesContext {
    engine::CpuRecordHandler* handler = nullptr;
    engine::CpuRecord* cpu = nullptr;
    // Normalises the selections and refreshes every open class page.
    std::function<void()> sync;
    // Runs the class sheet of a class (by index); 1 OK.
    std::function<int(int classIndex)> runClassSheet;
};

// Runs the context's sync when there is one; false without one.
bool syncClassPages(ClassPagesContext& context);
// Refuses a check change in a binary-only distribution, with the message; true when refused.
bool RefuseBinaryOnlyChange(const engine::KernelRecord& kernel);
// The structure of one object of a kernel class: the task's "TCB", else the one its Header Root names,
// "<root>HEADER".
std::string ClassObjectStructure(const engine::KernelClassRecord& kernelClass);
// The size of one object of a kernel class under the current symbols: its ClassObjectStructure, or else the
// structure named by the Header Root itself; 0 when neither is in the model's structure table.
uint32_t ClassObjectSize(const engine::KernelClassRecord& kernelClass, const engine::CpuRecord& cpu);
// "<Unit> per Object" with the unit's first letter upper-cased.
std::string SizePerObjectHeading(const engine::KernelRecord& kernel);

class CpuClassPage : public PageModel {
public:
    explicit CpuClassPage(ClassPagesContext& context) : m_context(context) {}
    const char* caption() const override { return "Class"; }
    unsigned templateId() const override { return 111; }
    bool clicked(int id, ViewState& state) override;
    bool doubleClicked(int id, ViewState& state) override;
    bool checkChanged(int id, int line, int check, ViewState& state) override;
    std::vector<ListLine> items(int id) const override;
    // The class index of a line, or -1.
    int classOfLine(int line) const;

protected:
    void load(ViewState& state) override;

private:
    engine::KernelRecord& kernel() const;
    bool openProperties(ViewState& state);
    ClassPagesContext& m_context;
};

// The class sheet around the class pages: a copy of the kernel record and of the applications' dynamic
// object counts (which the Options page may zero), put back on Cancel.
class ClassSheetTransaction {
public:
    ClassSheetTransaction(engine::CpuRecord& cpu, engine::KernelRecord& kernel);
    ~ClassSheetTransaction();
    ClassSheetTransaction(const ClassSheetTransaction&) = delete;
    ClassSheetTransaction& operator=(const ClassSheetTransaction&) = delete;
    bool begin();
    void finish(int result);

private:
    engine::CpuRecord& m_cpu;
    engine::KernelRecord& m_kernel;
    engine::KernelRecord m_saved{};
    bool m_taken = false;
    std::vector<int32_t> m_dynamics;  // every class entry's count, in walk order
};

// Whether the class sheet of a class gets the three MP services pages.
bool ClassSheetHasMpPages(const engine::KernelRecord& kernel, const engine::KernelClassRecord& kernelClass);

class ClassOptionsPage : public PageModel {
public:
    ClassOptionsPage(ClassPagesContext& context, int classIndex) : m_context(context), m_class(classIndex) {}
    const char* caption() const override { return "Options"; }
    unsigned templateId() const override { return 113; }
    bool clicked(int id, ViewState& state) override;
    bool checkChanged(int id, int line, int check, ViewState& state) override;
    std::vector<ListLine> items(int id) const override;

protected:
    void load(ViewState& state) override;

private:
    std::vector<std::pair<engine::KernelClassAttribute*, int>> listed() const;
    int sizeEffect(engine::KernelClassAttribute& attribute) const;
    ClassPagesContext& m_context;
    int m_class;
    std::vector<int> m_effects;  // per listed attribute, taken when the page was first shown
};

enum class ServicePage { Scalable, Local, Outgoing, Incoming };

class ClassServicesPage : public PageModel {
public:
    ClassServicesPage(ClassPagesContext& context, int classIndex, ServicePage kind, bool mpPages)
        : m_context(context), m_class(classIndex), m_kind(kind), m_mpPages(mpPages)
    {
    }
    const char* caption() const override;
    unsigned templateId() const override;
    bool clicked(int id, ViewState& state) override;
    bool checkChanged(int id, int line, int check, ViewState& state) override;
    std::vector<ListLine> items(int id) const override;

protected:
    void load(ViewState& state) override;

private:
    std::vector<engine::KernelServiceRow*> listed() const;
    int32_t& flagOf(engine::KernelServiceRow& service) const;
    ClassPagesContext& m_context;
    int m_class;
    ServicePage m_kind;
    bool m_mpPages;
};

} // namespace editors
