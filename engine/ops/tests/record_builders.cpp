#include "engine/ops/tests/record_builders.h"

#include "engine/ops/cpu_record_handler.h"

#include <gtest/gtest.h>

#include <string>

namespace engine::testing {

KernelClassRecord& classNamed(KernelRecord& kernel, std::string_view name)
{
    for (int32_t i = 0; i < kernel.classCount; ++i)
        if (textOf(kernel.classes[i].name) == name)
            return kernel.classes[i];
    ADD_FAILURE() << "no class " << name;
    return kernel.classes[0];
}

void buildKernel(KernelRecord& kernel)
{
    CpuRecordHandler::ResetKernelRecord(kernel, true);
    setText(kernel.kernelPath, "/tmp/demo.cpu");
    setText(kernel.modelVersion, "2.1");
    setText(kernel.modelName, "Demo");
    setText(kernel.codeGeneratorLibrary, "libcodegen.so");
    setText(kernel.cSourceExtension, "c");
    setText(kernel.cHeaderExtension, "h");
    kernel.defaultAlignment = 4;
    kernel.minTaskStackSize = 256;
    kernel.maxTaskStackSize = 32768;
    kernel.defaultFramework = kernel.framework = 2;
    kernel.extendedContextCount = 2;
    setText(kernel.extendedContexts[0].name, "FPU");
    kernel.extendedContexts[0].taskDefault = 1;
    setText(kernel.extendedContexts[1].name, "DSP");
    kernel.extendedContexts[1].applicationDefault = 1;
    kernel.taskAttributeCount = 1;
    setText(kernel.taskAttributes[0].name, "Privileged");
    kernel.taskAttributes[0].defaultEnable = 1;
    setText(kernel.attributeBitNames[3], "ATTR_DYNAMICS");

    ScriptEntry* script = appendRow(kernel.scriptCount, kernel.scripts);
    setText(script->name, "Build");
    setText(script->command, "make all");

    addOption(kernel, "TICKS", false, true, 10);
    addOption(kernel, "APP_FLAG", true, false, 1);
    addOption(kernel, "APP_COUNT", true, true, 42);

    addClass(kernel, ClassLevel, "Level");
    KernelClassRecord& thread = addClass(kernel, ClassThread, "Thread");
    addService(thread.serviceCount, thread.services, "ThreadStart");
    KernelClassAttribute& gates = addAttribute(thread.attributeCount, thread.attributes, "ThreadGates");
    addService(gates.serviceCount, gates.services, "GateOpen");
    KernelClassAttribute& deep = addAttribute(gates.childCount, gates.children, "GateTimeout", 1 << 3);
    addNeed(deep.needsCount, deep.needs, "Counter");
    addNeed(thread.needsCount, thread.needs, "Level");
    addClass(kernel, ClassEventSource, "Event Source");
    addClass(kernel, ClassCounter, "Counter");
    addClass(kernel, ClassAlarm, "Alarm");
    addClass(kernel, ClassTask, "Task");
    addClass(kernel, ClassSpecialService, "Special Service");
}

}  // namespace engine::testing
