// PNG through libpng: every colour type and depth becomes 8-bit BGRA (16-bit channels scaled
// with rounding, palette and grey expanded, tRNS turned into alpha, interlacing undone).
#include <png.h>

#include <csetjmp>
#include <cstring>

#include "graphics/image_readers.h"

namespace tsuzuri {
namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

struct Source {
    ByteView bytes;
    std::uint64_t at = 0;
};

void readFromMemory(png_structp png, png_bytep out, png_size_t count) {
    auto* source = static_cast<Source*>(png_get_io_ptr(png));
    if (!source->bytes.has(source->at, count)) {
        png_error(png, "read past the end of the data");
    }
    std::memcpy(out, source->bytes.data + source->at, count);
    source->at += count;
}

// libpng reports errors by jumping back to the setjmp of the reader; warnings are ignored.
void onError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void onWarning(png_structp, png_const_charp) {}

// Reads the header, and the pixels too when `image` is given. Everything libpng allocates is
// freed on every path.
bool readPng(ByteView bytes, ImageInfo* info, DecodedImage* image) {
    if (bytes.size < 8 || std::memcmp(bytes.data, kSignature, 8) != 0) {
        return false;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
    if (png == nullptr) {
        return false;
    }
    png_infop pngInfo = png_create_info_struct(png);
    if (pngInfo == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    Source source{bytes, 0};
    std::vector<png_bytep> rows;  // declared before the setjmp so a jump leaves it valid
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_read_struct(&png, &pngInfo, nullptr);
        return false;
    }
    png_set_read_fn(png, &source, readFromMemory);
    png_set_user_limits(png, kMaxTextureSide, kMaxTextureSide);
    png_read_info(png, pngInfo);
    const png_uint_32 width = png_get_image_width(png, pngInfo);
    const png_uint_32 height = png_get_image_height(png, pngInfo);
    if (!isTextureSizeAllowed(width, height)) {
        png_destroy_read_struct(&png, &pngInfo, nullptr);
        return false;
    }
    if (info != nullptr) {
        info->width = width;
        info->height = height;
        info->format = png_get_color_type(png, pngInfo);
    }
    bool ok = true;
    if (image != nullptr) {
        png_set_expand(png);  // palette to RGB, grey below 8 bits to 8, tRNS to alpha
        png_set_scale_16(png);
        png_set_gray_to_rgb(png);
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
        png_set_bgr(png);
        png_set_interlace_handling(png);
        png_read_update_info(png, pngInfo);
        ok = png_get_rowbytes(png, pngInfo) == std::size_t{width} * 4 &&
             allocateImageUncleared(*image, width, height);  // every row is read below
        if (ok) {
            rows.resize(height);
            for (png_uint_32 y = 0; y < height; ++y) {
                rows[y] =
                    reinterpret_cast<png_bytep>(image->pixels.data() + std::size_t{y} * width);
            }
            png_read_image(png, rows.data());
        }
    }
    png_destroy_read_struct(&png, &pngInfo, nullptr);
    return ok;
}

}  // namespace

bool readPngInfo(ByteView bytes, ImageInfo& info) {
    return readPng(bytes, &info, nullptr);
}

bool decodePng(ByteView bytes, DecodedImage& image) {
    return readPng(bytes, nullptr, &image);
}

}  // namespace tsuzuri
