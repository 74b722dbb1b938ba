#include "ui/quick_saves.h"

#include <cstdio>
#include <utility>

namespace tsuzuri {

QuickSaves::QuickSaves(SceneState& scene, const SaveSlots* slots)
    : scene_(scene), slots_(slots), runStartMs_(scene.clock->nowMs()) {}

void QuickSaves::say(std::string note, std::uint32_t nowMs) {
    note_ = std::move(note);
    noteShownAtMs_ = nowMs;
}

void QuickSaves::save(std::uint32_t nowMs) {
    if (slots_ == nullptr) {
        std::fprintf(stderr, "tsuzuri: this run keeps no saves (name a folder with --state-dir)\n");
        say("Not saved", nowMs);
        return;
    }
    SaveRecord record;
    if (!saveOfStory(scene_, record)) {
        say("Nothing to save", nowMs);
        return;
    }
    record.savedAt = saveTimeNow(nowMs - runStartMs_);
    std::string error;
    if (!slots_->write(kQuickSlot, std::move(record), *scene_.render, error)) {
        std::fprintf(stderr, "tsuzuri: cannot save: %s\n", error.c_str());
        say("Not saved", nowMs);
        return;
    }
    say("Saved", nowMs);
}

void QuickSaves::load(std::uint32_t nowMs) {
    if (slots_ == nullptr) {
        std::fprintf(stderr, "tsuzuri: this run keeps no saves (name a folder with --state-dir)\n");
        say("No quick save", nowMs);
        return;
    }
    const SaveSlot quick = slots_->read(kQuickSlot);
    if (quick.state != SaveSlot::State::Usable) {
        const std::string why =
            quick.state == SaveSlot::State::Empty ? "there is none" : quick.problem;
        std::fprintf(stderr, "tsuzuri: cannot load the quick save: %s\n", why.c_str());
        say(quick.state == SaveSlot::State::Empty ? "No quick save" : "Quick save unusable", nowMs);
        return;
    }
    // The place being left is kept first.
    SaveRecord leaving;
    std::string error;
    if (saveOfStory(scene_, leaving)) {
        leaving.savedAt = saveTimeNow(nowMs - runStartMs_);
        if (!slots_->writeAutomatic(std::move(leaving), *scene_.render, error)) {
            std::fprintf(stderr, "tsuzuri: cannot keep the place being left: %s\n", error.c_str());
        }
    }
    std::string problem;
    if (!startStoryAtSave(scene_, quick.save, problem)) {
        std::fprintf(stderr, "tsuzuri: cannot load the quick save: %s\n", problem.c_str());
        say("Quick save unusable", nowMs);
        return;
    }
    say("Loaded", nowMs);
}

std::string QuickSaves::note(std::uint32_t nowMs) {
    if (!note_.empty() && nowMs - noteShownAtMs_ >= kNoteMs) {
        note_.clear();
    }
    return note_;
}

}  // namespace tsuzuri
