#pragma once
// Shared set-up of the file tests: a scratch folder posing as the program's folder, a configuration
// record naming model files, scripted message boxes, and kernel records freed afterwards.

#include "engine/files/config_file.h"
#include "engine/files/model_file.h"
#include "engine/ops/cpu_record_handler.h"
#include "engine/records/counted_array.h"
#include "engine/records/text_field.h"
#include "engine/sectioned/sectioned_file.h"
#include "engine/util/tests/scratch_dir.h"
#include "engine/util/tests/source_tree.h"
#include "platform/core/message_service.h"
#include "platform/core/program_path.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace engine::testing {

// The bytes of a fixture under engine/files/tests/data; a fixture that cannot be read fails the test
// with one line that names it.
inline std::string FixtureBytes(const std::string& name)
{
    const std::string path = sourceTree() + "/engine/files/tests/data/" + name;
    std::ifstream in(path, std::ios::binary);
    std::string bytes(std::istreambuf_iterator<char>(in), {});
    if (!in.good() && bytes.empty())
        ADD_FAILURE() << "the test fixture " << path << " cannot be read";
    return bytes;
}

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::setProgramDirectoryOverride(dir.path());
        std::memset(static_cast<void*>(&config), 0, sizeof config);
        CpuRecordHandler::ResetKernelRecord(kernel, true);
    }
    void TearDown() override
    {
        CpuRecordHandler::FreeKernelRecord(kernel);
        ConfigFile::FreeConfigRecord(config);
        platform::setProgramDirectoryOverride("");
    }

    // Makes the configuration's models table name these files (relative to the scratch folder).
    void SetModels(const std::vector<std::string>& files)
    {
        freeRows(config.modelCount, config.models);
        config.models = allocateRows<ModelEntry>(static_cast<int32_t>(files.size()));
        config.modelCount = static_cast<int32_t>(files.size());
        for (std::size_t i = 0; i < files.size(); ++i) {
            setText(config.models[i].name, "Model " + std::to_string(i));
            setText(config.models[i].path, files[i]);
        }
    }

    // Writes a model text to the scratch folder and loads it as model 0.
    bool LoadModelText(const std::string& bytes, const std::string& name = "model.mdl")
    {
        dir.write(name, bytes);
        SetModels({name});
        return LoadModelFileInto(kernel, modelFile, config, 0);
    }

    std::vector<std::string> Messages() { return messages->texts(); }

    ScratchDir dir;
    platform::ScopedScriptedMessages messages;
    ConfigRecord config;
    KernelRecord kernel;
    SectionedFile modelFile{"Model File", false};
};

} // namespace engine::testing
