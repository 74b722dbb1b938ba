// No image format is read yet: every file is unidentified.
#include "graphics/image_decoder.h"

namespace tsuzuri {

Status readImageInfo(const std::uint8_t*, std::uint32_t, ImageInfo&) {
    return E_FAIL;
}

Status decodeImageToTexture(const std::uint8_t*, std::uint32_t, std::uint32_t, std::uint32_t,
                            TextureSlot&) {
    return E_FAIL;
}

}  // namespace tsuzuri
