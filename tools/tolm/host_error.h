#pragma once

#include <stdexcept>

namespace tolm::cli {

// What stops a run of the host: the server could not be made or driven as asked. main prints it and
// exits with status 1.
class HostError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace tolm::cli
