// The registered type library and the library's resources, walked the way the client's tools read
// them: every member of _clsMapServ with its dispatch id, kind, vtable slot and parameter types.
#include "com_support.h"

#include "common/product_version.h"

#include "server/member_table.h"

#include <gtest/gtest.h>

#include <winver.h>

#include <vector>

namespace tolm::test {
namespace {

using server::MemberKind;
using server::ParamType;

class TypeLibrary : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_HRESULT_SUCCEEDED(LoadRegTypeLib(k_libid, 1, 0, 0x0409, m_library.put())); }

    Apartment m_apartment;
    ComPtr<ITypeLib> m_library;
};

// The type a by-reference parameter of the given kind points at.
VARTYPE pointee(ParamType type) {
    switch (type) {
        case ParamType::boolean: return VT_BOOL;
        case ParamType::integer: return VT_I2;
        case ParamType::long_integer: return VT_I4;
        case ParamType::double_real: return VT_R8;
        case ParamType::string: return VT_BSTR;
        case ParamType::object: return VT_DISPATCH;
        case ParamType::string_array: return VT_SAFEARRAY;
        case ParamType::variant: return VT_VARIANT;
        case ParamType::none: break;
    }
    return VT_EMPTY;
}

void expect_by_reference(const ELEMDESC& element, ParamType type, USHORT flags, const std::string& where) {
    ASSERT_EQ(element.tdesc.vt, VT_PTR) << where;
    const TYPEDESC* target = element.tdesc.lptdesc;
    ASSERT_NE(target, nullptr) << where;
    EXPECT_EQ(target->vt, pointee(type)) << where;
    if (type == ParamType::string_array) {
        ASSERT_NE(target->lptdesc, nullptr) << where;
        EXPECT_EQ(target->lptdesc->vt, VT_BSTR) << where << ": an array of Strings";
    }
    EXPECT_EQ(element.paramdesc.wParamFlags & (PARAMFLAG_FIN | PARAMFLAG_FOUT | PARAMFLAG_FRETVAL | PARAMFLAG_FOPT),
              flags)
        << where;
}

TEST_F(TypeLibrary, LibraryIdentity) {
    TLIBATTR* attributes = nullptr;
    ASSERT_HRESULT_SUCCEEDED(m_library->GetLibAttr(&attributes));
    EXPECT_TRUE(IsEqualGUID(attributes->guid, k_libid));
    EXPECT_EQ(attributes->lcid, 0x0409u);
    EXPECT_EQ(attributes->wMajorVerNum, 1);
    EXPECT_EQ(attributes->wMinorVerNum, 0);
    EXPECT_EQ(attributes->syskind, sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
    m_library->ReleaseTLibAttr(attributes);

    Bstr name;
    Bstr help_string;
    Bstr help_file;
    DWORD context = 1;
    ASSERT_HRESULT_SUCCEEDED(m_library->GetDocumentation(-1, name.put(), help_string.put(), &context, help_file.put()));
    EXPECT_EQ(name.text(), L"TolmServer7");
    EXPECT_EQ(help_string.text(), L"Tolm server7 for Wendal32");
    EXPECT_EQ(context, 0u);
    const std::wstring file = help_file.text();
    ASSERT_GE(file.size(), 15u);
    EXPECT_EQ(file.substr(file.size() - 15), L"TOLMSERVER6.HLP");
}

TEST_F(TypeLibrary, FindTypesEnumeration) {
    ComPtr<ITypeInfo> info;
    ASSERT_HRESULT_SUCCEEDED(m_library->GetTypeInfoOfGuid(to_guid(frame::k_registration.find_types_id), info.put()));
    TYPEATTR* attributes = nullptr;
    ASSERT_HRESULT_SUCCEEDED(info->GetTypeAttr(&attributes));
    EXPECT_EQ(attributes->typekind, TKIND_ENUM);
    const WORD count = attributes->cVars;
    info->ReleaseTypeAttr(attributes);
    const wchar_t* names[] = {L"FIND_ADDRESS", L"FIND_PHONE", L"FIND_CALLSIGN", L"FIND_STATE", L"FIND_COUNTY",
                              L"FIND_MILEMARKER"};
    ASSERT_EQ(count, 6);
    for (UINT i = 0; i < count; ++i) {
        VARDESC* var = nullptr;
        ASSERT_HRESULT_SUCCEEDED(info->GetVarDesc(i, &var));
        Bstr name;
        UINT got = 0;
        info->GetNames(var->memid, name.put(), 1, &got);
        EXPECT_EQ(name.text(), names[i]);
        ASSERT_EQ(var->varkind, VAR_CONST);
        VARIANT value;
        VariantInit(&value);
        ASSERT_HRESULT_SUCCEEDED(VariantChangeType(&value, var->lpvarValue, 0, VT_I4));
        EXPECT_EQ(value.lVal, static_cast<LONG>(i));
        info->ReleaseVarDesc(var);
    }
}

TEST_F(TypeLibrary, ClassIsCreatableWithItsOneDefaultInterface) {
    ComPtr<ITypeInfo> info;
    ASSERT_HRESULT_SUCCEEDED(m_library->GetTypeInfoOfGuid(k_clsid, info.put()));
    TYPEATTR* attributes = nullptr;
    ASSERT_HRESULT_SUCCEEDED(info->GetTypeAttr(&attributes));
    EXPECT_EQ(attributes->typekind, TKIND_COCLASS);
    EXPECT_TRUE(attributes->wTypeFlags & TYPEFLAG_FCANCREATE);
    EXPECT_EQ(attributes->cImplTypes, 1);
    info->ReleaseTypeAttr(attributes);
    INT flags = 0;
    ASSERT_HRESULT_SUCCEEDED(info->GetImplTypeFlags(0, &flags));
    EXPECT_TRUE(flags & IMPLTYPEFLAG_FDEFAULT);
    EXPECT_FALSE(flags & IMPLTYPEFLAG_FSOURCE) << "no event interface";
    HREFTYPE reference = 0;
    ASSERT_HRESULT_SUCCEEDED(info->GetRefTypeOfImplType(0, &reference));
    ComPtr<ITypeInfo> interface_info;
    ASSERT_HRESULT_SUCCEEDED(info->GetRefTypeInfo(reference, interface_info.put()));
    Bstr name;
    interface_info->GetDocumentation(MEMBERID_NIL, name.put(), nullptr, nullptr, nullptr);
    EXPECT_EQ(name.text(), L"_clsMapServ");
}

TEST_F(TypeLibrary, InterfaceMembersFollowTheMemberTable) {
    ComPtr<ITypeInfo> dispatch_info;
    ASSERT_HRESULT_SUCCEEDED(m_library->GetTypeInfoOfGuid(k_iid, dispatch_info.put()));
    TYPEATTR* attributes = nullptr;
    ASSERT_HRESULT_SUCCEEDED(dispatch_info->GetTypeAttr(&attributes));
    const WORD wanted = TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FOLEAUTOMATION;
    EXPECT_EQ(attributes->typekind, TKIND_DISPATCH);
    EXPECT_EQ(attributes->wTypeFlags & (TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL), TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL);
    dispatch_info->ReleaseTypeAttr(attributes);

    // The vtable half of the dual interface.
    HREFTYPE reference = 0;
    ASSERT_HRESULT_SUCCEEDED(dispatch_info->GetRefTypeOfImplType(-1, &reference));
    ComPtr<ITypeInfo> info;
    ASSERT_HRESULT_SUCCEEDED(dispatch_info->GetRefTypeInfo(reference, info.put()));
    ASSERT_HRESULT_SUCCEEDED(info->GetTypeAttr(&attributes));
    EXPECT_EQ(attributes->typekind, TKIND_INTERFACE);
    EXPECT_EQ(attributes->wTypeFlags & wanted, wanted);
    ASSERT_EQ(attributes->cFuncs, server::k_members.size());
    info->ReleaseTypeAttr(attributes);

    for (UINT index = 0; index < server::k_members.size(); ++index) {
        const server::MemberInfo& member = server::k_members[index];
        const std::string where = std::to_string(member.slot) + " " + std::string(member.name);
        FUNCDESC* func = nullptr;
        ASSERT_HRESULT_SUCCEEDED(info->GetFuncDesc(index, &func));
        EXPECT_EQ(func->memid, member.id) << where;
        const INVOKEKIND kind = member.kind == MemberKind::get   ? INVOKE_PROPERTYGET
                                : member.kind == MemberKind::let ? INVOKE_PROPERTYPUT
                                                                 : INVOKE_FUNC;
        EXPECT_EQ(func->invkind, kind) << where;
        // After the three IUnknown and four IDispatch slots, four bytes each on the 32-bit client.
        EXPECT_EQ(func->oVft, static_cast<SHORT>((7 + index) * sizeof(void*))) << where;
        EXPECT_EQ(func->callconv, CC_STDCALL) << where;
        EXPECT_EQ(func->elemdescFunc.tdesc.vt, VT_HRESULT) << where;
        EXPECT_EQ(func->cParamsOpt, 0) << where << ": nothing is optional";
        const bool has_result = member.result != ParamType::none;
        ASSERT_EQ(static_cast<std::size_t>(func->cParams), member.param_count + (has_result ? 1 : 0)) << where;
        for (std::size_t i = 0; i < member.param_count; ++i)
            expect_by_reference(func->lprgelemdescParam[i], member.params[i].type, PARAMFLAG_FIN | PARAMFLAG_FOUT,
                                where + " parameter " + std::to_string(i + 1));
        if (has_result)
            expect_by_reference(func->lprgelemdescParam[member.param_count], member.result,
                                PARAMFLAG_FOUT | PARAMFLAG_FRETVAL, where + " result");

        Bstr name;
        info->GetDocumentation(func->memid, name.put(), nullptr, nullptr, nullptr);
        EXPECT_EQ(name.text(), widen(member.name)) << where;
        if (member.kind == MemberKind::method) {
            // Methods carry their parameter names; property puts carry none.
            BSTR names[10] = {};
            UINT count = 0;
            ASSERT_HRESULT_SUCCEEDED(info->GetNames(func->memid, names, 10, &count));
            ASSERT_GE(count, 1 + member.param_count) << where;
            for (std::size_t i = 0; i < member.param_count; ++i)
                EXPECT_EQ(std::wstring(names[i + 1]), widen(member.params[i].name)) << where;
            for (UINT i = 0; i < count; ++i) SysFreeString(names[i]);
        }
        info->ReleaseFuncDesc(func);
    }
}

TEST_F(TypeLibrary, PropertyPutCarriesNoParameterName) {
    ComPtr<ITypeInfo> dispatch_info;
    ASSERT_HRESULT_SUCCEEDED(m_library->GetTypeInfoOfGuid(k_iid, dispatch_info.put()));
    HREFTYPE reference = 0;
    ASSERT_HRESULT_SUCCEEDED(dispatch_info->GetRefTypeOfImplType(-1, &reference));
    ComPtr<ITypeInfo> info;
    ASSERT_HRESULT_SUCCEEDED(dispatch_info->GetRefTypeInfo(reference, info.put()));
    // strOvlFile's put comes before its get, so the names of the shared id are the put's.
    BSTR names[4] = {};
    UINT count = 0;
    ASSERT_HRESULT_SUCCEEDED(info->GetNames(server::dispid::strOvlFile, names, 4, &count));
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(std::wstring(names[0]), L"strOvlFile");
    for (UINT i = 0; i < count; ++i) SysFreeString(names[i]);
}

class LibraryResources : public ::testing::Test {
protected:
    void SetUp() override {
        m_module = LoadLibraryExW(server_library_path().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(m_module, nullptr);
    }
    void TearDown() override {
        if (m_module) FreeLibrary(m_module);
    }

    std::vector<unsigned char> resource(const wchar_t* type, WORD language) {
        const auto* id = reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(1));
        HRSRC found = FindResourceExW(m_module, type, id, language);
        if (!found) return {};
        HGLOBAL loaded = LoadResource(m_module, found);
        const auto* bytes = static_cast<const unsigned char*>(LockResource(loaded));
        return std::vector<unsigned char>(bytes, bytes + SizeofResource(m_module, found));
    }

    HMODULE m_module = nullptr;
};

TEST_F(LibraryResources, InterfaceIdentifierResource) {
    std::vector<unsigned char> bytes = resource(L"_IID_CLSMAPSERV", MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    ASSERT_EQ(bytes.size(), 20u);
    const unsigned char length[4] = {16, 0, 0, 0};
    EXPECT_EQ(std::memcmp(bytes.data(), length, 4), 0);
    EXPECT_EQ(std::memcmp(bytes.data() + 4, &k_iid, 16), 0);
}

TEST_F(LibraryResources, TypeLibraryResource) {
    std::vector<unsigned char> bytes = resource(L"TYPELIB", MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    ASSERT_GT(bytes.size(), 4000u);
    EXPECT_EQ(std::memcmp(bytes.data(), "MSFT", 4), 0);
}

TEST_F(LibraryResources, VersionBlock) {
    const auto* version_type = reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(16));
    ASSERT_FALSE(resource(version_type, 0x0409).empty()) << "the version block is in US English";

    const std::wstring path = server_library_path();
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<unsigned char> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00070000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000007u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00070000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000007u);
    EXPECT_EQ(fixed->dwFileFlags, 0u);
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length));
    ASSERT_GE(length, 4u);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 0x04B0);

    auto text = [&](const wchar_t* key, bool* present = nullptr) {
        wchar_t* value = nullptr;
        UINT count = 0;
        std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + key;
        bool found = VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &count) != 0;
        if (present) *present = found;
        return found && value ? std::wstring(value) : std::wstring();
    };
    EXPECT_EQ(text(L"ProductName"), L"TolmServer7");
    EXPECT_EQ(text(L"InternalName"), L"TolmServer7");
    EXPECT_EQ(text(L"OriginalFilename"), L"TolmServer7.dll");
    EXPECT_EQ(text(L"FileVersion"), L"7.00.0007");
    EXPECT_EQ(text(L"ProductVersion"), L"7.00.0007");
    EXPECT_NE(text(L"FileDescription").find(L"Wendal32"), std::wstring::npos);
    // The about box's three lines, the same values the Linux build shows.
    EXPECT_EQ(text(L"Comments"), L"" TOLM_VERSION_COMMENTS);
    EXPECT_EQ(text(L"FileDescription"), L"" TOLM_VERSION_FILE_DESCRIPTION);
    EXPECT_EQ(text(L"LegalCopyright"), L"" TOLM_VERSION_LEGAL_COPYRIGHT);
    bool self_register = false;
    EXPECT_EQ(text(L"OLESelfRegister", &self_register), L"");
    EXPECT_TRUE(self_register) << "marks the library as self-registering";
}

}  // namespace
}  // namespace tolm::test
