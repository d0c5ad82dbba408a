#pragma once
// Builders of small kernel records and applications for the operation tests. Everything they allocate
// belongs to the record and is released by the record operations under test.

#include "engine/records/counted_array.h"
#include "engine/records/records.h"
#include "engine/records/text_field.h"

#include <string>
#include <string_view>

namespace engine::testing {

inline void addNeed(int32_t& count, NameText*& needs, std::string_view name)
{
    NameText* row = appendRow(count, needs);
    setText(*row, name);
}

inline KernelServiceRow& addService(int32_t& count, KernelServiceRow*& services, std::string_view name)
{
    KernelServiceRow* row = appendRow(count, services);
    setText(row->name, name);
    setText(row->sectionName, name);
    row->state = row->enabled = row->local = 1;
    return *row;
}

inline KernelClassAttribute& addAttribute(int32_t& count, KernelClassAttribute*& attributes, std::string_view name,
                                          int32_t bits = 0)
{
    KernelClassAttribute* row = appendRow(count, attributes);
    setText(row->name, name);
    setText(row->tag, name);
    row->attributeBits = bits;
    row->variantMask = 255;
    row->shown = row->available = row->selected = 1;
    return *row;
}

inline KernelClassRecord& addClass(KernelRecord& kernel, int32_t type, std::string_view name, int32_t variant = 255)
{
    KernelClassRecord* row = appendRow(kernel.classCount, kernel.classes);
    row->classType = type;
    setText(row->name, name);
    setText(row->pluralName, name);
    setText(row->tag, name.substr(0, 4));
    row->size = 16 * type;
    row->maximum = 255;
    row->maximumPerParent = 255;
    row->variantMask = variant;
    row->available = row->selected = 1;
    return *row;
}

inline ModelOptionRow& addOption(KernelRecord& kernel, std::string_view section, bool forApplications,
                                 bool hasValue, int32_t value)
{
    ModelOptionRow* row = appendRow(kernel.optionCount, kernel.options);
    setText(row->sectionName, section);
    setText(row->name, "Display " + std::string(section));
    row->forApplications = forApplications ? 1 : 0;
    row->hasValue = hasValue ? 1 : 0;
    row->value = value;
    row->defaultValue = value;
    row->base = 10;
    row->maximum = 1000;
    row->shown = 1;
    row->variantMask = 255;
    return *row;
}

// The kernel class of that name; the first class (and a test failure) when there is none.
KernelClassRecord& classNamed(KernelRecord& kernel, std::string_view name);

// A kernel record in its reset state, then a model-like content: options, scripts and five classes with
// nested attributes, services and needs.
void buildKernel(KernelRecord& kernel);

}  // namespace engine::testing
