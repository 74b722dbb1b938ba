#include "ui/story_screen.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "common/shift_jis.h"
#include "graphics/render_device.h"
#include "platform/platform.h"
#include "script_engine/interpreter.h"
#include "script_engine/read_pages.h"
#include "script_engine/script_file.h"
#include "script_engine/story_place.h"
#include "ui/backlog.h"
#include "ui/page_copy.h"
#include "ui/settings_screen.h"
#include "ui/slot_screen.h"
#include "ui/system_menu_screen.h"

namespace tsuzuri {
namespace {

// F5: the script is read again from its file and the story goes on at the same file line; the
// message window picture is read again too. Answers what the corner says of it (the reason
// goes to stderr as well); nothing without F5.
std::optional<std::string> reloadIfAsked(SceneState& scene, const ActionInput& input) {
    if (!input.wasReleased(Action::Reload)) {
        return std::nullopt;
    }
    const std::string name =
        sjisToUtf8ForDisplay(scene.scriptFile.lexically_relative(scene.gameFolder).string());
    std::string problem;
    if (!reloadScript(scene, problem)) {
        std::fprintf(stderr, "tsuzuri: cannot reload %s: %s; the loaded script plays on\n",
                     name.c_str(), problem.c_str());
        return "Not reloaded: " + problem;
    }
    loadWindowPicture(*scene.render, scene.gameFolder);
    std::fprintf(stderr, "tsuzuri: reloaded %s\n", name.c_str());
    return "Reloaded";
}

// The story has run out of lines: the window closes (asked again on every pass until it has).
void closeWhenFinished(const SceneState& scene) {
    if (isSceneFinished(scene) && scene.render->window != 0) {
        platform::postMessage(scene.render->window, platform::MessageKind::Close);
    }
}

}  // namespace

bool StoryScreen::takePress(ScreenStack&, const ActionPress& press) {
    switch (press.action) {
        case Action::OlderPage:
        case Action::Backlog:
            ++pendingSteps_;
            return true;
        case Action::NewerPage:
            --pendingSteps_;
            return true;
        case Action::QuickSave:
        case Action::QuickLoad:
        case Action::OpenSave:
        case Action::OpenLoad:
        case Action::SystemMenu:
        case Action::Settings:
        case Action::CopyText:
            if (!press.repeat) {
                requested_ = press.action;
                requestPending_ = true;
            }
            return true;
        case Action::Quit:
            if (!press.repeat) {
                quitTaken_ = false;
            }
            return quitTaken_;
        default:
            return false;
    }
}

void StoryScreen::update(ScreenStack& stack, ActionInput& input, std::uint32_t nowMs) {
    nowMs_ = nowMs;
    if (const std::int64_t back = std::exchange(pendingRewind_, 0); back > 0) {
        rewind(back, nowMs);
    }
    // The middle button is no key: it arrives as a release.
    if (input.wasReleased(Action::SystemMenu) && !requestPending_) {
        requestPending_ = true;
        requested_ = Action::SystemMenu;
    }
    if (std::exchange(requestPending_, false)) {
        if (requested_ == Action::QuickSave) {
            quickSaves_.save(nowMs);
        } else if (requested_ == Action::QuickLoad) {
            quickSaves_.load(nowMs);
            autoMode_.watchPage(nowMs);
        } else if (requested_ == Action::SystemMenu) {
            stack.push(
                std::make_unique<SystemMenuScreen>(*scene_.render, quickSaves_, preferences_));
            autoMode_.stand(input, nowMs);
            return;
        } else if (requested_ == Action::Settings) {
            stack.push(std::make_unique<SettingsScreen>(*scene_.render, preferences_));
            autoMode_.stand(input, nowMs);
            return;
        } else if (requested_ == Action::CopyText) {
            if (copyShownPage(scene_)) {
                note_ = "Copied";
                noteShownAtMs_ = nowMs;
            }
        } else if (quickSaves_.slots() == nullptr) {
            std::fprintf(stderr,
                         "tsuzuri: this run keeps no saves (name a folder with --state-dir)\n");
        } else {
            stack.push(std::make_unique<SlotScreen>(
                requested_ == Action::OpenSave ? SlotScreen::Mode::Save : SlotScreen::Mode::Load,
                *scene_.render, quickSaves_));
            autoMode_.stand(input, nowMs);
            return;
        }
    }
    if (!input.sampled) {
        // Input is not read yet (the start-up guard): the story steps without any.
        stepScene(scene_, StoryInput{});
        autoMode_.watchPage(scene_.clock->nowMs());
        closeWhenFinished(scene_);
        return;
    }
    showReloadNote(reloadIfAsked(scene_, input), nowMs);
    const int steps = std::exchange(pendingSteps_, 0) + input.wheelNotches;
    if (steps > 0 && storyWaits(scene_) && scene_.readPages.count() > 0) {
        auto backlog =
            std::make_unique<BacklogScreen>(*scene_.render, quitTaken_, autoMode_, scene_.readPages,
                                            [this](std::int64_t back) { pendingRewind_ = back; });
        backlog->open(steps, input);
        stack.push(std::move(backlog));
        autoMode_.stand(input, nowMs);
        closeWhenFinished(scene_);
        return;
    }
    const Settings& settings = preferences_.current();
    autoMode_.setPace(settings.autoBaseMs, settings.autoPerCharMs);
    autoMode_.apply(input, nowMs);
    StoryInput story = storyInputOf(input);
    story.skipReadOnly = settings.skip == SkipMode::Read;
    stepScene(scene_, story);
    skipping_ = story.skipHeld && !scene_.skipHalted && !isSceneFinished(scene_);
    if (settings.copyPages && scene_.render->pagesDrawn != pagesCopied_) {
        pagesCopied_ = scene_.render->pagesDrawn;
        copyShownPage(scene_);
    }
    autoMode_.watchPage(scene_.clock->nowMs());
    closeWhenFinished(scene_);
}

void StoryScreen::showReloadNote(const std::optional<std::string>& note, std::uint32_t nowMs) {
    if (note) {
        note_ = *note;
        noteShownAtMs_ = nowMs;
    }
}

void StoryScreen::rewind(std::int64_t back, std::uint32_t nowMs) {
    const std::vector<ReadPage> pages = scene_.readPages.all();
    if (back > static_cast<std::int64_t>(pages.size())) {
        return;
    }
    const auto at = pages.end() - back;
    std::string problem;
    if (!startStoryAtPlace(scene_, at->place, problem)) {
        std::fprintf(stderr, "tsuzuri: cannot go back to that page: %s\n", problem.c_str());
        return;
    }
    scene_.readPages.replace(std::vector<ReadPage>(pages.begin(), at));
    autoMode_.watchPage(nowMs);
}

void StoryScreen::stand(const ActionInput& input, std::uint32_t nowMs) {
    showReloadNote(reloadIfAsked(scene_, input), nowMs);
    autoMode_.stand(input, nowMs);
    closeWhenFinished(scene_);
}

bool StoryScreen::draw(const std::string& cornerNote) {
    std::string quickNote = quickSaves_.note(nowMs_);
    if (!note_.empty() && nowMs_ - noteShownAtMs_ < kNoteMs) {
        quickNote = note_;
    }
    const char* mode = skipping_ ? "Skip" : autoMode_.isOn() ? "Auto" : "";
    return renderFrame(*scene_.render, scene_,
                       CornerTexts{quickNote.empty() ? cornerNote : quickNote, mode}) != 0;
}

}  // namespace tsuzuri
