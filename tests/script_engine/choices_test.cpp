// Choice menus: reading the entries of a Choices line (with two-byte characters kept whole),
// the menu text and its limit, and the menu on screen: drawing, hover, picking, hiding.
#include "script_engine/choices.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "app/cue_worker.h"
#include "script_engine/scene_state.h"
#include "support/scene_fixture.h"

namespace tsuzuri {
namespace {

using test::Calls;
using test::kClick;
using test::kClickAndToggle;
using test::kSkip;
using test::kToggle;

// Shift-JIS: はい, いいえ; 表 (95 5C), 示, ソ (83 5C), フ, ト, 能 (94 5C); ア, ポ (83 7C); あ.
const std::string kHai = "\x82\xCD\x82\xA2";
const std::string kIie = "\x82\xA2\x82\xA2\x82\xA6";
const std::string kHyouji = "\x95\x5C\x8E\xA6";
const std::string kSofuto = "\x83\x5C\x83\x74\x83\x67";
const std::string kNou = "\x94\x5C";
const std::string kAPo = "\x83\x41\x83\x7C";
const std::string kA = "\x82\xA0";

std::string menuTextOf(const ChoiceMenu& menu) {
    char out[kMenuTextBytes];
    buildMenuText(menu, out);
    return out;
}

TEST(ParseChoiceLineTest, ExampleLineGivesTwoRowsWithTheirLabels) {
    const ChoiceMenu menu = parseChoiceLine("choices||" + kHai + "\\yes||" + kIie + "\\no");
    ASSERT_EQ(menu.count, 2);
    EXPECT_EQ(menu.shown[0], kHai);
    EXPECT_EQ(menu.label[0], "yes");
    EXPECT_EQ(menu.shown[1], kIie);
    EXPECT_EQ(menu.label[1], "no");
    const Rect& second = menu.rows[1];
    EXPECT_EQ((std::vector<int>{second.left, second.top, second.right, second.bottom}),
              (std::vector<int>{0, 506, 800, 532}));
}

TEST(ParseChoiceLineTest, EntriesRunFromBarsToBarsAndAtMostThreeAreTaken) {
    ChoiceMenu menu = parseChoiceLine("choices ignored||a\\x||b\\y||c\\z||d\\w");
    ASSERT_EQ(menu.count, 3);
    EXPECT_EQ(menu.shown[2], "c");
    EXPECT_EQ(menu.label[2], "z") << "the third entry ends where a fourth begins";

    menu = parseChoiceLine("choices||||x");
    ASSERT_EQ(menu.count, 2);
    EXPECT_EQ(menu.shown[0], "") << "an empty entry";
    EXPECT_EQ(menu.shown[1], "x");

    menu = parseChoiceLine("choices|||b");
    ASSERT_EQ(menu.count, 1);
    EXPECT_EQ(menu.shown[0], "|b");

    EXPECT_EQ(parseChoiceLine("choices").count, 0);
    EXPECT_EQ(parseChoiceLine("choices|x|").count, 0);
}

TEST(ParseChoiceLineTest, LabelIsWhatFollowsTheLastBackslashThatHasSomethingAfterIt) {
    const ChoiceMenu menu = parseChoiceLine("choices||plain||end\\||a\\b\\c");
    ASSERT_EQ(menu.count, 3);
    EXPECT_EQ(menu.shown[0], "plain");
    EXPECT_FALSE(menu.label[0].has_value());
    EXPECT_EQ(menu.shown[1], "end");
    EXPECT_FALSE(menu.label[1].has_value()) << "a backslash as the last byte names nothing";
    EXPECT_EQ(menu.shown[2], "a");
    EXPECT_EQ(menu.label[2], "c");

    // A doubled backslash: the first starts the label, the second is part of it.
    const ChoiceMenu doubled = parseChoiceLine("choices||" + kHai + "\\\\yes");
    EXPECT_EQ(doubled.shown[0], kHai);
    EXPECT_EQ(doubled.label[0], "\\yes");
}

TEST(ParseChoiceLineTest, TwoByteCharactersAreNeverTakenApart) {
    // Second bytes 0x5C are not backslashes: the label starts at the real one.
    ChoiceMenu menu =
        parseChoiceLine("choices||" + kHyouji + "\\left||" + kSofuto + "\\right||" + kNou);
    ASSERT_EQ(menu.count, 3);
    EXPECT_EQ(menu.shown[0], kHyouji);
    EXPECT_EQ(menu.label[0], "left");
    EXPECT_EQ(menu.shown[1], kSofuto);
    EXPECT_EQ(menu.label[1], "right");
    EXPECT_EQ(menu.shown[2], kNou);
    EXPECT_FALSE(menu.label[2].has_value());

    // A second byte 0x7C before a bar does not open an entry.
    menu = parseChoiceLine("choices||" + kAPo + "|b||c");
    ASSERT_EQ(menu.count, 2);
    EXPECT_EQ(menu.shown[0], kAPo + "|b");
    EXPECT_EQ(menu.shown[1], "c");

    // Nor does it after a label backslash: the character after it is taken whole.
    menu = parseChoiceLine("choices||x\\" + kHyouji + "y");
    EXPECT_EQ(menu.label[0], kHyouji + "y");
}

TEST(ParseChoiceLineTest, LineCutAfterALeadByteIsReadToItsEndOnly) {
    // Exactly the bytes of the line, with nothing after them, so a read past the end shows.
    const std::string cut = "choices||" + std::string(1009, 'a') + "\\lab\x95";
    ASSERT_EQ(cut.size(), 1023u);
    auto bytes = std::make_unique<char[]>(cut.size());
    std::memcpy(bytes.get(), cut.data(), cut.size());
    const ChoiceMenu menu = parseChoiceLine(std::string_view(bytes.get(), cut.size()));
    ASSERT_EQ(menu.count, 1);
    EXPECT_EQ(menu.shown[0], std::string(1009, 'a'));
    EXPECT_EQ(menu.label[0], "lab\x95");

    const ChoiceMenu noLabel = parseChoiceLine(std::string_view("choices||ab\x95", 12));
    EXPECT_EQ(noLabel.shown[0], "ab\x95");
    EXPECT_EQ(menuTextOf(noLabel), "ab\\n") << "half a character is left out of the menu";
}

TEST(BuildMenuTextTest, EachShownTextOnItsOwnLine) {
    EXPECT_EQ(menuTextOf(parseChoiceLine("choices||" + kHai + "\\yes||" + kIie + "\\no")),
              kHai + "\\n" + kIie + "\\n");
    EXPECT_EQ(menuTextOf(parseChoiceLine("choices||||x")), "\\nx\\n");
    EXPECT_EQ(menuTextOf(parseChoiceLine("choices")), "");
}

TEST(BuildMenuTextTest, LongMenusAreCutToTheAreaAtACharacterBoundary) {
    const std::string hundred(100, 'a');
    std::string text = menuTextOf(
        parseChoiceLine("choices||" + hundred + "||" + hundred + "||" + std::string(60, 'b')));
    EXPECT_EQ(text, hundred + "\\n" + hundred + "\\n" + std::string(51, 'b'));

    // The last two-byte character would need bytes 255 and 256: it is left out whole.
    std::string wide;
    for (int i = 0; i < 128; ++i) {
        wide += kA;
    }
    text = menuTextOf(parseChoiceLine("choices||" + wide));
    EXPECT_EQ(text, wide.substr(0, 254));

    // A break that would not fit whole is left out, never half of it.
    text = menuTextOf(parseChoiceLine("choices||" + std::string(254, 'c')));
    EXPECT_EQ(text, std::string(254, 'c'));
    text = menuTextOf(parseChoiceLine("choices||" + std::string(253, 'c')));
    EXPECT_EQ(text, std::string(253, 'c') + "\\n");
}

class ChoiceMenuTest : public test::SceneTest {};

TEST_F(ChoiceMenuTest, ExampleMenuIsDrawnOnceHoveredAndPickedByLabel) {
    writeSound("se.wav");
    game.write("wave/once.wao", "title\r\nse.wav\r\n");
    const std::string line = "choices||" + kHai + "\\yes||" + kIie + "\\no";
    setScript({"se.wav", "once.wao", line, "\\\\yes", "Yes page", "\\\\no", "No page"});
    moveCursor(400, 300);
    step();
    EXPECT_EQ(currentLine(), 2);
    EXPECT_EQ(calls.take(),
              (Calls{"SoundRelease 0", "SoundLoad wave\\se.wav -> 1", "SoundPlay 1 once",
                     "clearCueTrack 0", "loadCueTrack wave\\once.wao 0 -> ok", "clearTextLayer",
                     "drawTextPage " + kHai + "\\n" + kIie + "\\n"}));
    EXPECT_EQ(sceneState.choiceHover, 0);
    EXPECT_EQ(sceneState.hoverRow, -1);
    step();
    EXPECT_TRUE(calls.take().empty()) << "drawn again only when the layer is stale";

    moveCursor(0, 480);
    step();
    EXPECT_EQ(sceneState.choiceHover, 1);
    EXPECT_EQ(sceneState.hoverRow, 0);
    moveCursor(800, 532);
    step();
    EXPECT_EQ(sceneState.hoverRow, 1) << "the far borders are inside";
    moveCursor(801, 532);
    step();
    EXPECT_EQ(sceneState.choiceHover, 0);
    EXPECT_EQ(sceneState.hoverRow, -1);

    moveCursor(10, 490);
    step(kClick);
    EXPECT_EQ(currentLine(), 3) << "on the label line; the story goes on after it";
    EXPECT_EQ(calls.take(), (Calls{"clearTextLayer", "clearCueTrack 0"}))
        << "the sound effect plays on";
    EXPECT_TRUE(cueTracks[0].cues.empty());
    EXPECT_EQ(sceneState.textDirty, 1);
    EXPECT_EQ(sceneState.choiceHover, 0);
    EXPECT_EQ(sceneState.hoverRow, -1);
    step();
    EXPECT_EQ(currentLine(), 4);
}

TEST_F(ChoiceMenuTest, CursorOnASharedBorderPicksTheRowItHighlights) {
    setScript({"choices||one\\a||two\\b", "\\\\a", "A", "\\\\b", "B"});
    moveCursor(10, 506);
    step();
    EXPECT_EQ(sceneState.hoverRow, 1);
    step(kClick);
    EXPECT_EQ(currentLine(), 3);

    // Without a label on the highlighted row the story goes on after the menu, whatever the
    // row above it names.
    setScript({"choices||one\\a||two", "After the menu", "\\\\a", "A"});
    step();
    calls.take();
    step(kClick);
    EXPECT_EQ(currentLine(), 1);
    EXPECT_EQ(calls.take(), (Calls{"clearTextLayer", "clearCueTrack 0"})) << "picked once";
}

TEST_F(ChoiceMenuTest, RowsWithoutAFoundLabelGoOnAfterTheMenu) {
    const std::string line = "choices||plain||end\\||gone\\nowhere";
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        setScript({line, "After", "\\\\end", "\\\\plain"});
        moveCursor(10, 490 + 26 * row);
        step(kClick);
        EXPECT_EQ(currentLine(), 1);
    }
}

TEST_F(ChoiceMenuTest, FourthEntryIsNeitherShownNorClickable) {
    setScript({"choices||a||b||c\\c||d\\d", "\\\\c", "\\\\d"});
    moveCursor(10, 570);  // where a fourth row would be
    step(kClick);
    EXPECT_EQ(currentLine(), 0);
    EXPECT_EQ(sceneState.hoverRow, -1);
    EXPECT_EQ(calls.take(), (Calls{"clearTextLayer", "drawTextPage a\\nb\\nc\\n"}));
    moveCursor(10, 550);
    step(kClick);
    EXPECT_EQ(currentLine(), 1);
}

TEST_F(ChoiceMenuTest, HidingSuspendsTheMenuAndAnyInputShowsItAgain) {
    setScript({"choices||one\\a||two\\b", "\\\\a", "\\\\b"});
    moveCursor(10, 490);
    step();
    ASSERT_EQ(sceneState.hoverRow, 0);

    step(kToggle);
    EXPECT_EQ(sceneState.windowShown, 0);
    step(kClick);
    EXPECT_EQ(sceneState.windowShown, 1);
    EXPECT_EQ(currentLine(), 0) << "the click only shows the window";

    // Both on one pass: a shown menu hides without a pick; a hidden one is shown.
    step(kClickAndToggle);
    EXPECT_EQ(sceneState.windowShown, 0);
    EXPECT_EQ(currentLine(), 0);
    step(kClickAndToggle);
    EXPECT_EQ(sceneState.windowShown, 1);
    EXPECT_EQ(currentLine(), 0);

    step(kToggle);
    step(kToggle);
    EXPECT_EQ(sceneState.windowShown, 1);
    step(kToggle);
    step(kSkip);
    EXPECT_EQ(sceneState.windowShown, 1);

    // Ctrl never picks.
    step(kSkip);
    EXPECT_EQ(currentLine(), 0);
    EXPECT_EQ(sceneState.hoverRow, 0);
    step(kClick);
    EXPECT_EQ(currentLine(), 1);
}

TEST_F(ChoiceMenuTest, MenuWithoutEntriesWaitsForEver) {
    setScript({"choices but no bars", "Never"});
    moveCursor(10, 490);
    for (int i = 0; i < 3; ++i) {
        step(kClick);
    }
    EXPECT_EQ(currentLine(), 0);
    EXPECT_EQ(sceneState.choiceHover, 0);
    EXPECT_EQ(calls.take(), (Calls{"clearTextLayer", "drawTextPage "}));
}

}  // namespace
}  // namespace tsuzuri
