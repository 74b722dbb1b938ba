// The second chance for pictures no reader identified: bitmaps read leniently and JPEG files
// (which the readers may refuse by rule) and GIF, always opaque, at the file's own size.
#include "graphics/fallback_decoder.h"

#include <cstring>

#include "graphics/image_readers.h"

namespace tsuzuri {

Status decodeFallbackPicture(const std::uint8_t* bytes, std::uint32_t size, TextureSlot& out) {
    if (bytes == nullptr || size == 0) {
        return E_FAIL;
    }
    const ByteView view{bytes, size};
    DecodedImage image;
    if (!decodeBmpLenient(view, image) && !decodeJpeg(view, image) && !decodeGif(view, image)) {
        return E_FAIL;
    }
    for (std::uint32_t& pixel : image.pixels) {
        pixel |= 0xFF000000u;
    }
    TextureSlot texture = adoptTexturePixels(image.width, image.height, std::move(image.pixels));
    if (!texture) {
        return E_FAIL;
    }
    out = std::move(texture);
    return S_OK;
}

}  // namespace tsuzuri
