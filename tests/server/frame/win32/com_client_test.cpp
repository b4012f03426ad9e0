// The server as the client program sees it: registered, created by ProgID or class identifier,
// called through the vtable and through IDispatch, and unloaded when nothing holds it.
#include "com_support.h"

#include "TolmServer7_h.h"

#include <gtest/gtest.h>

#include <olectl.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace tolm::test {
namespace {

constexpr DISPID k_SafeCall = 0x60030020;
constexpr DISPID k_blnControlOk = 0x6803000C;
constexpr DISPID k_varSeaColor = 0x6803000D;
constexpr DISPID k_DrawMapFromCorners = 0x60030027;
constexpr DISPID k_GetSupportedFeatures = 0x6003002B;
constexpr DISPID k_blnMono = 0x68030006;

class ComClient : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(k_clsid, nullptr, CLSCTX_INPROC_SERVER, k_iid, m_server.put_void()));
    }

    // A call through IDispatch::Invoke with the arguments in natural order.
    HRESULT invoke(DISPID id, WORD flags, std::vector<VARIANTARG> args, VARIANT* result, EXCEPINFO* excep = nullptr) {
        std::vector<VARIANTARG> reversed(args.rbegin(), args.rend());
        DISPID named = DISPID_PROPERTYPUT;
        const bool put = flags == DISPATCH_PROPERTYPUT;
        DISPPARAMS params{reversed.data(), put ? &named : nullptr, static_cast<UINT>(reversed.size()), put ? 1u : 0u};
        EXCEPINFO local{};
        UINT arg_error = 0;
        HRESULT hr = m_server->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, excep ? excep : &local,
                                      &arg_error);
        if (!excep) {
            SysFreeString(local.bstrSource);
            SysFreeString(local.bstrDescription);
            SysFreeString(local.bstrHelpFile);
        }
        return hr;
    }

    Apartment m_apartment;
    ComPtr<_clsMapServ> m_server;
};

// Members the server does not offer yet answer with an error that names them; checks that need the
// member's behaviour wait for it.
bool not_available_yet(HRESULT hr) {
    if (hr >= 0) return false;
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.put()) != S_OK || !info) return false;
    Bstr description;
    info->GetDescription(description.put());
    return description.text().find(L"not available") != std::wstring::npos;
}

TEST(ComCreation, ProgIdAndClassIdGiveTheSameKindOfObject) {
    Apartment apartment;
    CLSID from_prog_id{};
    ASSERT_HRESULT_SUCCEEDED(CLSIDFromProgID(k_prog_id.c_str(), &from_prog_id));
    EXPECT_TRUE(IsEqualCLSID(from_prog_id, k_clsid));

    ComPtr<IDispatch> by_prog_id;
    ComPtr<IDispatch> by_class_id;
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(from_prog_id, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, by_prog_id.put_void()));
    ASSERT_HRESULT_SUCCEEDED(CoCreateInstance(k_clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, by_class_id.put_void()));
    EXPECT_NE(by_prog_id.get(), by_class_id.get()) << "every creation makes an independent object";

    for (IDispatch* object : {by_prog_id.get(), by_class_id.get()}) {
        ComPtr<_clsMapServ> dual;
        EXPECT_HRESULT_SUCCEEDED(object->QueryInterface(k_iid, dual.put_void()));
        ComPtr<ISupportErrorInfo> support;
        ASSERT_HRESULT_SUCCEEDED(object->QueryInterface(IID_ISupportErrorInfo, support.put_void()));
        EXPECT_EQ(support->InterfaceSupportsErrorInfo(k_iid), S_OK);
        ComPtr<IUnknown> other;
        EXPECT_EQ(object->QueryInterface(IID_IClassFactory, other.put_void()), E_NOINTERFACE);
        EXPECT_FALSE(other);
    }
}

TEST(ComCreation, OtherClassesAndAggregationAreRefused) {
    Apartment apartment;
    using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    HMODULE module = LoadLibraryW(server_library_path().c_str());
    ASSERT_NE(module, nullptr);
    auto get_class_object = reinterpret_cast<GetClassObjectFn>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    ASSERT_NE(get_class_object, nullptr);

    ComPtr<IClassFactory> factory;
    EXPECT_EQ(get_class_object(IID_IDispatch, IID_IClassFactory, factory.put_void()), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_FALSE(factory);
    ASSERT_HRESULT_SUCCEEDED(get_class_object(k_clsid, IID_IClassFactory, factory.put_void()));
    ComPtr<IUnknown> object;
    ComPtr<IUnknown> outer;
    ASSERT_HRESULT_SUCCEEDED(factory->CreateInstance(nullptr, IID_IUnknown, outer.put_void()));
    EXPECT_EQ(factory->CreateInstance(outer.get(), IID_IUnknown, object.put_void()), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, object.put_void()), E_NOINTERFACE);
    factory.reset();
    outer.reset();
    FreeLibrary(module);
}

TEST(ComLifetime, UnloadIsRefusedWhileAnObjectOrALockLives) {
    Apartment apartment;
    ComPtr<IClassFactory> factory;
    ASSERT_HRESULT_SUCCEEDED(CoGetClassObject(k_clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, factory.put_void()));
    ExportFn can_unload = server_export("DllCanUnloadNow");
    ASSERT_NE(can_unload, nullptr);
    EXPECT_EQ(can_unload(), S_OK);

    ComPtr<_clsMapServ> server;
    ASSERT_HRESULT_SUCCEEDED(factory->CreateInstance(nullptr, k_iid, server.put_void()));
    EXPECT_EQ(can_unload(), S_FALSE);
    server->AddRef();
    server->Release();
    EXPECT_EQ(can_unload(), S_FALSE);
    server.reset();
    EXPECT_EQ(can_unload(), S_OK);

    ASSERT_HRESULT_SUCCEEDED(factory->LockServer(TRUE));
    EXPECT_EQ(can_unload(), S_FALSE);
    ASSERT_HRESULT_SUCCEEDED(factory->LockServer(FALSE));
    EXPECT_EQ(can_unload(), S_OK);
}

TEST_F(ComClient, SafeCallSucceedsThroughEveryPath) {
    EXPECT_EQ(m_server->SafeCall(), S_OK);
    EXPECT_EQ(invoke(k_SafeCall, DISPATCH_METHOD, {}, nullptr), S_OK);

    // By name, in any case, as the client's late binding resolves it.
    for (const wchar_t* name : {L"SafeCall", L"safecall", L"SAFECALL"}) {
        LPOLESTR names[1] = {const_cast<LPOLESTR>(name)};
        DISPID id = DISPID_UNKNOWN;
        ASSERT_HRESULT_SUCCEEDED(m_server->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)) << name;
        EXPECT_EQ(id, k_SafeCall);
    }
    LPOLESTR unknown[1] = {const_cast<LPOLESTR>(L"NoSuchMember")};
    DISPID id = 0;
    EXPECT_EQ(m_server->GetIDsOfNames(IID_NULL, unknown, 1, LOCALE_USER_DEFAULT, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(invoke(0x12345, DISPATCH_METHOD, {}, nullptr), DISP_E_MEMBERNOTFOUND);
}

TEST_F(ComClient, PropertyGetsAgreeBetweenVtableAndDispatch) {
    VARIANT_BOOL control_ok = VARIANT_TRUE;
    ASSERT_HRESULT_SUCCEEDED(m_server->get_blnControlOk(&control_ok));
    EXPECT_EQ(control_ok, VARIANT_FALSE) << "no engine before Initialize";
    VARIANT result;
    VariantInit(&result);
    ASSERT_HRESULT_SUCCEEDED(invoke(k_blnControlOk, DISPATCH_PROPERTYGET, {}, &result));
    EXPECT_EQ(result.vt, VT_BOOL);
    EXPECT_EQ(result.boolVal, control_ok);

    // A Variant property: the same VARIANT both ways.
    VARIANT by_vtable;
    VariantInit(&by_vtable);
    ASSERT_HRESULT_SUCCEEDED(m_server->get_varSeaColor(&by_vtable));
    VARIANT by_dispatch;
    VariantInit(&by_dispatch);
    ASSERT_HRESULT_SUCCEEDED(invoke(k_varSeaColor, DISPATCH_PROPERTYGET, {}, &by_dispatch));
    EXPECT_EQ(by_vtable.vt, by_dispatch.vt);
    EXPECT_EQ(VarCmp(&by_vtable, &by_dispatch, LOCALE_USER_DEFAULT, 0), VARCMP_EQ);
    VariantClear(&by_vtable);
    VariantClear(&by_dispatch);
}

TEST_F(ComClient, RunTimeErrorsReachBothKindsOfCaller) {
    // No picture box: the drawing fails with a run-time error, never a crash or a silent False.
    IDispatch* no_picture = nullptr;
    double x1 = -100, y1 = 45, x2 = -90, y2 = 40;
    VARIANT_BOOL drawn = VARIANT_TRUE;
    HRESULT vtable_hr = m_server->DrawMapFromCorners(&no_picture, &x1, &y1, &x2, &y2, &drawn);
    ASSERT_LT(vtable_hr, 0);
    EXPECT_EQ(drawn, VARIANT_FALSE);
    ComPtr<IErrorInfo> info;
    ASSERT_EQ(GetErrorInfo(0, info.put()), S_OK);
    Bstr source;
    Bstr description;
    info->GetSource(source.put());
    info->GetDescription(description.put());
    EXPECT_FALSE(source.text().empty());
    EXPECT_FALSE(description.text().empty());
    GUID guid{};
    info->GetGUID(&guid);
    EXPECT_TRUE(IsEqualGUID(guid, k_iid));

    VARIANTARG picture;
    VariantInit(&picture);
    picture.vt = VT_DISPATCH;
    picture.pdispVal = nullptr;
    VARIANTARG corners[4];
    for (int i = 0; i < 4; ++i) {
        VariantInit(&corners[i]);
        corners[i].vt = VT_R8;
    }
    corners[0].dblVal = x1;
    corners[1].dblVal = y1;
    corners[2].dblVal = x2;
    corners[3].dblVal = y2;
    EXCEPINFO excep{};
    VARIANT result;
    VariantInit(&result);
    HRESULT hr = invoke(k_DrawMapFromCorners, DISPATCH_METHOD, {picture, corners[0], corners[1], corners[2], corners[3]},
                        &result, &excep);
    EXPECT_EQ(hr, DISP_E_EXCEPTION);
    EXPECT_EQ(excep.scode, vtable_hr);
    EXPECT_EQ(Bstr(excep.bstrSource).text(), source.text());
    EXPECT_EQ(Bstr(excep.bstrDescription).text(), description.text());
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
}

TEST_F(ComClient, BooleanPropertyByReference) {
    VARIANT_BOOL on = VARIANT_TRUE;
    HRESULT hr = m_server->put_blnMono(&on);
    if (not_available_yet(hr)) GTEST_SKIP() << "blnMono is not available yet";
    ASSERT_HRESULT_SUCCEEDED(hr);
    VARIANT_BOOL read = VARIANT_FALSE;
    ASSERT_HRESULT_SUCCEEDED(m_server->get_blnMono(&read));
    EXPECT_EQ(read, VARIANT_TRUE);

    // The client's late binding passes its Boolean variable by reference.
    VARIANT_BOOL off = VARIANT_FALSE;
    VARIANTARG by_reference;
    VariantInit(&by_reference);
    by_reference.vt = VT_BYREF | VT_BOOL;
    by_reference.pboolVal = &off;
    ASSERT_HRESULT_SUCCEEDED(invoke(k_blnMono, DISPATCH_PROPERTYPUT, {by_reference}, nullptr));
    ASSERT_HRESULT_SUCCEEDED(m_server->get_blnMono(&read));
    EXPECT_EQ(read, VARIANT_FALSE);
}

TEST_F(ComClient, SupportedFeaturesFillEveryOutputBothWays) {
    VARIANT_BOOL flags[5] = {};
    Bstr help_file;
    Bstr short_name;
    LONG help_topic = -1;
    SAFEARRAY* captions = nullptr;
    HRESULT hr = m_server->GetSupportedFeatures(&flags[0], &flags[1], &flags[2], &flags[3], &flags[4], help_file.put(),
                                                &help_topic, short_name.put(), &captions);
    if (not_available_yet(hr)) GTEST_SKIP() << "GetSupportedFeatures is not available yet";
    ASSERT_HRESULT_SUCCEEDED(hr);
    ASSERT_NE(captions, nullptr) << "the server dimensions the caption array itself";
    EXPECT_EQ(SafeArrayGetDim(captions), 1u);
    LONG lower = 0, upper = -1;
    SafeArrayGetLBound(captions, 1, &lower);
    SafeArrayGetUBound(captions, 1, &upper);
    EXPECT_GE(upper, lower);
    EXPECT_FALSE(short_name.text().empty());

    // The same call by dispatch id with every argument by reference, as a late-bound client makes it.
    VARIANT_BOOL late_flags[5] = {};
    Bstr late_help_file;
    Bstr late_short_name;
    LONG late_topic = -1;
    SAFEARRAY* late_captions = nullptr;
    std::vector<VARIANTARG> args(9);
    for (auto& arg : args) VariantInit(&arg);
    for (int i = 0; i < 5; ++i) {
        args[i].vt = VT_BYREF | VT_BOOL;
        args[i].pboolVal = &late_flags[i];
    }
    args[5].vt = VT_BYREF | VT_BSTR;
    args[5].pbstrVal = late_help_file.put();
    args[6].vt = VT_BYREF | VT_I4;
    args[6].plVal = &late_topic;
    args[7].vt = VT_BYREF | VT_BSTR;
    args[7].pbstrVal = late_short_name.put();
    args[8].vt = VT_BYREF | VT_ARRAY | VT_BSTR;
    args[8].pparray = &late_captions;
    ASSERT_HRESULT_SUCCEEDED(invoke(k_GetSupportedFeatures, DISPATCH_METHOD, args, nullptr));
    for (int i = 0; i < 5; ++i) EXPECT_EQ(late_flags[i], flags[i]) << "flag " << i;
    EXPECT_EQ(late_help_file.text(), help_file.text());
    EXPECT_EQ(late_topic, help_topic);
    EXPECT_EQ(late_short_name.text(), short_name.text());
    ASSERT_NE(late_captions, nullptr);
    LONG late_lower = 0, late_upper = -1;
    SafeArrayGetLBound(late_captions, 1, &late_lower);
    SafeArrayGetUBound(late_captions, 1, &late_upper);
    EXPECT_EQ(late_lower, lower);
    EXPECT_EQ(late_upper, upper);
    for (LONG i = lower; i <= upper; ++i) {
        Bstr a;
        Bstr b;
        SafeArrayGetElement(captions, &i, a.put());
        SafeArrayGetElement(late_captions, &i, b.put());
        EXPECT_EQ(a.text(), b.text()) << "caption " << i;
    }
    SafeArrayDestroy(captions);
    SafeArrayDestroy(late_captions);
}

TEST_F(ComClient, ControlPanelBeforeInitializeIsAFailedCallNotACrash) {
    // Without Initialize there is no engine to read the options from: "object variable not set".
    const HRESULT hr = m_server->ShowControlPanel();
    EXPECT_LT(hr, 0);
    ComPtr<IErrorInfo> info;
    ASSERT_EQ(GetErrorInfo(0, info.put()), S_OK);
    Bstr description;
    info->GetDescription(description.put());
    EXPECT_FALSE(description.text().empty());
    EXPECT_HRESULT_SUCCEEDED(m_server->SafeCall()) << "the object still answers";
}

// No exception crosses into the client: with the library's test hook making every member throw
// (out of memory, a system error, a run-time error), each call, by vtable or by dispatch id, is a
// failed call that carries a text.
TEST_F(ComClient, EveryKindOfFailureIsAFailedCallWithATextForBothKindsOfCaller) {
    struct Fault {
        const char* kind;
        HRESULT result;  // 0: any failure
    };
    auto description_of_last_error = [] {
        ComPtr<IErrorInfo> info;
        if (GetErrorInfo(0, info.put()) != S_OK || !info) return std::wstring();
        Bstr description;
        info->GetDescription(description.put());
        return description.text();
    };
    PropertyBag picture;
    for (const Fault fault : {Fault{"bad_alloc", static_cast<HRESULT>(0x800A0007)}, Fault{"system_error", 0},
                              Fault{"runtime_error", static_cast<HRESULT>(0x800A0005)}}) {
        // The library reads the same C runtime's environment as this program.
        const std::string setting = std::string("TOLM_TEST_MEMBER_FAULT=") + fault.kind;
        ASSERT_EQ(_putenv(setting.c_str()), 0);

        // The error information belongs to the thread's last failed call: read at once.
        auto check = [&](const char* member, HRESULT hr) {
            const std::wstring description = description_of_last_error();
            EXPECT_LT(hr, 0) << fault.kind << " " << member;
            if (fault.result) {
                EXPECT_EQ(hr, fault.result) << fault.kind << " " << member;
            }
            EXPECT_FALSE(description.empty()) << fault.kind << " " << member;
        };
        check("SafeCall", m_server->SafeCall());
        check("ShowControlPanel", m_server->ShowControlPanel());
        VARIANT_BOOL flag = VARIANT_TRUE;
        check("blnControlOk", m_server->get_blnControlOk(&flag));
        Bstr text;
        check("strOvlFile", m_server->get_strOvlFile(text.put()));
        IDispatch* picture_ref = &picture;
        check("ZoomIn", m_server->ZoomIn(&picture_ref, &flag));

        for (const auto& [id, flags] : {std::pair<DISPID, WORD>{k_SafeCall, DISPATCH_METHOD},
                                        std::pair<DISPID, WORD>{k_blnControlOk, DISPATCH_PROPERTYGET}}) {
            EXCEPINFO excep{};
            VARIANT result;
            VariantInit(&result);
            EXPECT_EQ(invoke(id, flags, {}, &result, &excep), DISP_E_EXCEPTION) << fault.kind << " " << id;
            if (fault.result) {
                EXPECT_EQ(excep.scode, fault.result) << fault.kind << " " << id;
            }
            EXPECT_FALSE(Bstr(excep.bstrDescription).text().empty()) << fault.kind << " " << id;
            SysFreeString(excep.bstrSource);
            SysFreeString(excep.bstrDescription);
            SysFreeString(excep.bstrHelpFile);
        }
    }
    ASSERT_EQ(_putenv("TOLM_TEST_MEMBER_FAULT="), 0);
    EXPECT_EQ(m_server->SafeCall(), S_OK) << "the object answers again";
}

TEST(ComRegistration, WritesTheRecordsTheClientAndTheInitialiserRead) {
    Apartment apartment;
    const std::wstring clsid = widen(frame::guid_text(frame::k_registration.class_id));
    const std::wstring iid = widen(frame::guid_text(frame::k_registration.interface_id));
    const std::wstring libid = widen(frame::guid_text(frame::k_registration.library_id));
    EXPECT_EQ(read_class_value(k_prog_id + L"\\CLSID", nullptr), clsid);
    const std::wstring key = L"CLSID\\" + clsid;
    EXPECT_EQ(read_class_value(key + L"\\ProgID", nullptr), k_prog_id);
    EXPECT_EQ(read_class_value(key + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
    EXPECT_EQ(read_class_value(key + L"\\TypeLib", nullptr), libid);
    EXPECT_EQ(read_class_value(key + L"\\VERSION", nullptr), L"1.0");
    EXPECT_EQ(CompareStringOrdinal(read_class_value(key + L"\\InprocServer32", nullptr).c_str(), -1,
                                   server_library_path().c_str(), -1, TRUE),
              CSTR_EQUAL)
        << "the full path of the library";
    // The interface goes through the type library's marshaller.
    EXPECT_EQ(read_class_value(L"Interface\\" + iid + L"\\TypeLib", nullptr), libid);
    EXPECT_EQ(read_class_value(L"Interface\\" + iid + L"\\ProxyStubClsid32", nullptr),
              L"{00020424-0000-0000-C000-000000000046}");
    const wchar_t* system_kind = sizeof(void*) == 8 ? L"win64" : L"win32";
    EXPECT_TRUE(class_key_exists(L"TypeLib\\" + libid + L"\\1.0\\409\\" + system_kind));
}

TEST(ComRegistration, RegistrationThatCannotWriteReportsFailureAndLeavesNothing) {
    Apartment apartment;
    ExportFn register_server = server_export("DllRegisterServer");
    ExportFn unregister_server = server_export("DllUnregisterServer");
    ASSERT_NE(register_server, nullptr);
    ASSERT_NE(unregister_server, nullptr);
    ASSERT_EQ(unregister_server(), S_OK);
    // A volatile ProgID key cannot take the lasting CLSID sub-key, so the registry refuses part of
    // the registration, as it would for a user without rights.
    HKEY blocker = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, k_prog_id.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &blocker, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(blocker);
    EXPECT_EQ(register_server(), SELFREG_E_CLASS);
    EXPECT_FALSE(class_key_exists(L"CLSID\\" + widen(frame::guid_text(frame::k_registration.class_id))))
        << "a failed registration takes back what it wrote";
    RegDeleteTreeW(HKEY_CLASSES_ROOT, k_prog_id.c_str());
    // The real registration is put back for the tests that follow.
    ASSERT_EQ(register_server(), S_OK);
    EXPECT_TRUE(class_key_exists(k_prog_id + L"\\CLSID"));
}

TEST(ComRegistration, UnregisterAndRegisterAgainThroughTheExports) {
    Apartment apartment;
    ExportFn register_server = server_export("DllRegisterServer");
    ExportFn unregister_server = server_export("DllUnregisterServer");
    ASSERT_NE(register_server, nullptr);
    ASSERT_NE(unregister_server, nullptr);
    ASSERT_EQ(unregister_server(), S_OK);
    EXPECT_FALSE(class_key_exists(k_prog_id));
    EXPECT_EQ(unregister_server(), S_OK) << "unregistering twice is not an error";
    ASSERT_EQ(register_server(), S_OK);
    ASSERT_EQ(register_server(), S_OK) << "registering again overwrites";
    ComPtr<IDispatch> server;
    EXPECT_HRESULT_SUCCEEDED(CoCreateInstance(k_clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, server.put_void()));
}

// Run by the test driver after regsvr32 /u, on its own.
TEST(AfterUnregistration, TheInitialisersLookupFindsNothing) {
    Apartment apartment;
    bool found = true;
    read_class_value(k_prog_id + L"\\CLSID", nullptr, &found);
    EXPECT_FALSE(found);
    const std::wstring clsid = widen(frame::guid_text(frame::k_registration.class_id));
    read_class_value(L"CLSID\\" + clsid + L"\\InprocServer32", nullptr, &found);
    EXPECT_FALSE(found);
    EXPECT_FALSE(class_key_exists(k_prog_id));
    EXPECT_FALSE(class_key_exists(L"CLSID\\" + clsid));
    EXPECT_FALSE(class_key_exists(L"Interface\\" + widen(frame::guid_text(frame::k_registration.interface_id))));
    CLSID from_prog_id{};
    EXPECT_LT(CLSIDFromProgID(k_prog_id.c_str(), &from_prog_id), 0);
    ComPtr<IDispatch> server;
    EXPECT_EQ(CoCreateInstance(k_clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, server.put_void()),
              REGDB_E_CLASSNOTREG);
}

}  // namespace
}  // namespace tolm::test
