// Textures: 32-bit pictures held in memory, A8R8G8B8 (bytes blue, green, red, alpha).
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include "common/status.h"

namespace tsuzuri {

// Pictures larger than this are refused before anything is allocated.
constexpr std::uint32_t kMaxTextureSide = 16384;
constexpr std::uint64_t kMaxTexturePixels = std::uint64_t{1} << 26;

// An allocator that leaves elements uninitialised when a vector grows without a value, so a
// decoder that writes every pixel does not first pay for clearing the whole picture (a tenth
// of a JPEG's decoding time). Growing with a value, as assign(n, 0), clears as usual.
template <typename T>
struct UninitialisedAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = UninitialisedAllocator<U>;
    };
    UninitialisedAllocator() = default;
    template <typename U>
    UninitialisedAllocator(const UninitialisedAllocator<U>&) noexcept {}
    template <typename U>
    void construct(U* at) noexcept {
        ::new (static_cast<void*>(at)) U;
    }
    template <typename U, typename... Args>
    void construct(U* at, Args&&... args) {
        ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
    }
};

// A picture's pixels. Every place that makes one says what they start as.
using PixelVector = std::vector<std::uint32_t, UninitialisedAllocator<std::uint32_t>>;

struct Texture {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::int32_t pitch = 0;  // bytes per row
    PixelVector pixels;      // height rows of pitch bytes
    // Set from textureEditCount when the texture is made and at each lock, so no two states
    // of any textures share a number: what was derived from a texture is still valid while
    // the texture and its version are the same.
    std::uint64_t version = 0;
};

// A place that holds one texture or none.
using TextureSlot = std::unique_ptr<Texture>;

// Access to a texture's pixels between lockTexture and unlockTexture.
struct LockedRect {
    std::int32_t pitch = 0;
    std::uint8_t* bits = nullptr;
    std::int32_t width = 0;  // the texture's size
    std::int32_t height = 0;
};

// A new texture with every byte 0, or null when the size is 0 or over the limits.
TextureSlot createTexture(std::uint32_t width, std::uint32_t height);

// A texture that takes over `pixels` (width x height values, row after row) without copying.
TextureSlot adoptTexturePixels(std::uint32_t width, std::uint32_t height, PixelVector&& pixels);

// True when a texture of this size may be made.
bool isTextureSizeAllowed(std::uint32_t width, std::uint32_t height);

Status lockTexture(Texture* texture, LockedRect& locked);
// Counts texture creations and locks: when it has not moved, no texture content has changed
// (all writes to a shown texture go through a lock).
std::uint64_t textureEditCount();
Status unlockTexture(Texture* texture);

// The pixel at (x, y); the caller keeps x and y inside the texture.
inline std::uint32_t* texturePixel(Texture& texture, std::uint32_t x, std::uint32_t y) {
    return texture.pixels.data() +
           static_cast<size_t>(y) * (static_cast<size_t>(texture.pitch) / 4) + x;
}

}  // namespace tsuzuri
