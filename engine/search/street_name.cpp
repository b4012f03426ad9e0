#include "engine/search/street_name.h"

#include "platform/text.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

namespace tolm::engine::search {

namespace {

using Abbreviation = std::pair<std::string_view, std::string_view>;

// Sorted by the long form for a binary search.
constexpr std::array k_directions{
    Abbreviation{"EAST", "E"},       Abbreviation{"NORTH", "N"},      Abbreviation{"NORTHEAST", "NE"},
    Abbreviation{"NORTHWEST", "NW"}, Abbreviation{"SOUTH", "S"},      Abbreviation{"SOUTHEAST", "SE"},
    Abbreviation{"SOUTHWEST", "SW"}, Abbreviation{"WEST", "W"},
};

// The common street types with their standard abbreviations, sorted by the long form.
constexpr std::array k_street_types{
    Abbreviation{"ALLEY", "ALY"},      Abbreviation{"AV", "AVE"},        Abbreviation{"AVENUE", "AVE"},
    Abbreviation{"BOULEVARD", "BLVD"}, Abbreviation{"CIRCLE", "CIR"},    Abbreviation{"COURT", "CT"},
    Abbreviation{"COVE", "CV"},        Abbreviation{"CREEK", "CRK"},     Abbreviation{"CROSSING", "XING"},
    Abbreviation{"DRIVE", "DR"},       Abbreviation{"EXPRESSWAY", "EXPY"}, Abbreviation{"FREEWAY", "FWY"},
    Abbreviation{"HIGHWAY", "HWY"},    Abbreviation{"LANE", "LN"},       Abbreviation{"LOOP", "LOOP"},
    Abbreviation{"PARKWAY", "PKWY"},   Abbreviation{"PLACE", "PL"},      Abbreviation{"PLAZA", "PLZ"},
    Abbreviation{"POINT", "PT"},       Abbreviation{"ROAD", "RD"},       Abbreviation{"ROUTE", "RTE"},
    Abbreviation{"SQUARE", "SQ"},      Abbreviation{"STREET", "ST"},     Abbreviation{"TERRACE", "TER"},
    Abbreviation{"TRAIL", "TRL"},      Abbreviation{"TURNPIKE", "TPKE"}, Abbreviation{"WAY", "WAY"},
};

constexpr std::array<std::string_view, 26> k_type_abbreviations{
    "ALY", "AVE", "BLVD", "CIR", "CT", "CV", "CRK", "XING", "DR", "EXPY", "FWY", "HWY", "LN",
    "LOOP", "PKWY", "PL", "PLZ", "PT", "RD", "RTE", "SQ", "ST", "TER", "TRL", "TPKE", "WAY"};

constexpr bool by_long_form(const Abbreviation& a, const Abbreviation& b) { return a.first < b.first; }
static_assert(std::is_sorted(k_directions.begin(), k_directions.end(), by_long_form));
static_assert(std::is_sorted(k_street_types.begin(), k_street_types.end(), by_long_form));

template <std::size_t N>
std::string_view abbreviate(const std::array<Abbreviation, N>& table, std::string_view word) {
    auto found = std::lower_bound(table.begin(), table.end(), word,
                                  [](const Abbreviation& entry, std::string_view w) { return entry.first < w; });
    if (found != table.end() && found->first == word) return found->second;
    return word;
}

std::vector<std::string_view> words_of(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && text[i] == ' ') ++i;
        std::size_t start = i;
        while (i < text.size() && text[i] != ' ') ++i;
        if (i > start) words.push_back(text.substr(start, i - start));
    }
    return words;
}

}  // namespace

bool is_direction_word(std::string_view word) {
    for (const auto& entry : k_directions)
        if (entry.second == word) return true;
    return false;
}

bool is_street_type_word(std::string_view word) {
    return std::find(k_type_abbreviations.begin(), k_type_abbreviations.end(), word) != k_type_abbreviations.end();
}

std::string normalise_name(std::string_view name) {
    std::string upper;
    upper.reserve(name.size());
    for (char c : to_upper_ascii(name)) {
        if (c == '.') continue;
        // Tabs and commas never belong in a name; treat them as blanks.
        upper.push_back(c == '\t' ? ' ' : c);
    }
    std::string out;
    out.reserve(upper.size());
    for (auto word : words_of(upper)) {
        auto shortened = abbreviate(k_directions, word);
        if (shortened == word) shortened = abbreviate(k_street_types, word);
        if (!out.empty()) out.push_back(' ');
        out.append(shortened);
    }
    return out;
}

std::string core_street_name(std::string_view normalised) {
    auto words = words_of(normalised);
    std::size_t first = 0;
    std::size_t last = words.size();
    // The end goes first, so that "N St" keeps "N" as its name.
    if (last - first > 1 && is_direction_word(words[last - 1])) --last;
    if (last - first > 1 && is_street_type_word(words[last - 1])) --last;
    if (last - first > 1 && is_direction_word(words[last - 1])) --last;
    if (last - first > 1 && is_direction_word(words[first])) ++first;
    std::string out;
    for (std::size_t i = first; i < last; ++i) {
        if (!out.empty()) out.push_back(' ');
        out.append(words[i]);
    }
    return out;
}

bool has_wildcard(std::string_view pattern) noexcept {
    return pattern.find_first_of("*?") != std::string_view::npos;
}

bool wildcard_match(std::string_view pattern, std::string_view text) noexcept {
    // Iterative match with one backtrack point: linear for patterns with a single star, and never
    // exponential for any pattern.
    std::size_t p = 0, t = 0;
    std::size_t star = std::string_view::npos, mark = 0;
    while (t < text.size()) {
        // A star is always a wildcard, also where the text holds a star of its own.
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = t;
        } else if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == text[t])) {
            ++p;
            ++t;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            t = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace tolm::engine::search
