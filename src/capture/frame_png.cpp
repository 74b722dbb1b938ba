#include "capture/frame_png.h"

#include <png.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "graphics/render_device.h"

namespace tsuzuri {

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
    const bool written = png_image_write_to_stdio(&image, out, 0, rgb.data(), 0, nullptr) != 0;
    const int writeErrno = errno;
    const bool closed = std::fclose(out) == 0;
    if (!written || !closed) {
        error = file.string() + ": " +
                (!written ? std::string(image.message) : std::string(std::strerror(writeErrno)));
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
        return PngWrite::Failed;
    }
    return PngWrite::Written;
}

}  // namespace tsuzuri
