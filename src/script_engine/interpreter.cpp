#include "script_engine/interpreter.h"

#include <algorithm>
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
#include "script_engine/wao_sequence.h"
#include "sound/sound_layer.h"

namespace tsuzuri {
namespace {

SceneClock sceneClock = nullptr;
LineTrace lineTrace = nullptr;
// Set when a trace is installed: the line the next step starts on has not been reported.
bool traceStartPending = false;

std::uint32_t now() {
    return sceneClock != nullptr ? sceneClock() : platform::timeGetTime();
}

// Read afresh wherever it matters: a NextScript line replaces the lines in the middle of a step.
std::int32_t lineCount() {
    return static_cast<std::int32_t>(sceneState.lines.size());
}

ScriptLine& lineAt(std::int32_t index) {
    return *sceneState.lines[static_cast<std::size_t>(index)];
}

void reportArrival(std::int32_t index) {
    if (lineTrace != nullptr && index >= 0 && index < lineCount()) {
        lineTrace(index);
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
std::string textOf(std::int32_t index, std::size_t from) {
    const std::string_view text = lineAt(index).text.c_str();
    return from < text.size() ? std::string(text.substr(from)) : std::string();
}

GamePath gamePath(const char* folder, const std::string& name) {
    return GamePath{sceneState.gameFolder, std::string(folder) + "\\" + name};
}

// SE, LoopSE and BGM: the channel's old sound goes, the new one is loaded and started.
Outcome playOnChannel(SoundId& channel, const std::string& name, bool looping, std::int32_t index) {
    SoundRelease(channel);
    channel = SoundLoad(gamePath("wave", name));
    if (channel < 0) {
        return makeText();
    }
    SoundPlay(channel, looping ? 1 : 0);
    return goOn(index + 1);
}

// Wao and LoopWao: the track is cleared; unless skipping, the sequence is read into it.
Outcome startSequence(std::int32_t track, const std::string& name, std::int32_t index,
                      const StoryInput& input) {
    clearCueTrack(track);
    if (isSkipKeyDown(input)) {
        return goOn(index + 1);
    }
    if (failed(loadCueTrack(gamePath("wave", name), track))) {
        return makeText();
    }
    return goOn(index + 1);
}

// Keeps the name of what a lasting line started, or none when it started nothing.
Outcome keepName(std::string& slot, std::string name, Outcome outcome) {
    slot = outcome.kind == Outcome::GoOn ? std::move(name) : std::string();
    return outcome;
}

Outcome runTextPage(std::int32_t index, const StoryInput& input) {
    if (sceneState.textDirty != 0) {
        clearTextLayer();
        drawTextPage(lineAt(index).text.c_str(), isSkipKeyDown(input));
        sceneState.textDirty = 0;
    }
    std::int32_t next = index;
    if (isAdvanceReleased(input) || isSkipKeyDown(input)) {
        if (sceneState.windowShown != 0) {
            keepReadPage(-1);
            sceneState.textDirty = 1;
            SoundStop(sceneState.seChannel);
            clearCueTrack(0);
            next = index + 1;
        } else {
            // The first click after hiding only brings the window back.
            sceneState.windowShown = 1;
        }
    }
    if (isToggleReleased(input)) {
        sceneState.windowShown = sceneState.windowShown != 0 ? 0 : 1;
    }
    return endStep(next);
}

void endFlash() {
    renderState.flashActive = 0;
    renderState.flashLevel = 0;
}

Outcome runFlash(std::int32_t index, const StoryInput& input) {
    if (isSkipKeyDown(input)) {
        endFlash();
        return goOn(index + 1);
    }
    clearTextLayer();
    sceneState.textDirty = 1;
    if (stepFlash() == 0) {
        endFlash();
        return endStep(index + 1);
    }
    return endStep(index);
}

Outcome runNextScript(std::int32_t index) {
    // Built before loading: a successful load frees the line and changes the game folder.
    const GamePath path = gamePath("script", textOf(index, 0));
    if (!loadScript(path)) {
        return makeText();
    }
    return goOn(0);
}

Outcome runLine(std::int32_t index, const StoryInput& input) {
    switch (lineAt(index).kind) {
        case Comment:
        case Label:
            return goOn(index + 1);
        case Image:
            if (failed(showScenePicture(gamePath("cg", textOf(index, 0))))) {
                return makeText();
            }
            sceneState.scenePicture = textOf(index, 0);
            return goOn(index + 1);
        case SE:
            return playOnChannel(sceneState.seChannel, textOf(index, 0), false, index);
        case LoopSE:
            return keepName(sceneState.loopSeName, textOf(index, 1),
                            playOnChannel(sceneState.loopSeChannel, textOf(index, 1), true, index));
        case StopLoopSE:
            SoundStop(sceneState.loopSeChannel);
            sceneState.loopSeName.clear();
            return goOn(index + 1);
        case BGM:
            return keepName(sceneState.bgmName, textOf(index, 1),
                            playOnChannel(sceneState.bgmChannel, textOf(index, 1), true, index));
        case StopBGM:
            SoundStop(sceneState.bgmChannel);
            sceneState.bgmName.clear();
            return goOn(index + 1);
        case Wao:
            return startSequence(0, textOf(index, 0), index, input);
        case LoopWao:
            return keepName(sceneState.loopWaoName, isSkipKeyDown(input) ? "" : textOf(index, 1),
                            startSequence(1, textOf(index, 1), index, input));
        case StopLoopWao:
            clearCueTrack(1);
            sceneState.loopWaoName.clear();
            return goOn(index + 1);
        case Text:
            return runTextPage(index, input);
        case Choices:
            sceneState.currentLine = index;
            showChoiceMenu(index, input);
            return endStep(sceneState.currentLine);
        case Jump: {
            const std::int32_t target = findLabel(textOf(index, 1).c_str());
            return goOn(target != -1 ? target : index + 1);
        }
        case Flash:
            return runFlash(index, input);
        case NextScript:
            return runNextScript(index);
    }
    // A kind no loader makes: passed over like a comment.
    return goOn(index + 1);
}

}  // namespace

void stepScene(const StoryInput& input) {
    std::int32_t index = sceneState.currentLine;
    if (index < 0 || index >= lineCount()) {
        return;
    }
    const std::uint32_t start = now();
    const SoundStep soundStep;  // what the step starts is due at the step's time
    if (traceStartPending) {
        traceStartPending = false;
        reportArrival(index);
    }
    std::int32_t linesRun = 0;
    while (index < lineCount()) {
        Outcome outcome = runLine(index, input);
        if (outcome.kind == Outcome::MakeText) {
            // For good: coming back to this line shows the page without trying again.
            lineAt(index).kind = Text;
            outcome = runTextPage(index, input);
        }
        ++linesRun;
        if (outcome.kind == Outcome::EndStep) {
            if (outcome.line != index) {
                reportArrival(outcome.line);
            }
            index = outcome.line;
            break;
        }
        index = outcome.line;
        reportArrival(index);
        if (linesRun >= kMaxLinesPerStep || now() - start > kMaxStepMs) {
            break;
        }
    }
    sceneState.currentLine = index;
}

void resumeStoryAt(std::int32_t line) {
    sceneState.currentLine = line;
    sceneState.textDirty = 1;
    sceneState.choiceHover = 0;
    endFlash();
    traceStartPending = lineTrace != nullptr;
}

void startStoryAt(std::int32_t line) {
    // The last line of each lasting kind before `line`; -1 for none.
    std::int32_t picture = -1;
    std::int32_t bgm = -1;
    std::int32_t loopSe = -1;
    std::int32_t loopWao = -1;
    for (std::int32_t i = 0; i < std::min(line, lineCount()); ++i) {
        switch (lineAt(i).kind) {
            case Image:
                picture = i;
                break;
            case BGM:
            case StopBGM:
                bgm = i;
                break;
            case LoopSE:
            case StopLoopSE:
                loopSe = i;
                break;
            case LoopWao:
            case StopLoopWao:
                loopWao = i;
                break;
            default:
                break;
        }
    }
    std::int32_t lasting[] = {picture, bgm, loopSe, loopWao};
    std::sort(std::begin(lasting), std::end(lasting));
    for (const std::int32_t i : lasting) {
        // A stop needs nothing done: nothing plays yet. A line whose media fails is passed over.
        if (i >= 0 && lineAt(i).kind != StopBGM && lineAt(i).kind != StopLoopSE &&
            lineAt(i).kind != StopLoopWao) {
            runLine(i, StoryInput{});  // as on arriving there: nothing held
        }
    }
    resumeStoryAt(line);
}

bool isSceneFinished() {
    return sceneState.currentLine >= lineCount();
}

void setSceneClock(SceneClock clock) {
    sceneClock = clock;
}

void setLineTrace(LineTrace trace) {
    lineTrace = trace;
    traceStartPending = trace != nullptr;
}

}  // namespace tsuzuri
