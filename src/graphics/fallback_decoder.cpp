// Not built yet: nothing is decoded on the second chance.
#include "graphics/fallback_decoder.h"

namespace tsuzuri {

Status decodeFallbackPicture(const std::uint8_t*, std::uint32_t, TextureSlot&) {
    return E_FAIL;
}

}  // namespace tsuzuri
