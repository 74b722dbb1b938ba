// The size a picture file declares in its header, read without decoding, so that a picture the
// readers refuse for its size is reported as too large rather than as unknown.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace tsuzuri {

struct DeclaredSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

// The width and height a PNG or bitmap header gives; nothing for other files.
std::optional<DeclaredSize> declaredPictureSize(const std::uint8_t* bytes, std::size_t size);

// "16384 pixels on a side and 67,108,864 in all".
std::string pictureSizeLimit();

}  // namespace tsuzuri
