#include "support/jpeg_file.h"

#include <cstdio>  // before jpeglib.h, which needs FILE
#include <cstdlib>

#include <jpeglib.h>

namespace tsuzuri::test {

std::string encodeJpeg(const std::vector<std::uint8_t>& samples, int width, int height,
                       int components, JpegSettings settings) {
    const std::size_t rowSize = static_cast<std::size_t>(width) * components;
    if (width <= 0 || height <= 0 || samples.size() != rowSize * height) {
        return {};
    }
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = components;
    cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, settings.quality, TRUE);
    if (settings.progressive) {
        jpeg_simple_progression(&cinfo);
    }
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        // libjpeg only reads the rows it is given.
        JSAMPROW row = const_cast<std::uint8_t*>(samples.data()) + cinfo.next_scanline * rowSize;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::string file(reinterpret_cast<const char*>(buffer), size);
    std::free(buffer);
    return file;
}

}  // namespace tsuzuri::test
