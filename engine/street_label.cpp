#include "engine/street_label.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace tolm::engine {

namespace {

using Abbreviation = std::pair<std::string_view, std::string_view>;

// Sorted by the long form (upper case) for a binary search.
constexpr std::array k_directions{
    Abbreviation{"EAST", "E"},       Abbreviation{"NORTH", "N"},      Abbreviation{"NORTHEAST", "NE"},
    Abbreviation{"NORTHWEST", "NW"}, Abbreviation{"SOUTH", "S"},      Abbreviation{"SOUTHEAST", "SE"},
    Abbreviation{"SOUTHWEST", "SW"}, Abbreviation{"WEST", "W"},
};

// The Postal Service's abbreviations of the street types a map meets most.
constexpr std::array k_street_types{
    Abbreviation{"ALLEY", "Aly"},      Abbreviation{"AVENUE", "Ave"},     Abbreviation{"BOULEVARD", "Blvd"},
    Abbreviation{"BRIDGE", "Brg"},     Abbreviation{"BYPASS", "Byp"},     Abbreviation{"CAUSEWAY", "Cswy"},
    Abbreviation{"CENTER", "Ctr"},     Abbreviation{"CIRCLE", "Cir"},     Abbreviation{"COURT", "Ct"},
    Abbreviation{"COVE", "Cv"},        Abbreviation{"CRESCENT", "Cres"},  Abbreviation{"CROSSING", "Xing"},
    Abbreviation{"DRIVE", "Dr"},       Abbreviation{"EXPRESSWAY", "Expy"}, Abbreviation{"EXTENSION", "Ext"},
    Abbreviation{"FREEWAY", "Fwy"},    Abbreviation{"HEIGHTS", "Hts"},    Abbreviation{"HIGHWAY", "Hwy"},
    Abbreviation{"LANE", "Ln"},        Abbreviation{"MOTORWAY", "Mtwy"},  Abbreviation{"PARKWAY", "Pkwy"},
    Abbreviation{"PLACE", "Pl"},       Abbreviation{"PLAZA", "Plz"},      Abbreviation{"POINT", "Pt"},
    Abbreviation{"RIDGE", "Rdg"},      Abbreviation{"ROAD", "Rd"},        Abbreviation{"ROUTE", "Rte"},
    Abbreviation{"SQUARE", "Sq"},      Abbreviation{"STREET", "St"},      Abbreviation{"TERRACE", "Ter"},
    Abbreviation{"TRAIL", "Trl"},      Abbreviation{"TURNPIKE", "Tpke"},
};

constexpr bool by_long_form(const Abbreviation& a, const Abbreviation& b) { return a.first < b.first; }
static_assert(std::is_sorted(k_directions.begin(), k_directions.end(), by_long_form));
static_assert(std::is_sorted(k_street_types.begin(), k_street_types.end(), by_long_form));

template <std::size_t N>
std::string_view find(const std::array<Abbreviation, N>& table, std::string_view word) {
    if (word.size() > 12) return {};
    std::array<char, 12> upper{};
    for (std::size_t i = 0; i < word.size(); ++i)
        upper[i] = (word[i] >= 'a' && word[i] <= 'z') ? static_cast<char>(word[i] - 'a' + 'A') : word[i];
    const std::string_view key(upper.data(), word.size());
    const auto found = std::lower_bound(table.begin(), table.end(), key,
                                        [](const Abbreviation& entry, std::string_view w) { return entry.first < w; });
    return found != table.end() && found->first == key ? found->second : std::string_view{};
}

}  // namespace

std::string abbreviate_street_name(std::string_view name) {
    std::vector<std::string_view> words;
    for (std::size_t i = 0; i < name.size();) {
        while (i < name.size() && name[i] == ' ') ++i;
        const std::size_t start = i;
        while (i < name.size() && name[i] != ' ') ++i;
        if (i > start) words.push_back(name.substr(start, i - start));
    }
    std::vector<std::string_view> out(words.begin(), words.end());
    std::size_t first = 0, last = words.size();  // the words that are neither direction nor type
    // A trailing direction ("Martin Luther King Jr Boulevard East"), then the type before it.
    if (last - first >= 3) {
        if (const auto direction = find(k_directions, words[last - 1]); !direction.empty()) out[--last] = direction;
    }
    if (last - first >= 2) {
        if (const auto type = find(k_street_types, words[last - 1]); !type.empty()) out[--last] = type;
    }
    if (last - first >= 2) {
        if (const auto direction = find(k_directions, words[first]); !direction.empty()) out[first++] = direction;
    }
    std::string result;
    result.reserve(name.size());
    for (const auto word : out) {
        if (!result.empty()) result.push_back(' ');
        result.append(word);
    }
    return result;
}

bool is_drawable_text(std::string_view text) noexcept {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7F) return false;
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        std::uint32_t code = 0;
        if ((c & 0xE0) == 0xC0) length = 2, code = c & 0x1Fu;
        else if ((c & 0xF0) == 0xE0) length = 3, code = c & 0x0Fu;
        else if ((c & 0xF8) == 0xF0) length = 4, code = c & 0x07u;
        else return false;
        if (i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto d = static_cast<unsigned char>(text[i + k]);
            if ((d & 0xC0) != 0x80) return false;
            code = (code << 6) | (d & 0x3Fu);
        }
        // Overlong forms, surrogates and values beyond Unicode are not UTF-8.
        static constexpr std::uint32_t k_least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < k_least[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return false;
        i += length;
    }
    return true;
}

}  // namespace tolm::engine
