// The frame as presented (RenderState's frame: at the output size, without the bars around it)
// written as an 8-bit RGB PNG file, for recordings and for screenshots.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "graphics/render_device.h"

namespace tsuzuri {

enum class PngWrite { Written, Exists, Failed };

// Writes the frame of `render` to `file`. With `replace` false an existing file is left alone and
// the answer is Exists. On failure nothing is left behind and `error` says why.
// A frame's pixels kept aside (A8R8G8B8, width x height; none when no frame was shown).
struct FrameCopy {
    std::vector<std::uint32_t> pixels;
    int width = 0;
    int height = 0;
};
FrameCopy copyFrame(const RenderState& render);

// The frame shrunk to width x height (a Catmull-Rom filter, so text stays legible), as the
// bytes of an 8-bit RGB PNG file; nothing when there is no frame or memory runs out.
std::optional<std::string> thumbnailPng(const FrameCopy& frame, std::uint32_t width,
                                        std::uint32_t height);

PngWrite writeFramePng(const RenderState& render, const std::filesystem::path& file, bool replace,
                       std::string& error);

}  // namespace tsuzuri
