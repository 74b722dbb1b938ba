#include "support/png_file.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <vector>

namespace tsuzuri::test {

bool writePng(const std::filesystem::path& file, const RgbaImage& image, PngPixels pixels) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    if (pixels == PngPixels::Rgba) {
        png.format = PNG_FORMAT_BGRA;
        return png_image_write_to_file(&png, file.c_str(), 0, image.pixels.data(), 0, nullptr) != 0;
    }
    // The simplified writer takes the bytes of the stored format: B, G, R or grey alone.
    std::vector<png_byte> bytes;
    bytes.reserve(image.pixels.size() * (pixels == PngPixels::Rgb ? 3 : 1));
    for (const std::uint32_t pixel : image.pixels) {
        if (pixels == PngPixels::Rgb) {
            bytes.push_back(static_cast<png_byte>(pixel));
            bytes.push_back(static_cast<png_byte>(pixel >> 8));
            bytes.push_back(static_cast<png_byte>(pixel >> 16));
        } else {
            bytes.push_back(static_cast<png_byte>(pixel >> 8));
        }
    }
    png.format = pixels == PngPixels::Rgb ? PNG_FORMAT_BGR : PNG_FORMAT_GRAY;
    return png_image_write_to_file(&png, file.c_str(), 0, bytes.data(), 0, nullptr) != 0;
}

// Reads the stored values as they are: no gamma or colour-space conversion (which libpng's
// simplified reader would apply for the files' gAMA chunks).
bool readPng(const std::filesystem::path& file, RgbaImage& image) {
    FILE* stream = std::fopen(file.c_str(), "rb");
    if (stream == nullptr) {
        return false;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(stream);
        return false;
    }
    png_init_io(png, stream);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    image.width = static_cast<int>(png_get_image_width(png, info));
    image.height = static_cast<int>(png_get_image_height(png, info));
    image.pixels.assign(static_cast<size_t>(image.width) * image.height, 0);
    std::vector<png_bytep> rows(static_cast<size_t>(image.height));
    for (int y = 0; y < image.height; ++y) {
        rows[static_cast<size_t>(y)] =
            reinterpret_cast<png_bytep>(image.pixels.data() + static_cast<size_t>(y) * image.width);
    }
    png_read_image(png, rows.data());
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(stream);
    return true;
}

}  // namespace tsuzuri::test
