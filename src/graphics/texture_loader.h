// Loading pictures with their "-m" mask pictures into textures.
#pragma once

#include <optional>

#include "common/game_path.h"
#include "common/status.h"
#include "graphics/texture.h"

namespace tsuzuri {

// The mask's path: "-m" inserted before the last "." of the whole path (the name first, then
// the folder, so a dot in a folder name is used when the name has none). Nothing when the
// path has no dot at all.
std::optional<GamePath> maskPathFor(const GamePath& path);

// Which file kept a picture from loading.
enum class PictureFault {
    None,
    Unreadable,  // the picture file cannot be opened; the slot is as it was
    Picture,     // the picture cannot be decoded; the slot is empty
    Mask,        // its mask (maskPathFor) cannot be decoded; the slot is empty
};

// What loadMaskedTexture does, without any message.
PictureFault decodeMaskedTexture(const GamePath& path, TextureSlot& slot);

// Loads the picture into `slot`, its alpha taken from the mask picture when one exists
// (alpha = red & green & blue of the mask). When the picture file cannot be opened the slot
// is left as it was and nothing is shown; a picture that cannot be decoded shows a message
// box captioned with the failing file's path and leaves the slot empty.
Status loadMaskedTexture(const GamePath& path, TextureSlot& slot);

// Decodes a picture that no image reader identified, into an opaque texture at the file's own
// size.
Status loadPictureFallback(const GamePath& path, TextureSlot& slot);

}  // namespace tsuzuri
