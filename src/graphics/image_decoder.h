// Identifying image files held in memory and decoding them into textures.
#pragma once

#include <cstdint>

#include "common/status.h"
#include "graphics/texture.h"

namespace tsuzuri {

// File format codes.
enum ImageFileFormat : std::uint32_t {
    ImageFormatBmp = 0,
    ImageFormatJpg = 1,
    ImageFormatTga = 2,
    ImageFormatPng = 3,
    ImageFormatDds = 4,
    ImageFormatPpm = 5,
    ImageFormatDib = 6,
    ImageFormatHdr = 7,
    ImageFormatPfm = 8,
};

struct ImageInfo {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t depth = 1;
    std::uint32_t mipLevels = 1;
    std::uint32_t format = 0;        // pixel format of the file's data (reader-specific code)
    std::uint32_t resourceType = 0;  // 0: a flat texture
    std::uint32_t fileFormat = 0;    // an ImageFileFormat
};

// Identifies the image and reports its size. `info` is written only on success.
Status readImageInfo(const std::uint8_t* bytes, std::uint32_t size, ImageInfo& info);

// Decodes the first image of the file into a new texture of width x height, resampling when
// that differs from the image's own size. Formats without alpha give alpha 255.
Status decodeImageToTexture(const std::uint8_t* bytes, std::uint32_t size, std::uint32_t width,
                            std::uint32_t height, TextureSlot& out);

}  // namespace tsuzuri
