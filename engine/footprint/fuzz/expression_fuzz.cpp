// Feeds arbitrary text to the expression evaluator (first byte even) or, as a model file, to the type and
// structure table reader and the structure sizer (first byte odd). Neither may crash, hang or run away.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/footprint/expression.h"
#include "engine/footprint/structure_size.h"
#include "engine/sectioned/sectioned_file.h"

namespace {

// Names starting with 'U' are undefined; others are worth their length.
class FuzzSymbols : public engine::ExpressionSymbols {
public:
    std::optional<uint32_t> Resolve(std::string_view name) const override
    {
        if (!name.empty() && name.front() == 'U')
            return std::nullopt;
        return static_cast<uint32_t>(name.size());
    }
};

void CheckExpression(std::string_view text)
{
    const engine::ExpressionResult result = engine::EvaluateExpressionText(text, FuzzSymbols());
    // A message exists exactly for an error.
    if (result.Ok() != result.Message().empty())
        std::abort();
}

void CheckTables(std::string_view text)
{
    engine::SectionedFile model;
    model.ParseSectionedText(text);
    engine::ModelTables tables;
    engine::ReadModelTables(model, tables);
    FuzzSymbols symbols;
    engine::StructureSizer sizer(
        tables, static_cast<int32_t>(text.size() % 9),
        [&symbols](std::string_view expression) { return engine::EvaluateExpressionText(expression, symbols).value; });
    for (const engine::StructureDefinition& structure : tables.structures.Items()) {
        sizer.StructureSize(structure.name);
        sizer.Layout(structure.name);
    }
    for (const engine::TypeDefinition& type : tables.types.Items())
        sizer.TypeSize(type.name);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] % 2 == 0)
        CheckExpression(text);
    else
        CheckTables(text);
    return 0;
}
