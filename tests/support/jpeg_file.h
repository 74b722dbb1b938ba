// JPEG files written by libjpeg's encoder: for testing our JPEG reading, for the decoding
// benchmark and for the demo game's pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tsuzuri::test {

struct JpegSettings {
    int quality = 75;  // libjpeg's default
    bool progressive = false;
};

// Encodes a picture given as 8-bit samples, top row first, `components` to a pixel: 1 for grey,
// 3 for RGB. Answers the file's bytes, or nothing when the samples do not fill the picture.
std::string encodeJpeg(const std::vector<std::uint8_t>& samples, int width, int height,
                       int components, JpegSettings settings = {});

}  // namespace tsuzuri::test
