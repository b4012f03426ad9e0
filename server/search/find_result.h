#pragma once

#include <functional>
#include <string>

namespace tolm::server {

// One row handed to the search dialog: the eight values of its AddToList, in that order. A point
// has only dblLong and dblLat; a rectangle also dblLong2 and dblLat2 (its south-east corner); a
// mile marker also the marker line in dblL and blnLIsLat.
struct FindResult {
    std::string strTitle;
    double dblLong = 0;
    double dblLat = 0;
    bool blnIsPlace = false;
    double dblLong2 = 0;
    double dblLat2 = 0;
    double dblL = 0;
    bool blnLIsLat = false;

    bool operator==(const FindResult&) const = default;
};

// Where the searches put their rows: the dialog's AddToList, or a list in tests and the CLI.
using AddToListSink = std::function<void(const FindResult&)>;

}  // namespace tolm::server
