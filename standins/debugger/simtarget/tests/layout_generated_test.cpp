// The layout loader and kernel information over generated targets: every port and byte order, shuffled
// layouts, and each check of the loader failing on its own.
#include "plugin/kernel/kernel_info.h"
#include "plugin/kernel/layout.h"
#include "plugin/kernel/memory_image.h"
#include "standins/debugger/simtarget/tests/generated_fixture.h"

#include <gtest/gtest.h>

#include <tuple>

namespace simtarget::test {
namespace {

using kernel::ObjectKind;

KernelSpec specOf(int port, bool little, uint32_t seed)
{
    KernelSpec spec;
    spec.port = port;
    spec.littleEndian = little;
    spec.seed = seed;
    spec.symbolPrefix = "_";
    return spec;
}

void addSomeClasses(TargetBuilder& b)
{
    b.addClass(ObjectKind::Task, 3, 1, 0x4C);
    b.addClass(ObjectKind::Semaphore, 2, 0, 0x08);
    b.addClass(ObjectKind::Thread, 2, 0, 0x08);
    b.addClass(ObjectKind::Level, 2, 0, 0x08);
}

using Variant = std::tuple<int, bool, uint32_t>; // port, little-endian, seed

class GeneratedLayout : public ::testing::TestWithParam<Variant> {};

TEST_P(GeneratedLayout, LoadsAndAgreesWithTheTarget)
{
    const auto [port, little, seed] = GetParam();
    TargetBuilder b(specOf(port, little, seed));
    addSomeClasses(b);
    b.setKwsField(13, 0x1234);
    b.setKwsField(14, 0x2000);
    b.setKwsField(21, 0x77);
    const GeneratedTarget generated = b.build();
    GeneratedFixture f(generated, little);
    ASSERT_EQ(f.load(), kernel::LoadOk);
    EXPECT_EQ(kernel::GetSelectedMemoryImage(), kernel::kTargetSource);

    const kernel::KwsDescriptor* d = kernel::GetKwsDescriptor();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->portCode, port);
    EXPECT_EQ(d->version, 0x0120u);
    EXPECT_EQ(kernel::GetKwsAddress(), generated.kws);
    EXPECT_EQ(kernel::GetAnchorAddress(), generated.anchor);
    EXPECT_EQ(d->stackFillPattern, 0x5A5A);
    EXPECT_EQ(d->kws.offsets, b.layout(Structure::Kws).offsets);
    EXPECT_EQ(d->classEntry.sizes, b.layout(Structure::ClassEntry).sizes);
    EXPECT_EQ(d->contextSlots.count(), b.contextSlots());
    EXPECT_EQ(d->contextSlots.offsets, b.layout(Structure::Context).offsets);
    EXPECT_EQ(d->waitNode.offsets, b.layout(Structure::WaitNode).offsets);
    EXPECT_EQ(d->servicesTable.offsets, b.layout(Structure::ServicesTable).offsets);
    for (int k = 0; k < kernel::kObjectKindCount; ++k) {
        const auto kind = static_cast<ObjectKind>(k);
        SCOPED_TRACE(k);
        EXPECT_EQ(kernel::GetClassNumber(kind), b.classNumber(kind));
        const bool configured = kind == ObjectKind::Task || kind == ObjectKind::Semaphore ||
                                kind == ObjectKind::Thread || kind == ObjectKind::Level;
        EXPECT_EQ(d->objects[static_cast<std::size_t>(k)].present(), configured);
        if (configured) {
            EXPECT_EQ(d->objects[static_cast<std::size_t>(k)].offsets, b.objectLayout(kind).offsets);
        }
    }
    EXPECT_FALSE(d->envelope.present());
    EXPECT_EQ(kernel::GetUnitSize(kernel::WaitNodeSize), static_cast<int32_t>(b.waitNodeSize()));
    EXPECT_EQ(kernel::GetUnitSize(kernel::Alignment), 4);
    EXPECT_EQ(kernel::GetWordUnits(), port == 8 ? 2 : 4);
    EXPECT_EQ(kernel::GetPortExtras().size(), port == 10 ? 43u : port == 13 ? 54u : 0u);

    const auto& sp = kernel::GetSystemPropertiesWords();
    EXPECT_EQ(sp[0], 0x1u | 0x2u | 0x400u);
    EXPECT_EQ(sp[1], 0x00010123u);
    EXPECT_EQ(sp[5], 512u);
    EXPECT_EQ(kernel::KernelWorkspaceValues()[10], kernel::GetClassTableAddress());

    kernel::KernelProperties props;
    kernel::GetSystemProperties(props);
    EXPECT_EQ(props[0], sp[0]);
    EXPECT_EQ(props[5], 512u);
    EXPECT_EQ(kernel::GetKernelStackSpare().bytes, port == 4 ? 512u - 96u - 4u : 512u - 96u);

    kernel::DataFileHeader header;
    kernel::SelectMemoryImage(kernel::kSecondImageSlot);
    kernel::ReadDataFileHeader(header);
    EXPECT_EQ(kernel::GetSelectedMemoryImage(), kernel::kSecondImageSlot);
    kernel::SelectMemoryImage(kernel::kTargetSource);
    EXPECT_EQ(header.portCode, port);
    EXPECT_EQ(header.kernelVersion, 0x0120u);
    EXPECT_EQ(header.entry2, 1000);
    EXPECT_EQ(header.entry6, 0x20261209u);

    kernel::KernelInfo info;
    kernel::ReadKernelInfo(info);
    EXPECT_EQ(info[1], props[4]);
    EXPECT_EQ(info[22], kernel::KernelWorkspaceValues()[22]); // the SYSPROP pointer, doubled on port 8 too
    EXPECT_NE(info[22], 0u);
    // Pointer words are doubled once on port 8, the others are not.
    EXPECT_EQ(info[12], port == 8 ? 0x2468u : 0x1234u);
    EXPECT_EQ(info[13], port == 8 ? 0x4000u : 0x2000u);
    EXPECT_EQ(info[20], 0x77u);
    // A reload after freeing gives the same result.
    kernel::FreeKernelWorkspace();
    EXPECT_EQ(kernel::GetKwsAddress(), 0u);
    EXPECT_EQ(f.load(), kernel::LoadOk);
}

std::string variantName(const ::testing::TestParamInfo<Variant>& info)
{
    return "Port" + std::to_string(std::get<0>(info.param)) + (std::get<1>(info.param) ? "Little" : "Big") +
           "Seed" + std::to_string(std::get<2>(info.param));
}

INSTANTIATE_TEST_SUITE_P(Ports, GeneratedLayout,
                         ::testing::Combine(::testing::Values(3, 4, 5, 6, 7, 8, 9, 10, 13), ::testing::Bool(),
                                            ::testing::Values(0u, 17u)),
                         variantName);

// One target, and one fault at a time.
class LoaderChecks : public ::testing::Test {
protected:
    LoaderChecks() : builder(specOf(7, true, 5)) { addSomeClasses(builder); generated = builder.build(); }
    uint32_t kwsField(int field) const
    {
        return generated.kws + static_cast<uint32_t>(builder.layout(Structure::Kws).offsets[static_cast<std::size_t>(field)]);
    }
    TargetBuilder builder;
    GeneratedTarget generated;
};

TEST_F(LoaderChecks, FileFailuresPassOnTheImageCodes)
{
    GeneratedFixture f(generated, true);
    EXPECT_EQ(kernel::LoadKernelWorkspace(1, f.dir().file("none.a79"), 0, generated.anchor), kernel::LoadCannotOpen);
    EXPECT_EQ(kernel::LoadKernelWorkspace(1, f.dir().write("text.a79", "text\n"), 0, generated.anchor), 2);
    EXPECT_EQ(kernel::LoadKernelWorkspace(1, f.dir().write("bad.a79", "S1030000FB\nS1030000FB\n"), 0, 0), 3);
    EXPECT_EQ(kernel::GetSelectedMemoryImage(), kernel::kTargetSource);
}

TEST_F(LoaderChecks, DataFileChecks)
{
    GeneratedFixture f(generated, true);
    f.patchDataFile(2, 2, 0x0101);
    EXPECT_EQ(f.load(), kernel::LoadBadFormat);
    EXPECT_EQ(kernel::GetSelectedMemoryImage(), kernel::kTargetSource);
    for (uint32_t port : {2u, 11u, 12u}) {
        GeneratedFixture g(generated, true);
        kernel::LoadKernelWorkspace(1, g.dataFilePath(), 0, generated.anchor); // learn entry 0's cell
        const uint32_t portCell = static_cast<uint32_t>(kernel::GetKwsDescriptor()->header.offsets[0]);
        kernel::FreeKernelWorkspace();
        g.patchDataFile(portCell, 2, port);
        EXPECT_EQ(g.load(), kernel::LoadBadPort) << port;
        EXPECT_NE(kernel::GetKwsDescriptor(), nullptr);
        EXPECT_TRUE(kernel::GetKwsDescriptor()->header.present()); // the header was read first
    }
}

TEST_F(LoaderChecks, AnchorChecks)
{
    GeneratedFixture f(generated, true);
    const uint64_t reads = f.target().readCalls;
    EXPECT_EQ(f.load(generated.anchor + 1), kernel::LoadAnchorMisaligned);
    EXPECT_EQ(f.target().readCalls, reads); // refused before any target read
    EXPECT_EQ(f.load(0x10000000), kernel::LoadAnchorInvalid);
    f.target().poke32(generated.anchor, 0, true);
    EXPECT_EQ(f.load(), kernel::LoadAnchorNull);
    f.target().poke32(generated.anchor, generated.kws + 2, true);
    EXPECT_EQ(f.load(), kernel::LoadKwsMisaligned);
    f.target().poke32(generated.anchor, 0x30000000, true);
    EXPECT_EQ(f.load(), kernel::LoadKwsInvalid);
    f.target().poke32(generated.anchor, generated.kws, true);
    EXPECT_EQ(f.load(), kernel::LoadOk);
    // Without the symbol, the data file's default anchor is used.
    EXPECT_EQ(kernel::LoadKernelWorkspace(1, f.dataFilePath(), 0, 0), kernel::LoadOk);
    EXPECT_EQ(kernel::GetAnchorAddress(), generated.anchor);
}

TEST_F(LoaderChecks, SystemPropertiesChecks)
{
    GeneratedFixture f(generated, true);
    const uint32_t sysprop = f.target().peek32(kwsField(23), true);
    f.target().poke32(kwsField(23), 0, true);
    EXPECT_EQ(f.load(), kernel::LoadSyspropNull);
    f.target().poke32(kwsField(23), sysprop + 1, true);
    EXPECT_EQ(f.load(), kernel::LoadSyspropMisaligned);
    f.target().poke32(kwsField(23), 0x30000000, true);
    EXPECT_EQ(f.load(), kernel::LoadSyspropInvalid);
    f.target().poke32(kwsField(23), sysprop, true);
    EXPECT_EQ(f.load(), kernel::LoadOk);
}

TEST(LoaderVersion, LayoutAndTargetMustAgreeInBits4To15)
{
    struct Case {
        uint32_t layout, target;
        int status;
    };
    for (const Case c : {Case{0x0120, 0x0123, 0}, Case{0x012F, 0x0123, 0}, Case{0x0130, 0x0123, 4},
                         Case{0x0120, 0x00FF0123, 0}, Case{0x10120, 0x0123, 4}}) {
        KernelSpec spec = specOf(3, false, 0);
        spec.layoutVersion = c.layout;
        spec.targetVersion = c.target;
        TargetBuilder b(spec);
        addSomeClasses(b);
        GeneratedFixture f(b.build(), false);
        EXPECT_EQ(f.load(), c.status) << std::hex << c.layout << " " << c.target;
    }
}

TEST(LoaderClasses, OnlyConfiguredClassesGetTheirLayouts)
{
    TargetBuilder b(specOf(7, true, 3));
    b.addClass(ObjectKind::Mailbox, 1, 0, 0);
    b.addClass(ObjectKind::Alarm, 1, 0, 0);
    GeneratedFixture f(b.build(), true);
    ASSERT_EQ(f.load(), kernel::LoadOk);
    const auto* d = kernel::GetKwsDescriptor();
    EXPECT_TRUE(d->objects[static_cast<int>(ObjectKind::Mailbox)].present());
    EXPECT_TRUE(d->envelope.present());
    EXPECT_TRUE(d->objects[static_cast<int>(ObjectKind::Alarm)].present());
    EXPECT_FALSE(d->objects[static_cast<int>(ObjectKind::Task)].present());
    EXPECT_FALSE(d->objects[static_cast<int>(ObjectKind::Level)].present());
}

} // namespace
} // namespace simtarget::test

namespace simtarget::test {
namespace {

TEST(SimMemoryFields, WideFieldsHoldTheWordInFrontInEitherOrder)
{
    SimMemory big(false), little(true);
    big.put(0x100, 6, 0x11223344);
    little.put(0x100, 6, 0x11223344);
    const uint8_t bigBytes[6] = {0x11, 0x22, 0x33, 0x44, 0, 0};
    const uint8_t littleBytes[6] = {0x44, 0x33, 0x22, 0x11, 0, 0};
    for (uint32_t i = 0; i < 6; ++i) {
        EXPECT_EQ(big.byte(0x100 + i), bigBytes[i]) << i;
        EXPECT_EQ(little.byte(0x100 + i), littleBytes[i]) << i;
    }
    EXPECT_EQ(big.get(0x100, 6), 0x11223344u);
    EXPECT_EQ(little.get(0x100, 6), 0x11223344u);
    big.put(0x200, 3, 0xABCDEF);
    EXPECT_EQ(big.get(0x200, 3), 0xABCDEFu);
    EXPECT_EQ(big.byte(0x200), 0xAB);
}

} // namespace
} // namespace simtarget::test
