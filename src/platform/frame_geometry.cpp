#include "platform/frame_geometry.h"

#include <algorithm>
#include <cstdint>

namespace tsuzuri {
namespace {

std::int64_t floorDivide(std::int64_t numerator, std::int64_t denominator) {
    const std::int64_t quotient = numerator / denominator;
    return (numerator % denominator != 0 && (numerator < 0) != (denominator < 0)) ? quotient - 1
                                                                                  : quotient;
}

}  // namespace

FramePlacement fitFrame(int drawableWidth, int drawableHeight) {
    const std::int64_t w = std::max(drawableWidth, 4);
    const std::int64_t h = std::max(drawableHeight, 3);
    std::int64_t width = w;
    std::int64_t height = h;
    if (w * kScreenHeight >= h * kScreenWidth) {
        width = std::min(w, (2 * h * kScreenWidth + kScreenHeight) / (2 * kScreenHeight));
    } else {
        height = std::min(h, (2 * w * kScreenHeight + kScreenWidth) / (2 * kScreenWidth));
    }
    return FramePlacement{static_cast<int>((std::max(drawableWidth, 0) - width) / 2),
                          static_cast<int>((std::max(drawableHeight, 0) - height) / 2),
                          static_cast<int>(width), static_cast<int>(height)};
}

int frameToOutput(int coordinate, int outputSize, int frameSize) {
    return static_cast<int>(
        floorDivide(std::int64_t{coordinate} * outputSize, std::int64_t{frameSize}));
}

int outputToFrame(int pixel, int outputSize, int frameSize) {
    // The largest c with frameToOutput(c) <= pixel.
    return static_cast<int>(
        floorDivide((std::int64_t{pixel} + 1) * frameSize - 1, std::int64_t{outputSize}));
}

}  // namespace tsuzuri
