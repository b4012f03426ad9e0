#include "server/forms/frmAbout.h"

#include "common/product_version.h"
#include "platform/app.h"
#include "platform/module_version.h"
#include "platform/painter.h"
#include "server/forms/panel_artwork.h"
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
    // A client area of 6480 x 4380 twips (432 x 292 pixels) inside the dialog's frame (3-pixel
    // borders, a 19-pixel title bar); each text has the lines it wraps to at 8-point type.
    move(0, 0, 6480 + 6 * 15, 4380 + 25 * 15);

    Picture1.move(240, 240, 900, 1305);  // 60 x 87 pixels
    Picture1.set_auto_redraw(true);
    Picture1.set_scale_mode(3);
    labAppTitle.move(1320, 240, 4920, 255);
    labAuthor.move(1320, 600, 4920, 420);
    labDesc.move(1320, 1080, 4920, 420);
    labCopyright.move(1320, 1560, 4920, 255);
    labDataCredits.set_caption(k_data_credits);
    labDataCredits.move(240, 1980, 6000, 840);
    labLicences.set_caption(k_licences);
    labLicences.move(240, 2940, 6000, 630);
    lnkWeb.set_caption(k_web_link);
    lnkWeb.move(240, 3630, 3600, 255);
    cmdCartix.set_caption("&About Cartix71.OCX");
    cmdCartix.move(240, 3960, 2400, 375);
    cmdOk.set_caption("&Ok");
    cmdOk.move(5040, 3960, 1200, 375);
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
    PaintPicture();
}

void frmAbout::PaintPicture() noexcept {
    // Only a window system with real windows gives the picture a device context; the picture is
    // decoration, so a failure to paint it leaves the box as it is.
    if (Picture1.hdc() == 0) return;
    try {
        auto painter = platform::painter_for_device_context(static_cast<std::intptr_t>(Picture1.hdc()));
        PaintAboutArtwork(*painter, static_cast<std::int32_t>(Picture1.scale_width()),
                          static_cast<std::int32_t>(Picture1.scale_height()));
    } catch (...) {
    }
}

}  // namespace tolm::server
