#include "engine/files/model_cipher.h"
#include "engine/files/tests/files_fixture.h"
#include "engine/files/xtea.h"
#include "engine/ops/project_manager.h"
#include "engine/util/path.h"

namespace engine {
namespace {

using engine::testing::FixtureBytes;
using ModelFileTest = engine::testing::FilesTest;

std::string Needs(const NameText* needs, int32_t count)
{
    std::string all;
    for (int32_t i = 0; i < count; ++i)
        all += "[" + std::string(textOf(needs[i])) + "]";
    return all;
}

TEST(ModelCipher, XteaMatchesThePublishedVectors)
{
    // Key, plain block and cipher block as big-endian words.
    struct Vector {
        std::uint32_t key[4];
        std::uint32_t plain[2];
        std::uint32_t cipher[2];
    };
    const Vector vectors[] = {
        {{0x00010203, 0x04050607, 0x08090a0b, 0x0c0d0e0f}, {0x41424344, 0x45464748}, {0x497df3d0, 0x72612cb5}},
        {{0x00010203, 0x04050607, 0x08090a0b, 0x0c0d0e0f}, {0x41414141, 0x41414141}, {0xe78f2d13, 0x744341d8}},
        {{0x00010203, 0x04050607, 0x08090a0b, 0x0c0d0e0f}, {0x5a5b6e27, 0x8948d77f}, {0x41414141, 0x41414141}},
        {{0, 0, 0, 0}, {0x41424344, 0x45464748}, {0xa0390589, 0xf8b8efa5}},
        {{0, 0, 0, 0}, {0x41414141, 0x41414141}, {0xed23375a, 0x821a8c2d}},
        {{0, 0, 0, 0}, {0x70e1225d, 0x6e4e7655}, {0x41414141, 0x41414141}},
        {{0, 0, 0, 0}, {0, 0}, {0xdee9d4d8, 0xf7131ed9}},
    };
    for (const Vector& v : vectors) {
        XteaKey key = {v.key[0], v.key[1], v.key[2], v.key[3]};
        std::uint32_t block[2] = {v.plain[0], v.plain[1]};
        XteaEncipher(block, key);
        EXPECT_EQ(block[0], v.cipher[0]);
        EXPECT_EQ(block[1], v.cipher[1]);
        XteaDecipher(block, key);
        EXPECT_EQ(block[0], v.plain[0]);
        EXPECT_EQ(block[1], v.plain[1]);
    }
}

TEST(ModelCipher, ModelKeyRoundTripAndRecognition)
{
    for (std::size_t length : {0u, 1u, 7u, 8u, 9u, 15u, 16u, 1000u}) {
        std::string text;
        for (std::size_t i = 0; i < length; ++i)
            text.push_back(static_cast<char>('a' + i % 26));
        const std::string enciphered = EncipherModelText(text);
        EXPECT_EQ(enciphered.size() % 8, 0u);
        EXPECT_TRUE(IsEncipheredModel(enciphered)) << length;
        EXPECT_EQ(DecipherModelText(enciphered), text) << length;
    }
    EXPECT_FALSE(IsEncipheredModel("[KERNEL]\r\n"));
    EXPECT_TRUE(IsEncipheredModel("; caf\xe9\r\n")); // a plain file with an accented byte is taken as enciphered
    // A block that is cut short deciphers as if padded with zero bytes, and nothing reads past the end.
    const std::string enciphered = EncipherModelText("0123456789abcdef");
    EXPECT_EQ(DecipherModelText(enciphered.substr(0, 8)), "01234567");
    DecipherModelText(enciphered.substr(0, 11));
    // The model key: the first block of "[KERNEL]" enciphered with it, words little-endian.
    const std::string first = EncipherModelText("[KERNEL]").substr(0, 8);
    std::uint32_t block[2] = {0, 0};
    for (int i = 0; i < 4; ++i) {
        block[0] |= static_cast<std::uint32_t>(static_cast<unsigned char>(first[i])) << (8 * i);
        block[1] |= static_cast<std::uint32_t>(static_cast<unsigned char>(first[4 + i])) << (8 * i);
    }
    const XteaKey modelKey = {0x5E17C0A2u, 0x9B3D4F61u, 0x2C8E7A15u, 0xD0469B3Eu};
    XteaDecipher(block, modelKey);
    EXPECT_EQ(block[0], 0x52454b5bu); // "[KER" read little-endian
    EXPECT_EQ(block[1], 0x5d4c454eu); // "NEL]"
}

TEST_F(ModelFileTest, SmallModelFillsTheKernelRecord)
{
    ASSERT_TRUE(LoadModelText(FixtureBytes("small.mdl"))) << ::testing::PrintToString(Messages());
    // Only the missing extended-context section is reported; the load goes on.
    EXPECT_EQ(Messages(), std::vector<std::string>{"Can't find required section \"Context_Missing\" in model file "
                                                   "model.mdl"});
    EXPECT_EQ(kernel.modelIndex, 0);
    EXPECT_EQ(textOf(kernel.modelVersion), "1.2");
    EXPECT_EQ(textOf(kernel.osName), "OMBA Korvane");
    EXPECT_EQ(textOf(kernel.modelName), "Test Model");
    EXPECT_EQ(textOf(kernel.codeGeneratorLibrary), "lib\\testgen.dll");
    EXPECT_EQ(textOf(kernel.asmSourceExtension), "asm");
    EXPECT_EQ(textOf(kernel.asmHeaderExtension), "inc");
    EXPECT_EQ(kernel.taskStackModulus, 4);
    EXPECT_EQ(kernel.taskStackModulus2, 4);
    EXPECT_EQ(kernel.minKernelStackSize, 128);
    EXPECT_EQ(kernel.maxKernelStackSize, 0x7FFFFFFF);
    EXPECT_EQ(kernel.defaultSystemRam, 0x2000);
    EXPECT_EQ(kernel.externConst, 0);
    EXPECT_EQ(kernel.defaultServiceIncoming, 0);
    EXPECT_EQ(kernel.defaultServiceOutgoing, 1);
    EXPECT_EQ(kernel.featureMask, 7);
    EXPECT_EQ(kernel.defaultFramework, 6);
    EXPECT_EQ(kernel.framework, 6);

    ASSERT_EQ(kernel.extendedContextCount, 3);
    EXPECT_EQ(textOf(kernel.extendedContexts[0].structName), "FPU_REGS");
    EXPECT_EQ(textOf(kernel.extendedContexts[0].variableName), "fpu");
    EXPECT_EQ(kernel.extendedContexts[0].taskDefault, 1);
    EXPECT_EQ(textOf(kernel.extendedContexts[1].structName), "DSP_REGS");
    EXPECT_EQ(kernel.extendedContexts[1].applicationDefault, 0);
    EXPECT_EQ(textOf(kernel.extendedContexts[2].name), "Missing");
    EXPECT_EQ(textOf(kernel.extendedContexts[2].description), ""); // the row keeps only its name
    ASSERT_EQ(kernel.taskAttributeCount, 1);
    EXPECT_EQ(textOf(kernel.taskAttributes[0].enabledName), "Urgent");
    EXPECT_EQ(textOf(kernel.taskAttributes[0].disabledName), "Relaxed");
    ASSERT_EQ(kernel.scriptCount, 1);
    EXPECT_EQ(textOf(kernel.scripts[0].command), "make all");

    ASSERT_EQ(kernel.optionCount, 4);
    const ModelOptionRow* o = kernel.options;
    EXPECT_EQ(textOf(o[0].tag), "OPT_TICK");
    EXPECT_EQ(o[0].hasValue, 1);
    EXPECT_EQ(o[0].value, 500); // default 1000 held at the maximum
    EXPECT_EQ(o[0].state, 1);
    EXPECT_EQ(o[0].base, 10);
    EXPECT_EQ(o[0].variantMask, -1);
    EXPECT_EQ(o[1].hasValue, 0);
    EXPECT_EQ(o[1].state, 1);
    EXPECT_EQ(o[2].value, 0x1000); // raised to the minimum; no maximum given
    EXPECT_EQ(o[3].forApplications, 1);
    EXPECT_EQ(o[3].value, 3);

    EXPECT_EQ(textOf(kernel.attributeBitNames[0]), "ATTR_DYNAMICS");
    EXPECT_EQ(textOf(kernel.attributeBitNames[31]), "ATTR_PRIORITY");

    ASSERT_EQ(kernel.classCount, 2);
    const KernelClassRecord& task = kernel.classes[0];
    EXPECT_EQ(task.classType, 8);
    EXPECT_EQ(textOf(task.pluralName), "Tasks");
    EXPECT_EQ(task.maximum, 64);
    EXPECT_EQ(task.maximumPerParent, 64);
    EXPECT_EQ(task.variantMask, 7);
    EXPECT_EQ(task.available, 1);
    EXPECT_EQ(task.selected, 1);
    EXPECT_EQ(Needs(task.needs, task.needsCount), "[Semaphore][ Level]");
    ASSERT_EQ(task.serviceCount, 3);
    const KernelServiceRow* s = task.services;
    EXPECT_EQ(textOf(s[0].sectionName), "KS_Start");
    EXPECT_EQ((std::vector<int32_t>{s[0].mp, s[0].local, s[0].incoming, s[0].outgoing}),
              (std::vector<int32_t>{0, 1, 0, 1}));
    EXPECT_EQ((std::vector<int32_t>{s[1].mp, s[1].local, s[1].incoming, s[1].outgoing}),
              (std::vector<int32_t>{1, 0, 1, 1}));
    EXPECT_EQ((std::vector<int32_t>{s[2].mp, s[2].local, s[2].incoming, s[2].outgoing}),
              (std::vector<int32_t>{1, 1, 0, 1}));
    ASSERT_EQ(task.attributeCount, 2);
    const KernelClassAttribute& dynamics = task.attributes[0];
    EXPECT_EQ(textOf(dynamics.tag), "DYN");
    EXPECT_EQ(dynamics.attributeBits, 1);
    EXPECT_EQ(dynamics.size, 8);
    EXPECT_EQ(dynamics.variantMask, 255);
    ASSERT_EQ(dynamics.childCount, 1);
    EXPECT_EQ(dynamics.children[0].shown, 0);
    ASSERT_EQ(dynamics.children[0].serviceCount, 1);
    EXPECT_EQ(textOf(dynamics.children[0].services[0].name), "KS_Alloc");
    EXPECT_EQ(Needs(task.attributes[1].needs, task.attributes[1].needsCount), "[Dynamics]");
    const KernelClassRecord& semaphore = kernel.classes[1];
    EXPECT_EQ(semaphore.classType, 9);
    EXPECT_EQ(semaphore.maximum, 255);
    EXPECT_EQ(semaphore.maximumPerParent, 8);
    EXPECT_EQ(modelFile.GetPath(), "Model File");
    EXPECT_NE(modelFile.FindSection("types"), nullptr);
}

TEST_F(ModelFileTest, ApplicationOnOffOptionStartsFromItsDefault)
{
    // "App Option" is an on/off application option with Default=3; without "Maximum" both bounds are 0.
    const std::string text = ReplaceText(FixtureBytes("small.mdl"), "Default=3\r\nMaximum=9\r\n", "Default=3\r\n");
    ASSERT_TRUE(LoadModelText(text)) << ::testing::PrintToString(Messages());
    ASSERT_EQ(kernel.optionCount, 4);
    EXPECT_EQ(kernel.options[3].value, 0);  // the default held at the maximum
    EXPECT_EQ(kernel.options[3].state, 1);

    CpuRecord cpu{};
    cpu.kernel = kernel;  // borrowed: the fixture frees the rows
    ApplicationRecord application{};
    ASSERT_TRUE(BuildApplicationOptionList(cpu, application));
    cpu.kernel = KernelRecord{};
    ASSERT_EQ(application.optionCount, 1);
    EXPECT_EQ(textOf(application.options[0].name), "App Option");
    EXPECT_EQ(application.options[0].state, 1);
    EXPECT_EQ(application.options[0].value, 0);
    freeRows(application.optionCount, application.options);
}

TEST_F(ModelFileTest, EncipheredTwinLoadsTheSameRecord)
{
    const std::string plain = FixtureBytes("small.mdl");
    ASSERT_TRUE(LoadModelText(plain, "plain.mdl"));
    KernelRecord plainRecord;
    ASSERT_TRUE(CpuRecordHandler::CloneKernelRecord(plainRecord, kernel));
    const std::string plainText = modelFile.ToText();

    ASSERT_TRUE(LoadModelText(EncipherModelText(plain), "twin.mde"));
    EXPECT_FALSE(CpuRecordHandler::KernelRecordsDiffer(plainRecord, kernel));
    EXPECT_EQ(modelFile.ToText(), plainText);
    CpuRecordHandler::FreeKernelRecord(plainRecord);

    // The demo's models load, plain and enciphered, through a configuration in the program's folder.
    const std::string demo = engine::testing::sourceTree() + "/samples/demo/models/z5mp.mdl";
    std::string bytes;
    ASSERT_EQ(ReadWholeFile(demo, bytes), ReadResult::Ok);
    // The demo's class list "[Task Attributes]" is read as the same section as "[TASK ATTRIBUTES]"; the
    // test renames it so that the model loads whether or not the sample has been mended.
    bytes = ReplaceText(ReplaceText(bytes, "Options=Task Attributes", "Options=Task Options"), "[Task Attributes]",
                        "[Task Options]");
    dir.write("z5mp.mdl", bytes);
    dir.write("z5mp.mde", EncipherModelText(bytes));
    SetModels({"z5mp.mdl", "z5mp.mde"});
    ASSERT_TRUE(LoadModelFileInto(kernel, modelFile, config, 0)) << ::testing::PrintToString(Messages());
    ASSERT_TRUE(CpuRecordHandler::CloneKernelRecord(plainRecord, kernel));
    ASSERT_TRUE(LoadModelFileInto(kernel, modelFile, config, 1));
    EXPECT_EQ(kernel.modelIndex, 1);
    EXPECT_FALSE(CpuRecordHandler::KernelRecordsDiffer(plainRecord, kernel));
    EXPECT_GT(kernel.classCount, 5);
    CpuRecordHandler::FreeKernelRecord(plainRecord);
}

TEST_F(ModelFileTest, LoadGuardsTheFolderAndTheIndex)
{
    const std::string before = GetCurrentDirectoryText();
    SetModels({"missing.mdl"});
    EXPECT_FALSE(LoadModelFileInto(kernel, modelFile, config, 1)); // beyond the table: no message
    EXPECT_FALSE(LoadModelFileInto(kernel, modelFile, config, -1));
    EXPECT_TRUE(Messages().empty());
    EXPECT_FALSE(LoadModelFileInto(kernel, modelFile, config, 0));
    EXPECT_EQ(Messages(), std::vector<std::string>{"Unable to open model file 'missing.mdl'"});
    EXPECT_EQ(GetCurrentDirectoryText(), before);

    CpuRecord cpu;
    std::memset(static_cast<void*>(&cpu), 0, sizeof cpu);
    dir.write("small.mdl", FixtureBytes("small.mdl"));
    SetModels({"small.mdl"});
    ASSERT_TRUE(LoadModelFile(cpu, cpu.kernel, config, 0));
    ASSERT_NE(cpu.modelFile, nullptr);
    EXPECT_EQ(GetCurrentDirectoryText(), before);
    CpuRecordHandler::FreeKernelRecord(cpu.kernel);
    delete cpu.modelFile;
}

// A model built from the fixture with one change, for the refusal cases.
std::string Edited(const std::string& from, const std::string& to)
{
    std::string text = FixtureBytes("small.mdl");
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST_F(ModelFileTest, RefusedModelsLeaveTheRecordAsItWas)
{
    ASSERT_TRUE(LoadModelText(FixtureBytes("small.mdl")));
    KernelRecord before;
    ASSERT_TRUE(CpuRecordHandler::CloneKernelRecord(before, kernel));
    const std::string modelBefore = modelFile.ToText();

    struct Case {
        std::string text;
        std::string message; // "" when the refusal has no message of its own
    };
    const std::string at = " in model file model.mdl";
    const Case cases[] = {
        {Edited("[KERNEL]", "[KERNELS]"), "Can't find required section \"KERNEL\"" + at},
        {Edited("[MODEL OPTIONS]", "[OPTIONS]"), "Model file has no model options"},
        {Edited("[Heap]", "[Heaps]"), "Can't find required section \"Heap\"" + at},
        {Edited("[CLASS PROPERTIES]", "[PROPERTIES]"), "Can't find required section \"CLASS PROPERTIES\"" + at},
        {Edited("[CLASS TYPES]\r\nTask=8\r\nSemaphore=0x9", "[CLASS TYPES]"), "Model file has no class types"},
        {Edited("[Semaphore]", "[Semaphores]"), "Can't find required section \"Semaphore\"" + at},
        {Edited("[Pool]", "[Pools]"), "Can't find required section \"Pool\"" + at},
        {Edited("Needs=Dynamics", "Needs=,"), "A \"Needs\" value holds no names" + at},
        {Edited("[Pool Services]\r\nKS_Alloc=", "[Pool Services]"),
         "The section \"Pool Services\" named by a \"Services\" value is missing or empty" + at},
        {Edited("Options=Dynamic Extras", "Options=Task Options"),
         "The attribute list \"Task Options\" contains itself" + at},
        {Edited("[Types]", "[Typen]"), "The required section \"Types\" is missing"},
        {Edited("Task=8", "Task=15"), "Model file model.mdl: class \"Task\" has the number 15, not one of 1 to 14"},
        {Edited("Semaphore=0x9", "Semaphore=0"), "Model file model.mdl: class \"Semaphore\" has the number 0, not one of 1 to 14"},
        {Edited("Model Name=Test Model", "Model Name=" + std::string(128, 'm')),
         "Value of \"Model Name\" in section \"KERNEL\" of model file model.mdl is longer than 127 characters"},
        // What a record has no room for is refused, never cut: lists beyond their fixed rows, attribute bits
        // beyond the 32 names, a "Needs" name beyond its field, a table count beyond 32 bits.
        {Edited("Missing=\r\n", "Missing=\r\nFour=\r\nFive=\r\n"),
         "Unable to load model file model.mdl: the section \"EXTENDED CONTEXTS\" lists 5 entries, more than the 4 it "
         "can hold (\"Five\" is the first beyond them)"},
        {Edited("Urgent=\r\n", "Urgent=\r\nB=\r\nC=\r\nD=\r\nE=\r\nF=\r\n"),
         "Unable to load model file model.mdl: the section \"TASK ATTRIBUTES\" lists 6 entries, more than the 4 it can "
         "hold (\"E\" is the first beyond them)"},
        {Edited("ATTR_PRIORITY=0x1f", "ATTR_PRIORITY=0x20"),
         "Unable to load model file model.mdl: the value 0x20 of \"ATTR_PRIORITY\" in section \"CLASS PROPERTIES\" is "
         "outside the range 0 to 31"},
        {Edited("ATTR_DYNAMICS=0", "ATTR_DYNAMICS=-1"),
         "Unable to load model file model.mdl: the value -1 of \"ATTR_DYNAMICS\" in section \"CLASS PROPERTIES\" is "
         "outside the range 0 to 31"},
        {Edited("Needs=Dynamics", "Needs=Dynamics," + std::string(128, 'n')),
         "Value of \"Needs\" in section \"Priority\" of model file model.mdl is longer than 127 characters"},
        {Edited("NumberOfMembers=1", "NumberOfMembers=4294967296"),
         "Unable to load model file model.mdl: the value 4294967296 of \"NumberOfMembers\" in section "
         "\"Structure_SEMA\" is outside the range 0 to 2147483647"},
        // A name the kernel file would take as a section it could not write.
        {Edited("KS_Send=mp, 0, 1", "KS_\rSend=mp, 0, 1"),
         "Unable to load model file model.mdl: the kernel file could not be written: the section name \"KS_\rSend\" "
         "holds a line break or a zero byte"},
        {Edited("NumberOfTypes=2", "NumberOfTypes=two"),
         "Unable to load model file model.mdl: the value \"two\" of \"NumberOfTypes\" in section \"Types\" is not a "
         "count"},
    };
    for (const Case& c : cases) {
        messages->clear();
        EXPECT_FALSE(LoadModelText(c.text)) << c.message;
        ASSERT_FALSE(Messages().empty()) << c.message;
        EXPECT_EQ(Messages().back().substr(0, c.message.size()), c.message);
        EXPECT_FALSE(CpuRecordHandler::KernelRecordsDiffer(before, kernel)) << c.message;
        EXPECT_EQ(modelFile.ToText(), modelBefore);
    }
    CpuRecordHandler::FreeKernelRecord(before);
}

TEST_F(ModelFileTest, ListEdgeCases)
{
    // Four extended contexts and four task attributes fill their rows (a fifth is refused, above);
    // "Maximum per Parent" falls back to "Maximum", or 255.
    ASSERT_TRUE(LoadModelText(Edited("Maximum=64", "Maximum=70")));
    EXPECT_EQ(kernel.classes[0].maximumPerParent, 70);
    messages->clear();
    ASSERT_TRUE(LoadModelText(Edited("Missing=\r\n", "Missing=\r\nFour=\r\n")));
    EXPECT_EQ(kernel.extendedContextCount, 4);
    EXPECT_EQ(textOf(kernel.extendedContexts[3].name), "Four");
    EXPECT_EQ(Messages().size(), 2u); // Missing and Four have no section of their own
    ASSERT_TRUE(LoadModelText(Edited("Urgent=\r\n", "Urgent=\r\nB=\r\nC=\r\nD=\r\n")));
    EXPECT_EQ(kernel.taskAttributeCount, 4);
    EXPECT_EQ(textOf(kernel.taskAttributes[3].name), "D");
    const std::string longest(127, 'n');
    ASSERT_TRUE(LoadModelText(Edited("Needs=Dynamics", "Needs=Dynamics," + longest)));
    ASSERT_EQ(kernel.classes[0].attributeCount, 2);
    const KernelClassAttribute& priority = kernel.classes[0].attributes[1];
    EXPECT_EQ(Needs(priority.needs, priority.needsCount), "[Dynamics][" + longest + "]");
    ASSERT_TRUE(LoadModelText(Edited("Maximum=64\r\n", "")));
    EXPECT_EQ(kernel.classes[0].maximum, 255);
    EXPECT_EQ(kernel.classes[0].maximumPerParent, 255);

    // Attribute lists nest at most kMaxAttributeNesting levels (the "Pool" attribute sits two levels down).
    auto nested = [](int levels) {
        std::string text = Edited("[Pool]\r\n", "[Pool]\r\nOptions=Deep0\r\n");
        for (int i = 0; i < levels; ++i) {
            const std::string n = std::to_string(i);
            text += "[Deep" + n + "]\r\nD" + n + "=\r\n\r\n[D" + n + "]\r\n";
            if (i + 1 < levels)
                text += "Options=Deep" + std::to_string(i + 1) + "\r\n";
        }
        return text;
    };
    ASSERT_TRUE(LoadModelText(nested(kMaxAttributeNesting - 2)));
    for (int levels : {kMaxAttributeNesting - 1, 50000}) {
        messages->clear();
        EXPECT_FALSE(LoadModelText(nested(levels)));
        ASSERT_FALSE(Messages().empty());
        EXPECT_EQ(Messages().back(), "Class attributes in model file model.mdl are nested more than 16 levels deep");
    }

    // A list section named by many attributes is read for each; the model's totals are bounded.
    auto repeated = [](const std::string& key, const std::string& value) {
        std::string list = "[Dynamic Extras]\r\nPool=\r\n";
        std::string sections;
        for (int i = 0; i < 300; ++i) {
            list += "X" + std::to_string(i) + "=\r\n";
            sections += "[X" + std::to_string(i) + "]\r\n" + key + "=" + value + "\r\n\r\n";
        }
        return Edited("[Dynamic Extras]\r\nPool=\r\n", list + "\r\n" + sections);
    };
    std::string big = "[Big]\r\n";
    std::string needs;
    for (int i = 0; i < 1000; ++i) {
        big += "S" + std::to_string(i) + "=\r\n";
        needs += "N" + std::to_string(i) + ",";
    }
    const struct {
        std::string text;
        std::string message;
    } bombs[] = {
        {repeated("Services", "Big") + big, "Model file model.mdl defines more than 262144 services"},
        {repeated("Needs", needs), "Model file model.mdl defines more than 262144 \"Needs\" names"},
    };
    for (const auto& bomb : bombs) {
        messages->clear();
        EXPECT_FALSE(LoadModelText(bomb.text));
        ASSERT_FALSE(Messages().empty());
        EXPECT_EQ(Messages().back(), bomb.message);
    }
    ASSERT_TRUE(LoadModelText(repeated("Services", "Big") + big.substr(0, big.find("S800="))));

    // Every application gets an entry per kernel class, so their number is bounded too.
    std::string types = "[CLASS TYPES]\r\n";
    std::string classes;
    for (int i = 0; i <= kMaxModelClasses; ++i) {
        types += "C" + std::to_string(i) + "=2\r\n";
        classes += "[C" + std::to_string(i) + "]\r\n\r\n";
    }
    messages->clear();
    EXPECT_FALSE(LoadModelText(Edited("[CLASS TYPES]\r\n", types) + classes));
    ASSERT_FALSE(Messages().empty());
    EXPECT_EQ(Messages().back(), "Model file model.mdl defines more than 1024 class types");
}

TEST_F(ModelFileTest, TruncatedAndCorruptedModelsNeverCrash)
{
    const std::string plain = FixtureBytes("small.mdl");
    if (HasFailure())
        return; // the fixture could not be read, which FixtureBytes has said
    const std::string enciphered = EncipherModelText(plain);
    for (const std::string* source : {&plain, &enciphered}) {
        for (std::size_t cut = 0; cut < source->size(); cut += 37) {
            if (LoadModelText(source->substr(0, cut))) {
                EXPECT_GT(kernel.classCount, 0);
            }
        }
        std::uint32_t seed = 99;
        for (int round = 0; round < 150; ++round) {
            std::string bad = *source;
            for (int flips = 0; flips < 3; ++flips) {
                seed = seed * 1103515245u + 12345u;
                bad[seed % bad.size()] = static_cast<char>(seed >> 24);
            }
            if (LoadModelText(bad)) {
                EXPECT_GT(kernel.optionCount, 0);
            }
        }
    }
}

} // namespace
} // namespace engine
