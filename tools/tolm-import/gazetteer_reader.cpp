#include "tools/tolm-import/gazetteer_reader.h"

#include "tools/tolm-import/atomic_file.h"
#include "tools/tolm-import/geometry_repair.h"
#include "tools/tolm-import/import_error.h"
#include "engine/us_states.h"

#include "platform/text.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <map>
#include <optional>
#include <unordered_map>

namespace tolm::importer {

namespace {

using Json = nlohmann::json;

// Country codes GeoNames gives the United States and the territories that have their own.
bool is_us_country(std::string_view country) {
    return country == "US" || country == "PR" || country == "GU" || country == "VI" || country == "AS" ||
           country == "MP" || country == "UM";
}

Json parse_json_file(const std::string& path) {
    std::string text = read_whole_file(path);
    std::string_view json = detail::json_of_script(text);
    Json value = Json::parse(json.begin(), json.end(), nullptr, false);
    if (value.is_discarded()) throw ImportError("\"" + path + "\" is not valid JSON");
    return value;
}

std::optional<double> number_of(const Json& object, std::initializer_list<const char*> keys) {
    if (!object.is_object()) return std::nullopt;
    for (const char* key : keys) {
        auto it = object.find(key);
        if (it == object.end()) continue;
        if (it->is_number()) return it->get<double>();
        if (it->is_string()) {
            double value = 0;
            if (parse_whole_number(it->get_ref<const std::string&>(), value)) return value;
        }
    }
    return std::nullopt;
}

std::string text_of(const Json& object, std::initializer_list<const char*> keys) {
    if (!object.is_object()) return {};
    for (const char* key : keys) {
        auto it = object.find(key);
        if (it == object.end()) continue;
        if (it->is_string()) return it->get<std::string>();
        if (it->is_number_integer()) return std::to_string(it->get<std::int64_t>());
    }
    return {};
}

bool plausible(const engine::LonLat& p) {
    return std::isfinite(p.lon) && std::isfinite(p.lat) && p.lon >= -180 && p.lon <= 180 && p.lat >= -90 && p.lat <= 90 &&
           !(p.lon == 0 && p.lat == 0);
}

template <typename Visit>
void for_each_entry(const Json& root, Visit visit) {
    if (root.is_array()) {
        for (const Json& entry : root) visit(std::string(), entry);
    } else if (root.is_object()) {
        for (auto it = root.begin(); it != root.end(); ++it) visit(it.key(), it.value());
    }
}

}  // namespace

std::string_view detail::json_of_script(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && (text[start] == ' ' || text[start] == '\t' || text[start] == '\r' || text[start] == '\n' ||
                                   static_cast<unsigned char>(text[start]) == 0xEF || static_cast<unsigned char>(text[start]) == 0xBB ||
                                   static_cast<unsigned char>(text[start]) == 0xBF))
        ++start;
    if (start < text.size() && (text[start] == '{' || text[start] == '[')) return text.substr(start);
    // A script: the first object or array after the first "=".
    std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) return text;
    std::size_t open = text.find_first_of("{[", equals);
    if (open == std::string_view::npos) return text;
    int depth = 0;
    bool in_string = false;
    for (std::size_t i = open; i < text.size(); ++i) {
        char c = text[i];
        if (in_string) {
            if (c == '\\') ++i;
            else if (c == '"') in_string = false;
            continue;
        }
        if (c == '"') in_string = true;
        else if (c == '{' || c == '[') ++depth;
        else if ((c == '}' || c == ']') && --depth == 0) return text.substr(open, i - open + 1);
    }
    return text.substr(open);  // unbalanced: let the JSON parser say so
}

std::size_t read_places(const std::string& path, engine::FeatureSet& out, Progress& progress) {
    progress.begin("reading places from " + path);
    Json root = parse_json_file(path);
    if (!root.is_array()) throw ImportError("\"" + path + "\" is not a JSON array of places");
    std::size_t added = 0, skipped = 0;
    std::uint64_t done = 0;
    for (const Json& entry : root) {
        progress.update(++done, root.size());
        std::string country = text_of(entry, {"country"});
        if (!is_us_country(country)) continue;
        engine::PlaceFeature place;
        place.name = text_of(entry, {"name"});
        auto lat = number_of(entry, {"lat", "latitude"});
        auto lon = number_of(entry, {"lng", "lon", "longitude"});
        if (entry.is_object() && entry.contains("loc") && entry["loc"].is_object()) {
            const Json& coordinates = entry["loc"].value("coordinates", Json::array());
            if (coordinates.is_array() && coordinates.size() >= 2 && coordinates[0].is_number() && coordinates[1].is_number()) {
                lon = coordinates[0].get<double>();
                lat = coordinates[1].get<double>();
            }
        }
        if (place.name.empty() || !lat || !lon || !plausible({*lon, *lat})) {
            ++skipped;
            continue;
        }
        place.position = {*lon, *lat};
        place.state_code = country == "US" ? to_upper_ascii(text_of(entry, {"admin1", "adminCode"})) : country;
        if (auto state = engine::state_by_code(place.state_code); country == "US" && state) {
            std::string county = text_of(entry, {"admin2"});
            // Kept as the county's FIPS code until the counties are read (name_place_counties).
            if (county.size() == 3 && county.find_first_not_of("0123456789") == std::string::npos)
                place.county = std::string(state->fips) + county;
        }
        if (auto population = number_of(entry, {"population"})) place.population = static_cast<std::int64_t>(*population);
        out.places.push_back(std::move(place));
        ++added;
    }
    if (skipped > 0) progress.warn("skipped " + std::to_string(skipped) + " places without a name or position in " + path);
    progress.end(std::to_string(added) + " places");
    return added;
}

std::size_t read_zips(const std::string& path, engine::FeatureSet& out, Progress& progress) {
    progress.begin("reading ZIP codes from " + path);
    Json root = parse_json_file(path);
    if (!root.is_object() && !root.is_array()) throw ImportError("\"" + path + "\" is not a JSON table of ZIP codes");
    std::size_t added = 0, skipped = 0;
    for_each_entry(root, [&](const std::string& key, const Json& entry) {
        std::string country = text_of(entry, {"country"});
        if (!country.empty() && !is_us_country(country)) return;
        engine::ZipFeature zip;
        zip.zip = text_of(entry, {"zip", "zipcode"});
        if (zip.zip.empty()) zip.zip = key;
        auto lat = number_of(entry, {"latitude", "lat"});
        auto lon = number_of(entry, {"longitude", "lng", "lon"});
        if (zip.zip.size() != 5 || zip.zip.find_first_not_of("0123456789") != std::string::npos || !lat || !lon ||
            !plausible({*lon, *lat})) {
            ++skipped;
            return;
        }
        zip.position = {*lon, *lat};
        zip.place = text_of(entry, {"city", "place"});
        zip.state_code = to_upper_ascii(text_of(entry, {"state", "stateCode"}));
        zip.county = text_of(entry, {"county"});
        out.zips.push_back(std::move(zip));
        ++added;
    });
    if (skipped > 0) progress.warn("skipped " + std::to_string(skipped) + " ZIP codes without a position in " + path);
    progress.end(std::to_string(added) + " ZIP codes");
    return added;
}

std::size_t read_area_codes(const std::string& path, engine::FeatureSet& out, Progress& progress) {
    progress.begin("reading telephone area codes from " + path);
    Json root = parse_json_file(path);
    if (!root.is_object() && !root.is_array()) throw ImportError("\"" + path + "\" is not a JSON table of area codes");
    std::size_t added = 0;
    for_each_entry(root, [&](const std::string& key, const Json& entry) {
        engine::PhoneAreaFeature area;
        area.npa_nxx = text_of(entry, {"areaCode", "npa"});
        if (area.npa_nxx.empty()) area.npa_nxx = key;
        if ((area.npa_nxx.size() != 3 && area.npa_nxx.size() != 6) ||
            area.npa_nxx.find_first_not_of("0123456789") != std::string::npos)
            return;
        const Json* location = &entry;
        if (entry.is_object() && entry.contains("location") && entry["location"].is_object()) location = &entry["location"];
        auto lat = number_of(*location, {"latitude", "lat"});
        auto lon = number_of(*location, {"longitude", "lng", "lon"});
        if (!lat || !lon || !plausible({*lon, *lat})) return;  // toll-free codes have no place
        area.position = {*lon, *lat};
        area.place = text_of(entry, {"city"});
        area.state_code = to_upper_ascii(text_of(entry, {"stateCode"}));
        if (area.state_code.empty()) {
            std::string state = text_of(entry, {"state"});
            if (state.size() == 2) area.state_code = to_upper_ascii(state);
        }
        area.county = text_of(entry, {"county"});
        out.phone_areas.push_back(std::move(area));
        ++added;
    });
    progress.end(std::to_string(added) + " area codes");
    return added;
}

void check_point_positions(engine::FeatureSet& set, Progress& progress, const engine::FeatureSet& known) {
    std::map<std::string, engine::Extent> state_boxes;
    for (const engine::FeatureSet* source : {static_cast<const engine::FeatureSet*>(&set), &known})
        for (const auto& area : source->areas)
            if (area.kind == engine::AreaKind::state && !area.state_code.empty())
                if (auto box = extent_of(area.rings)) state_boxes.emplace(area.state_code, *box);
    if (state_boxes.empty()) return;

    std::unordered_map<std::string, engine::LonLat> places;  // "NAME|ST" -> position
    for (const engine::FeatureSet* source : {static_cast<const engine::FeatureSet*>(&set), &known})
        for (const auto& place : source->places)
            places.emplace(to_upper_ascii(place.name) + "|" + place.state_code, place.position);

    constexpr double margin = 0.5;
    // Returns false when the point cannot be placed and is to be left out.
    auto check = [&](const std::string& what, const std::string& name, const std::string& state_code, engine::LonLat& position) {
        auto box = state_boxes.find(state_code);
        if (box == state_boxes.end()) return true;
        const engine::Extent& e = box->second;
        engine::Extent grown{e.west - margin, e.east + margin, e.south - margin, e.north + margin};
        if (grown.contains(position)) return true;
        std::optional<engine::LonLat> moved;
        if (grown.contains({-position.lon, position.lat})) {
            moved = engine::LonLat{-position.lon, position.lat};  // the sign of the longitude lost
        } else if (auto place = places.find(to_upper_ascii(name) + "|" + state_code); place != places.end()) {
            moved = place->second;
        }
        char text[200];
        if (moved) {
            std::snprintf(text, sizeof text, "%s lies at %.4f, %.4f outside %s; moved to %.4f, %.4f", what.c_str(),
                          position.lon, position.lat, state_code.c_str(), moved->lon, moved->lat);
            position = *moved;
        } else {
            std::snprintf(text, sizeof text, "%s lies at %.4f, %.4f outside %s; left out", what.c_str(), position.lon,
                          position.lat, state_code.c_str());
        }
        progress.warn(text);
        return moved.has_value();
    };
    std::erase_if(set.phone_areas, [&](engine::PhoneAreaFeature& area) {
        return !check("area code " + area.npa_nxx + " (" + area.place + ")", area.place, area.state_code, area.position);
    });
    std::erase_if(set.zips, [&](engine::ZipFeature& zip) {
        return !check("ZIP code " + zip.zip + " (" + zip.place + ")", zip.place, zip.state_code, zip.position);
    });
}

void name_place_counties(engine::FeatureSet& set, const engine::FeatureSet& known) {
    std::unordered_map<std::string, std::string> county_names;
    for (const engine::FeatureSet* source : {static_cast<const engine::FeatureSet*>(&set), &known})
        for (const auto& area : source->areas)
            if (area.kind == engine::AreaKind::county && !area.code.empty()) county_names.emplace(area.code, area.name);
    for (auto& place : set.places) {
        if (place.county.size() != 5 || place.county.find_first_not_of("0123456789") != std::string::npos) continue;
        auto it = county_names.find(place.county);
        place.county = it != county_names.end() ? it->second : std::string();
    }
}

}  // namespace tolm::importer
