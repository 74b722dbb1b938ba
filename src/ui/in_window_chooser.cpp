#include "ui/in_window_chooser.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <system_error>

#include "common/shift_jis.h"
#include "graphics/chooser_view.h"
#include "graphics/text_layer.h"
#include "platform/frame_geometry.h"
#include "platform/platform.h"
#include "ui/input_reader.h"
#include "ui/messages.h"
#include "ui/screen.h"
#include "ui/screen_loop.h"

namespace tsuzuri {
namespace {

namespace fs = std::filesystem;

// Rows one wheel notch scrolls, and one Page Up or Page Down moves.
constexpr int kWheelRows = 3;
constexpr int kPageRows = kChooserVisibleRows - 1;

bool isGameFolder(const fs::path& folder) {
    std::error_code error;
    return fs::is_regular_file(folder / "Game.INI", error) ||
           fs::is_directory(folder / "script", error);
}

bool hasTextEnding(const std::string& name) {
    if (name.size() < 4) {
        return false;
    }
    std::string ending = name.substr(name.size() - 4);
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return ending == ".txt";
}

struct Chooser {
    ChooserKind kind = ChooserKind::ScriptFile;
    std::vector<ChooserEntry> entries;
    int highlighted = -1;
    int scrollTop = 0;
    std::pair<int, int> pointer{INT_MIN, INT_MIN};  // where the pointer was last seen
    std::string title;
};

void openFolder(Chooser& chooser, const fs::path& folder) {
    chooser.entries = listChooserEntries(folder, chooser.kind);
    chooser.highlighted = chooser.entries.empty() ? -1 : 0;
    chooser.scrollTop = 0;
    chooser.title = chooser.kind == ChooserKind::ScriptFile ? kChooseScriptTitle : kChooseGameTitle;
    if (chooser.kind == ChooserKind::GameFolder) {
        chooser.title += " " + fileNameToSjis(folder.native());
    }
}

int maxScrollTop(const Chooser& chooser) {
    return std::max(0, static_cast<int>(chooser.entries.size()) - kChooserVisibleRows);
}

void scrollTo(Chooser& chooser, int top) {
    chooser.scrollTop = std::clamp(top, 0, maxScrollTop(chooser));
}

// Moves the highlight by `step` rows, keeping it on the list and in view.
void moveHighlight(Chooser& chooser, int step) {
    const int count = static_cast<int>(chooser.entries.size());
    if (count == 0) {
        return;
    }
    chooser.highlighted = std::clamp(chooser.highlighted + step, 0, count - 1);
    if (chooser.highlighted < chooser.scrollTop) {
        scrollTo(chooser, chooser.highlighted);
    } else if (chooser.highlighted >= chooser.scrollTop + kChooserVisibleRows) {
        scrollTo(chooser, chooser.highlighted - kChooserVisibleRows + 1);
    }
}

// The entry under the pointer, or -1.
int entryUnderPointer(const Chooser& chooser, const ActionInput& input) {
    const int x = input.pointerX;
    const int y = input.pointerY;
    if (!input.pointerKnown || x < 0 || x >= kScreenWidth || y < kChooserFirstRowTop) {
        return -1;
    }
    const int row = (y - kChooserFirstRowTop) / kChooserRowHeight;
    const int entry = chooser.scrollTop + row;
    return row < kChooserVisibleRows && entry < static_cast<int>(chooser.entries.size()) ? entry
                                                                                         : -1;
}

ChooserView viewOf(const Chooser& chooser) {
    ChooserView view;
    view.title = chooser.title;
    const int end =
        std::min(static_cast<int>(chooser.entries.size()), chooser.scrollTop + kChooserVisibleRows);
    for (int i = chooser.scrollTop; i < end; ++i) {
        view.rows.push_back(chooser.entries[static_cast<size_t>(i)].label);
    }
    if (chooser.highlighted >= chooser.scrollTop && chooser.highlighted < end) {
        view.highlighted = chooser.highlighted - chooser.scrollTop;
    }
    view.moreAbove = chooser.scrollTop > 0;
    view.moreBelow = end < static_cast<int>(chooser.entries.size());
    return view;
}

// What a pick of entry `index` does: an answer, or (for a folder to open) nothing yet.
std::optional<fs::path> pick(Chooser& chooser, int index) {
    if (index < 0 || index >= static_cast<int>(chooser.entries.size())) {
        return std::nullopt;
    }
    const ChooserEntry entry = chooser.entries[static_cast<size_t>(index)];
    if (entry.opens) {
        openFolder(chooser, entry.path);
        return std::nullopt;
    }
    return entry.path;
}

// The chooser as a screen of the window: it closes with a path in `answer`, or without one.
class ChooserScreen final : public Screen {
public:
    ChooserScreen(RenderState& render, const fs::path& startFolder, ChooserKind kind,
                  std::optional<fs::path>& answer)
        : render_(render), answer_(answer) {
        std::error_code error;
        chooser_.kind = kind;
        openFolder(chooser_, fs::absolute(startFolder, error).lexically_normal());
    }

    // Escape cancels, Up and Down move the highlight (Page Up and Page Down by a page), Enter
    // picks it; the window takes the rest (fullscreen, volume, screenshot).
    bool takePress(ScreenStack&, const ActionPress& press) override {
        switch (press.action) {
            case Action::Quit:
                closed_ = true;
                return true;
            case Action::MenuUp:
            case Action::MenuDown:
                moveHighlight(chooser_, press.action == Action::MenuUp ? -1 : 1);
                return true;
            case Action::OlderPage:
            case Action::NewerPage:
                moveHighlight(chooser_, press.action == Action::OlderPage ? -kPageRows : kPageRows);
                return true;
            case Action::Advance:
                answer_ = pick(chooser_, chooser_.highlighted);
                closed_ = answer_.has_value();
                return true;
            default:
                return false;
        }
    }

    // The pointer highlights the row under it when it moves, a click picks that row, and the
    // wheel scrolls.
    void update(ScreenStack&, ActionInput& input, std::uint32_t) override {
        if (input.pointerKnown && std::pair(input.pointerX, input.pointerY) != chooser_.pointer) {
            chooser_.pointer = {input.pointerX, input.pointerY};
            if (const int entry = entryUnderPointer(chooser_, input); entry >= 0) {
                chooser_.highlighted = entry;
            }
        }
        if (input.wasReleased(Action::Click) &&
            (answer_ = pick(chooser_, entryUnderPointer(chooser_, input)))) {
            closed_ = true;
            return;
        }
        if (input.wheelNotches != 0) {
            scrollTo(chooser_, chooser_.scrollTop - input.wheelNotches * kWheelRows);
        }
    }

    // The chooser shows no corner texts.
    bool draw(const std::string&) override {
        return renderChooser(render_, viewOf(chooser_), shown_);
    }
    bool isClosed() const override { return closed_; }

private:
    RenderState& render_;
    Chooser chooser_;
    std::optional<fs::path>& answer_;   // outlives the screen
    std::optional<ChooserView> shown_;  // the view presented last
    bool closed_ = false;
};

// Key and button presses made while the chooser was open must not reach the story, and its
// text must not stay in the text layer.
void forgetChooser(RenderState& render) {
    InputReader::discardPresses();
    platform::takeWheelNotches();
    clearTextLayer(render);
}

}  // namespace

std::vector<ChooserEntry> listChooserEntries(const fs::path& folder, ChooserKind kind) {
    std::vector<ChooserEntry> entries;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const fs::path& path = it->path();
        const std::string name = path.filename().native();
        if (name.empty() || name[0] == '.') {
            continue;
        }
        std::error_code kindError;
        const bool folderEntry = it->is_directory(kindError);
        if (kind == ChooserKind::ScriptFile) {
            if (!folderEntry && hasTextEnding(name)) {
                entries.push_back({fileNameToSjis(name), path, false});
            }
        } else if (folderEntry) {
            const bool game = isGameFolder(path);
            entries.push_back({fileNameToSjis(name) + (game ? "" : "/"), path, !game});
        }
    }
    std::sort(entries.begin(), entries.end(), [](const ChooserEntry& a, const ChooserEntry& b) {
        return a.path.filename().native() < b.path.filename().native();
    });
    if (kind == ChooserKind::GameFolder && folder.has_parent_path() &&
        folder.parent_path() != folder) {
        entries.insert(entries.begin(), ChooserEntry{"..", folder.parent_path(), true});
    }
    return entries;
}

std::optional<fs::path> chooseInWindow(const fs::path& startFolder, ChooserKind kind,
                                       RenderState& render, Clock& clock, const LoopOptions& loop) {
    forgetChooser(render);
    std::optional<fs::path> answer;
    ScreenStack screens;
    screens.push(std::make_unique<ChooserScreen>(render, startFolder, kind, answer));
    WindowActions window(render);
    switch (runScreens(screens, window, clock, loop)) {
        case LoopEnd::Quit:
            platform::postQuitMessage();  // for whoever loops next
            answer.reset();
            break;
        case LoopEnd::Ended:
            answer.reset();  // as if the reader had closed the chooser
            break;
        case LoopEnd::ScreensClosed:
            break;
    }
    screens.clear();
    forgetChooser(render);
    return answer;
}

}  // namespace tsuzuri
