// Pictures scaled for frames of other sizes, through stb_image_resize.
#include <stb_image_resize.h>

#include <cstring>
#include <new>

#include "graphics/resample.h"

namespace tsuzuri {

TextureSlot scalePicture(const Texture& source, const PictureRegion& region, std::uint32_t width,
                         std::uint32_t height) {
    if (!isTextureSizeAllowed(width, height) || region.width == 0 || region.height == 0) {
        return nullptr;
    }
    PixelVector pixels;
    try {
        pixels.resize(static_cast<std::size_t>(width) * height);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    const auto* first = reinterpret_cast<const std::uint8_t*>(source.pixels.data()) +
                        static_cast<std::ptrdiff_t>(region.y) * source.pitch +
                        static_cast<std::ptrdiff_t>(region.x) * 4;
    if (width == region.width && height == region.height) {
        for (std::uint32_t y = 0; y < height; ++y) {
            std::memcpy(pixels.data() + static_cast<std::size_t>(y) * width,
                        first + static_cast<std::ptrdiff_t>(y) * source.pitch,
                        std::size_t{width} * 4);
        }
    } else {
        // Bytes blue, green, red, alpha: alpha is channel 3, and the colour is weighted by it
        // while filtering.
        constexpr int kChannels = 4;
        constexpr int kAlphaChannel = 3;
        const int done = stbir_resize_uint8_generic(
            first, static_cast<int>(region.width), static_cast<int>(region.height), source.pitch,
            reinterpret_cast<unsigned char*>(pixels.data()), static_cast<int>(width),
            static_cast<int>(height), static_cast<int>(width * 4), kChannels, kAlphaChannel, 0,
            STBIR_EDGE_CLAMP, STBIR_FILTER_CATMULLROM, STBIR_COLORSPACE_LINEAR, nullptr);
        if (done == 0) {
            return nullptr;
        }
    }
    return adoptTexturePixels(width, height, std::move(pixels));
}

}  // namespace tsuzuri
