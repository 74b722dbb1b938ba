// JPEG through libjpeg-turbo: baseline, progressive and greyscale, decoded straight to BGRA.
#include <csetjmp>
#include <cstdio>  // before jpeglib.h, which needs FILE

#include <jpeglib.h>

#include "graphics/image_readers.h"

namespace tsuzuri {
namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
};

// libjpeg would end the process on an error; jump back to the reader instead.
void onError(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}
void onMessage(j_common_ptr, int) {}

bool readJpeg(ByteView bytes, ImageInfo* info, DecodedImage* image) {
    if (bytes.size < 3 || bytes.data[0] != 0xFF || bytes.data[1] != 0xD8 || bytes.data[2] != 0xFF) {
        return false;
    }
    jpeg_decompress_struct cinfo{};
    ErrorManager errors{};
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = onError;
    errors.base.emit_message = onMessage;
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, bytes.data, static_cast<unsigned long>(bytes.size));
    if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK ||
        !isTextureSizeAllowed(cinfo.image_width, cinfo.image_height)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    if (info != nullptr) {
        info->width = cinfo.image_width;
        info->height = cinfo.image_height;
        info->format = static_cast<std::uint32_t>(cinfo.jpeg_color_space);
    }
    bool ok = true;
    if (image != nullptr) {
        if (cinfo.num_components != 1 && cinfo.num_components != 3) {
            ok = false;  // CMYK and other layouts are not pictures for the screen
        } else {
            cinfo.out_color_space = JCS_EXT_BGRA;
            jpeg_start_decompress(&cinfo);
            // Every row is written below, or an error drops the picture.
            ok = allocateImageUncleared(*image, cinfo.output_width, cinfo.output_height);
            while (ok && cinfo.output_scanline < cinfo.output_height) {
                JSAMPROW row = reinterpret_cast<JSAMPROW>(
                    image->pixels.data() + std::size_t{cinfo.output_scanline} * cinfo.output_width);
                jpeg_read_scanlines(&cinfo, &row, 1);
            }
            if (ok) {
                jpeg_finish_decompress(&cinfo);
            }
        }
    }
    jpeg_destroy_decompress(&cinfo);
    return ok;
}

}  // namespace

bool readJpegInfo(ByteView bytes, ImageInfo& info) {
    return readJpeg(bytes, &info, nullptr);
}

bool decodeJpeg(ByteView bytes, DecodedImage& image) {
    return readJpeg(bytes, nullptr, &image);
}

}  // namespace tsuzuri
