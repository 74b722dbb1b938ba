// Choice menus: a Choices line offers up to three answers, each leading to a label.
//
// The line is "choices", anything, then entries each introduced by "||": the shown text, a
// backslash and the name of a Label line ("choices||はい\yes||いいえ\no"). The line is read
// character by character, so the second byte of a two-byte character (0x5C in 表, 0x7C in ポ)
// is never taken for a backslash or a bar.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "script_engine/scene_state.h"
#include "script_engine/story_input.h"

namespace tsuzuri {

constexpr std::int32_t kMaxChoices = 3;
// The menu text (each shown text followed by a "\n" break) is built in an area of this many
// bytes, the last one always the terminating NUL.
constexpr std::size_t kMenuTextBytes = 256;
// Row j of the menu is hit from y = kChoiceRowTop + kChoiceRowStep * j to kChoiceRowStep
// further, both borders included, across the whole screen width.
constexpr std::int32_t kChoiceRowTop = 480;
constexpr std::int32_t kChoiceRowStep = 26;

// One parse of a Choices line; lives for one pass only.
struct ChoiceMenu {
    std::int32_t count = 0;
    std::string shown[kMaxChoices];                 // each entry up to its first backslash
    std::optional<std::string> label[kMaxChoices];  // none when the entry names no label
    Rect rows[kMaxChoices];
    std::int32_t dropped = 0;  // entries after the third, which the menu leaves out
};

// Reads the entries of a Choices line: at most three, each after a "||" and up to the next
// "||" or the end (any further ones are only counted). The label of an entry is what follows its
// last label backslash, where a backslash also takes the character after it out of the search (so
// "はい\\yes" names the label "\yes"); a backslash that is the entry's last byte names none.
ChoiceMenu parseChoiceLine(std::string_view text);

// Fills `out` with each shown text followed by "\n", cut at a character boundary where the
// area runs out (never inside a two-byte character or a "\n"), and NUL-terminated. A lead
// byte whose second byte was cut off with the line is left out.
void buildMenuText(const ChoiceMenu& menu, char (&out)[kMenuTextBytes]);

// One pass of the menu on line `lineIndex`: draws it when the text layer is stale, shows or
// hides the window, tracks the row under the cursor and, on a click, sends the story to that
// row's label (or to the next line when the label is missing). The step ends after it.
void showChoiceMenu(SceneState& scene, std::int32_t lineIndex, const StoryInput& input);

}  // namespace tsuzuri
