#include "ui/quick_saves.h"

#include <cstdio>
#include <utility>

namespace tsuzuri {

QuickSaves::QuickSaves(SceneState& scene, const SaveSlots* slots) : scene_(scene), slots_(slots) {}

void QuickSaves::say(std::string note, std::uint32_t nowMs) {
    note_ = std::move(note);
    noteShownAtMs_ = nowMs;
}

void QuickSaves::save(std::uint32_t nowMs) {
    saveInto(kQuickSlot, nowMs);
}

void QuickSaves::load(std::uint32_t nowMs) {
    if (slots_ == nullptr) {
        std::fprintf(stderr, "tsuzuri: this run keeps no saves (name a folder with --state-dir)\n");
        say("No quick save", nowMs);
        return;
    }
    const SaveSlot quick = slots_->read(kQuickSlot);
    if (quick.state == SaveSlot::State::Empty) {
        std::fprintf(stderr, "tsuzuri: cannot load the quick save: there is none\n");
        say("No quick save", nowMs);
        return;
    }
    loadFrom(quick, nowMs);
}

bool QuickSaves::saveInto(const std::string& slot, std::uint32_t nowMs) {
    if (slots_ == nullptr) {
        std::fprintf(stderr, "tsuzuri: this run keeps no saves (name a folder with --state-dir)\n");
        say("Not saved", nowMs);
        return false;
    }
    SaveRecord record;
    if (!saveOfStory(scene_, record, storyView_ ? &storyView_->text : nullptr)) {
        say("Nothing to save", nowMs);
        return false;
    }
    record.savedAt = saveTimeNow(nowMs - scene_.render->startedAtMs);
    std::string error;
    if (!slots_->write(slot, std::move(record),
                       storyView_ ? storyView_->frame : copyFrame(*scene_.render), error)) {
        std::fprintf(stderr, "tsuzuri: cannot save: %s\n", error.c_str());
        say("Not saved", nowMs);
        return false;
    }
    say("Saved", nowMs);
    return true;
}

bool QuickSaves::loadFrom(const SaveSlot& slot, std::uint32_t nowMs) {
    const std::string what = slot.name == kQuickSlot ? "the quick save" : slot.name;
    if (slots_ == nullptr || slot.state != SaveSlot::State::Usable) {
        const std::string why =
            slot.state == SaveSlot::State::Empty ? "there is none" : slot.problem;
        std::fprintf(stderr, "tsuzuri: cannot load %s: %s\n", what.c_str(), why.c_str());
        say(slot.name == kQuickSlot ? "Quick save unusable" : "Unusable save", nowMs);
        return false;
    }
    // The place being left is kept first.
    SaveRecord leaving;
    std::string error;
    if (saveOfStory(scene_, leaving, storyView_ ? &storyView_->text : nullptr)) {
        leaving.savedAt = saveTimeNow(nowMs - scene_.render->startedAtMs);
        if (!slots_->writeAutomatic(std::move(leaving),
                                    storyView_ ? storyView_->frame : copyFrame(*scene_.render),
                                    error)) {
            std::fprintf(stderr, "tsuzuri: cannot keep the place being left: %s\n", error.c_str());
        }
    }
    std::string problem;
    if (!startStoryAtSave(scene_, slot.save, problem)) {
        std::fprintf(stderr, "tsuzuri: cannot load %s: %s\n", what.c_str(), problem.c_str());
        say(slot.name == kQuickSlot ? "Quick save unusable" : "Unusable save", nowMs);
        return false;
    }
    say("Loaded", nowMs);
    return true;
}

std::string QuickSaves::note(std::uint32_t nowMs) {
    if (!note_.empty() && nowMs - noteShownAtMs_ >= kNoteMs) {
        note_.clear();
    }
    return note_;
}

}  // namespace tsuzuri
