#include "ui/page_copy.h"

#include "common/shift_jis.h"
#include "graphics/text_layout.h"
#include "platform/platform.h"

namespace tsuzuri {

std::string pageTextToCopy(std::string_view sjisPage) {
    const std::string_view drawn =
        sjisPage.substr(0, layoutTextPage(sjisPage, [](const PlacedGlyph&) {}));
    std::string text;
    for (std::size_t i = 0; i < drawn.size(); ++i) {
        const auto byte = static_cast<unsigned char>(drawn[i]);
        if (byte == 0x5C && i + 1 < drawn.size() && drawn[i + 1] == 'n') {
            text += '\n';
            ++i;
        } else {
            text += drawn[i];
            if (isLeadByte(byte) && i + 1 < drawn.size()) {
                text += drawn[++i];  // a trail byte 0x5C is no break
            }
        }
    }
    while (!text.empty() && text.back() == '\n') {
        text.pop_back();  // a break before what is not drawn shows nothing
    }
    return sjisToUtf8ForDisplay(text);
}

bool copyShownPage(const SceneState& scene) {
    const std::int32_t index = scene.currentLine;
    if (index < 0 || index >= static_cast<std::int32_t>(scene.lines.size()) ||
        scene.lines[static_cast<std::size_t>(index)]->kind != Text) {
        return false;
    }
    return platform::setClipboardText(
        pageTextToCopy(scene.lines[static_cast<std::size_t>(index)]->text.c_str()));
}

}  // namespace tsuzuri
