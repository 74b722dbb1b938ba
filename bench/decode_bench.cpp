// Decoding an 800x600 picture: our bitmap and Targa readers against stb_image, our PNG and
// JPEG paths against the bare library decode of the same file.
#include <benchmark/benchmark.h>
#include <png.h>
#include <stb_image.h>

#include <cstdio>  // before jpeglib.h, which needs FILE

#include <jpeglib.h>

#include <cmath>
#include <string>
#include <vector>

#include "graphics/image_decoder.h"
#include "support/jpeg_file.h"

namespace tsuzuri {
namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

std::vector<unsigned char> gradient() {
    std::vector<unsigned char> rgb(kWidth * kHeight * 3);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            unsigned char* p = &rgb[(y * kWidth + x) * 3];
            p[0] = static_cast<unsigned char>(x * 255 / kWidth);
            p[1] = static_cast<unsigned char>(y * 255 / kHeight);
            p[2] = static_cast<unsigned char>(128 + 100 * std::sin(x / 30.0 + y / 40.0));
        }
    }
    return rgb;
}

std::string le16(unsigned v) {
    return {static_cast<char>(v), static_cast<char>(v >> 8)};
}
std::string le32(unsigned v) {
    return le16(v & 0xFFFF) + le16(v >> 16);
}

std::string bmp24() {
    const std::vector<unsigned char> rgb = gradient();
    std::string pixels;
    for (int y = kHeight - 1; y >= 0; --y) {
        for (int x = 0; x < kWidth; ++x) {
            const unsigned char* p = &rgb[(y * kWidth + x) * 3];
            pixels += {static_cast<char>(p[2]), static_cast<char>(p[1]), static_cast<char>(p[0])};
        }
    }
    return "BM" + le32(54 + pixels.size()) + le32(0) + le32(54) + le32(40) + le32(kWidth) +
           le32(kHeight) + le16(1) + le16(24) + std::string(24, '\0') + pixels;
}

std::string tga24() {
    const std::vector<unsigned char> rgb = gradient();
    std::string file =
        std::string("\0\0\x02\0\0\0\0\0\0\0\0\0", 12) + le16(kWidth) + le16(kHeight) + "\x18\x20";
    for (int i = 0; i < kWidth * kHeight; ++i) {
        file += {static_cast<char>(rgb[i * 3 + 2]), static_cast<char>(rgb[i * 3 + 1]),
                 static_cast<char>(rgb[i * 3])};
    }
    return file;
}

std::string png() {
    const std::vector<unsigned char> rgb = gradient();
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = kWidth;
    image.height = kHeight;
    image.format = PNG_FORMAT_RGB;
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), 0, nullptr);
    std::string file(size, '\0');
    png_image_write_to_memory(&image, file.data(), &size, 0, rgb.data(), 0, nullptr);
    file.resize(size);
    return file;
}

std::string jpeg() {
    return test::encodeJpeg(gradient(), kWidth, kHeight, 3);
}

void decodeOurs(benchmark::State& state, const std::string& file) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(file.data());
    for (auto _ : state) {
        TextureSlot texture;
        decodeImageToTexture(bytes, static_cast<std::uint32_t>(file.size()), kWidth, kHeight,
                             texture);
        benchmark::DoNotOptimize(texture.get());
    }
}

void decodeStb(benchmark::State& state, const std::string& file) {
    for (auto _ : state) {
        int w, h, n;
        unsigned char* pixels =
            stbi_load_from_memory(reinterpret_cast<const unsigned char*>(file.data()),
                                  static_cast<int>(file.size()), &w, &h, &n, 4);
        benchmark::DoNotOptimize(pixels);
        stbi_image_free(pixels);
    }
}

void BM_DecodeBmpOurs(benchmark::State& state) {
    decodeOurs(state, bmp24());
}
void BM_DecodeBmpStb(benchmark::State& state) {
    decodeStb(state, bmp24());
}
void BM_DecodeTgaOurs(benchmark::State& state) {
    decodeOurs(state, tga24());
}
void BM_DecodeTgaStb(benchmark::State& state) {
    decodeStb(state, tga24());
}
void BM_DecodePngOurs(benchmark::State& state) {
    decodeOurs(state, png());
}
void BM_DecodeJpegOurs(benchmark::State& state) {
    decodeOurs(state, jpeg());
}

// The bare library decodes, to 4 bytes a pixel like ours.
void BM_DecodePngLibpng(benchmark::State& state) {
    const std::string file = png();
    std::vector<std::uint32_t> pixels(kWidth * kHeight);
    for (auto _ : state) {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        png_image_begin_read_from_memory(&image, file.data(), file.size());
        image.format = PNG_FORMAT_BGRA;
        png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr);
        benchmark::DoNotOptimize(pixels.data());
    }
}

void BM_DecodeJpegLibjpeg(benchmark::State& state) {
    const std::string file = jpeg();
    std::vector<std::uint32_t> pixels(kWidth * kHeight);
    for (auto _ : state) {
        jpeg_decompress_struct cinfo{};
        jpeg_error_mgr errors{};
        cinfo.err = jpeg_std_error(&errors);
        jpeg_create_decompress(&cinfo);
        jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(file.data()), file.size());
        jpeg_read_header(&cinfo, TRUE);
        cinfo.out_color_space = JCS_EXT_BGRA;
        jpeg_start_decompress(&cinfo);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW row = reinterpret_cast<JSAMPROW>(&pixels[cinfo.output_scanline * kWidth]);
            jpeg_read_scanlines(&cinfo, &row, 1);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        benchmark::DoNotOptimize(pixels.data());
    }
}

BENCHMARK(BM_DecodeBmpOurs)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeBmpStb)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeTgaOurs)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeTgaStb)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodePngOurs)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodePngLibpng)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeJpegOurs)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeJpegLibjpeg)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tsuzuri
