#include "graphics/texture.h"

#include <atomic>
#include <new>

namespace tsuzuri {
namespace {

// Counted from any thread: the script checker decodes pictures on several at once.
std::atomic<std::uint64_t> editCount{0};

}  // namespace

std::uint64_t textureEditCount() {
    return editCount;
}

bool isTextureSizeAllowed(std::uint32_t width, std::uint32_t height) {
    return width > 0 && height > 0 && width <= kMaxTextureSide && height <= kMaxTextureSide &&
           std::uint64_t{width} * height <= kMaxTexturePixels;
}

TextureSlot createTexture(std::uint32_t width, std::uint32_t height) {
    if (!isTextureSizeAllowed(width, height)) {
        return nullptr;
    }
    auto texture = std::make_unique<Texture>();
    texture->version = ++editCount;
    texture->width = width;
    texture->height = height;
    texture->pitch = static_cast<std::int32_t>(width * 4);
    try {
        texture->pixels.assign(static_cast<size_t>(width) * height, 0);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return texture;
}

TextureSlot adoptTexturePixels(std::uint32_t width, std::uint32_t height, PixelVector&& pixels) {
    if (!isTextureSizeAllowed(width, height) || pixels.size() != std::size_t{width} * height) {
        return nullptr;
    }
    auto texture = std::make_unique<Texture>();
    texture->version = ++editCount;
    texture->width = width;
    texture->height = height;
    texture->pitch = static_cast<std::int32_t>(width * 4);
    texture->pixels = std::move(pixels);
    return texture;
}

Status lockTexture(Texture* texture, LockedRect& locked) {
    if (texture == nullptr || texture->pixels.empty()) {
        return E_FAIL;
    }
    texture->version = ++editCount;
    locked.pitch = texture->pitch;
    locked.width = static_cast<std::int32_t>(texture->width);
    locked.height = static_cast<std::int32_t>(texture->height);
    locked.bits = reinterpret_cast<std::uint8_t*>(texture->pixels.data());
    return S_OK;
}

Status unlockTexture(Texture* texture) {
    return texture == nullptr ? E_FAIL : S_OK;
}

}  // namespace tsuzuri
