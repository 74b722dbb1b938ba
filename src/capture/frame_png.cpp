#include "capture/frame_png.h"

#include <png.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "graphics/render_device.h"
#include "graphics/resample.h"
#include "graphics/texture.h"

namespace tsuzuri {

FrameCopy copyFrame(const RenderState& render) {
    if (render.frame.size() != static_cast<std::size_t>(render.outputWidth) *
                                   static_cast<std::size_t>(render.outputHeight)) {
        return {};
    }
    return FrameCopy{render.frame, render.outputWidth, render.outputHeight};
}

std::optional<std::string> thumbnailPng(const FrameCopy& copy, std::uint32_t width,
                                        std::uint32_t height) {
    const auto frameWidth = static_cast<std::uint32_t>(copy.width);
    const auto frameHeight = static_cast<std::uint32_t>(copy.height);
    if (copy.pixels.empty() || copy.pixels.size() != std::size_t{frameWidth} * frameHeight) {
        return std::nullopt;
    }
    TextureSlot frame = createTexture(frameWidth, frameHeight);
    if (!frame) {
        return std::nullopt;
    }
    for (std::uint32_t y = 0; y < frameHeight; ++y) {
        for (std::uint32_t x = 0; x < frameWidth; ++x) {
            *texturePixel(*frame, x, y) =
                copy.pixels[std::size_t{y} * frameWidth + x] | 0xFF000000u;
        }
    }
    const TextureSlot small =
        scalePicture(*frame, PictureRegion{0, 0, frameWidth, frameHeight}, width, height);
    if (!small) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> rgb(std::size_t{width} * height * 3);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint32_t pixel = *texturePixel(*small, x, y);
            std::uint8_t* out = rgb.data() + (std::size_t{y} * width + x) * 3;
            out[0] = static_cast<std::uint8_t>(pixel >> 16);
            out[1] = static_cast<std::uint8_t>(pixel >> 8);
            out[2] = static_cast<std::uint8_t>(pixel);
        }
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    if (png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr) == 0) {
        return std::nullopt;
    }
    std::string bytes(size, '\0');
    if (png_image_write_to_memory(&image, bytes.data(), &size, 0, rgb.data(), 0, nullptr) == 0) {
        return std::nullopt;
    }
    bytes.resize(size);
    return bytes;
}

PngWrite writeFramePng(const RenderState& render, const std::filesystem::path& file, bool replace,
                       std::string& error) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(render.outputWidth);
    image.height = static_cast<png_uint_32>(render.outputHeight);
    image.format = PNG_FORMAT_BGR;  // the frame's alpha byte carries nothing
    if (render.frame.empty() || render.frame.size() != std::size_t{image.width} * image.height) {
        error = "no frame has been shown";
        return PngWrite::Failed;
    }
    // Kept between calls: a recording writes many frames of the same size.
    static std::vector<std::uint8_t> rgb;
    rgb.resize(render.frame.size() * 3);
    for (std::size_t i = 0; i < render.frame.size(); ++i) {
        const std::uint32_t pixel = render.frame[i];
        rgb[i * 3] = static_cast<std::uint8_t>(pixel);
        rgb[i * 3 + 1] = static_cast<std::uint8_t>(pixel >> 8);
        rgb[i * 3 + 2] = static_cast<std::uint8_t>(pixel >> 16);
    }
    // "x": the file is made here, or the call fails with EEXIST; no other writer's file is
    // overwritten between looking and writing.
    std::FILE* out = std::fopen(file.c_str(), replace ? "wb" : "wbx");
    if (out == nullptr) {
        if (errno == EEXIST && !replace) {
            return PngWrite::Exists;
        }
        error = file.string() + ": " + std::strerror(errno);
        return PngWrite::Failed;
    }
    // Made in memory and written in one go, so that a failed write is reported with the
    // system's reason (libpng's own stdio writer only says "Write Error").
    static std::vector<std::uint8_t> png;
    png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(image);
    png.resize(size);
    std::string failure;
    if (png_image_write_to_memory(&image, png.data(), &size, 0, rgb.data(), 0, nullptr) == 0) {
        failure = image.message;
    } else if (std::fwrite(png.data(), 1, size, out) != size) {
        failure = std::strerror(errno);
    }
    if (std::fclose(out) != 0 && failure.empty()) {
        failure = std::strerror(errno);
    }
    if (!failure.empty()) {
        error = file.string() + ": " + failure;
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
        return PngWrite::Failed;
    }
    return PngWrite::Written;
}

}  // namespace tsuzuri
