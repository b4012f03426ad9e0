#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// The identity of the server library: one table shared by the four exports and the library's entry
// point on both platforms. These values bind every build that registers with COM.
namespace tolm::frame {

struct Guid {
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::array<std::uint8_t, 8> data4;

    bool operator==(const Guid&) const = default;
};

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case, as registration writes it.
std::string guid_text(const Guid& guid);

struct RegistrationTable {
    std::string_view project_name;
    std::string_view prog_id;
    std::string_view class_name;
    Guid library_id;
    std::uint16_t library_major;
    std::uint16_t library_minor;
    Guid class_id;
    Guid interface_id;
    std::string_view interface_name;
    Guid find_types_id;
    std::string_view threading_model;
};

inline constexpr RegistrationTable k_registration{
    "TolmServer7",
    "TolmServer7.clsMapServ",
    "clsMapServ",
    {0x9DA0048E, 0x09DC, 0x457B, {0x8A, 0xE2, 0xF8, 0xF4, 0x02, 0x9E, 0xEA, 0xE9}},
    1,
    0,
    {0xC4D246A8, 0x07B8, 0x494D, {0x9A, 0xA2, 0x94, 0x49, 0x00, 0xCE, 0xD0, 0x22}},
    {0x85A84829, 0x82B1, 0x40ED, {0x8E, 0xDF, 0xBA, 0x9A, 0xE4, 0x84, 0xC6, 0x71}},
    "_clsMapServ",
    {0x37F1D675, 0x966F, 0x4E87, {0xA3, 0xC2, 0x74, 0x48, 0xAB, 0xFE, 0x96, 0x54}},
    "Apartment",
};

}  // namespace tolm::frame
