// One save: a place in the story with everything needed to show its page again exactly as it
// was, and the pages before it for the backlog. Kept as strict, versioned text:
//
//   tsuzuri-save 1
//   sequence 12            orders the saves of a game: the higher, the newer
//   saved 2026-12-11%2008:04   the date and time it was made, as the screens show it
//   text Hello...          the first line of the page's text (Shift-JIS), for the screens
//   script ... loopwao     the place, as in a place file (saves/remembered_place.h)
//   backlog 2              the pages before it, oldest first, each as:
//   row -1                   the menu row picked on it; -1 for a page
//   drawn 1                  the pages of text the layer held, each as:
//   plain TEXT                 "plain" or "skipping" (the outline it was drawn with)
//   script ... loopwao       its place, to rewind to
//
// Values are written as names are (saves/state_text.h). The reader takes nothing malformed.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "script_engine/read_pages.h"
#include "script_engine/story_place.h"

namespace tsuzuri {

struct SaveRecord {
    std::uint64_t sequence = 0;
    std::string savedAt;   // "YYYY-MM-DD HH:MM:SS"
    std::string pageText;  // Shift-JIS; empty when the story waits on a flash
    StoryPlace place;
    std::vector<ReadPage> backlog;  // oldest first
};

std::string formatSave(const SaveRecord& save, const std::filesystem::path& gameFolder);
bool parseSave(std::string_view text, const std::filesystem::path& gameFolder, SaveRecord& save,
               std::string& reason);

// The save of the story as it stands now, false once it has ended; its page's first line from
// `shownText` (the pages the text layer shows, when a screen covers them), else from the text
// layer. `sequence` and `savedAt` are the caller's.
bool saveOfStory(const SceneState& scene, SaveRecord& save,
                 const std::vector<DrawnPage>* shownText = nullptr);

// Starts the story at the save's place (as startStoryAtPlace does) with its backlog; false
// with the reason when its place cannot be started from, the story then as it was.
bool startStoryAtSave(SceneState& scene, const SaveRecord& save, std::string& problem);

}  // namespace tsuzuri
