#include "support/png_file.h"

#include <png.h>

#include <cstdio>

namespace tsuzuri::test {

bool writePng(const std::filesystem::path& file, const RgbaImage& image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_BGRA;
    return png_image_write_to_file(&png, file.c_str(), 0, image.pixels.data(), 0, nullptr) != 0;
}

bool readPng(const std::filesystem::path& file, RgbaImage& image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&png, file.c_str()) == 0) {
        return false;
    }
    png.format = PNG_FORMAT_BGRA;
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    image.pixels.assign(static_cast<size_t>(png.width) * png.height, 0);
    if (png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr) == 0) {
        png_image_free(&png);
        return false;
    }
    return true;
}

}  // namespace tsuzuri::test
