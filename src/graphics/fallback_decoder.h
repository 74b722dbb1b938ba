// The second-chance picture decoder for files no image reader identifies: lenient bitmaps,
// JPEG and GIF (first frame), always opaque, at the file's own pixel size.
#pragma once

#include <cstdint>

#include "common/status.h"
#include "graphics/texture.h"

namespace tsuzuri {

Status decodeFallbackPicture(const std::uint8_t* bytes, std::uint32_t size, TextureSlot& out);

}  // namespace tsuzuri
