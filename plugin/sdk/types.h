#pragma once
// Debugger types: C types of the debugged program and host types of the debugger. A type holds a
// C-type handle or a host-type handle (at most one); with neither it is invalid. Casting to a kind
// the type does not have gives an invalid type.

#include "sdk/debugger/dk_abi.h"
#include "plugin/sdk/dk_context.h"

#include <memory>
#include <string>

namespace dk {

class DkCType;
class DkDataType;
class DkScalarType;
class DkIntegerType;
class DkEnumType;
class DkFloatType;
class DkTargetType;
class DkPointerType;
class DkAggregateType;
class DkArrayType;
class DkStructureType;
class DkStructType;
class DkUnionType;
class DkFunctionType;
class DkVoidType;
class DkHostType;
class DkHostStringType;
class DkHostFunctionType;
class DkHostPointerType;
class DkHostFileType;

// A type handle shared by copies; the last one gives it back with entry 93, also when it is 0.
class DkSharedTypeHandle {
public:
    explicit DkSharedTypeHandle(DkHandle handle);
    DkHandle GetHandle() const { return m_body->handle; }

private:
    struct Body {
        DkHandle handle = 0;
        ~Body();
    };
    std::shared_ptr<Body> m_body;
};

class DkType {
public:
    DkType() = default;
    DkType(DkHandle cType, DkHandle hostType) : m_cType(cType), m_hostType(hostType) {}
    virtual ~DkType() = default;

    DkHandle GetCTypeHandle() const { return m_cType; }
    DkHandle GetHostTypeHandle() const { return m_hostType; }
    virtual bool IsValid() const { return m_cType != 0 || m_hostType != 0; }

    DkCType AsCType() const;
    DkDataType AsDataType() const;        // kind 1
    DkScalarType AsScalarType() const;    // 2
    DkIntegerType AsIntegerType() const;  // 3
    DkEnumType AsEnumType() const;        // 4
    DkFloatType AsFloatType() const;      // 5
    DkTargetType AsTargetType() const;    // 6
    DkPointerType AsPointerType() const;  // 7
    DkAggregateType AsAggregateType() const; // 8
    DkArrayType AsArrayType() const;      // 9
    DkStructureType AsStructureType() const; // 10
    DkStructType AsStructType() const;    // 11
    DkUnionType AsUnionType() const;      // 12
    DkFunctionType AsFunctionType() const; // 13
    DkVoidType AsVoidType() const;        // 14
    DkHostType AsHostType() const;
    DkHostStringType AsHostStringType() const;     // 15
    DkHostFunctionType AsHostFunctionType() const; // 16
    DkHostPointerType AsHostPointerType() const;   // 17
    DkHostFileType AsHostFileType() const;         // 18

    // Entry 73 (C type) or 74 (host type); empty for an invalid type, without asking the debugger.
    std::string GetName(uint32_t flag = 0) const;
    DkSharedTypeHandle Clone() const; // 92; handle 0 without a C-type handle

protected:
    DkHandle castC(uint32_t kind) const;
    DkHandle castHost(uint32_t kind) const;
    DkHandle m_cType = 0;
    DkHandle m_hostType = 0;
};

class DkCType : public DkType {
public:
    DkCType() = default;
    explicit DkCType(DkHandle handle) : DkType(handle, 0) {}
    bool IsValid() const override { return m_cType != 0; }
    DkPointerType GetPointerType() const; // 75
};

class DkDataType : public DkCType {
public:
    using DkCType::DkCType;
    uint32_t GetSize() const; // 76
};

class DkScalarType : public DkDataType {
public:
    using DkDataType::DkDataType;
    uint32_t GetScalarAttribute() const; // 77
    uint32_t GetScalarKind() const;      // 78: 0..22, anything else 23
};

class DkIntegerType : public DkScalarType {
public:
    using DkScalarType::DkScalarType;
};
class DkEnumType : public DkIntegerType {
public:
    using DkIntegerType::DkIntegerType;
};
class DkFloatType : public DkScalarType {
public:
    using DkScalarType::DkScalarType;
};
class DkTargetType : public DkScalarType {
public:
    using DkScalarType::DkScalarType;
};

class DkPointerType : public DkScalarType {
public:
    using DkScalarType::DkScalarType;
    DkCType GetTargetType() const;        // 79
    DkIntegerType GetIntegerType() const; // 80
};

class DkAggregateType : public DkDataType {
public:
    using DkDataType::DkDataType;
};

class DkArrayType : public DkAggregateType {
public:
    using DkAggregateType::DkAggregateType;
    DkCType GetElementType() const;  // 81
    uint32_t GetElementCount() const; // 82
};

class DkStructureType : public DkAggregateType {
public:
    using DkAggregateType::DkAggregateType;
    std::string MemberQuery1() const;              // 83
    uint32_t MemberQuery2() const;                 // 84: the member count
    DkCType MemberQuery3(uint32_t index) const;    // 85
    std::string MemberQuery4(uint32_t index) const; // 86
    uint32_t MemberQuery5(uint32_t index) const;   // 87
};
class DkStructType : public DkStructureType {
public:
    using DkStructureType::DkStructureType;
};
class DkUnionType : public DkStructureType {
public:
    using DkStructureType::DkStructureType;
};

class DkVoidType : public DkDataType {
public:
    using DkDataType::DkDataType;
};

class DkFunctionType : public DkCType {
public:
    using DkCType::DkCType;
    DkCType GetReturnType() const;                // 88
    uint32_t GetParameterCount() const;           // 89
    DkCType GetParameterType(uint32_t index) const; // 90
};

class DkHostType : public DkType {
public:
    DkHostType() = default;
    explicit DkHostType(DkHandle handle) : DkType(0, handle) {}
    bool IsValid() const override { return m_hostType != 0; }
};
class DkHostStringType : public DkHostType {
public:
    using DkHostType::DkHostType;
};
class DkHostFunctionType : public DkHostType {
public:
    using DkHostType::DkHostType;
};
class DkHostPointerType : public DkHostType {
public:
    using DkHostType::DkHostType;
};
class DkHostFileType : public DkHostType {
public:
    using DkHostType::DkHostType;
};

// Entry 277; without a context the memory context (158) is used.
DkCType FindType(const std::string& name);
DkCType FindType(const std::string& name, const DkContext& context);

} // namespace dk
