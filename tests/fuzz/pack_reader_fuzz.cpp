// libFuzzer target for the data pack reader: any bytes must either be refused with a RuntimeError
// or read safely everywhere. Built only with -DTOLM_FUZZ=ON and clang (see docs/engine.md).
#include "engine/pack/pack_reader.h"
#include "platform/runtime_error.h"

#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Packs are read in place from an 8-byte aligned mapping; copy to keep that true here.
    std::vector<std::uint64_t> aligned((size + 7) / 8);
    if (size) std::memcpy(aligned.data(), data, size);
    try {
        const tolm::engine::PackView view(std::span(reinterpret_cast<const std::byte*>(aligned.data()), size), "fuzz");
        std::vector<std::uint32_t> hits;
        for (std::uint32_t layer = 0; layer < tolm::engine::pack::k_geometry_layer_count; ++layer)
            for (std::uint32_t band = 0; band < tolm::engine::pack::k_band_count; ++band) {
                const auto& table = view.geometry(static_cast<tolm::engine::pack::GeometryLayer>(layer), band);
                hits.clear();
                table.query({INT32_MIN, INT32_MAX, INT32_MIN, INT32_MAX}, hits);
                for (auto f : hits)
                    for (std::uint32_t r = 0; r < table.ring_count(f); ++r) {
                        const auto run = table.ring(f, r);
                        for (std::uint32_t p = 0; p < run.size(); ++p) (void)run[p];
                    }
            }
        for (std::uint32_t i = 0; i < view.area_count(); ++i) (void)view.area(i).name.size();
        for (std::uint32_t i = 0; i < view.road_count(); ++i) (void)view.road(i).name.size();
        for (std::uint32_t i = 0; i < view.place_count(); ++i) (void)view.place(i).name.size();
        for (std::uint32_t i = 0; i < view.address_range_count(); ++i) (void)view.address_range(i).points.size();
        for (std::uint32_t i = 0; i < view.zip_count(); ++i) (void)view.zip(i).key.size();
        for (std::uint32_t i = 0; i < view.phone_area_count(); ++i) (void)view.phone_area(i).key.size();
    } catch (const tolm::RuntimeError&) {
    }
    return 0;
}
