// GIF through giflib, for the second chance only: the first frame drawn on the logical screen
// (the rest of which takes the background colour), opaque, at the screen's size.
#include <gif_lib.h>

#include <cstring>

#include "graphics/image_readers.h"

namespace tsuzuri {
namespace {

struct Source {
    ByteView bytes;
    std::uint64_t at = 0;
};

int readFromMemory(GifFileType* gif, GifByteType* out, int count) {
    auto* source = static_cast<Source*>(gif->UserData);
    const std::uint64_t available = source->bytes.size - std::min(source->at, source->bytes.size);
    const auto taken =
        static_cast<int>(std::min<std::uint64_t>(available, static_cast<std::uint64_t>(count)));
    std::memcpy(out, source->bytes.data + source->at, static_cast<std::size_t>(taken));
    source->at += static_cast<std::uint64_t>(taken);
    return taken;
}

std::uint32_t colourOf(const ColorMapObject* map, int index) {
    if (map == nullptr || index < 0 || index >= map->ColorCount) {
        return 0xFF000000u;
    }
    const GifColorType& c = map->Colors[index];
    return 0xFF000000u | (std::uint32_t{c.Red} << 16) | (std::uint32_t{c.Green} << 8) | c.Blue;
}

}  // namespace

bool decodeGif(ByteView bytes, DecodedImage& image) {
    if (bytes.size < 6 ||
        (std::memcmp(bytes.data, "GIF87a", 6) != 0 && std::memcmp(bytes.data, "GIF89a", 6) != 0)) {
        return false;
    }
    Source source{bytes, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&source, readFromMemory, &error);
    if (gif == nullptr) {
        return false;
    }
    bool ok = gif->SWidth > 0 && gif->SHeight > 0 &&
              isTextureSizeAllowed(static_cast<std::uint32_t>(gif->SWidth),
                                   static_cast<std::uint32_t>(gif->SHeight)) &&
              DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0 &&
              allocateImage(image, static_cast<std::uint32_t>(gif->SWidth),
                            static_cast<std::uint32_t>(gif->SHeight));
    if (ok) {
        std::fill(image.pixels.begin(), image.pixels.end(),
                  colourOf(gif->SColorMap, gif->SBackGroundColor));
        const SavedImage& frame = gif->SavedImages[0];
        const GifImageDesc& d = frame.ImageDesc;
        const ColorMapObject* map = d.ColorMap != nullptr ? d.ColorMap : gif->SColorMap;
        // DGifSlurp has already put the rows of an interlaced frame in display order.
        for (int row = 0; row < d.Height; ++row) {
            const int y = d.Top + row;
            for (int column = 0; column < d.Width; ++column) {
                const int x = d.Left + column;
                if (x < 0 || y < 0 || x >= gif->SWidth || y >= gif->SHeight) {
                    continue;
                }
                const int index =
                    frame.RasterBits[static_cast<std::size_t>(row) * d.Width + column];
                image.pixels[static_cast<std::size_t>(y) * gif->SWidth + x] = colourOf(map, index);
            }
        }
    }
    DGifCloseFile(gif, &error);
    return ok;
}

}  // namespace tsuzuri
