// Clearing works; glyph drawing is not built yet, so pages stay invisible.
#include "graphics/text_layer.h"

#include <cstring>

#include "graphics/render_device.h"

namespace tsuzuri {

Status clearTextLayer() {
    Texture* layer = renderState.textTexture.get();
    if (layer == nullptr) {
        return S_OK;
    }
    LockedRect locked;
    if (failed(lockTexture(layer, locked))) {
        return E_FAIL;
    }
    std::memset(locked.bits, 0, static_cast<size_t>(locked.pitch) * layer->height);
    return failed(unlockTexture(layer)) ? E_FAIL : S_OK;
}

Status drawTextPage(const char*) {
    return S_OK;
}

}  // namespace tsuzuri
