#include "platform/native_picture.h"

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

[[noreturn]] void fail(const std::string& name, const std::string& why) {
    throw RuntimeError(321, "tolm.picture", "The picture " + name + " cannot be read (" + why + ").");
}

struct StreamRelease {
    void operator()(IStream* stream) const noexcept { stream->Release(); }
};

// The bytes as a COM stream that owns a copy of them: GDI+ reads a picture from its stream for as
// long as the picture lives.
std::unique_ptr<IStream, StreamRelease> stream_of(std::string_view bytes, const std::string& name) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!memory) fail(name, "not enough memory");
    if (void* target = GlobalLock(memory)) {
        std::memcpy(target, bytes.data(), bytes.size());
        GlobalUnlock(memory);
    } else {
        GlobalFree(memory);
        fail(name, "not enough memory");
    }
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream)) || !stream) {
        GlobalFree(memory);
        fail(name, "not enough memory");
    }
    return std::unique_ptr<IStream, StreamRelease>(stream);
}

}  // namespace

bool native_gif_supported() noexcept { return true; }

NativePicture decode_native_gif(std::string_view bytes, const std::string& name) {
    ensure_gdiplus_started();
    const auto stream = stream_of(bytes, name);
    const auto bitmap = std::make_unique<Gdiplus::Bitmap>(stream.get(), FALSE);
    if (bitmap->GetLastStatus() != Gdiplus::Ok) fail(name, "damaged: the system's imaging cannot decode this GIF");
    // A fresh picture shows its first frame; asking for it again costs nothing and makes it sure.
    GUID dimension = Gdiplus::FrameDimensionTime;
    if (bitmap->GetFrameCount(&dimension) > 1) bitmap->SelectActiveFrame(&dimension, 0);
    const UINT width = bitmap->GetWidth(), height = bitmap->GetHeight();
    if (width == 0 || height == 0 || width > 32767 || height > 32767 || std::uint64_t(width) * height > 50'000'000ull)
        fail(name, "damaged: the decoded GIF's size differs from its header's");
    NativePicture picture;
    picture.width = static_cast<std::int32_t>(width);
    picture.height = static_cast<std::int32_t>(height);
    picture.pixels.resize(std::size_t(width) * height);
    Gdiplus::Rect all(0, 0, static_cast<INT>(width), static_cast<INT>(height));
    Gdiplus::BitmapData data{};
    if (bitmap->LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) != Gdiplus::Ok)
        fail(name, "damaged: the system's imaging cannot give the GIF's pixels");
    for (UINT row = 0; row < height; ++row) {
        const auto* source = reinterpret_cast<const std::uint32_t*>(static_cast<const unsigned char*>(data.Scan0) +
                                                                    std::ptrdiff_t(row) * data.Stride);
        std::uint32_t* target = picture.pixels.data() + std::size_t(row) * width;
        for (UINT x = 0; x < width; ++x) {
            // Laid on white: c * a + 255 * (1 - a), opaque, rounded as the engine's decoder does.
            const std::uint32_t px = source[x], a = px >> 24;
            const auto on_white = [a](std::uint32_t c) { return (c * a + 255u * (255u - a) + 127u) / 255u; };
            target[x] = 0xFF000000u | (on_white((px >> 16) & 0xFFu) << 16) | (on_white((px >> 8) & 0xFFu) << 8) | on_white(px & 0xFFu);
        }
    }
    bitmap->UnlockBits(&data);
    return picture;
}

}  // namespace tolm::platform
