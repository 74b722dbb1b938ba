// The player's own chooser: what it lists (sorted by bytes, names in UTF-8 or Shift-JIS shown
// alike, games picked and other folders opened), and a headless run of it driven like a
// reader: keys, the pointer, the wheel and Escape, with the current directory left alone.
#include "ui/in_window_chooser.h"

#include <gtest/gtest.h>

#include "graphics/chooser_view.h"
#include "graphics/render_device.h"
#include "platform/headless.h"
#include "platform/platform.h"
#include "support/headless_device.h"
#include "support/temp_folder.h"
#include "ui/main_window.h"

namespace tsuzuri {
namespace {

namespace fs = std::filesystem;
using platform::ScriptedEvent;

// 日本.txt as its UTF-8 bytes and as its Shift-JIS bytes.
const std::string kUtf8Name = "\xE6\x97\xA5\xE6\x9C\xAC.txt";
const std::string kSjisName = "\x93\xFA\x96\x7B.txt";

std::vector<std::string> labels(const std::vector<ChooserEntry>& entries) {
    std::vector<std::string> result;
    for (const ChooserEntry& entry : entries) {
        result.push_back(entry.label);
    }
    return result;
}

TEST(InWindowChooserTest, ListsScriptsAndGamesSortedWithNamesInEitherEncoding) {
    test::TempFolder folder;
    folder.write("script/b.txt", "");
    folder.write("script/A.TXT", "");
    folder.write("script/" + kUtf8Name, "");
    folder.write("script/" + kSjisName, "");
    folder.write("script/notes.md", "");
    folder.write("script/.hidden.txt", "");
    folder.write("script/old/x.txt", "");
    EXPECT_EQ(labels(listChooserEntries(folder.path() / "script", ChooserKind::ScriptFile)),
              (std::vector<std::string>{"A.TXT", "b.txt", kSjisName, kSjisName}));

    folder.write("games/one/Game.INI", "");
    folder.write("games/two/script/start.txt", "");
    folder.write("games/more/three/Game.INI", "");
    folder.write("games/.cache/x", "");
    const std::vector<ChooserEntry> games =
        listChooserEntries(folder.path() / "games", ChooserKind::GameFolder);
    EXPECT_EQ(labels(games), (std::vector<std::string>{"..", "more/", "one", "two"}));
    EXPECT_TRUE(games[0].opens);
    EXPECT_EQ(games[0].path, folder.path());
    EXPECT_TRUE(games[1].opens);
    EXPECT_FALSE(games[2].opens);
}

class ChooserRunTest : public test::HeadlessDeviceTest {
protected:
    void start(std::vector<ScriptedEvent> events) {
        startDevice(platform::ScriptedInput{std::move(events)});
    }
    static ScriptedEvent at(std::uint32_t pass, ScriptedEvent::Action action, int key = 0,
                            int x = 0, int y = 0) {
        return ScriptedEvent{ScriptedEvent::When::Pass, pass, action, key, x, y, {}};
    }
    // Whether row `row` of the presented frame is inverted (the clear colour turned around).
    static bool rowLit(int row) {
        const platform::CapturedFrame& frame = platform::headlessLastFrame();
        const int y = kChooserFirstRowTop + kChooserRowHeight * row + 2;
        return frame.pixels[static_cast<size_t>(y) * frame.width + 790] ==
               (kClearColor ^ 0x00FFFFFFu);
    }
};

TEST_F(ChooserRunTest, KeysPickTheHighlightedFileAndTheDirectoryStays) {
    test::TempFolder folder;
    for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
        folder.write(fs::path("script") / name, "");
    }
    start({at(2, ScriptedEvent::Action::Tap, platform::VK_DOWN),
           at(3, ScriptedEvent::Action::Tap, platform::VK_DOWN),
           at(4, ScriptedEvent::Action::Tap, platform::VK_UP),
           at(6, ScriptedEvent::Action::Tap, platform::VK_RETURN)});
    if (IsSkipped() || HasFatalFailure()) {
        return;
    }
    std::error_code error;
    const fs::path before = fs::current_path(error);
    EXPECT_EQ(chooseInWindow(folder.path() / "script", ChooserKind::ScriptFile, render,
                             platform::systemClock()),
              folder.path() / "script" / "b.txt");
    EXPECT_EQ(fs::current_path(error), before);
    EXPECT_TRUE(rowLit(1));
    EXPECT_FALSE(rowLit(0));
}

TEST_F(ChooserRunTest, PointerHighlightsAndClicksWheelScrollsEscapeCancels) {
    test::TempFolder folder;
    for (int i = 0; i < 40; ++i) {
        folder.write(fs::path("script") / (std::to_string(100 + i) + ".txt"), "");
    }
    // Row 2 is at y 124-153; three notches down scroll nine entries: row 2 is then "111".
    start({at(2, ScriptedEvent::Action::Move, 0, 400, 130),
           at(4, ScriptedEvent::Action::Wheel, 0, -3),
           at(6, ScriptedEvent::Action::Move, 0, 400, 140),
           at(8, ScriptedEvent::Action::Tap, platform::VK_LBUTTON)});
    if (IsSkipped() || HasFatalFailure()) {
        return;
    }
    EXPECT_EQ(chooseInWindow(folder.path() / "script", ChooserKind::ScriptFile, render,
                             platform::systemClock()),
              folder.path() / "script" / "111.txt");
    EXPECT_TRUE(rowLit(2));
    stopDevice();

    start({at(2, ScriptedEvent::Action::Move, 0, 400, 130),
           at(3, ScriptedEvent::Action::Tap, platform::VK_ESCAPE),
           at(5, ScriptedEvent::Action::Tap, platform::VK_RETURN)});
    if (IsSkipped() || HasFatalFailure()) {
        return;
    }
    EXPECT_EQ(chooseInWindow(folder.path() / "script", ChooserKind::ScriptFile, render,
                             platform::systemClock()),
              std::nullopt);
}

}  // namespace
}  // namespace tsuzuri
