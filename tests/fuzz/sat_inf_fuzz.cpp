// The underlay's extent file (.SAT) and the client's map INF corners: any bytes give an answer or
// nothing, never a fault; the coordinate readers take any text.
#include "fuzz_support.h"
#include "platform/runtime_error.h"
#include "server/Tolm.h"
#include "server/sat_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace s = tolm::server;
    const auto bytes = tolm::fuzz::bytes_of(data, size);
    (void)s::read_sat_extent(tolm::fuzz::write_input("fuzz.SAT", bytes));

    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    (void)s::ReadInfCorners(tolm::fuzz::write_input("fuzz.INF", bytes), x1, y1, x2, y2);

    const auto line = bytes.substr(0, bytes.find_first_of("\r\n"));
    float x = 0, y = 0;
    try {
        // A pair with an empty half is refused as the client's own reader refuses it.
        (void)s::ParseLatLonPair(line, x, y);
    } catch (const tolm::RuntimeError&) {
    }
    try {
        (void)s::ParseCoordinate(line);
    } catch (const tolm::RuntimeError&) {
        // An empty text is refused as the client's own reader refuses it.
    }
    try {
        std::string lat, lon;
        s::FormatPosition(y, x, lat, lon);
    } catch (const tolm::RuntimeError&) {
    }
    (void)s::FormatSingle(x);
    return 0;
}
