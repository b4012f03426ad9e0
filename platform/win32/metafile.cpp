#include "platform/metafile.h"

#include "platform/runtime_error.h"
#include "platform/win32/gdi_painter.h"

// windows.h before gdiplus.h; GDI+'s headers use the min and max macros that windows.h defines.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cstring>
#include <memory>

namespace tolm::platform {

namespace {

std::wstring wide_path(const std::string& utf8) {
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
    return wide;
}

[[noreturn]] void fail(const std::string& path, const std::string& why) {
    throw RuntimeError(321, "tolm.picture", "The EMF picture " + path + " cannot be read (" + why + ").");
}

}  // namespace

bool metafiles_supported() noexcept { return true; }

MetafilePicture render_metafile(const std::string& path) {
    ensure_gdiplus_started();
    const std::wstring wide = wide_path(path);
    auto metafile = std::make_unique<Gdiplus::Metafile>(wide.c_str());
    if (metafile->GetLastStatus() != Gdiplus::Ok) fail(path, "not a metafile, or the file cannot be opened");
    // The metafile's own frame, in pixels of the screen it was made for.
    Gdiplus::MetafileHeader header;
    if (metafile->GetMetafileHeader(&header) != Gdiplus::Ok || !header.IsEmfOrEmfPlus()) fail(path, "no EMF header");
    const Gdiplus::REAL dpi_x = header.GetDpiX() > 0 ? header.GetDpiX() : 96.0f;
    const Gdiplus::REAL dpi_y = header.GetDpiY() > 0 ? header.GetDpiY() : 96.0f;
    const double width = static_cast<double>(header.Width) * 96.0 / dpi_x;
    const double height = static_cast<double>(header.Height) * 96.0 / dpi_y;
    if (!(width >= 1 && height >= 1 && width <= 32767 && height <= 32767 && width * height <= 50e6))
        fail(path, "its size is empty or too large");
    MetafilePicture picture;
    picture.width = static_cast<std::int32_t>(width + 0.5);
    picture.height = static_cast<std::int32_t>(height + 0.5);
    picture.pixels.assign(static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height), 0xFFFFFFFFu);
    Gdiplus::Bitmap target(picture.width, picture.height, picture.width * 4, PixelFormat32bppPARGB,
                           reinterpret_cast<BYTE*>(picture.pixels.data()));
    if (target.GetLastStatus() != Gdiplus::Ok) fail(path, "no memory for its pixels");
    {
        Gdiplus::Graphics graphics(&target);
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
        if (graphics.DrawImage(metafile.get(), 0, 0, picture.width, picture.height) != Gdiplus::Ok)
            fail(path, "GDI+ could not draw it");
        graphics.Flush(Gdiplus::FlushIntentionSync);
    }
    return picture;
}

}  // namespace tolm::platform
