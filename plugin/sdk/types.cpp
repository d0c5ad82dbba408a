#include "plugin/sdk/types.h"

#include "plugin/sdk/kernel.h"

namespace dk {

DkSharedTypeHandle::DkSharedTypeHandle(DkHandle handle) : m_body(std::make_shared<Body>()) { m_body->handle = handle; }

DkSharedTypeHandle::Body::~Body() { callKernelVoid<DkHandleFn>(DK_TYPE_RELEASE, handle); }

DkHandle DkType::castC(uint32_t kind) const
{
    if (m_cType == 0)
        return 0;
    return callKernel<DkCastFn>(DkHandle{0}, DK_TYPE_CAST, m_cType, kind);
}

DkHandle DkType::castHost(uint32_t kind) const
{
    if (m_hostType == 0)
        return 0;
    return callKernel<DkCastFn>(DkHandle{0}, DK_HOST_TYPE_CAST, m_hostType, kind);
}

DkCType DkType::AsCType() const { return DkCType(m_cType); }
DkDataType DkType::AsDataType() const { return DkDataType(castC(1)); }
DkScalarType DkType::AsScalarType() const { return DkScalarType(castC(2)); }
DkIntegerType DkType::AsIntegerType() const { return DkIntegerType(castC(3)); }
DkEnumType DkType::AsEnumType() const { return DkEnumType(castC(4)); }
DkFloatType DkType::AsFloatType() const { return DkFloatType(castC(5)); }
DkTargetType DkType::AsTargetType() const { return DkTargetType(castC(6)); }
DkPointerType DkType::AsPointerType() const { return DkPointerType(castC(7)); }
DkAggregateType DkType::AsAggregateType() const { return DkAggregateType(castC(8)); }
DkArrayType DkType::AsArrayType() const { return DkArrayType(castC(9)); }
DkStructureType DkType::AsStructureType() const { return DkStructureType(castC(10)); }
DkStructType DkType::AsStructType() const { return DkStructType(castC(11)); }
DkUnionType DkType::AsUnionType() const { return DkUnionType(castC(12)); }
DkFunctionType DkType::AsFunctionType() const { return DkFunctionType(castC(13)); }
DkVoidType DkType::AsVoidType() const { return DkVoidType(castC(14)); }
DkHostType DkType::AsHostType() const { return DkHostType(m_hostType); }
DkHostStringType DkType::AsHostStringType() const { return DkHostStringType(castHost(15)); }
DkHostFunctionType DkType::AsHostFunctionType() const { return DkHostFunctionType(castHost(16)); }
DkHostPointerType DkType::AsHostPointerType() const { return DkHostPointerType(castHost(17)); }
DkHostFileType DkType::AsHostFileType() const { return DkHostFileType(castHost(18)); }

std::string DkType::GetName(uint32_t flag) const
{
    if (m_cType != 0)
        return takeHostText(callKernel<DkTextOfHandleFlagFn, const char*>(nullptr, DK_TYPE_NAME, m_cType, flag));
    if (m_hostType != 0)
        return takeHostText(callKernel<DkTextOfHandleFlagFn, const char*>(nullptr, DK_HOST_TYPE_NAME, m_hostType, flag));
    return {};
}

DkSharedTypeHandle DkType::Clone() const
{
    if (m_cType == 0)
        return DkSharedTypeHandle(0);
    return DkSharedTypeHandle(callKernel<DkHandleOfHandleFn>(DkHandle{0}, DK_TYPE_CLONE, m_cType));
}

namespace {
DkHandle handleQuery(int entry, DkHandle handle) { return callKernel<DkHandleOfHandleFn>(DkHandle{0}, entry, handle); }
uint32_t numberQuery(int entry, DkHandle handle) { return callKernel<DkNumberOfHandleFn>(uint32_t{0}, entry, handle); }
} // namespace

DkPointerType DkCType::GetPointerType() const { return DkPointerType(handleQuery(DK_TYPE_POINTER, m_cType)); }
uint32_t DkDataType::GetSize() const { return numberQuery(DK_TYPE_SIZE, m_cType); }
uint32_t DkScalarType::GetScalarAttribute() const { return numberQuery(DK_SCALAR_ATTRIBUTE, m_cType); }

uint32_t DkScalarType::GetScalarKind() const
{
    uint32_t kind = numberQuery(DK_SCALAR_KIND, m_cType);
    return kind <= 22 ? kind : 23;
}

DkCType DkPointerType::GetTargetType() const { return DkCType(handleQuery(DK_POINTER_TARGET, m_cType)); }
DkIntegerType DkPointerType::GetIntegerType() const { return DkIntegerType(handleQuery(DK_POINTER_INTEGER, m_cType)); }
DkCType DkArrayType::GetElementType() const { return DkCType(handleQuery(DK_ARRAY_ELEMENT, m_cType)); }
uint32_t DkArrayType::GetElementCount() const { return numberQuery(DK_ARRAY_COUNT, m_cType); }

std::string DkStructureType::MemberQuery1() const
{
    return takeHostText(callKernel<DkTextOfHandleFn, const char*>(nullptr, DK_MEMBER_QUERY1, m_cType));
}

uint32_t DkStructureType::MemberQuery2() const { return numberQuery(DK_MEMBER_QUERY2, m_cType); }

DkCType DkStructureType::MemberQuery3(uint32_t index) const
{
    return DkCType(callKernel<DkHandleOfIndexFn>(DkHandle{0}, DK_MEMBER_QUERY3, m_cType, index));
}

std::string DkStructureType::MemberQuery4(uint32_t index) const
{
    return takeHostText(callKernel<DkTextOfIndexFn, const char*>(nullptr, DK_MEMBER_QUERY4, m_cType, index));
}

uint32_t DkStructureType::MemberQuery5(uint32_t index) const
{
    return callKernel<DkNumberOfIndexFn>(uint32_t{0}, DK_MEMBER_QUERY5, m_cType, index);
}

DkCType DkFunctionType::GetReturnType() const { return DkCType(handleQuery(DK_FUNCTION_RETURN, m_cType)); }
uint32_t DkFunctionType::GetParameterCount() const { return numberQuery(DK_FUNCTION_PARAMS, m_cType); }

DkCType DkFunctionType::GetParameterType(uint32_t index) const
{
    return DkCType(callKernel<DkHandleOfIndexFn>(DkHandle{0}, DK_FUNCTION_PARAM, m_cType, index));
}

DkCType FindType(const std::string& name) { return FindType(name, DkContext::Memory()); }

DkCType FindType(const std::string& name, const DkContext& context)
{
    return DkCType(callKernel<DkFindTypeFn>(DkHandle{0}, DK_FIND_TYPE, name.c_str(), context.GetHandle()));
}

} // namespace dk
