// Resizing a picture (used for mask pictures whose size differs from their image's).
#pragma once

#include <cstdint>

#include "graphics/texture.h"

namespace tsuzuri {

// A new texture of width x height from `source`: a tent filter with dithering, or an exact
// copy when the sizes are equal. Null when the size is not allowed.
TextureSlot resampleTexture(const Texture& source, std::uint32_t width, std::uint32_t height);

}  // namespace tsuzuri
