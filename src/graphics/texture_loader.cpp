#include "graphics/texture_loader.h"

#include "common/file_buffer.h"
#include "graphics/fallback_decoder.h"
#include "graphics/image_decoder.h"
#include "graphics/resample.h"
#include "platform/platform.h"

namespace tsuzuri {
namespace {

// テクスチャの作成に失敗しました
constexpr char kTextureFailedText[] =
    "\x83"
    "e\x83N\x83X\x83`\x83\x83\x82\xCC\x8D\xEC\x90\xAC\x82\xC9\x8E\xB8\x94s\x82\xB5\x82\xDC"
    "\x82\xB5\x82\xBD";

void reportTextureFailure(const GamePath& path) {
    std::optional<std::filesystem::path> file = resolveGameFile(path);
    platform::showMessageBoxForFile(file ? *file : plausibleNativePath(path), kTextureFailedText);
}

// Replaces each image pixel's alpha with red & green & blue of the mask pixel at the same
// place. Both textures have the same size.
void mergeMaskAlpha(Texture& image, Texture& mask) {
    LockedRect imageBits;
    if (failed(lockTexture(&image, imageBits))) {
        return;
    }
    LockedRect maskBits;
    if (failed(lockTexture(&mask, maskBits))) {
        unlockTexture(&image);
        return;
    }
    for (std::uint32_t y = 0; y < image.height; ++y) {
        auto* imageRow = reinterpret_cast<std::uint32_t*>(
            imageBits.bits + static_cast<std::ptrdiff_t>(y) * imageBits.pitch);
        const auto* maskRow = reinterpret_cast<const std::uint32_t*>(
            maskBits.bits + static_cast<std::ptrdiff_t>(y) * maskBits.pitch);
        for (std::uint32_t x = 0; x < image.width; ++x) {
            const std::uint32_t m = maskRow[x];
            const std::uint32_t alpha = (m >> 16) & (m >> 8) & m & 0xFF;
            imageRow[x] = (imageRow[x] & 0x00FFFFFFu) | (alpha << 24);
        }
    }
    unlockTexture(&mask);
    unlockTexture(&image);
}

}  // namespace

std::optional<GamePath> maskPathFor(const GamePath& path) {
    const size_t nameDot = path.name.rfind('.');
    if (nameDot != std::string::npos) {
        GamePath mask = path;
        mask.name.insert(nameDot, "-m");
        return mask;
    }
    std::string folder = path.folder.string();
    const size_t folderDot = folder.rfind('.');
    if (folderDot == std::string::npos) {
        return std::nullopt;
    }
    folder.insert(folderDot, "-m");
    return GamePath{folder, path.name};
}

Status loadPictureFallback(const GamePath& path, TextureSlot& slot) {
    FileBuffer file;
    if (!loadWholeFile(file, path)) {
        return E_FAIL;
    }
    TextureSlot picture;
    const Status status =
        decodeFallbackPicture(file.data.get(), static_cast<std::uint32_t>(file.size), picture);
    releaseFileBuffer(file);
    if (failed(status) || !picture) {
        return E_FAIL;
    }
    slot = std::move(picture);
    return S_OK;
}

PictureFault decodeMaskedTexture(const GamePath& path, TextureSlot& slot) {
    FileBuffer image;
    if (!loadWholeFile(image, path)) {
        return PictureFault::Unreadable;
    }
    const std::optional<GamePath> maskPath = maskPathFor(path);
    FileBuffer mask;
    const bool hasMask = maskPath && loadWholeFile(mask, *maskPath);
    slot.reset();

    TextureSlot imageTexture;
    TextureSlot maskTexture;
    ImageInfo info;
    const auto imageSize = static_cast<std::uint32_t>(image.size);
    if (!failed(readImageInfo(image.data.get(), imageSize, info))) {
        if (failed(decodeImageToTexture(image.data.get(), imageSize, info.width, info.height,
                                        imageTexture))) {
            return PictureFault::Picture;
        }
        if (hasMask &&
            failed(decodeImageToTexture(mask.data.get(), static_cast<std::uint32_t>(mask.size),
                                        info.width, info.height, maskTexture))) {
            return PictureFault::Mask;
        }
    } else {
        if (failed(loadPictureFallback(path, imageTexture))) {
            return PictureFault::Picture;
        }
        if (hasMask) {
            if (failed(loadPictureFallback(*maskPath, maskTexture))) {
                return PictureFault::Mask;
            }
            // The mask is read over the image's pixels, so it must have the image's size.
            if (maskTexture->width != imageTexture->width ||
                maskTexture->height != imageTexture->height) {
                maskTexture =
                    resampleTexture(*maskTexture, imageTexture->width, imageTexture->height);
                if (!maskTexture) {
                    return PictureFault::Mask;
                }
            }
        }
    }
    if (maskTexture) {
        mergeMaskAlpha(*imageTexture, *maskTexture);
    }
    slot = std::move(imageTexture);
    return PictureFault::None;
}

Status loadMaskedTexture(const GamePath& path, TextureSlot& slot) {
    switch (decodeMaskedTexture(path, slot)) {
        case PictureFault::None:
            return S_OK;
        case PictureFault::Unreadable:
            return E_FAIL;
        case PictureFault::Picture:
            reportTextureFailure(path);
            return E_FAIL;
        case PictureFault::Mask:
            reportTextureFailure(*maskPathFor(path));
            return E_FAIL;
    }
    return E_FAIL;
}

}  // namespace tsuzuri
