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

bool writePng(const std::filesystem::path& file, const RgbaImage& image);
bool readPng(const std::filesystem::path& file, RgbaImage& image);

}  // namespace tsuzuri::test
