#include "engine/search/address_query.h"

#include "engine/search/street_name.h"
#include "engine/search/us_states.h"
#include "platform/text.h"

#include <vector>

namespace tolm::engine::search {

namespace {

bool all_digits(std::string_view text) noexcept {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

// "12345" or "12345-6789"; gives the five-digit part.
std::string zip_of(std::string_view field) {
    if (field.size() == 5 && all_digits(field)) return std::string(field);
    if (field.size() == 10 && field[5] == '-' && all_digits(field.substr(0, 5)) && all_digits(field.substr(6)))
        return std::string(field.substr(0, 5));
    return {};
}

}  // namespace

AddressQuery parse_address_query(std::string_view text) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t comma = text.find(',', start);
        if (comma == std::string_view::npos) comma = text.size();
        std::string field = trim_blanks(text.substr(start, comma - start));
        // Blanks and tabs at the ends are both noise here.
        while (!field.empty() && (field.back() == '\t')) field.pop_back();
        if (!field.empty()) fields.push_back(std::move(field));
        start = comma + 1;
    }

    AddressQuery query;
    if (!fields.empty()) {
        std::string zip = zip_of(fields.back());
        if (!zip.empty()) {
            query.zip = std::move(zip);
            fields.pop_back();
        }
    }
    // A lone name is a state only when it is a postal code: "Washington" alone is more likely the
    // city or the street than the state.
    if (!fields.empty()) {
        std::string code = state_code_of(fields.back());
        if (!code.empty() && (fields.size() > 1 || fields.back().size() == 2)) {
            query.state_code = std::move(code);
            fields.pop_back();
        }
    }
    if (fields.empty()) return query;

    std::string_view first = fields.front();
    std::size_t digits = 0;
    while (digits < first.size() && first[digits] >= '0' && first[digits] <= '9') ++digits;
    // A house number is the leading digits followed by a blank, or by one unit letter ("12B Main").
    // "5th St" starts with digits but is a street; a unit letter is one letter only.
    std::size_t blank = first.find(' ');
    if (digits > 0 && blank != std::string_view::npos && (blank == digits || blank == digits + 1)) {
        query.house_number = std::string(first.substr(0, digits));
        query.street = normalise_name(first.substr(blank + 1));
    } else {
        query.street = normalise_name(first);
    }
    if (fields.size() > 1) {
        query.place = normalise_name(fields[1]);
    } else if (query.house_number.empty()) {
        query.place = query.street;
        query.street_or_place = true;
    }
    return query;
}

}  // namespace tolm::engine::search
