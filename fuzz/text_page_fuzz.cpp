// Pages of text: laying out and painting arbitrary bytes into the text layer.
#include "fuzz_support.h"
#include "graphics/render_device.h"
#include "graphics/text_font.h"
#include "graphics/text_layer.h"

using namespace tsuzuri;

namespace {
// The frame whose text layer the pages are painted into.
RenderState render;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string error;
    if (!openTextFont(error)) {
        return 0;  // without a font only the layout runs
    }
    render.textTexture = createTexture(kScreenWidth, kScreenHeight);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!render.textTexture) {
        render.textTexture = createTexture(kScreenWidth, kScreenHeight);
    }
    // The first byte chooses whether Ctrl is held (the outline set).
    const bool skipping = size > 0 && (data[0] & 1) != 0;
    const std::string page = fuzz::asText(data, size);
    clearTextLayer(render);
    drawTextPage(render, page.c_str(), skipping);
    return 0;
}
