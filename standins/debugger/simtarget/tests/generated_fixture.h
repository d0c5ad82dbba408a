#pragma once
// Puts a generated target behind the fake target port and its two images in files, as the control
// panel would find them, and loads the layout.

#include "plugin/kernel/tests/fake_target.h"
#include "plugin/kernel/tests/scratch_dir.h"
#include "standins/debugger/simtarget/target_builder.h"

#include <memory>
#include <string>

namespace simtarget::test {

class GeneratedFixture {
public:
    // Resets the engine, sets byte order and unit width, maps the memory and writes the images.
    explicit GeneratedFixture(const GeneratedTarget& target, bool littleEndian);
    // The same over images already written (the data file and second image of `target`).
    GeneratedFixture(const GeneratedTarget& target, bool littleEndian, const std::string& dataFile,
                     const std::string& secondImage);
    ~GeneratedFixture();

    // LoadKernelWorkspace from the data file with the anchor of the symbol file (or `anchor`).
    int load(uint32_t anchor = 0);
    // Loads the second image as the control panel does.
    int loadSecondImage();

    kernel::test::FakeTarget& target() { return *m_target; }
    const std::string& dataFilePath() const { return m_dataFile; }
    kernel::test::ScratchDir& dir() { return m_dir; }
    const GeneratedTarget& generated() const { return m_generated; }
    // Rewrites the data file with one value changed (size bytes in the target's byte order).
    void patchDataFile(uint32_t offset, uint32_t size, uint32_t value);

private:
    void setUp(const GeneratedTarget& target);
    void writeImages();

    GeneratedTarget m_generated;
    bool m_little;
    kernel::test::ScratchDir m_dir;
    std::unique_ptr<kernel::test::FakeTarget> m_target;
    std::string m_dataFile;
    std::string m_secondImage;
};

} // namespace simtarget::test
