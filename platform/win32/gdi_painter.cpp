#include "platform/win32/gdi_painter.h"

#include "platform/atomic_file.h"
#include "platform/raster/raster_surface.h"
#include "platform/runtime_error.h"

// windows.h before gdiplus.h; GDI+'s headers use the min and max macros that windows.h defines.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <cmath>
#include <cstring>
#include <mutex>
#include <numbers>
#include <optional>
#include <vector>

namespace tolm::platform {

namespace {

const wchar_t* const k_map_font = L"Arial";

// The families tried for the map's labels, in order; tests replace them to play a machine without fonts.
std::vector<std::wstring>& font_candidates() {
    static std::vector<std::wstring> names{k_map_font};
    return names;
}
bool& generic_family_allowed() {
    static bool allowed = true;
    return allowed;
}

// The first family of the candidates that GDI+ has, else the system's sans-serif; null where the
// machine has neither (a Windows box or a Wine prefix without fonts). GenericSansSerif() itself
// answers null there, so it is checked before it is copied.
std::unique_ptr<Gdiplus::FontFamily> map_font_family() {
    for (const std::wstring& name : font_candidates()) {
        auto family = std::make_unique<Gdiplus::FontFamily>(name.c_str());
        if (family->GetLastStatus() == Gdiplus::Ok && family->IsAvailable()) return family;
    }
    if (!generic_family_allowed()) return nullptr;
    const Gdiplus::FontFamily* generic = Gdiplus::FontFamily::GenericSansSerif();
    if (!generic || generic->GetLastStatus() != Gdiplus::Ok || !generic->IsAvailable()) return nullptr;
    std::unique_ptr<Gdiplus::FontFamily> copy(generic->Clone());
    if (!copy || copy->GetLastStatus() != Gdiplus::Ok) return nullptr;
    return copy;
}

std::wstring to_wide(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
    return wide;
}

std::uint32_t premultiplied(Colour colour) {
    const std::uint32_t a = colour.argb >> 24;
    const auto scale = [a](std::uint32_t c) { return (c * a + 127) / 255; };
    return (a << 24) | (scale((colour.argb >> 16) & 0xFFu) << 16) | (scale((colour.argb >> 8) & 0xFFu) << 8) |
           scale(colour.argb & 0xFFu);
}

Gdiplus::Color gdiplus_colour(Colour colour) { return Gdiplus::Color(static_cast<Gdiplus::ARGB>(colour.argb)); }

BYTE* bytes_of(std::uint32_t* pixels) { return reinterpret_cast<BYTE*>(pixels); }

}  // namespace

void ensure_gdiplus_started() {
    static std::once_flag started;
    std::call_once(started, [] {
        Gdiplus::GdiplusStartupInput input;
        ULONG_PTR token = 0;
        if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok)
            throw RuntimeError(runtime_errors::invalid_procedure_call, "tolm.engine", "GDI+ could not be started: nothing can be painted.");
        // The token is dropped on purpose: GDI+ stays up until the process ends (shutting it down
        // while the client may still call us, or from DllMain, is what breaks it).
    });
}

namespace detail {

// GDI+ over the painter's pixels: a bitmap that borrows them and a Graphics on that bitmap, with the
// map font of the last size asked for.
struct GdiPlusText {
    explicit GdiPlusText(const PixelTarget& pixels)
        : bitmap(pixels.width, pixels.height, pixels.stride * 4, PixelFormat32bppPARGB, bytes_of(pixels.pixels)),
          graphics(&bitmap) {
        if (bitmap.GetLastStatus() != Gdiplus::Ok || graphics.GetLastStatus() != Gdiplus::Ok)
            throw RuntimeError(runtime_errors::invalid_procedure_call, "tolm.engine", "Cannot paint into the picture.");
        const Gdiplus::StringFormat* typographic = Gdiplus::StringFormat::GenericTypographic();
        format.reset(typographic ? typographic->Clone() : new Gdiplus::StringFormat());
        // Trailing blanks count in a label's width; nothing is clipped to a layout box.
        format->SetFormatFlags(format->GetFormatFlags() | Gdiplus::StringFormatFlagsMeasureTrailingSpaces |
                               Gdiplus::StringFormatFlagsNoClip);
        // Where Arial is missing (a bare Wine prefix) the system's sans-serif stands in; where there
        // is no font at all, labels are left out and the rest of the map is painted.
        family = map_font_family();
        graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
        graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBilinear);
        graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    }

    // Null where the machine has no font for the labels (or GDI+ cannot make one at this size).
    Gdiplus::Font* font_for(const TextStyle& style) {
        if (!family) return nullptr;
        if (!font || style.size != font_size || style.bold != font_bold) {
            font = std::make_unique<Gdiplus::Font>(family.get(), static_cast<Gdiplus::REAL>(style.size), font_style(style),
                                                   Gdiplus::UnitPixel);
            font_size = style.size;
            font_bold = style.bold;
        }
        return font->GetLastStatus() == Gdiplus::Ok ? font.get() : nullptr;
    }

    static INT font_style(const TextStyle& style) { return style.bold ? Gdiplus::FontStyleBold : Gdiplus::FontStyleRegular; }

    // The family's ascent and descent in pixels at the style's size.
    double ascent(const TextStyle& style) const {
        if (!family) return 0;
        const INT s = font_style(style);
        return style.size * family->GetCellAscent(s) / std::max<double>(1, family->GetEmHeight(s));
    }
    double descent(const TextStyle& style) const {
        if (!family) return 0;
        const INT s = font_style(style);
        return style.size * family->GetCellDescent(s) / std::max<double>(1, family->GetEmHeight(s));
    }

    Gdiplus::Bitmap bitmap;
    Gdiplus::Graphics graphics;
    std::unique_ptr<Gdiplus::StringFormat> format;
    std::unique_ptr<Gdiplus::FontFamily> family;
    std::unique_ptr<Gdiplus::Font> font;
    double font_size = -1;
    bool font_bold = false;
};

}  // namespace detail

GdiPlusPainter::GdiPlusPainter(const PixelTarget& pixels)
    : m_pixels(pixels) {
    ensure_gdiplus_started();
    m_text = std::make_unique<detail::GdiPlusText>(pixels);
}

GdiPlusPainter::~GdiPlusPainter() {
    if (m_text) m_text->graphics.Flush(Gdiplus::FlushIntentionSync);
}

void GdiPlusPainter::set_antialias(bool on) {
    RasterPainter::set_antialias(on);
    m_text->graphics.SetTextRenderingHint(on ? Gdiplus::TextRenderingHintAntiAliasGridFit
                                             : Gdiplus::TextRenderingHintSingleBitPerPixelGridFit);
}

void GdiPlusPainter::clear(Colour colour) {
    m_text->graphics.Flush(Gdiplus::FlushIntentionSync);
    const std::uint32_t value = premultiplied(colour);
    for (std::int32_t y = 0; y < m_pixels.height; ++y) {
        std::uint32_t* row = m_pixels.pixels + static_cast<std::ptrdiff_t>(y) * m_pixels.stride;
        std::fill(row, row + m_pixels.width, value);
    }
}


PixelTarget GdiPlusPainter::pixels() { return m_pixels; }

// GDI+ and the raster share the pixels: GDI+ finishes its drawing before the raster writes.
void GdiPlusPainter::before_raster() { m_text->graphics.Flush(Gdiplus::FlushIntentionSync); }

TextExtent GdiPlusPainter::measure_text(std::string_view utf8, const TextStyle& style) {
    const std::wstring text = to_wide(utf8);
    Gdiplus::Font* font = m_text->font_for(style);
    if (!font) return {0.0, 0.0, 0.0};
    Gdiplus::RectF bounds;
    if (!text.empty())
        m_text->graphics.MeasureString(text.c_str(), static_cast<INT>(text.size()), font, Gdiplus::PointF(0, 0), m_text->format.get(),
                                       &bounds);
    const double ascent = m_text->ascent(style);
    return {text.empty() ? 0.0 : bounds.Width, ascent + m_text->descent(style), ascent};
}

void GdiPlusPainter::draw_text(double x, double y, double angle, std::string_view utf8, const TextStyle& style) {
    const std::wstring text = to_wide(utf8);
    if (text.empty()) return;
    Gdiplus::Font* font = m_text->font_for(style);
    if (!font) return;  // no font on this machine: the label is left out
    // GDI+ places a string by the top of its line: the baseline lies one ascent below.
    const Gdiplus::PointF origin(0, static_cast<Gdiplus::REAL>(-m_text->ascent(style)));
    const auto degrees = static_cast<Gdiplus::REAL>(angle * 180.0 / std::numbers::pi);
    if (style.halo_width <= 0) {
        Gdiplus::Graphics& g = m_text->graphics;
        g.TranslateTransform(static_cast<Gdiplus::REAL>(x), static_cast<Gdiplus::REAL>(y));
        if (angle != 0) g.RotateTransform(degrees);
        Gdiplus::SolidBrush brush(gdiplus_colour(style.colour));
        g.DrawString(text.c_str(), static_cast<INT>(text.size()), font, origin, m_text->format.get(), &brush);
        g.ResetTransform();
        return;
    }
    // A haloed label is its glyphs' outlines stroked wide in the halo colour and then filled: GDI+
    // gives the outlines, flattened to a quarter pixel, and our raster paints them, as on Linux.
    // GDI+ makes the same outline at any turn, so one unturned outline serves every angle.
    const std::vector<OutlinePoint>* kept = glyph_outlines().find(utf8, style.size, style.bold, false);
    if (!kept) {
        std::vector<OutlinePoint> made;
        Gdiplus::GraphicsPath outline(Gdiplus::FillModeWinding);
        outline.AddString(text.c_str(), static_cast<INT>(text.size()), m_text->family.get(), detail::GdiPlusText::font_style(style),
                          static_cast<Gdiplus::REAL>(style.size), origin, m_text->format.get());
        outline.Flatten(nullptr, 0.25f);
        const INT count = outline.GetPointCount();
        if (count > 0) {
            std::vector<Gdiplus::PointF> points(static_cast<std::size_t>(count));
            std::vector<BYTE> types(static_cast<std::size_t>(count));
            if (outline.GetPathPoints(points.data(), count) == Gdiplus::Ok && outline.GetPathTypes(types.data(), count) == Gdiplus::Ok) {
                for (std::size_t i = 0; i < points.size(); ++i) {
                    const bool start = (types[i] & Gdiplus::PathPointTypePathTypeMask) == Gdiplus::PathPointTypeStart;
                    made.push_back({points[i].X, points[i].Y, start ? OutlinePoint::Kind::move : OutlinePoint::Kind::line});
                    if (types[i] & Gdiplus::PathPointTypeCloseSubpath) made.push_back({0, 0, OutlinePoint::Kind::close});
                }
            }
        }
        kept = &glyph_outlines().keep(utf8, style.size, style.bold, false, std::move(made));
    }
    GlyphOutlines::trace(*kept, x, y, angle, raster());
    paint_haloed_outline(style);
}

void GdiPlusPainter::draw_image(const ImageView& image, double x, double y, double width, double height) {
    if (!image.pixels || image.width <= 0 || image.height <= 0 || width <= 0 || height <= 0) return;
    Gdiplus::Bitmap source(image.width, image.height, image.stride * 4, PixelFormat32bppPARGB,
                           bytes_of(const_cast<std::uint32_t*>(image.pixels)));
    if (source.GetLastStatus() != Gdiplus::Ok) return;
    // Edge pixels are repeated, not faded into transparency, where the scaling samples past them.
    Gdiplus::ImageAttributes attributes;
    attributes.SetWrapMode(Gdiplus::WrapModeTileFlipXY);
    m_text->graphics.DrawImage(&source,
                               Gdiplus::RectF(static_cast<Gdiplus::REAL>(x), static_cast<Gdiplus::REAL>(y),
                                              static_cast<Gdiplus::REAL>(width), static_cast<Gdiplus::REAL>(height)),
                               0, 0, static_cast<Gdiplus::REAL>(image.width), static_cast<Gdiplus::REAL>(image.height),
                               Gdiplus::UnitPixel, &attributes);
    m_text->graphics.Flush(Gdiplus::FlushIntentionSync);
}

void set_map_fonts_for_tests(std::vector<std::wstring> names, bool generic_allowed) {
    font_candidates() = std::move(names);
    generic_family_allowed() = generic_allowed;
}

void GdiPlusPainter::flush() {
    RasterPainter::flush();
    m_text->graphics.Flush(Gdiplus::FlushIntentionSync);
}

namespace {

class SurfacePainter : public GdiPlusPainter {
public:
    explicit SurfacePainter(std::shared_ptr<RasterSurface> surface)
        : GdiPlusPainter({surface->pixels(), surface->width(), surface->height(), surface->width()}), m_surface(std::move(surface)) {}

private:
    std::shared_ptr<RasterSurface> m_surface;  // the client may release its picture while we paint
};

// A 32-bit top-down DIB section the size of the target device, selected into a memory DC. The map is
// painted into its pixels and copied to the device on flush.
class DibSection {
public:
    DibSection(HDC target, std::int32_t width, std::int32_t height) : m_target(target), m_width(width), m_height(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;  // negative: rows top to bottom
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        m_memory = CreateCompatibleDC(target);
        if (m_memory) m_bitmap = CreateDIBSection(m_memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!m_memory || !m_bitmap || !bits) {
            release();
            throw RuntimeError(runtime_errors::invalid_procedure_call, "tolm.engine",
                               "Cannot make a " + std::to_string(width) + " x " + std::to_string(height) + " picture to paint the map in.");
        }
        m_previous = SelectObject(m_memory, m_bitmap);
        m_pixels = static_cast<std::uint32_t*>(bits);
        // Start from what the device shows, so that what the map leaves unpainted stays as it was.
        // The device has no alpha: every pixel is opaque.
        BitBlt(m_memory, 0, 0, width, height, target, 0, 0, SRCCOPY);
        GdiFlush();
        const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
        for (std::size_t i = 0; i < count; ++i) m_pixels[i] |= 0xFF000000u;
    }
    ~DibSection() { release(); }
    DibSection(const DibSection&) = delete;
    DibSection& operator=(const DibSection&) = delete;

    PixelTarget target() const noexcept { return {m_pixels, m_width, m_height, m_width}; }
    void copy_to_device() const {
        GdiFlush();
        BitBlt(m_target, 0, 0, m_width, m_height, m_memory, 0, 0, SRCCOPY);
        GdiFlush();
    }

private:
    void release() noexcept {
        if (m_memory && m_previous) SelectObject(m_memory, m_previous);
        if (m_bitmap) DeleteObject(m_bitmap);
        if (m_memory) DeleteDC(m_memory);
        m_bitmap = nullptr;
        m_memory = nullptr;
    }

    HDC m_target;
    std::int32_t m_width, m_height;
    HDC m_memory = nullptr;
    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_previous = nullptr;
    std::uint32_t* m_pixels = nullptr;
};

// Base first: the DIB exists before the painter that paints into it, and outlives it.
struct DibHolder {
    std::unique_ptr<DibSection> dib;
};

class DeviceContextPainter : private DibHolder, public GdiPlusPainter {
public:
    explicit DeviceContextPainter(std::unique_ptr<DibSection> section)
        : DibHolder{std::move(section)}, GdiPlusPainter(DibHolder::dib->target()) {}

    void flush() override {
        GdiPlusPainter::flush();
        dib->copy_to_device();
    }
};

// The size of what a device context paints on: a memory DC's bitmap (a picture box that keeps its
// drawing), or the client area of the window a window DC belongs to, or else its clip box.
std::optional<std::pair<std::int32_t, std::int32_t>> device_size(HDC hdc) {
    if (GetObjectType(hdc) == OBJ_MEMDC) {
        BITMAP bitmap{};
        HGDIOBJ selected = GetCurrentObject(hdc, OBJ_BITMAP);
        if (selected && GetObject(selected, sizeof bitmap, &bitmap) == sizeof bitmap && bitmap.bmWidth > 0 && bitmap.bmHeight > 0)
            return std::pair{static_cast<std::int32_t>(bitmap.bmWidth), static_cast<std::int32_t>(bitmap.bmHeight)};
    }
    RECT area{};
    if (HWND window = WindowFromDC(hdc); window && GetClientRect(window, &area) && area.right > 0 && area.bottom > 0)
        return std::pair{static_cast<std::int32_t>(area.right), static_cast<std::int32_t>(area.bottom)};
    if (GetClipBox(hdc, &area) != ERROR && area.right > 0 && area.bottom > 0)
        return std::pair{static_cast<std::int32_t>(area.right), static_cast<std::int32_t>(area.bottom)};
    return std::nullopt;
}

// The encoder GDI+ registers for a MIME type.
std::optional<CLSID> encoder_for(const wchar_t* mime_type) {
    UINT count = 0, size = 0;
    if (Gdiplus::GetImageEncodersSize(&count, &size) != Gdiplus::Ok || count == 0 || size == 0) return std::nullopt;
    std::vector<std::uint64_t> storage((size + sizeof(std::uint64_t) - 1) / sizeof(std::uint64_t));
    auto* codecs = reinterpret_cast<Gdiplus::ImageCodecInfo*>(storage.data());
    if (Gdiplus::GetImageEncoders(count, size, codecs) != Gdiplus::Ok) return std::nullopt;
    for (UINT i = 0; i < count; ++i)
        if (codecs[i].MimeType && std::wcscmp(codecs[i].MimeType, mime_type) == 0) return codecs[i].Clsid;
    return std::nullopt;
}

[[noreturn]] void cannot_write(const std::string& path, const std::string& why) {
    throw RuntimeError(runtime_errors::path_file_access_error, "write_png", "Cannot write the picture " + path + ": " + why);
}

// The PNG bytes of the pixels, encoded by GDI+ into memory.
std::string encode_png(const RasterSurface& surface, const std::string& path) {
    ensure_gdiplus_started();
    const std::optional<CLSID> png = encoder_for(L"image/png");
    if (!png) cannot_write(path, "the system has no PNG encoder.");
    Gdiplus::Bitmap bitmap(surface.width(), surface.height(), surface.width() * 4, PixelFormat32bppPARGB,
                           bytes_of(const_cast<std::uint32_t*>(surface.pixels())));
    if (bitmap.GetLastStatus() != Gdiplus::Ok) cannot_write(path, "the picture cannot be read.");
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)) || !stream) cannot_write(path, "out of memory.");
    std::string bytes;
    const Gdiplus::Status saved = bitmap.Save(stream, &*png, nullptr);
    STATSTG stat{};
    HGLOBAL memory = nullptr;
    if (saved == Gdiplus::Ok && SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME)) && SUCCEEDED(GetHGlobalFromStream(stream, &memory))) {
        if (const void* data = GlobalLock(memory)) {
            bytes.assign(static_cast<const char*>(data), static_cast<std::size_t>(stat.cbSize.QuadPart));
            GlobalUnlock(memory);
        }
    }
    stream->Release();
    if (bytes.empty()) cannot_write(path, "the PNG encoder failed.");
    return bytes;
}

}  // namespace

std::unique_ptr<Painter> painter_for_device_context(std::intptr_t hdc) {
    // The headless pictures of tests and the command-line host come first: their handles are ours.
    if (auto surface = find_surface(hdc)) {
        check_paint_size(surface->width(), surface->height());
        return std::make_unique<SurfacePainter>(std::move(surface));
    }
    HDC device = reinterpret_cast<HDC>(hdc);
    const DWORD type = hdc ? GetObjectType(device) : 0;
    const auto size = (type == OBJ_DC || type == OBJ_MEMDC) ? device_size(device) : std::nullopt;
    if (!size)
        throw RuntimeError(runtime_errors::invalid_procedure_call, "tolm.engine",
                           "The device context " + std::to_string(hdc) + " is not a picture that can be painted.");
    check_paint_size(size->first, size->second);
    ensure_gdiplus_started();
    return std::make_unique<DeviceContextPainter>(std::make_unique<DibSection>(device, size->first, size->second));
}

void write_png(const RasterSurface& surface, const std::string& path) {
    const std::string bytes = encode_png(surface, path);
    if (const std::error_code error = replace_file_contents(path_from_utf8(path), bytes)) cannot_write(path, error.message());
}

}  // namespace tolm::platform
