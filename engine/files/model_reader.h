#pragma once
// The reader behind ParseModelFile: reads one parsed model file into a kernel record, section by section.
// Internal to engine/files.

#include "engine/records/records.h"
#include "engine/sectioned/field_numbers.h"

#include <set>
#include <string>
#include <string_view>

namespace engine {

class SectionedFile;
class SectionedFileSection;

class ModelReader {
public:
    ModelReader(const SectionedFile& model, KernelRecord& kernel, std::string path)
        : m_model(model), m_kernel(kernel), m_path(std::move(path))
    {
    }

    // Reads every section into the kernel record (already reset); false after a message, or silently
    // where a list fails.
    bool Read();

private:
    bool readKernelSection();
    bool readExtendedContexts();
    bool readTaskAttributes();
    bool readModelOptions();
    bool readClassProperties();
    bool readClassTypes();
    bool readScripts();
    bool kernelSectionsAreDistinct() const;
    bool readClass(KernelClassRecord& kernelClass);

    // Lists of a class or attribute (model_lists.cpp).
    bool readNeedsList(std::string_view value, std::string_view section, int32_t& count, NameText*& needs);
    bool readServiceList(std::string_view sectionName, int32_t& count, KernelServiceRow*& services);
    bool readAttributeList(std::string_view sectionName, int32_t& count, KernelClassAttribute*& attributes);
    bool readAttribute(const SectionedFileSection& section, KernelClassAttribute& attribute);

    // Copies a text into a record field; refuses (with a message) a text that does not fit.
    bool storeText(char* field, std::size_t size, std::string_view text, std::string_view key,
                   std::string_view section);
    template <std::size_t N>
    bool storeText(char (&field)[N], std::string_view text, std::string_view key, std::string_view section)
    {
        return storeText(field, N, text, key, section);
    }
    // Whether a list section fits the `room` rows of its fixed record array; false after a message naming
    // the section, the limit and the first entry beyond it.
    bool listFits(const SectionedFileSection& list, int32_t room) const;
    // Shows "Can't find required section" for the section name.
    void missingSection(std::string_view name) const;
    // Takes `rows` from a budget of the whole model; false after a message when it is spent.
    bool spend(int32_t& budget, std::size_t rows, int32_t limit, const char* what) const;

    const SectionedFile& m_model;
    KernelRecord& m_kernel;
    std::string m_path;
    int32_t m_attributeBudget = 0;
    int32_t m_serviceBudget = 0;
    int32_t m_needsBudget = 0;
    std::set<std::string> m_openLists; // attribute lists being read, to refuse a list that holds itself
    FieldNumbers m_numbers; // every number of the model, checked against its field
};

} // namespace engine
