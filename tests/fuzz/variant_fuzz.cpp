// The Variant coercions the client's values go through: every conversion of every kind of value
// gives a value or the runtime's error, never undefined behaviour.
#include "fuzz_support.h"
#include "platform/runtime_error.h"
#include "platform/variant.h"

#include <cstring>
#include <limits>

namespace {

template <typename Convert>
void coerce(Convert convert) {
    try {
        convert();
    } catch (const tolm::RuntimeError&) {
    }
}

void coerce_all(const tolm::Variant& value) {
    coerce([&] { (void)value.to_bool(); });
    coerce([&] { (void)value.to_int16(); });
    coerce([&] { (void)value.to_int32(); });
    coerce([&] { (void)value.to_double(); });
    coerce([&] { (void)value.to_string(); });
    coerce([&] { (void)value.to_object(); });
    coerce([&] {
        const auto& array = value.as_string_array();
        (void)array.upper();
        (void)array.at(array.lower);
        (void)array.at(std::numeric_limits<std::int32_t>::max());
    });
    coerce([&] { (void)value.as_byte_array(); });
    (void)value.is_numeric();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto bytes = tolm::fuzz::bytes_of(data, size);
    coerce_all(tolm::Variant(std::string(bytes)));
    double d = 0;
    std::int32_t l = 0;
    std::int16_t i = 0;
    if (size >= 8) std::memcpy(&d, data, 8);
    if (size >= 4) std::memcpy(&l, data, 4);
    if (size >= 2) std::memcpy(&i, data, 2);
    coerce_all(tolm::Variant(d));
    coerce_all(tolm::Variant(l));
    coerce_all(tolm::Variant(i));
    coerce_all(tolm::Variant::boolean(size % 2 == 1));
    coerce_all(tolm::Variant());
    std::vector<std::string> items;
    for (std::size_t at = 4; at < size && items.size() < 64; at += 8) items.emplace_back(bytes.substr(at, 8));
    coerce_all(tolm::Variant(tolm::StringArray(l, std::move(items))));
    (void)tolm::format_double(d);
    (void)tolm::round_half_even(d);
    return 0;
}
