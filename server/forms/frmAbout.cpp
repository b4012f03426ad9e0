#include "server/forms/frmAbout.h"

#include "common/product_version.h"
#include "platform/app.h"
#include "platform/module_version.h"
#include "ui/forms/keys.h"

namespace tolm::server {

namespace {

// Where the map data comes from and under which licences; docs/data-sources.md has the details.
const char* const k_data_credits =
    "Map data: U.S. Census Bureau boundaries and TIGER/Line files (public domain); places from GeoNames "
    "(CC BY 4.0, filtered and changed); streets, lakes and rivers from OpenStreetMap contributors (ODbL 1.0); "
    "land outside the nation made with Natural Earth (public domain).";
const char* const k_licences =
    "Packages: us-atlas and world-atlas (ISC, Copyright 2013-2019 Michael Bostock), zipcodes (BSD, Copyright (c) "
    "2007 Dav Glass), areacodes (MIT, Copyright (c) 2014 BlueRival Software).";
const char* const k_web_link = "https://www.openstreetmap.org/copyright";

platform::ModuleVersion library_version() {
    if (auto resource = platform::module_version_resource()) return *resource;
    // No resource to read (Linux): the values the Windows resource is compiled from.
    platform::ModuleVersion version;
    version.major = TOLM_VERSION_MAJOR;
    version.minor = TOLM_VERSION_MINOR;
    version.revision = TOLM_VERSION_REVISION;
    version.comments = TOLM_VERSION_COMMENTS;
    version.file_description = TOLM_VERSION_FILE_DESCRIPTION;
    version.legal_copyright = TOLM_VERSION_LEGAL_COPYRIGHT;
    return version;
}

}  // namespace

std::string AppTitleText(const std::string& base_name, std::int32_t major, std::int32_t minor, std::int32_t revision) {
    return base_name + " V" + std::to_string(major) + "." + std::to_string(minor) + std::to_string(revision);
}

frmAbout::frmAbout() : forms::Form("frmAbout") {
    set_caption("About TolmServer7");
    set_border_style(forms::BorderStyle::fixed_dialog);
    set_min_button(false);
    set_max_button(false);
    set_key_preview(true);
    set_help_context_id(10);
    move(0, 0, 5730, 4230);

    Picture1.move(240, 240, 900, 1305);  // 60 x 87 pixels
    labAppTitle.move(1320, 240, 4200, 315);
    labAuthor.move(1320, 600, 4200, 315);
    labDesc.move(1320, 960, 4200, 495);
    labCopyright.move(1320, 1500, 4200, 315);
    labDataCredits.set_caption(k_data_credits);
    labDataCredits.move(240, 1860, 5280, 855);
    labLicences.set_caption(k_licences);
    labLicences.move(240, 2760, 5280, 495);
    lnkWeb.set_caption(k_web_link);
    lnkWeb.move(240, 3300, 3600, 255);
    cmdCartix.set_caption("&About Cartix71.OCX");
    cmdCartix.move(240, 3660, 2400, 375);
    cmdOk.set_caption("&Ok");
    cmdOk.move(4320, 3660, 1200, 375);
    cmdOk.set_default(true);

    cmdOk.on_click = [this] { unload(); };
    cmdCartix.on_click = [this] {
        if (AboutCartix) AboutCartix();
    };
    // The form sees keys first: Escape is swallowed and closes the box as Ok does.
    on_key_press = [this](std::int32_t& key_ascii) {
        if (key_ascii == forms::key::escape) {
            key_ascii = 0;
            cmdOk.press_from_code();
        }
    };
    on_load = [this] { Form_Load(); };
}

void frmAbout::Form_Load() {
    if (m_parent)
        move(m_parent->left() + (m_parent->width() - width()) / 2, m_parent->top() + (m_parent->height() - height()) / 2);
    const platform::ModuleVersion version = library_version();
    labAppTitle.set_caption(AppTitleText(platform::app_exe_name(), version.major, version.minor, version.revision));
    labAuthor.set_caption(version.comments);
    labDesc.set_caption(version.file_description);
    labCopyright.set_caption(version.legal_copyright);
}

}  // namespace tolm::server
