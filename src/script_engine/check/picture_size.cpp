#include "script_engine/check/picture_size.h"

#include <cstring>

#include "graphics/texture.h"

namespace tsuzuri {
namespace {

std::uint32_t bigEndian32(const std::uint8_t* at) {
    return (std::uint32_t{at[0]} << 24) | (std::uint32_t{at[1]} << 16) |
           (std::uint32_t{at[2]} << 8) | at[3];
}

std::uint32_t littleEndian32(const std::uint8_t* at) {
    return (std::uint32_t{at[3]} << 24) | (std::uint32_t{at[2]} << 16) |
           (std::uint32_t{at[1]} << 8) | at[0];
}

std::string withThousands(std::uint64_t value) {
    std::string digits = std::to_string(value);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<std::size_t>(at), ",");
    }
    return digits;
}

}  // namespace

std::optional<DeclaredSize> declaredPictureSize(const std::uint8_t* bytes, std::size_t size) {
    if (size >= 24 && std::memcmp(bytes, "\x89PNG\r\n\x1a\n", 8) == 0 &&
        std::memcmp(bytes + 12, "IHDR", 4) == 0) {
        return DeclaredSize{bigEndian32(bytes + 16), bigEndian32(bytes + 20)};
    }
    if (size >= 26 && bytes[0] == 'B' && bytes[1] == 'M' && littleEndian32(bytes + 14) >= 40) {
        // A bitmap stored top-down gives a negative height.
        const auto height = static_cast<std::int32_t>(littleEndian32(bytes + 22));
        return DeclaredSize{
            littleEndian32(bytes + 18),
            static_cast<std::uint32_t>(height < 0 ? -static_cast<std::int64_t>(height) : height)};
    }
    return std::nullopt;
}

std::string pictureSizeLimit() {
    return std::to_string(kMaxTextureSide) + " pixels on a side and " +
           withThousands(kMaxTexturePixels) + " in all";
}

}  // namespace tsuzuri
