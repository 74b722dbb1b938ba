// Pictures: identification by every reader in order, decoding at the picture's size and at
// another (a mask's resampling), and the second-chance decoder.
#include "graphics/fallback_decoder.h"
#include "graphics/image_decoder.h"

using namespace tsuzuri;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto length = static_cast<std::uint32_t>(size);
    ImageInfo info;
    if (!failed(readImageInfo(data, length, info))) {
        TextureSlot texture;
        decodeImageToTexture(data, length, info.width, info.height, texture);
        // A mask of another size is stretched or shrunk; keep the target small.
        TextureSlot resized;
        decodeImageToTexture(data, length, 1 + info.width % 37, 1 + info.height % 29, resized);
    } else {
        TextureSlot picture;
        decodeFallbackPicture(data, length, picture);
    }
    return 0;
}
