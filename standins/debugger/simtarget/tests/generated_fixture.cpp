#include "standins/debugger/simtarget/tests/generated_fixture.h"

#include "plugin/kernel/layout.h"
#include "plugin/kernel/memory_image.h"
#include "plugin/kernel/target_access.h"

namespace simtarget::test {

GeneratedFixture::GeneratedFixture(const GeneratedTarget& target, bool littleEndian)
    : m_generated(target), m_little(littleEndian), m_target(std::make_unique<kernel::test::FakeTarget>())
{
    setUp(target);
    writeImages();
}

GeneratedFixture::GeneratedFixture(const GeneratedTarget& target, bool littleEndian, const std::string& dataFile,
                                   const std::string& secondImage)
    : m_generated(target), m_little(littleEndian), m_target(std::make_unique<kernel::test::FakeTarget>()),
      m_dataFile(dataFile), m_secondImage(secondImage)
{
    setUp(target);
}

void GeneratedFixture::setUp(const GeneratedTarget& target)
{
    kernel::FreeKernelWorkspace();
    kernel::ResetMemoryImages();
    kernel::ResetTargetAccess();
    kernel::SetLittleEndian(m_little ? 1 : 0);
    kernel::SetAddressUnitBits(8);
    kernel::BindTargetAccess();
    for (const auto& block : target.memory)
        m_target->map(block.address, static_cast<uint32_t>(block.data.size()));
    for (const auto& block : target.memory)
        m_target->poke(block.address, block.data);
    for (const auto& [name, address] : target.symbols)
        m_target->defineSymbol(name, address);
}

GeneratedFixture::~GeneratedFixture()
{
    kernel::FreeKernelWorkspace();
    kernel::ResetMemoryImages();
    kernel::ResetTargetAccess();
}

void GeneratedFixture::writeImages()
{
    m_dataFile = m_dir.write("z5data.a79", SRecordText(m_generated.dataFile, "z5data"));
    m_secondImage = m_dir.write("i2data.a79", SRecordText(m_generated.secondImage, "i2data"));
}

void GeneratedFixture::patchDataFile(uint32_t offset, uint32_t size, uint32_t value)
{
    for (uint32_t i = 0; i < size; ++i) {
        const uint32_t shift = 8 * (m_little ? i : size - 1 - i);
        for (auto& block : m_generated.dataFile)
            if (offset + i >= block.address && offset + i < block.address + block.data.size())
                block.data[offset + i - block.address] = static_cast<uint8_t>(value >> shift);
    }
    writeImages();
}

int GeneratedFixture::load(uint32_t anchor)
{
    if (anchor == 0) {
        for (const auto& [name, address] : m_generated.symbols)
            if (name.size() >= 4 && name.compare(name.size() - 4, 4, "pKWS") == 0)
                anchor = address;
    }
    return kernel::LoadKernelWorkspace(1, m_dataFile, 0, anchor);
}

int GeneratedFixture::loadSecondImage() { return kernel::LoadSecondImage(m_secondImage, 0); }

} // namespace simtarget::test
