// The scene interpreter: moves the story one step per main-loop pass.
#pragma once

#include <cstdint>
#include <vector>

#include "script_engine/scene_state.h"
#include "script_engine/story_input.h"

namespace tsuzuri {

// A step ends at the latest after this many lines, or once it has taken longer than
// kMaxStepMs, wherever the story then stands; the next pass goes on from there. Real scripts
// never come near either bound, but a cycle of jumps (or a script that names itself) with no
// page, menu or flash in it would otherwise hold the main loop for ever.
constexpr std::int32_t kMaxLinesPerStep = 10000;
constexpr std::uint32_t kMaxStepMs = 1000;

// Runs one step of the story from the current line: immediate lines (pictures, sounds,
// labels, jumps, script changes) run at once, and the step ends at the first page, menu or
// flash, which is handled again on every pass until it lets the story go on. `input` is what
// this pass's input means to the story.
void stepScene(SceneState& scene, const StoryInput& input);

// True when the story has run out of lines (also when none were ever loaded).
bool isSceneFinished(const SceneState& scene);

// Puts the story at `line` of the loaded script as if it had just arrived there: the page or
// menu there is drawn afresh, a flash starts over, and the line trace reports the line.
void resumeStoryAt(SceneState& scene, std::int32_t line);

// Starts the story at `line`. The lines before it are scanned in order, not run: only those
// that set lasting state take effect, the last of each kind winning (the scene picture; BGM
// or StopBGM; LoopSE or StopLoopSE; LoopWao or StopLoopWao), so the scene looks and sounds as
// it would on arriving there. Nothing is shown, traced or followed on the way. `before` are
// such lines of the scripts the story passed through to reach this one, in order; the lines of
// this script win over them.
void startStoryAt(SceneState& scene, std::int32_t line, std::vector<ScriptLine> before = {});

// After the lines were read again: what the lines before `line` set to last (the scene
// picture, the music, the looping sound effect, the repeating sequence) is brought to that
// where it differs from what lasts now; what already matches goes on undisturbed.
void refreshSceneUpTo(SceneState& scene, std::int32_t line);

// Sets the trace of `scene`, called with the index of each line the story arrives at: the line
// it stands on when the first step after setting the trace begins, every line a step goes on
// to, and the line a page turn, a finished flash or a pick moves it to. A line the story waits
// on is reported once, not on every pass. The line is alive during the call. Null switches the
// trace off.
void setLineTrace(SceneState& scene, LineTrace trace);

}  // namespace tsuzuri
