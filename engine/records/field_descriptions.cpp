#include "engine/records/field_descriptions.h"

#include <climits>
#include <cstring>
#include <span>

#include "engine/names/identifier.h"
#include "engine/project/object_keys.h"
#include "engine/util/text.h"
#include "sdk/kerneldata/kernel_limits.h"

namespace engine {
namespace {

constexpr std::int64_t kSignedMin = INT32_MIN;
constexpr std::int64_t kSignedMax = INT32_MAX;
constexpr std::int64_t kUnsignedMax = UINT32_MAX;

using fields::count;
using fields::flag;
using fields::flags;
using fields::integer;
using fields::name;
using fields::size;
using fields::text;

// The copies of an application a multiprocessor project runs, and the application's version number, as the
// General page takes them.
constexpr FieldDescription kInstances{"Instances", FieldType::Signed, 1, 9999999, true, false};
constexpr FieldDescription kUserVersion{"User Version", FieldType::Signed, 0, 65535, true, false};

// A class's maximum name length, and the kernel's default of it: what a running kernel's readers take.
constexpr FieldDescription nameLength(const char* key)
{
    return {key, FieldType::Signed, kerneldata::kShortestNameLimit, kerneldata::kLongestNameLimit, true, false};
}

// ---- application file

constexpr FieldDescription kApplication[] = {
    name("Name"),
    text("Description"),
    flag("User Trace"),
    text("Code File Path"),
    text("Header File Path"),
    text("Option File Path"),
    text("Report File Path"),
    flag("Kernel h file dirty"),
    flag("Kernel m file dirty"),
    flag("Project h file dirty"),
    integer("Project c file dirty"),
    integer("Project m file dirty"),
    count("System RAM Available"),
    flag("System RAM Manual Placement"),
    text("System RAM Label"),
    size("Kernel Stack Available"),
    flag("Kernel Stack Manual Placement"),
    text("Kernel Stack Label"),
    flag("Anchor Address Fixed"),
    count("Anchor Address Label"),
    count("System Clock Rate Hz"),
    integer("Is MP"),
    integer("Global"),
    kInstances,
    text("Node Name"),
    text("Suffix"),
    text("C Source Extension"),
    text("C Header Extension"),
    text("Assembler Source Extension"),
    text("Assembler Header Extension"),
    flag("Generate Assembler Code"),
    flag("Generate i2symbols"),
    flag("Generate CPP Comments"),
    flag("Generate User ISRs"),
    flag("Extern Const"),
    flag("Generate DOS Files"),
    kUserVersion,
    flags("Extended Context"),
};
constexpr FieldDescription kApplicationOption[] = {integer("Value"), flag("State")};
constexpr FieldDescription kClassEntry[] = {
    flag("Statistics"),       flag("Diagnostics"),         flag("System Trace"), flag("Dynamics Allowed"),
    count("Number of Dynamics"), nameLength("Max Key Length"),  integer("c file dirty"), integer("h file dirty"),
    integer("m file dirty"),  name("Dependent Class"),     name("Objects"),
};
constexpr FieldDescription kObject[] = {
    text("Description"),   flag("Dynamics Allowed"), count("Number of Dynamics"), integer("Is MP"),
    integer("Global"),     flag("Trace Object"),     flag("Trace Actor"),         flag("Enabled"),
    name("Class Name"),    name("Objects"),
};
// CLASS TYPES: every key is a class name, every value its class type.
constexpr FieldDescription kClassType = integer("");

// ---- kernel (CPU) file

constexpr FieldDescription kKernel[] = {
    flag("Writeable"), nameLength("Name Size"), flag("Enable Kernel Clock"), integer("Framework"),
    flag("h file dirty"), flag("m file dirty"),
};
constexpr FieldDescription kKernelOption[] = {integer("Value"), integer("State")};
constexpr FieldDescription kSelection[] = {flag("State"), flag("Enable")};
constexpr FieldDescription kService[] = {flag("State"), flag("Enable"), flag("Local"), flag("Outgoing"),
                                         flag("Incoming")};

// ---- model file

constexpr FieldDescription kModelKernel[] = {
    integer("Task Stack Modulus"),
    size("Minimum Kernel Stack Size"),
    size("Maximum Kernel Stack Size"),
    size("Maximum Queue Width"),
    size("Maximum Queue Depth"),
    integer("Alignment"),
    flag("Has Ceiling"),
    flag("Has Origin"),
    integer("Minimum ISR Level"),
    integer("Maximum ISR Level"),
    integer("Minimum ISR Vector"),
    integer("Maximum ISR Vector"),
    integer("Mode"),
    size("Default System RAM"),
    flag("Binary Distribution"),
    flag("Extern Const"),
    flag("Output Task Attributes"),
    flag("Generate DOS Files"),
    flag("Default Service Local"),
    flag("Default Service Incoming"),
    flag("Default Service Outgoing"),
    flag("Scalable Kernel"),
    integer("Binding Number"),
    flag("Enable Statistics"),
    flag("Enable Trace"),
    flag("Enable Diagnostics"),
    flag("Default Statistics"),
    flag("Default Trace"),
    flag("Default Diagnostics"),
    size("Minimum Task Stack Size"),
    size("Maximum Task Stack Size"),
    integer("Model Number"),
    flag("Enable Alignment"),
    integer("FWMask"),
    integer("Default Framework"),
};
constexpr FieldDescription kModelOption[] = {
    flag("Value"), integer("Default"), integer("Base"), integer("Minimum"), integer("Maximum"),
    flag("Show"),  integer("FWMask"),  flag("Domain"),  flag("Override Binary"),
};
constexpr FieldDescription kModelContext[] = {text("Struct Name"),  text("Variable Name"), text("Description"),
                                              text("Abbrev Desc"),  flag("Default Value"), flag("Default Enable")};
constexpr FieldDescription kModelAttribute[] = {text("Enabled Name"), text("Disabled Name"), text("Mask Name"),
                                                flag("Default Enable")};

// ---- project file

constexpr FieldDescription kProject[] = {name("Name"), text("Description")};
constexpr FieldDescription kProjectCpu[] = {name("Model"), text("Description"), text("Kernel"), name("Applications")};

const FieldDescription* findIn(std::span<const FieldDescription> table, std::string_view key)
{
    for (const FieldDescription& field : table) {
        // A plain key is compared as far as the key goes, without measuring the table's text first.
        if (!field.numbered) {
            if (std::strncmp(field.key, key.data(), key.size()) == 0 && field.key[key.size()] == '\0' &&
                key.find('\0') == std::string_view::npos)
                return &field;
            continue;
        }
        const std::string_view stem(field.key);
        if (key.size() > stem.size() && key.substr(0, stem.size()) == stem && IsWholeNumber(key.substr(stem.size())))
            return &field;
    }
    return nullptr;
}

std::span<const FieldDescription> tableOf(FieldFile file, std::string_view kind)
{
    switch (file) {
    case FieldFile::Application:
        if (kind == "APPLICATION")
            return kApplication;
        if (kind == "MODEL OPTION")
            return kApplicationOption;
        if (kind == "CLASS")
            return kClassEntry;
        if (kind == "OBJECT")
            return kObject;
        break;
    case FieldFile::Kernel:
        if (kind == "KERNEL")
            return kKernel;
        if (kind == "OPTION")
            return kKernelOption;
        if (kind == "SELECTION")
            return kSelection;
        if (kind == "SERVICE")
            return kService;
        break;
    case FieldFile::Model:
        if (kind == "KERNEL")
            return kModelKernel;
        if (kind == "OPTION")
            return kModelOption;
        if (kind == "CONTEXT")
            return kModelContext;
        if (kind == "TASK ATTRIBUTE")
            return kModelAttribute;
        break;
    case FieldFile::Project:
        if (kind == "PROJECT")
            return kProject;
        if (kind == "CPU")
            return kProjectCpu;
        break;
    case FieldFile::Configuration:
        break;
    }
    return {};
}

bool isNumber(const FieldDescription& field)
{
    return field.type == FieldType::Signed || field.type == FieldType::Unsigned || field.type == FieldType::Flag;
}

} // namespace

std::span<const FieldDescription> FieldDescriptionsOf(FieldFile file, std::string_view sectionKind)
{
    return tableOf(file, sectionKind);
}

const FieldDescription* FindFieldDescription(FieldFile file, std::string_view sectionKind, std::string_view key)
{
    if (file == FieldFile::Application && sectionKind == "CLASS TYPES")
        return &kClassType;
    if (file == FieldFile::Application) {
        if (const int32_t type = classTypeOfWord(sectionKind); type != 0) {
            for (const ObjectKey& objectKey : objectKeysOfClass(type)) {
                if (const FieldDescription* field = findIn({&objectKey.field, 1}, key))
                    return field;
            }
            return nullptr;
        }
    }
    return findIn(tableOf(file, sectionKind), key);
}

const FieldDescription& FieldDescriptionOf(FieldFile file, std::string_view sectionKind, std::string_view key)
{
    static constexpr FieldDescription kAnyNumber = integer("");
    const FieldDescription* field = FindFieldDescription(file, sectionKind, key);
    return field != nullptr ? *field : kAnyNumber;
}

FieldReading ReadFieldValue(const FieldDescription& field, std::string_view text)
{
    FieldReading reading;
    const std::string_view trimmed = TrimmedView(text);
    if (trimmed.empty()) {
        reading.blank = true;
        return reading;
    }
    if (!isNumber(field)) {
        reading.problem = FieldProblem::NotANumber;
        return reading;
    }
    const std::optional<WholeNumber> whole = ParseWholeNumber(trimmed);
    if (!whole) {
        reading.problem = FieldProblem::NotANumber;
        return reading;
    }
    std::int64_t value = whole->value;
    switch (field.type) {
    case FieldType::Unsigned:
        // The negative decimal of a pattern is the same value as its unsigned decimal.
        if (value < 0 && value >= kSignedMin)
            value += std::int64_t{1} << 32;
        break;
    case FieldType::Signed:
    case FieldType::Flag:
        // A hexadecimal or octal number writes the bits of the field.
        if (whole->pattern && value > kSignedMax && value <= kUnsignedMax)
            value -= std::int64_t{1} << 32;
        break;
    default:
        break;
    }
    const std::int64_t low = field.type == FieldType::Flag ? kSignedMin : field.minimum;
    const std::int64_t high = field.type == FieldType::Flag ? kSignedMax : field.maximum;
    if (value < low || value > high) {
        reading.problem = FieldProblem::OutOfRange;
        return reading;
    }
    reading.stored = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    if (field.type == FieldType::Flag)
        reading.stored = reading.stored != 0 ? 1 : 0;
    return reading;
}

bool FieldValueFits(const FieldDescription& field, std::int32_t stored)
{
    switch (field.type) {
    case FieldType::Signed:
        return stored >= field.minimum && stored <= field.maximum;
    case FieldType::Unsigned: {
        const std::int64_t value = static_cast<std::uint32_t>(stored);
        return value >= field.minimum && value <= field.maximum;
    }
    default:
        return true;
    }
}

std::string FieldValueText(const FieldDescription& field, std::int32_t stored)
{
    if (field.type == FieldType::Flag)
        return stored != 0 ? "1" : "0";
    return std::to_string(stored);
}

std::string FieldDisplayText(const FieldDescription& field, std::int32_t stored)
{
    if (field.type == FieldType::Unsigned)
        return std::to_string(static_cast<std::uint32_t>(stored));
    return FieldValueText(field, stored);
}

std::string FieldRangeBounds(const FieldDescription& field)
{
    return std::to_string(field.minimum) + " to " + std::to_string(field.maximum);
}

std::string FieldRangeText(const FieldDescription& field)
{
    return " must be in the range of " + FieldRangeBounds(field);
}

std::string CheckTypedValue(const FieldDescription& field, std::string_view typed, std::string_view label,
                            std::int32_t* stored)
{
    const FieldReading reading = ReadFieldValue(field, typed);
    if (reading.problem != FieldProblem::None)
        return std::string(label) + FieldRangeText(field);
    if (stored != nullptr)
        *stored = reading.stored;
    return {};
}

} // namespace engine
