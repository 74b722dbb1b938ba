// Placeholder: equal sizes are copied; other sizes are nearest-neighbour until the tent filter
// is built.
#include "graphics/resample.h"

namespace tsuzuri {

TextureSlot resampleTexture(const Texture& source, std::uint32_t width, std::uint32_t height) {
    TextureSlot out = createTexture(width, height);
    if (!out || source.width == 0 || source.height == 0) {
        return nullptr;
    }
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint32_t sy =
            static_cast<std::uint32_t>(std::uint64_t{y} * source.height / height);
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint32_t sx =
                static_cast<std::uint32_t>(std::uint64_t{x} * source.width / width);
            *texturePixel(*out, x, y) = *texturePixel(const_cast<Texture&>(source), sx, sy);
        }
    }
    return out;
}

}  // namespace tsuzuri
