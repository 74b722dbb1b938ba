#include "script_engine/interpreter.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <string>
#include <string_view>

#include "common/game_path.h"
#include "graphics/render_device.h"
#include "graphics/text_layer.h"
#include "platform/platform.h"
#include "script_engine/choices.h"
#include "script_engine/read_pages.h"
#include "script_engine/scene_state.h"
#include "script_engine/script_file.h"
#include "script_engine/story_input.h"
#include "script_engine/story_place.h"
#include "script_engine/wao_sequence.h"
#include "sound/sound_layer.h"

namespace tsuzuri {
namespace {

// Read afresh wherever it matters: a NextScript line replaces the lines in the middle of a step.
std::int32_t lineCount(const SceneState& scene) {
    return static_cast<std::int32_t>(scene.lines.size());
}

ScriptLine& lineAt(const SceneState& scene, std::int32_t index) {
    return *scene.lines[static_cast<std::size_t>(index)];
}

void reportArrival(const SceneState& scene, std::int32_t index) {
    if (scene.lineTrace != nullptr && index >= 0 && index < lineCount(scene)) {
        scene.lineTrace(scene, index);
    }
}

// What a line's handler decided.
struct Outcome {
    enum Kind {
        GoOn,      // run `line` next, in the same step
        EndStep,   // the story stands at `line` until the next pass
        MakeText,  // the line's media cannot be used: it becomes a text page
    };
    Kind kind;
    std::int32_t line;
};

Outcome goOn(std::int32_t line) {
    return Outcome{Outcome::GoOn, line};
}
Outcome endStep(std::int32_t line) {
    return Outcome{Outcome::EndStep, line};
}
Outcome makeText() {
    return Outcome{Outcome::MakeText, -1};
}

// The text of line `index` from byte `from` on: the name after a prefix character. A copy, so
// that nothing refers to the line once a script change has released it.
std::string textOf(const SceneState& scene, std::int32_t index, std::size_t from) {
    const std::string_view text = lineAt(scene, index).text.c_str();
    return from < text.size() ? std::string(text.substr(from)) : std::string();
}

GamePath gamePath(const SceneState& scene, const char* folder, const std::string& name) {
    return GamePath{scene.gameFolder, std::string(folder) + "\\" + name};
}

// SE, LoopSE and BGM: the channel's old sound goes, the new one is loaded and started.
Outcome playOnChannel(const SceneState& scene, SoundId& channel, const std::string& name,
                      bool looping, std::int32_t index) {
    SoundRelease(channel);
    channel = SoundLoad(gamePath(scene, "wave", name),
                        &channel == &scene.bgmChannel ? SoundGroup::Music : SoundGroup::Effects);
    if (channel < 0) {
        return makeText();
    }
    SoundPlay(channel, looping ? 1 : 0);
    return goOn(index + 1);
}

// Wao and LoopWao: the track is cleared; unless skipping, the sequence is read into it.
Outcome startSequence(const SceneState& scene, std::int32_t track, const std::string& name,
                      std::int32_t index, const StoryInput& input) {
    clearCueTrack(track);
    if (isSkipKeyDown(input)) {
        return goOn(index + 1);
    }
    if (failed(loadCueTrack(gamePath(scene, "wave", name), track))) {
        return makeText();
    }
    return goOn(index + 1);
}

// Keeps the name of what a lasting line started, or none when it started nothing.
Outcome keepName(std::string& slot, std::string name, Outcome outcome) {
    slot = outcome.kind == Outcome::GoOn ? std::move(name) : std::string();
    return outcome;
}

// The script as the record of read lines names it: its file below the game folder.
std::string readKey(const SceneState& scene) {
    const std::filesystem::path below = scene.scriptFile.lexically_relative(scene.gameFolder);
    return below.empty() || *below.begin() == ".." ? scene.scriptFile.string()
                                                   : below.generic_string();
}

bool wasShown(const SceneState& scene, std::int32_t index) {
    return scene.readLines.contains(readKey(scene), lineAt(scene, index).fileLine);
}

// Whether the story ends after line `index` without another page, menu or flash: the lines
// after it are followed (jumps too) as far as a step would run them.
bool storyEndsAfter(const SceneState& scene, std::int32_t index) {
    std::int32_t at = index + 1;
    for (std::int32_t looked = 0; looked < kMaxLinesPerStep; ++looked) {
        if (at >= lineCount(scene)) {
            return true;
        }
        switch (lineAt(scene, at).kind) {
            case Text:
            case Choices:
            case Flash:
            case NextScript:
                return false;
            case Jump: {
                const std::int32_t target = findLabel(scene, textOf(scene, at, 1).c_str());
                at = target != -1 ? target : at + 1;
                break;
            }
            default:
                ++at;
        }
    }
    return false;  // a cycle without a page never ends
}

Outcome runTextPage(SceneState& scene, std::int32_t index, const StoryInput& input) {
    // A skip stops at a page it may not pass (one not shown before it came, with a skip of
    // read pages only; the story's last) and stays stopped until the skip key is let go.
    bool skipping = isSkipKeyDown(input);
    if (skipping &&
        ((input.skipReadOnly && !wasShown(scene, index)) || storyEndsAfter(scene, index))) {
        scene.skipHalted = true;
        skipping = false;
    }
    if (scene.textDirty != 0) {
        clearTextLayer(*scene.render);
        drawTextPage(*scene.render, lineAt(scene, index).text.c_str(), skipping);
        scene.textDirty = 0;
        scene.readLines.mark(readKey(scene), lineAt(scene, index).fileLine);
    }
    std::int32_t next = index;
    if (isAdvanceReleased(input) || skipping) {
        if (scene.windowShown != 0) {
            scene.readPages.keep(scene.render->drawnPages, -1, storyPlaceAt(scene, index));
            scene.textDirty = 1;
            SoundStop(scene.seChannel);
            clearCueTrack(0);
            next = index + 1;
        } else {
            // The first click after hiding only brings the window back.
            scene.windowShown = 1;
        }
    }
    if (isToggleReleased(input)) {
        scene.windowShown = scene.windowShown != 0 ? 0 : 1;
    }
    return endStep(next);
}

void endFlash(SceneState& scene) {
    scene.render->flashActive = 0;
    scene.render->flashLevel = 0;
}

Outcome runFlash(SceneState& scene, std::int32_t index, const StoryInput& input) {
    if (isSkipKeyDown(input)) {
        endFlash(scene);
        return goOn(index + 1);
    }
    clearTextLayer(*scene.render);
    scene.textDirty = 1;
    if (stepFlash(*scene.render) == 0) {
        endFlash(scene);
        return endStep(index + 1);
    }
    return endStep(index);
}

Outcome runNextScript(SceneState& scene, std::int32_t index) {
    // Built before loading: a successful load frees the line and changes the game folder.
    const GamePath path = gamePath(scene, "script", textOf(scene, index, 0));
    if (!loadScript(scene, path)) {
        return makeText();
    }
    return goOn(0);
}

Outcome runLine(SceneState& scene, std::int32_t index, const StoryInput& input) {
    switch (lineAt(scene, index).kind) {
        case Comment:
        case Label:
            return goOn(index + 1);
        case Image:
            if (failed(showScenePicture(*scene.render,
                                        gamePath(scene, "cg", textOf(scene, index, 0))))) {
                return makeText();
            }
            scene.scenePicture = textOf(scene, index, 0);
            return goOn(index + 1);
        case SE:
            return playOnChannel(scene, scene.seChannel, textOf(scene, index, 0), false, index);
        case LoopSE:
            return keepName(
                scene.loopSeName, textOf(scene, index, 1),
                playOnChannel(scene, scene.loopSeChannel, textOf(scene, index, 1), true, index));
        case StopLoopSE:
            SoundStop(scene.loopSeChannel);
            scene.loopSeName.clear();
            return goOn(index + 1);
        case BGM:
            return keepName(
                scene.bgmName, textOf(scene, index, 1),
                playOnChannel(scene, scene.bgmChannel, textOf(scene, index, 1), true, index));
        case StopBGM:
            SoundStop(scene.bgmChannel);
            scene.bgmName.clear();
            return goOn(index + 1);
        case Wao:
            return startSequence(scene, 0, textOf(scene, index, 0), index, input);
        case LoopWao:
            return keepName(scene.loopWaoName, isSkipKeyDown(input) ? "" : textOf(scene, index, 1),
                            startSequence(scene, 1, textOf(scene, index, 1), index, input));
        case StopLoopWao:
            clearCueTrack(1);
            scene.loopWaoName.clear();
            return goOn(index + 1);
        case Text:
            return runTextPage(scene, index, input);
        case Choices:
            if (scene.textDirty != 0) {
                scene.readLines.mark(readKey(scene), lineAt(scene, index).fileLine);
            }
            if (isSkipKeyDown(input) && input.skipReadOnly) {
                scene.skipHalted = true;  // a skip of read pages stops at every menu
            }
            scene.currentLine = index;
            showChoiceMenu(scene, index, input);
            return endStep(scene.currentLine);
        case Jump: {
            const std::int32_t target = findLabel(scene, textOf(scene, index, 1).c_str());
            return goOn(target != -1 ? target : index + 1);
        }
        case Flash:
            return runFlash(scene, index, input);
        case NextScript:
            return runNextScript(scene, index);
    }
    // A kind no loader makes: passed over like a comment.
    return goOn(index + 1);
}

}  // namespace

void stepScene(SceneState& scene, const StoryInput& pass) {
    if (!pass.skipHeld) {
        scene.skipHalted = false;
    }
    StoryInput input = pass;
    input.skipHeld = pass.skipHeld && !scene.skipHalted;
    std::int32_t index = scene.currentLine;
    if (index < 0 || index >= lineCount(scene)) {
        return;
    }
    const std::uint32_t start = scene.clock->nowMs();
    const SoundStep soundStep;  // what the step starts is due at the step's time
    if (scene.traceStartPending) {
        scene.traceStartPending = false;
        reportArrival(scene, index);
    }
    std::int32_t linesRun = 0;
    while (index < lineCount(scene)) {
        Outcome outcome = runLine(scene, index, input);
        if (outcome.kind == Outcome::MakeText) {
            // For good: coming back to this line shows the page without trying again.
            lineAt(scene, index).kind = Text;
            outcome = runTextPage(scene, index, input);
        }
        ++linesRun;
        if (outcome.kind == Outcome::EndStep) {
            if (outcome.line != index) {
                reportArrival(scene, outcome.line);
            }
            index = outcome.line;
            break;
        }
        index = outcome.line;
        reportArrival(scene, index);
        if (linesRun >= kMaxLinesPerStep || scene.clock->nowMs() - start > kMaxStepMs) {
            break;
        }
    }
    scene.currentLine = index;
}

void resumeStoryAt(SceneState& scene, std::int32_t line) {
    scene.currentLine = line;
    scene.textDirty = 1;
    scene.choiceHover = 0;
    endFlash(scene);
    scene.traceStartPending = scene.lineTrace != nullptr;
}

namespace {

// The last line of each lasting kind before `line` (the picture; BGM or StopBGM; LoopSE or
// StopLoopSE; LoopWao or StopLoopWao), in the order they stand; -1 for none.
std::array<std::int32_t, 4> lastingLinesBefore(const SceneState& scene, std::int32_t line) {
    std::array<std::int32_t, 4> lasting = {-1, -1, -1, -1};
    for (std::int32_t i = 0; i < std::min(line, lineCount(scene)); ++i) {
        switch (lineAt(scene, i).kind) {
            case Image:
                lasting[0] = i;
                break;
            case BGM:
            case StopBGM:
                lasting[1] = i;
                break;
            case LoopSE:
            case StopLoopSE:
                lasting[2] = i;
                break;
            case LoopWao:
            case StopLoopWao:
                lasting[3] = i;
                break;
            default:
                break;
        }
    }
    std::sort(lasting.begin(), lasting.end());
    return lasting;
}

bool isStop(LineKind kind) {
    return kind == StopBGM || kind == StopLoopSE || kind == StopLoopWao;
}

// What lasts now of the kind line `index` sets, by name; empty for none.
const std::string& lastingNow(const SceneState& scene, LineKind kind) {
    switch (kind) {
        case Image:
            return scene.scenePicture;
        case BGM:
        case StopBGM:
            return scene.bgmName;
        case LoopSE:
        case StopLoopSE:
            return scene.loopSeName;
        default:
            return scene.loopWaoName;
    }
}

}  // namespace

void startStoryAt(SceneState& scene, std::int32_t line, std::vector<ScriptLine> before) {
    // The earlier scripts' lines stand in front of this script's while the scene is set.
    const auto added = static_cast<std::int32_t>(before.size());
    std::vector<std::unique_ptr<ScriptLine>> front;
    for (ScriptLine& earlier : before) {
        front.push_back(std::make_unique<ScriptLine>(std::move(earlier)));
    }
    scene.lines.insert(scene.lines.begin(), std::make_move_iterator(front.begin()),
                       std::make_move_iterator(front.end()));
    for (const std::int32_t i : lastingLinesBefore(scene, line + added)) {
        // A stop needs nothing done: nothing plays yet. A line whose media fails is passed over.
        if (i >= 0 && !isStop(lineAt(scene, i).kind)) {
            runLine(scene, i, StoryInput{});  // as on arriving there: nothing held
        }
    }
    scene.lines.erase(scene.lines.begin(), scene.lines.begin() + added);
    resumeStoryAt(scene, line);
}

void refreshSceneUpTo(SceneState& scene, std::int32_t line) {
    for (const std::int32_t i : lastingLinesBefore(scene, line)) {
        if (i < 0) {
            continue;
        }
        const LineKind kind = lineAt(scene, i).kind;
        const std::string wanted =
            isStop(kind) ? std::string() : textOf(scene, i, kind == Image ? 0 : 1);
        if (wanted != lastingNow(scene, kind)) {
            runLine(scene, i, StoryInput{});
        }
    }
}

bool isSceneFinished(const SceneState& scene) {
    return scene.currentLine >= lineCount(scene);
}

void setLineTrace(SceneState& scene, LineTrace trace) {
    scene.lineTrace = trace;
    scene.traceStartPending = trace != nullptr;
}

}  // namespace tsuzuri
