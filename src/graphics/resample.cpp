// Resizing with a tent (triangle) filter, then ordered dithering back to 8 bits per channel.
// The filter is as wide as one source pixel when enlarging and as wide as the step between
// destination pixels when shrinking, so every source pixel counts. Dithering spreads the
// rounding of smooth gradients; whole values (a flat white or black) come out unchanged.
#include "graphics/resample.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace tsuzuri {
namespace {

// Weights of the source pixels for each destination pixel along one axis.
struct Taps {
    std::vector<std::uint32_t> first;  // first source index per destination pixel
    std::vector<std::uint32_t> count;
    std::vector<float> weights;       // count[i] weights per destination pixel, in order
    std::vector<std::size_t> offset;  // where each destination pixel's weights start
};

Taps makeTaps(std::uint32_t source, std::uint32_t destination) {
    Taps taps;
    const double scale = double(source) / destination;
    const double radius = std::max(1.0, scale);
    taps.first.resize(destination);
    taps.count.resize(destination);
    taps.offset.resize(destination);
    for (std::uint32_t d = 0; d < destination; ++d) {
        const double centre = (d + 0.5) * scale - 0.5;
        const auto lo = static_cast<std::int64_t>(std::ceil(centre - radius));
        const auto hi = static_cast<std::int64_t>(std::floor(centre + radius));
        const auto first = static_cast<std::uint32_t>(std::clamp<std::int64_t>(lo, 0, source - 1));
        const auto last = static_cast<std::uint32_t>(std::clamp<std::int64_t>(hi, 0, source - 1));
        taps.first[d] = first;
        taps.offset[d] = taps.weights.size();
        double total = 0;
        for (std::uint32_t s = first; s <= last; ++s) {
            total += std::max(0.0, 1.0 - std::abs(s - centre) / radius);
        }
        for (std::uint32_t s = first; s <= last; ++s) {
            const double w = std::max(0.0, 1.0 - std::abs(s - centre) / radius);
            taps.weights.push_back(
                static_cast<float>(total > 0 ? w / total : (s == first ? 1.0 : 0.0)));
        }
        taps.count[d] = last - first + 1;
    }
    return taps;
}

// A 4x4 ordered-dither threshold in [0, 1).
float threshold(std::uint32_t x, std::uint32_t y) {
    static constexpr std::uint8_t kBayer[4][4] = {
        {0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    return (kBayer[y % 4][x % 4] + 0.5f) / 16.0f;
}

}  // namespace

TextureSlot resampleTexture(const Texture& source, std::uint32_t width, std::uint32_t height) {
    TextureSlot out = createTexture(width, height);
    if (!out || source.width == 0 || source.height == 0) {
        return nullptr;
    }
    if (source.width == width && source.height == height) {
        std::memcpy(out->pixels.data(), source.pixels.data(),
                    out->pixels.size() * sizeof(std::uint32_t));
        return out;
    }
    const Taps across = makeTaps(source.width, width);
    const Taps down = makeTaps(source.height, height);
    // First across: source rows to destination width, four float channels per pixel.
    std::vector<float> rows;
    try {
        rows.assign(std::size_t{source.height} * width * 4, 0.0f);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    const std::uint32_t sourceStride = static_cast<std::uint32_t>(source.pitch / 4);
    for (std::uint32_t y = 0; y < source.height; ++y) {
        const std::uint32_t* in = source.pixels.data() + std::size_t{y} * sourceStride;
        float* row = rows.data() + std::size_t{y} * width * 4;
        for (std::uint32_t x = 0; x < width; ++x) {
            const float* w = across.weights.data() + across.offset[x];
            float sum[4] = {};
            for (std::uint32_t k = 0; k < across.count[x]; ++k) {
                const std::uint32_t p = in[across.first[x] + k];
                for (int c = 0; c < 4; ++c) {
                    sum[c] += w[k] * static_cast<float>((p >> (8 * c)) & 0xFF);
                }
            }
            std::memcpy(row + std::size_t{x} * 4, sum, sizeof sum);
        }
    }
    // Then down, dithering each channel back to a byte.
    for (std::uint32_t y = 0; y < height; ++y) {
        const float* w = down.weights.data() + down.offset[y];
        std::uint32_t* target = texturePixel(*out, 0, y);
        for (std::uint32_t x = 0; x < width; ++x) {
            float sum[4] = {};
            for (std::uint32_t k = 0; k < down.count[y]; ++k) {
                const float* p = rows.data() + (std::size_t{down.first[y] + k} * width + x) * 4;
                for (int c = 0; c < 4; ++c) {
                    sum[c] += w[k] * p[c];
                }
            }
            const float t = threshold(x, y);
            std::uint32_t pixel = 0;
            for (int c = 0; c < 4; ++c) {
                // A whole value plus a threshold below 1 floors back to itself; the small
                // margin keeps float error from pushing exact values over.
                const float v = std::floor(sum[c] + t - 1e-3f);
                pixel |= static_cast<std::uint32_t>(std::clamp(v, 0.0f, 255.0f)) << (8 * c);
            }
            target[x] = pixel;
        }
    }
    return out;
}

}  // namespace tsuzuri
