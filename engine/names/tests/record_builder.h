#pragma once
// Builds small project trees for tests. Every array is a zero-filled block of fixed capacity owned by
// the builder, so records keep their addresses while a test adds to them.

#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

#include "engine/records/records.h"
#include "engine/records/text_field.h"

namespace engine::test {

class RecordBuilder {
public:
    static constexpr int32_t kCapacity = 64;

    RecordBuilder() { std::memset(&project, 0, sizeof project); }
    RecordBuilder(const RecordBuilder&) = delete;
    RecordBuilder& operator=(const RecordBuilder&) = delete;

    ProjectRecord project;

    CpuRecord& AddCpu(const char* name)
    {
        CpuRecord& cpu = Append(project.cpus, project.cpuCount);
        setText(cpu.name, name);
        cpu.kernel.framework = 1;
        return cpu;
    }

    ApplicationRecord& AddApplication(CpuRecord& cpu, const char* name)
    {
        ApplicationRecord& application = Append(cpu.applications, cpu.applicationCount);
        setText(application.name, name);
        return application;
    }

    ApplicationClassEntry& AddClassEntry(ApplicationRecord& application, int32_t classType, const char* name)
    {
        ApplicationClassEntry& entry = Append(application.classEntries, application.classEntryCount);
        InitEntry(entry, classType, name);
        return entry;
    }

    // Chains a dependent entry below an entry.
    ApplicationClassEntry& Chain(ApplicationClassEntry& entry, int32_t classType, const char* name)
    {
        ApplicationClassEntry* chained = Allocate<ApplicationClassEntry>(1);
        InitEntry(*chained, classType, name);
        entry.chained = chained;
        return *chained;
    }

    // An object of an entry, with a zero-filled data block of the entry's class.
    ObjectRecord& AddObject(ApplicationClassEntry& entry, const char* name)
    {
        ObjectRecord& object = Append(entry.objects, entry.objectCount);
        InitObject(object, entry.classType, name);
        return object;
    }

    // A child object; childType is the class of the entry chained below the parent's entry.
    ObjectRecord& AddChild(ObjectRecord& parent, int32_t childType, const char* name)
    {
        ObjectRecord& object = Append(parent.children, parent.childCount);
        InitObject(object, childType, name);
        return object;
    }

    KernelClassRecord& AddKernelClass(CpuRecord& cpu, int32_t classType, const char* name, const char* rootName = "")
    {
        KernelClassRecord& kernelClass = Append(cpu.kernel.classes, cpu.kernel.classCount);
        kernelClass.classType = classType;
        setText(kernelClass.name, name);
        setText(kernelClass.rootName, rootName);
        kernelClass.available = 1;
        kernelClass.selected = 1;
        return kernelClass;
    }

    KernelClassAttribute& AddAttribute(KernelClassRecord& kernelClass, const char* name, const char* tag)
    {
        KernelClassAttribute& attribute = Append(kernelClass.attributes, kernelClass.attributeCount);
        InitAttribute(attribute, name, tag);
        return attribute;
    }

    KernelClassAttribute& AddChildAttribute(KernelClassAttribute& parent, const char* name, const char* tag)
    {
        KernelClassAttribute& attribute = Append(parent.children, parent.childCount);
        InitAttribute(attribute, name, tag);
        return attribute;
    }

    ModelOptionRow& AddOption(CpuRecord& cpu, const char* name, int32_t hasValue, int32_t value, int32_t state)
    {
        ModelOptionRow& option = Append(cpu.kernel.options, cpu.kernel.optionCount);
        setText(option.sectionName, name);
        option.hasValue = hasValue;
        option.value = value;
        option.state = state;
        return option;
    }

    template <typename Data>
    static Data& DataOf(ObjectRecord& object)
    {
        if (!object.data)
            throw std::logic_error("object has no data block");
        return *static_cast<Data*>(object.data);
    }

private:
    template <typename T>
    T* Allocate(int32_t count)
    {
        auto block = std::unique_ptr<void, void (*)(void*)>(std::calloc(static_cast<std::size_t>(count), sizeof(T)), std::free);
        if (!block)
            throw std::bad_alloc();
        T* data = static_cast<T*>(block.get());
        m_blocks.push_back(std::move(block));
        return data;
    }

    template <typename T>
    T& Append(T*& array, int32_t& count)
    {
        if (!array)
            array = Allocate<T>(kCapacity);
        if (count >= kCapacity)
            throw std::length_error("test array full");
        return array[count++];
    }

    static void InitEntry(ApplicationClassEntry& entry, int32_t classType, const char* name)
    {
        entry.classType = classType;
        entry.enabled = 1;
        entry.maxKeyLength = 8;
        setText(entry.name, name);
    }

    void InitObject(ObjectRecord& object, int32_t classType, const char* name)
    {
        setText(object.name, name);
        object.enabled = 1;
        if (const int32_t size = objectDataSize(classType))
            object.data = Allocate<unsigned char>(size);
    }

    static void InitAttribute(KernelClassAttribute& attribute, const char* name, const char* tag)
    {
        setText(attribute.name, name);
        setText(attribute.tag, tag);
        attribute.available = 1;
        attribute.selected = 1;
        attribute.shown = 1;
    }

    std::vector<std::unique_ptr<void, void (*)(void*)>> m_blocks;
};

} // namespace engine::test
