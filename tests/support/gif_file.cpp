#include "support/gif_file.h"

#include <gif_lib.h>

namespace tsuzuri::test {
namespace {

int appendToString(GifFileType* gif, const GifByteType* bytes, int count) {
    static_cast<std::string*>(gif->UserData)
        ->append(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(count));
    return count;
}

ColorMapObject* makeMap(const std::vector<std::uint32_t>& colours) {
    std::vector<GifColorType> entries;
    for (std::uint32_t c : colours) {
        entries.push_back({static_cast<GifByteType>(c >> 16), static_cast<GifByteType>(c >> 8),
                           static_cast<GifByteType>(c)});
    }
    return GifMakeMapObject(static_cast<int>(entries.size()), entries.data());
}

}  // namespace

std::string writeGif(int screenWidth, int screenHeight, const std::vector<std::uint32_t>& colours,
                     int background, const GifFrame& frame) {
    std::string file;
    int error = 0;
    GifFileType* gif = EGifOpen(&file, appendToString, &error);
    if (gif == nullptr) {
        return {};
    }
    EGifSetGifVersion(gif, true);
    ColorMapObject* global = makeMap(colours);
    ColorMapObject* local = frame.localColours.empty() ? nullptr : makeMap(frame.localColours);
    bool ok = global != nullptr && (frame.localColours.empty() || local != nullptr) &&
              EGifPutScreenDesc(gif, screenWidth, screenHeight, 8, background, global) == GIF_OK &&
              EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height,
                               frame.interlaced, local) == GIF_OK;
    // An interlaced frame stores every 8th row from 0, every 8th from 4, every 4th from 2,
    // then every 2nd from 1.
    const int starts[4] = {0, 4, 2, 1};
    const int steps[4] = {8, 8, 4, 2};
    for (int pass = frame.interlaced ? 0 : 3; ok && pass < 4; ++pass) {
        const int start = frame.interlaced ? starts[pass] : 0;
        const int step = frame.interlaced ? steps[pass] : 1;
        for (int y = start; ok && y < frame.height; y += step) {
            std::vector<GifPixelType> row(frame.indexes.begin() + y * frame.width,
                                          frame.indexes.begin() + (y + 1) * frame.width);
            ok = EGifPutLine(gif, row.data(), frame.width) == GIF_OK;
        }
    }
    ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
    GifFreeMapObject(global);
    GifFreeMapObject(local);
    return ok ? file : std::string{};
}

}  // namespace tsuzuri::test
