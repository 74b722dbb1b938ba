#include "script_engine/choices.h"

#include <algorithm>
#include <cstring>

#include "common/shift_jis.h"
#include "graphics/render_device.h"
#include "graphics/text_layer.h"
#include "script_engine/read_pages.h"
#include "script_engine/scene_state.h"
#include "script_engine/script_file.h"
#include "script_engine/story_place.h"
#include "script_engine/wao_sequence.h"

namespace tsuzuri {
namespace {

// Bytes of the character at `at`: two for a lead byte with its second byte present, else one
// (a lead byte cut off at the end of the text stands alone, so nothing is read past the end).
std::size_t charLength(std::string_view text, std::size_t at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    return isLeadByte(byte) && at + 1 < text.size() ? 2 : 1;
}

bool isLoneLeadByte(std::string_view text, std::size_t at) {
    return isLeadByte(static_cast<unsigned char>(text[at])) && at + 1 == text.size();
}

bool isSeparatorAt(std::string_view text, std::size_t at) {
    return at + 1 < text.size() && text[at] == '|' && text[at + 1] == '|';
}

// Where the entry starting at `start` ends: at the next "||", or at the end of the line.
std::size_t entryEnd(std::string_view text, std::size_t start) {
    for (std::size_t q = start; q + 1 < text.size(); q += charLength(text, q)) {
        if (isSeparatorAt(text, q)) {
            return q;
        }
    }
    return text.size();
}

void splitEntry(std::string_view entry, std::string& shown, std::optional<std::string>& label) {
    std::size_t shownEnd = entry.size();
    for (std::size_t k = 0; k < entry.size(); k += charLength(entry, k)) {
        if (entry[k] == '\\') {
            shownEnd = k;
            break;
        }
    }
    shown.assign(entry.substr(0, shownEnd));

    label.reset();
    std::size_t k = 0;
    while (k + 1 < entry.size()) {
        if (entry[k] == '\\') {
            label.emplace(entry.substr(k + 1));
            k += 1 + charLength(entry, k + 1);
        } else {
            k += charLength(entry, k);
        }
    }
}

Rect rowRect(std::int32_t row) {
    const std::int32_t top = kChoiceRowTop + kChoiceRowStep * row;
    return Rect{0, top, kScreenWidth, top + kChoiceRowStep};
}

// Sends the story on from the Choices line `lineIndex` by the picked row.
void pickRow(SceneState& scene, const ChoiceMenu& menu, std::int32_t row, std::int32_t lineIndex) {
    const std::optional<std::string>& label = menu.label[row];
    const std::int32_t target = label ? findLabel(scene, label->c_str()) : -1;
    scene.readPages.keep(scene.render->drawnPages, row, storyPlaceAt(scene, lineIndex));
    scene.currentLine = target != -1 ? target : lineIndex + 1;
    clearTextLayer(*scene.render);
    scene.textDirty = 1;
    scene.choiceHover = 0;
    scene.hoverRow = -1;
    scene.keyRow = -1;
    clearCueTrack(0);
}

// Up and Down move the highlight from where it is (the first Down from nowhere lights the
// first row, the first Up the last), within the rows there are. Answers whether they did.
bool moveHighlightByKeys(SceneState& scene, const ChoiceMenu& menu, std::int32_t pointerRow,
                         const StoryInput& input) {
    const bool up = isUpReleased(input);
    const bool down = isDownReleased(input);
    if ((!up && !down) || menu.count == 0) {
        return false;
    }
    const std::int32_t from = scene.keyRow >= 0 ? scene.keyRow : pointerRow;
    std::int32_t row = from < 0 ? (down ? 0 : menu.count - 1) : from + (down ? 1 : -1);
    row = std::clamp(row, std::int32_t{0}, menu.count - 1);
    scene.keyRow = row;
    if (input.pointerKnown) {
        scene.keyCursorX = input.pointerX;
        scene.keyCursorY = input.pointerY;
    }
    return true;
}

// Whether the pointer has moved since the keys took the highlight.
bool pointerMovedSinceKeys(const SceneState& scene, const StoryInput& input) {
    return input.pointerKnown &&
           (input.pointerX != scene.keyCursorX || input.pointerY != scene.keyCursorY);
}

}  // namespace

ChoiceMenu parseChoiceLine(std::string_view text) {
    ChoiceMenu menu;
    std::size_t p = 0;
    while (p + 1 < text.size()) {
        if (!isSeparatorAt(text, p)) {
            p += charLength(text, p);
            continue;
        }
        const std::size_t start = p + 2;
        if (menu.count == kMaxChoices) {
            ++menu.dropped;
            p = start;
            continue;
        }
        const std::size_t end = entryEnd(text, start);
        const std::int32_t j = menu.count++;
        splitEntry(text.substr(start, end - start), menu.shown[j], menu.label[j]);
        menu.rows[j] = rowRect(j);
        p = start;
    }
    return menu;
}

void buildMenuText(const ChoiceMenu& menu, char (&out)[kMenuTextBytes]) {
    std::memset(out, 0, sizeof out);
    constexpr std::size_t kRoom = kMenuTextBytes - 1;
    std::size_t used = 0;
    for (std::int32_t j = 0; j < menu.count; ++j) {
        const std::string_view shown = menu.shown[j];
        for (std::size_t k = 0; k < shown.size(); k += charLength(shown, k)) {
            if (isLoneLeadByte(shown, k)) {
                continue;  // half a character: drawn, it would swallow the "\" of the break
            }
            const std::size_t length = charLength(shown, k);
            if (used + length > kRoom) {
                return;
            }
            std::memcpy(out + used, shown.data() + k, length);
            used += length;
        }
        if (used + 2 > kRoom) {
            return;
        }
        out[used++] = '\\';
        out[used++] = 'n';
    }
}

void showChoiceMenu(SceneState& scene, std::int32_t lineIndex, const StoryInput& input) {
    if (lineIndex < 0 || lineIndex >= static_cast<std::int32_t>(scene.lines.size())) {
        return;
    }
    const ChoiceMenu menu =
        parseChoiceLine(scene.lines[static_cast<std::size_t>(lineIndex)]->text.c_str());

    if (scene.textDirty != 0) {
        char menuText[kMenuTextBytes];
        buildMenuText(menu, menuText);
        clearTextLayer(*scene.render);
        drawTextPage(*scene.render, menuText, isSkipKeyDown(input));
        scene.textDirty = 0;
        scene.keyRow = -1;
    }

    const bool advance = isAdvanceReleased(input);
    if (scene.windowShown == 0) {
        // The first input after hiding only brings the window back.
        if (advance || isToggleReleased(input) || isSkipKeyDown(input)) {
            scene.windowShown = 1;
        }
        return;
    }
    if (isToggleReleased(input)) {
        scene.windowShown = 0;
        return;
    }

    // Rows share their borders, so the cursor can lie in two of them; the later row is the
    // one highlighted, and the one a click picks.
    std::int32_t pointerRow = -1;
    for (std::int32_t j = 0; j < menu.count; ++j) {
        if (isCursorInRect(input, &menu.rows[j])) {
            pointerRow = j;
        }
    }
    if (scene.keyRow >= 0 && pointerMovedSinceKeys(scene, input)) {
        scene.keyRow = -1;  // the pointer takes the highlight back
    }
    moveHighlightByKeys(scene, menu, pointerRow, input);
    const std::int32_t lit = scene.keyRow >= 0 ? scene.keyRow : pointerRow;
    scene.choiceHover = lit >= 0 ? 1 : 0;
    scene.hoverRow = lit;
    if (!advance) {
        return;
    }
    // A click always picks the row under the pointer; Enter picks the keys' row while they
    // hold the highlight.
    if (scene.keyRow >= 0 && !isClickReleased(input)) {
        pickRow(scene, menu, scene.keyRow, lineIndex);
    } else if (pointerRow >= 0) {
        pickRow(scene, menu, pointerRow, lineIndex);
    }
}

}  // namespace tsuzuri
