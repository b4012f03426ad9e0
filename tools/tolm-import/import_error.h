#pragma once

#include <stdexcept>
#include <string>

namespace tolm::importer {

// A source that cannot be read or a product that cannot be written. The text names the file and
// says what is wrong with it, so that the message alone tells the user what to fix.
class ImportError : public std::runtime_error {
public:
    explicit ImportError(const std::string& text) : std::runtime_error(text) {}
};

}  // namespace tolm::importer
