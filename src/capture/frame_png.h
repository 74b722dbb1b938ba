// The frame as presented (RenderState's frame: at the output size, without the bars around it)
// written as an 8-bit RGB PNG file, for recordings and for screenshots.
#pragma once

#include <filesystem>
#include <string>

#include "graphics/render_device.h"

namespace tsuzuri {

enum class PngWrite { Written, Exists, Failed };

// Writes the frame of `render` to `file`. With `replace` false an existing file is left alone and
// the answer is Exists. On failure nothing is left behind and `error` says why.
PngWrite writeFramePng(const RenderState& render, const std::filesystem::path& file, bool replace,
                       std::string& error);

}  // namespace tsuzuri
