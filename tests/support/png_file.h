// Reading and writing 32-bit PNG files in tests (golden images).
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

namespace tsuzuri::test {

struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0xAARRGGBB
};

// How writePng stores the pixels: with their alpha, without it (24-bit colour, as pictures
// whose alpha comes from a mask are), or as grey (the green channel, as masks are).
enum class PngPixels { Rgba, Rgb, Grey };

bool writePng(const std::filesystem::path& file, const RgbaImage& image,
              PngPixels pixels = PngPixels::Rgba);
bool readPng(const std::filesystem::path& file, RgbaImage& image);

}  // namespace tsuzuri::test
