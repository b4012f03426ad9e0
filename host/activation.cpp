#include "host/activation.h"

#include "platform/registry.h"

#include <dlfcn.h>

#include <cstdio>

namespace tolm::com {

namespace {

namespace reg = platform::registry;

void* open_library(const std::string& path, std::string* error) {
    // Libraries stay loaded for the life of the process, as COM keeps them until told to unload.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle && error) *error = std::string("cannot load ") + path + ": " + dlerror();
    return handle;
}

}  // namespace

std::optional<Guid> parse_guid(const std::string& text) {
    unsigned d1 = 0, d2 = 0, d3 = 0, b[8] = {};
    int used = 0;
    if (std::sscanf(text.c_str(), "{%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x}%n", &d1, &d2, &d3, &b[0], &b[1], &b[2],
                    &b[3], &b[4], &b[5], &b[6], &b[7], &used) != 11 ||
        used != static_cast<int>(text.size()) || text.size() != 38)
        return std::nullopt;
    Guid guid{d1, static_cast<std::uint16_t>(d2), static_cast<std::uint16_t>(d3), {}};
    for (int i = 0; i < 8; ++i) guid.data4[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(b[i]);
    return guid;
}

std::optional<Guid> class_id_from_prog_id(const std::string& prog_id) {
    std::string text;
    if (!reg::read_string(reg::HKEY_CLASSES_ROOT, prog_id + "\\CLSID", "", text)) return std::nullopt;
    return parse_guid(text);
}

std::optional<std::string> library_of_class(const Guid& class_id) {
    std::string path;
    if (!reg::read_string(reg::HKEY_CLASSES_ROOT, "CLSID\\" + frame::guid_text(class_id) + "\\InprocServer32", "",
                          path) ||
        path.empty())
        return std::nullopt;
    return path;
}

HRESULT create_instance(const Guid& class_id, const Guid& iid, void** object, std::string* error) {
    if (!object) return E_POINTER;
    *object = nullptr;
    auto path = library_of_class(class_id);
    if (!path) {
        if (error) *error = "class " + frame::guid_text(class_id) + " is not registered";
        return REGDB_E_CLASSNOTREG;
    }
    void* library = open_library(*path, error);
    if (!library) return CO_E_DLLNOTFOUND;
    auto get_class_object = reinterpret_cast<DllGetClassObjectFn>(dlsym(library, "DllGetClassObject"));
    if (!get_class_object) {
        if (error) *error = *path + " has no DllGetClassObject";
        return CO_E_DLLNOTFOUND;
    }
    IClassFactory* factory = nullptr;
    HRESULT hr = get_class_object(&class_id, &IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (failed(hr)) {
        if (error) *error = "the class factory was refused";
        return hr;
    }
    hr = factory->CreateInstance(nullptr, iid, object);
    factory->Release();
    if (failed(hr) && error) *error = "the object could not be created";
    return hr;
}

HRESULT create_instance(const std::string& prog_id, const Guid& iid, void** object, std::string* error) {
    auto class_id = class_id_from_prog_id(prog_id);
    if (!class_id) {
        if (object) *object = nullptr;
        if (error) *error = "ProgID " + prog_id + " is not registered";
        return CO_E_CLASSSTRING;
    }
    return create_instance(*class_id, iid, object, error);
}

HRESULT can_unload_library(const std::string& library_path) {
    void* library = dlopen(library_path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!library) return S_OK;  // not loaded at all
    auto can_unload = reinterpret_cast<DllCanUnloadNowFn>(dlsym(library, "DllCanUnloadNow"));
    HRESULT hr = can_unload ? can_unload() : S_FALSE;
    dlclose(library);  // drops only the reference RTLD_NOLOAD added
    return hr;
}

}  // namespace tolm::com
