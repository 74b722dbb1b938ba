// Resizing pictures: mask pictures whose size differs from their image's, and pictures drawn
// into a frame larger or smaller than 800x600.
#pragma once

#include <cstdint>

#include "graphics/texture.h"

namespace tsuzuri {

// A new texture of width x height from `source`: a tent filter with dithering, or an exact
// copy when the sizes are equal. Null when the size is not allowed.
TextureSlot resampleTexture(const Texture& source, std::uint32_t width, std::uint32_t height);

// The part of a picture that is scaled.
struct PictureRegion {
    std::uint32_t x = 0;
    std::uint32_t y = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

// A new texture of width x height from `region` of `source` (which the caller keeps inside
// it), for showing at another scale: a Catmull-Rom (bicubic) filter, sharp when enlarging and
// without aliasing when shrinking, with colour weighted by alpha so that transparent texels do
// not bleed into visible ones. An exact copy when the sizes are equal; null when the size is
// not allowed or memory runs out.
TextureSlot scalePicture(const Texture& source, const PictureRegion& region, std::uint32_t width,
                         std::uint32_t height);

}  // namespace tsuzuri
