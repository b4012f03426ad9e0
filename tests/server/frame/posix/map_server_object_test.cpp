// libTolmServer7.so as a client reaches it: registered in our registry store, created by ProgID,
// called through the vtable and by dispatch id with the same results, and released.
#include "host/activation.h"
#include "platform/runtime_error.h"
#include "server/frame/posix/com_abi.h"
#include "server/member_table.h"

#include "support/scratch.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

namespace tolm::test {
namespace {

namespace com = tolm::com;

const std::string k_library = TOLM_FRAME_LIBRARY;
const std::string k_prog_id{frame::k_registration.prog_id};

com::HRESULT call_export(const char* name) {
    void* library = dlopen(k_library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) return com::E_FAIL;
    auto function = reinterpret_cast<com::DllCanUnloadNowFn>(dlsym(library, name));
    com::HRESULT hr = function ? function() : com::E_FAIL;
    dlclose(library);
    return hr;
}

// Every test gets a registry store of its own, with the library registered in it.
class LinuxFrame : public ::testing::Test {
protected:
    void SetUp() override {
        set_environment("TOLM_REGISTRY_FILE", m_scratch.file("registry.txt"));
        ASSERT_EQ(call_export("DllRegisterServer"), com::S_OK);
    }
    void TearDown() override {
        if (m_server) m_server->Release();
    }

    void create() {
        std::string error;
        ASSERT_EQ(com::create_instance(k_prog_id, frame::k_registration.interface_id,
                                       reinterpret_cast<void**>(&m_server), &error),
                  com::S_OK)
            << error;
        ASSERT_NE(m_server, nullptr);
    }

    Variant invoke(DispId id, InvokeKind kind, Arguments args = {}) {
        Variant result;
        com::ExcepInfo excep;
        std::uint32_t arg_error = 0;
        com::HRESULT hr = m_server->Invoke(id, com::GUID_NULL, 0, static_cast<std::uint16_t>(kind), &args, &result,
                                           &excep, &arg_error);
        EXPECT_EQ(hr, com::S_OK) << excep.description;
        return result;
    }

    ScratchFolder m_scratch{"frame"};
    com::I_clsMapServ* m_server = nullptr;
};

TEST_F(LinuxFrame, RegistrationRecordsAndActivation) {
    auto class_id = com::class_id_from_prog_id(k_prog_id);
    ASSERT_TRUE(class_id);
    EXPECT_EQ(*class_id, frame::k_registration.class_id);
    auto library = com::library_of_class(*class_id);
    ASSERT_TRUE(library);
    EXPECT_EQ(std::filesystem::canonical(*library), std::filesystem::canonical(k_library));

    void* by_class_id = nullptr;
    ASSERT_EQ(com::create_instance(*class_id, com::IID_IDispatch, &by_class_id), com::S_OK);
    create();
    EXPECT_NE(static_cast<void*>(m_server), by_class_id) << "every creation makes its own object";
    static_cast<com::IDispatch*>(by_class_id)->Release();

    void* other = nullptr;
    EXPECT_EQ(m_server->QueryInterface(com::IID_IClassFactory, &other), com::E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    EXPECT_EQ(com::create_instance(std::string("TolmServer7.NoSuchClass"), com::IID_IDispatch, &other),
              com::CO_E_CLASSSTRING);
}

TEST_F(LinuxFrame, VtableAndDispatchAgree) {
    create();
    EXPECT_EQ(m_server->SafeCall(), com::S_OK);
    EXPECT_TRUE(invoke(server::dispid::SafeCall, InvokeKind::method).is_empty());

    std::int16_t control_ok = -1;
    ASSERT_EQ(m_server->get_blnControlOk(&control_ok), com::S_OK);
    EXPECT_EQ(invoke(server::dispid::blnControlOk, InvokeKind::property_get), Variant::boolean(control_ok != 0));

    Variant sea_color;
    ASSERT_EQ(m_server->get_varSeaColor(&sea_color), com::S_OK);
    EXPECT_EQ(invoke(server::dispid::varSeaColor, InvokeKind::property_get), sea_color);

    // Names resolve without regard to case; a put and a get share the id.
    for (const char* name : {"strOvlFile", "STROVLFILE", "strovlfile"}) {
        std::string names[1] = {name};
        DispId id = 0;
        ASSERT_EQ(m_server->GetIDsOfNames(com::GUID_NULL, names, 1, 0, &id), com::S_OK) << name;
        EXPECT_EQ(id, server::dispid::strOvlFile);
    }
    std::string unknown[1] = {"NoSuchMember"};
    DispId id = 0;
    EXPECT_EQ(m_server->GetIDsOfNames(com::GUID_NULL, unknown, 1, 0, &id), com::DISP_E_UNKNOWNNAME);
}

TEST_F(LinuxFrame, RunTimeErrorsReachBothKindsOfCaller) {
    create();
    ObjectRef no_picture;
    double x1 = -100, y1 = 45, x2 = -90, y2 = 40;
    std::int16_t drawn = -1;
    com::HRESULT vtable_hr = m_server->DrawMapFromCorners(&no_picture, &x1, &y1, &x2, &y2, &drawn);
    ASSERT_LT(vtable_hr, 0);
    void* error_info = nullptr;
    ASSERT_EQ(m_server->QueryInterface(com::IID_IErrorInfo, &error_info), com::S_OK);
    std::string source;
    std::string description;
    static_cast<com::IErrorInfo*>(error_info)->GetSource(&source);
    static_cast<com::IErrorInfo*>(error_info)->GetDescription(&description);
    static_cast<com::IErrorInfo*>(error_info)->Release();
    EXPECT_FALSE(source.empty());
    EXPECT_FALSE(description.empty());

    Arguments args{Variant(ObjectRef()), Variant(x1), Variant(y1), Variant(x2), Variant(y2)};
    Variant result;
    com::ExcepInfo excep;
    std::uint32_t arg_error = 0;
    EXPECT_EQ(m_server->Invoke(server::dispid::DrawMapFromCorners, com::GUID_NULL, 0,
                               static_cast<std::uint16_t>(InvokeKind::method), &args, &result, &excep, &arg_error),
              com::DISP_E_EXCEPTION);
    EXPECT_EQ(hresult_from_error_number(excep.number), vtable_hr);
    EXPECT_EQ(excep.source, source);
    EXPECT_EQ(excep.description, description);
}

// No exception crosses into the client: with the test hook making every member throw, each member
// called by dispatch id fails with DISP_E_EXCEPTION and a text, and a vtable call with a failed
// HRESULT whose error information has the text.
TEST_F(LinuxFrame, EveryMemberThatThrowsGivesTheClientAFailedCallWithAText) {
    create();
    struct Fault {
        const char* kind;
        std::int32_t number;  // 0: any number, as long as the call failed
    };
    for (const Fault fault : {Fault{"bad_alloc", 7}, Fault{"system_error", 0}, Fault{"runtime_error", 5}}) {
        set_environment("TOLM_TEST_MEMBER_FAULT", fault.kind);
        for (const auto& member : server::k_members) {
            Arguments args(member.param_count);
            const auto kind = member.kind == server::MemberKind::let   ? InvokeKind::property_put
                              : member.kind == server::MemberKind::get ? InvokeKind::property_get
                                                                       : InvokeKind::method;
            Variant result;
            com::ExcepInfo excep;
            std::uint32_t arg_error = 0;
            EXPECT_EQ(m_server->Invoke(member.id, com::GUID_NULL, 0, static_cast<std::uint16_t>(kind), &args, &result,
                                       &excep, &arg_error),
                      com::DISP_E_EXCEPTION)
                << fault.kind << " " << member.name;
            EXPECT_FALSE(excep.description.empty()) << fault.kind << " " << member.name;
            if (fault.number) {
                EXPECT_EQ(excep.number, fault.number) << fault.kind << " " << member.name;
            }
        }
        const com::HRESULT hr = m_server->SafeCall();
        EXPECT_LT(hr, 0) << fault.kind;
        void* error_info = nullptr;
        ASSERT_EQ(m_server->QueryInterface(com::IID_IErrorInfo, &error_info), com::S_OK);
        std::string description;
        static_cast<com::IErrorInfo*>(error_info)->GetDescription(&description);
        static_cast<com::IErrorInfo*>(error_info)->Release();
        EXPECT_FALSE(description.empty()) << fault.kind;
    }
    set_environment("TOLM_TEST_MEMBER_FAULT", "");
    EXPECT_EQ(m_server->SafeCall(), com::S_OK);
}

TEST_F(LinuxFrame, UnloadWaitsForTheLastObject) {
    create();
    EXPECT_EQ(com::can_unload_library(k_library), com::S_FALSE);
    m_server->AddRef();
    m_server->Release();
    EXPECT_EQ(com::can_unload_library(k_library), com::S_FALSE);
    m_server->Release();
    m_server = nullptr;
    EXPECT_EQ(com::can_unload_library(k_library), com::S_OK);
}

TEST_F(LinuxFrame, UnregistrationLeavesNothingToFind) {
    ASSERT_EQ(call_export("DllUnregisterServer"), com::S_OK);
    EXPECT_FALSE(com::class_id_from_prog_id(k_prog_id));
    EXPECT_FALSE(com::library_of_class(frame::k_registration.class_id));
    void* object = nullptr;
    EXPECT_EQ(com::create_instance(k_prog_id, com::IID_IDispatch, &object), com::CO_E_CLASSSTRING);
    EXPECT_EQ(com::create_instance(frame::k_registration.class_id, com::IID_IDispatch, &object),
              com::REGDB_E_CLASSNOTREG);
    EXPECT_EQ(call_export("DllUnregisterServer"), com::S_OK) << "unregistering twice is not an error";
}

}  // namespace
}  // namespace tolm::test
