#include "saves/save_file.h"

#include <algorithm>

#include "common/shift_jis.h"
#include "saves/remembered_place.h"
#include "saves/state_text.h"
#include "script_engine/scene_state.h"

namespace tsuzuri {
namespace {

constexpr std::string_view kVersionKey = "tsuzuri-save";
constexpr std::string_view kVersion = "1";
// More text pages than one page of the backlog ever holds: anything beyond is not a save.
constexpr std::int64_t kMostDrawnPerPage = 64;

// The first line of the page the text layer shows last.
std::string firstLineOf(const std::vector<DrawnPage>& drawn) {
    if (drawn.empty()) {
        return {};
    }
    const std::string& text = drawn.back().text;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            break;  // a line break, not the second byte of a double-byte character
        }
        i += isLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    }
    return text.substr(0, std::min(i, text.size()));
}

}  // namespace

std::string formatSave(const SaveRecord& save, const std::filesystem::path& gameFolder) {
    std::string text = std::string(kVersionKey) + " " + std::string(kVersion) + "\n" + "sequence " +
                       std::to_string(save.sequence) + "\n" + "saved " + escape(save.savedAt) +
                       "\n" +
                       (save.pageText.empty() ? "text\n" : "text " + escape(save.pageText) + "\n") +
                       formatPlaceLines(save.place, gameFolder) + "backlog " +
                       std::to_string(save.backlog.size()) + "\n";
    for (const ReadPage& page : save.backlog) {
        text += "row " + std::to_string(page.pickedRow) + "\n" + "drawn " +
                std::to_string(page.text.size()) + "\n";
        for (const DrawnPage& drawn : page.text) {
            const std::string key = drawn.skipping ? "skipping" : "plain";
            text += drawn.text.empty() ? key + "\n" : key + " " + escape(drawn.text) + "\n";
        }
        text += formatPlaceLines(page.place, gameFolder);
    }
    return text;
}

bool parseSave(std::string_view text, const std::filesystem::path& gameFolder, SaveRecord& save,
               std::string& reason) {
    SaveRecord read;
    std::int64_t number = 0;
    if (!takeVersion(text, kVersionKey, kVersion, "it is not a save", reason) ||
        !takeNumber(text, "sequence", 0, INT64_MAX, number, reason)) {
        return false;
    }
    read.sequence = static_cast<std::uint64_t>(number);
    if (!takeName(text, "saved", read.savedAt, reason) ||
        !takeName(text, "text", read.pageText, reason) ||
        !takePlaceLines(text, gameFolder, read.place, reason) ||
        !takeNumber(text, "backlog", 0, static_cast<std::int64_t>(kReadPagesKept), number,
                    reason)) {
        return false;
    }
    read.backlog.resize(static_cast<std::size_t>(number));
    for (ReadPage& page : read.backlog) {
        std::int64_t row = 0;
        std::int64_t drawn = 0;
        if (!takeNumber(text, "row", -1, 1000, row, reason) ||
            !takeNumber(text, "drawn", 0, kMostDrawnPerPage, drawn, reason)) {
            return false;
        }
        page.pickedRow = static_cast<std::int32_t>(row);
        page.text.resize(static_cast<std::size_t>(drawn));
        for (DrawnPage& one : page.text) {
            const bool skipping = text.substr(0, 8) == "skipping";
            one.skipping = skipping;
            if (!takeName(text, skipping ? "skipping" : "plain", one.text, reason)) {
                return false;
            }
        }
        if (!takePlaceLines(text, gameFolder, page.place, reason)) {
            return false;
        }
    }
    if (!text.empty()) {
        reason = "it goes on after its last line";
        return false;
    }
    save = std::move(read);
    return true;
}

bool saveOfStory(const SceneState& scene, SaveRecord& save,
                 const std::vector<DrawnPage>* shownText) {
    const std::optional<StoryPlace> place = storyPlaceNow(scene);
    if (!place) {
        return false;
    }
    save.place = *place;
    save.pageText = shownText != nullptr      ? firstLineOf(*shownText)
                    : scene.render != nullptr ? firstLineOf(scene.render->drawnPages)
                                              : "";
    save.backlog = scene.readPages.all();
    return true;
}

bool startStoryAtSave(SceneState& scene, const SaveRecord& save, std::string& problem) {
    if (!startStoryAtPlace(scene, save.place, problem)) {
        return false;
    }
    scene.readPages.replace(save.backlog);
    return true;
}

}  // namespace tsuzuri
