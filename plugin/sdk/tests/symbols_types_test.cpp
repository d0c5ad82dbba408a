// Symbols, types, values and expressions over the simulated debugger, with test entries where the
// simulated debugger has none.

#include "plugin/sdk/plugin_sample.h"
#include "plugin/sdk/symbols.h"
#include "plugin/sdk/kernel.h"
#include "plugin/sdk/tests/sdk_fixture.h"
#include "plugin/sdk/types.h"
#include "plugin/sdk/values.h"

namespace dk::test {
namespace {

simdbg::SimKernel* g_sim = nullptr;

class SdkSymbolsTest : public SdkTest {
protected:
    void SetUp() override
    {
        SdkTest::SetUp();
        g_sim = &kernel;
        kernel.symbols().add({"_pKWS", true, 0, 0x2000, 5});
        kernel.symbols().add({"main", true, 0, 0x100, 10});
        kernel.symbols().add({"main", true, 0, 0x180, 5});
        ASSERT_EQ(PluginApiInit(kernel.table()), 0);
    }
};

TEST_F(SdkSymbolsTest, AnchorFoundWithTheSecondPrefix)
{
    // The control panel tries the prefixes "", "_", "__", ".", "F" in turn.
    uint32_t address = 0xFFFFFFFFu;
    int tries = 0;
    for (const char* prefix : {"", "_", "__", ".", "F"}) {
        ++tries;
        address = GetTargetSymbol((std::string(prefix) + "pKWS").c_str());
        if (address != 0xFFFFFFFFu)
            break;
    }
    EXPECT_EQ(address, 0x2000u);
    EXPECT_EQ(tries, 2);
    EXPECT_EQ(kernel.callCount(DK_SYMBOL_LOOKUP), 2u);
    EXPECT_EQ(kernel.callCount(DK_SYMBOL_LOCATION), 1u);
}

TEST_F(SdkSymbolsTest, LookupByKindNamesAndLocations)
{
    DkFunctionSymbol function = Lookup<DkFunctionSymbol>("main", DkContext::Symbols());
    EXPECT_EQ(function.GetHandle(), 2u);
    DkVariableSymbol variable = Lookup<DkVariableSymbol>("main", DkContext::Symbols());
    EXPECT_EQ(variable.GetHandle(), 3u);
    EXPECT_EQ(Lookup<DkEnumSymbol>("main", DkContext::Symbols()).GetHandle(), 0u);
    EXPECT_EQ(function.GetName(), "main");
    EXPECT_EQ(kernel.outstandingTexts(), 0u); // the name was given back
    TargetLocation location;
    ASSERT_TRUE(function.TryGetLocation(location));
    EXPECT_EQ(location.GetAddress(), 0x100u);
    DkSymbol none;
    EXPECT_FALSE(none.TryGetLocation(location));
    EXPECT_EQ(location.GetAddress(), 0x100u); // unchanged
}

uint32_t* g_lastArray = nullptr;

TEST_F(SdkSymbolsTest, EnumerationsReplaceTheListAndGiveTheArrayBack)
{
    kernel.overrideEntry(DK_SYMBOL_ALL, reinterpret_cast<DkEntry>(+[](uint32_t kind, uint32_t** array) -> uint32_t {
        std::vector<uint32_t> handles = g_sim->symbols().handlesOfKind(kind);
        if (handles.empty())
            return 0;
        *array = g_lastArray = g_sim->handOutArray(handles);
        return static_cast<uint32_t>(handles.size());
    }));
    std::vector<DkVariableSymbol> variables{DkVariableSymbol(99)};
    GetAll(variables);
    ASSERT_EQ(variables.size(), 2u);
    EXPECT_EQ(variables[0].GetHandle(), 1u);
    EXPECT_EQ(kernel.outstandingArrays(), 0u);
    std::vector<DkEnumSymbol> enums{DkEnumSymbol(5)};
    GetAll(enums);
    EXPECT_TRUE(enums.empty());
    EXPECT_EQ(kernel.callCount(DK_GIVE_BACK_SYMBOLS), 1u); // nothing given back for 0 results

    kernel.overrideEntry(DK_SYMBOL_CAST, reinterpret_cast<DkEntry>(+[](DkHandle symbol, uint32_t kind, uint32_t) -> DkHandle {
        const simdbg::Symbol* found = g_sim->symbols().byHandle(symbol);
        return found != nullptr && found->kind == kind ? symbol : 0;
    }));
    DkSymbol any = DkSymbol::Lookup("main", DkContext::Symbols());
    EXPECT_EQ(any.AsFunctionSymbol().GetHandle(), 2u);
    EXPECT_EQ(any.AsTypedefSymbol().GetHandle(), 0u);
    EXPECT_EQ(DkSymbol().AsFunctionSymbol().GetHandle(), 0u);
}

TEST_F(SdkSymbolsTest, TypesCastNameAndClamp)
{
    kernel.overrideEntry(DK_TYPE_CAST, reinterpret_cast<DkEntry>(+[](DkHandle type, uint32_t kind) -> DkHandle {
        return kind == 7 ? type + 100 : 0; // only a pointer type
    }));
    kernel.overrideEntry(DK_SCALAR_KIND, reinterpret_cast<DkEntry>(+[](DkHandle type) -> uint32_t { return type == 107 ? 40 : 22; }));
    kernel.overrideEntry(DK_TYPE_NAME, reinterpret_cast<DkEntry>(+[](DkHandle, uint32_t) -> const char* {
        return g_sim->handOutText("struct task *");
    }));
    kernel.overrideEntry(DK_TYPE_RELEASE, reinterpret_cast<DkEntry>(+[](DkHandle) { g_sim->countCall(DK_TYPE_RELEASE); }));
    DkCType type(7);
    DkPointerType pointer = type.AsPointerType();
    EXPECT_EQ(pointer.GetCTypeHandle(), 107u);
    EXPECT_EQ(pointer.GetScalarKind(), 23u);
    EXPECT_EQ(type.AsScalarType().GetCTypeHandle(), 0u);
    EXPECT_FALSE(type.AsStructType().IsValid());
    EXPECT_EQ(type.GetName(), "struct task *");
    EXPECT_EQ(kernel.outstandingTexts(), 0u);
    EXPECT_EQ(DkType().GetName(), ""); // an invalid type asks nothing
    EXPECT_FALSE(DkHostType(0).AsHostStringType().IsValid());
    {
        DkSharedTypeHandle shared = DkType().Clone();
        DkSharedTypeHandle copy = shared;
    }
    EXPECT_EQ(kernel.callCount(DK_TYPE_RELEASE), 1u); // once, even for handle 0
}

TEST_F(SdkSymbolsTest, ValuesExpressionsAndHolders)
{
    static uint32_t nextValue = 500;
    kernel.overrideEntry(DK_VALUE_NEW, reinterpret_cast<DkEntry>(+[]() -> DkHandle { return nextValue++; }));
    kernel.overrideEntry(DK_VALUE_RELEASE, reinterpret_cast<DkEntry>(+[](DkHandle) { g_sim->countCall(DK_VALUE_RELEASE); }));
    kernel.overrideEntry(DK_VALUE_FORMAT, reinterpret_cast<DkEntry>(+[](DkHandle, uint32_t style, uint8_t, DkHandle, const char** text) -> DkStatus {
        *text = g_sim->handOutText("style " + std::to_string(style));
        return 0;
    }));
    {
        DkValue value = DkValue::New();
        DkValue copy = value;
        std::string text;
        EXPECT_EQ(copy.Format(9, false, text), 0);
        EXPECT_EQ(text, "style 0");
        EXPECT_EQ(value.Format(3, true, text), 0);
        EXPECT_EQ(text, "style 3");
    }
    EXPECT_EQ(kernel.callCount(DK_VALUE_RELEASE), 1u);
    EXPECT_EQ(kernel.outstandingTexts(), 0u);

    DkExpression expression;
    DkValue result;
    kernel.resetRecords();
    EXPECT_EQ(expression.Evaluate(result, DkContext::Memory(), true), DK_STATUS_FAILURE);
    EXPECT_EQ(kernel.callCount(DK_VALUE_NEW), 0u);
    EXPECT_EQ(kernel.callCount(DK_EXPRESSION_EVALUATE), 0u);

    kernel.overrideEntry(DK_EXPRESSION_COMPILE, reinterpret_cast<DkEntry>(+[](const char* text, DkHandle* out, DkHandle, uint8_t, char* error, uint32_t size) -> DkStatus {
        if (std::string(text) == "bad") {
            if (error != nullptr)
                std::snprintf(error, size, "syntax error");
            return 3;
        }
        *out = 77;
        return 0;
    }));
    kernel.overrideEntry(DK_EXPRESSION_RELEASE, reinterpret_cast<DkEntry>(+[](DkHandle h) { g_sim->countCall(1000 + static_cast<int>(h)); }));
    static uint32_t flagsSeen = 0;
    kernel.overrideEntry(DK_EXPRESSION_EVALUATE, reinterpret_cast<DkEntry>(+[](DkHandle, DkHandle, DkHandle, uint32_t flags, char*, uint32_t) -> DkStatus {
        flagsSeen = flags;
        return 0;
    }));
    std::string error;
    EXPECT_EQ(expression.Compile("bad", false, &error), 3);
    EXPECT_EQ(error, "syntax error");
    EXPECT_FALSE(expression.IsCompiled());
    EXPECT_EQ(expression.Compile("x + 1", false), 0);
    EXPECT_EQ(expression.Evaluate(result, DkContext::Memory(), true, nullptr, false, true), 0);
    EXPECT_EQ(flagsSeen, 5u);
    EXPECT_EQ(expression.Compile("y", false), 0); // the first handle is given back
    EXPECT_EQ(kernel.callCount(1077), 1u);

    kernel.overrideEntry(DK_HOLDER_DUP, reinterpret_cast<DkEntry>(+[](DkHandle h) -> DkHandle { return h + 1; }));
    kernel.overrideEntry(DK_HOLDER_RELEASE, reinterpret_cast<DkEntry>(+[](DkHandle) { g_sim->countCall(DK_HOLDER_RELEASE); }));
    kernel.resetRecords();
    {
        DkHandleHolder holder(10);
        DkHandleHolder copy = holder;
        EXPECT_EQ(copy.GetHandle(), 11u);
        copy = copy; // nothing
        copy = holder;
        EXPECT_EQ(copy.GetHandle(), 11u);
        EXPECT_EQ(kernel.callCount(DK_HOLDER_RELEASE), 1u);
    }
    EXPECT_EQ(kernel.callCount(DK_HOLDER_RELEASE), 3u);
}

TEST_F(SdkSymbolsTest, HostRequestsContextSymbolsAndEvaluationInItsContext)
{
    // Host requests reach their entry with the argument; other entries are refused without a call.
    for (int entry : {3, 4, 5, 41, 48, 68, 69, 281, 282})
        EXPECT_EQ(HostRequest(entry, 7), 0u) << entry;
    EXPECT_EQ(kernel.callCount(41), 1u);
    kernel.injectFailure(282, 0x1234);
    EXPECT_EQ(HostRequest(282, 1), 0x1234u);
    EXPECT_EQ(HostRequest(6, 1), uint32_t{DK_STATUS_FAILURE});
    EXPECT_EQ(HostRequest(283, 1), uint32_t{DK_STATUS_FAILURE});
    EXPECT_EQ(kernel.callCount(6), 0u);

    // The function and the variables of a context; the arrays go back with 116.
    kernel.program().setContextSymbols(11, {21, 22});
    DkContext context = DkContext::Memory();
    EXPECT_EQ(context.GetFunction().GetHandle(), 11u);
    for (int which : {1, 2}) {
        std::vector<DkCVariableSymbol> variables = context.GetVariables(which);
        ASSERT_EQ(variables.size(), 2u);
        EXPECT_EQ(variables[1].GetHandle(), 22u);
    }
    EXPECT_EQ(kernel.callCount(DK_CONTEXT_VARIABLES2), 1u);
    EXPECT_EQ(kernel.callCount(DK_GIVE_BACK_SYMBOLS), 2u);
    // Without a handle the handle 0 is passed on.
    const uint64_t functions = kernel.callCount(DK_CONTEXT_FUNCTION);
    const uint64_t variables = kernel.callCount(DK_CONTEXT_VARIABLES1);
    EXPECT_EQ(DkContext().GetFunction().GetHandle(), 0u);
    EXPECT_TRUE(DkContext().GetVariables().empty());
    EXPECT_EQ(kernel.callCount(DK_CONTEXT_FUNCTION), functions + 1);
    EXPECT_EQ(kernel.callCount(DK_CONTEXT_VARIABLES1), variables + 1);
    kernel.program().setContextSymbols(0, {});
    EXPECT_TRUE(context.GetVariables().empty());

    // An evaluated value is bound to the context the evaluation was given.
    static uint32_t nextValue = 900;
    static DkHandle contextSeen = 0;
    kernel.overrideEntry(DK_VALUE_NEW, reinterpret_cast<DkEntry>(+[]() -> DkHandle { return nextValue++; }));
    kernel.overrideEntry(DK_VALUE_RELEASE, reinterpret_cast<DkEntry>(+[](DkHandle) {}));
    kernel.overrideEntry(DK_EXPRESSION_COMPILE, reinterpret_cast<DkEntry>(+[](const char*, DkHandle* out, DkHandle, uint8_t, char*, uint32_t) -> DkStatus {
        *out = 5;
        return 0;
    }));
    kernel.overrideEntry(DK_EXPRESSION_RELEASE, reinterpret_cast<DkEntry>(+[](DkHandle) {}));
    kernel.overrideEntry(DK_EXPRESSION_EVALUATE, reinterpret_cast<DkEntry>(+[](DkHandle, DkHandle, DkHandle, uint32_t, char*, uint32_t) -> DkStatus { return 0; }));
    kernel.overrideEntry(DK_VALUE_ASSIGN, reinterpret_cast<DkEntry>(+[](DkHandle, DkHandle, DkHandle context) -> int32_t {
        contextSeen = context;
        return 1;
    }));
    DkContext other = DkContext::Context159();
    ASSERT_NE(other.GetHandle(), DkContext::Memory().GetHandle());
    DkExpression expression;
    ASSERT_EQ(expression.Compile("x", false), 0);
    DkValue result;
    ASSERT_EQ(expression.Evaluate(result, other, false), 0);
    result.Assign(DkValue::New());
    EXPECT_EQ(contextSeen, other.GetHandle());
}

} // namespace
} // namespace dk::test
