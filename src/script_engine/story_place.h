// A place in the story with what lasts of its scene: taken where the story waits, and started
// from again in a later run.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "script_engine/place.h"
#include "script_engine/scene_state.h"

namespace tsuzuri {

// Where the story stands now (the page, menu or flash it waits on), with its scene. Nothing
// once the story has ended.
std::optional<StoryPlace> storyPlaceNow(const SceneState& scene);
// The place of line `line` (which exists) with the scene as it is now.
StoryPlace storyPlaceAt(const SceneState& scene, std::int32_t line);

// Stops the scene's sounds and sequences and takes its picture and text away, as a new story
// would find it.
void leaveScene(SceneState& scene);

// Loads the place's script and starts the story at its line, leaving the scene it stood in: the
// scene picture is shown, the window state set, and the BGM, looping sound effect and repeating
// sequence started, so the first step draws the page as it was. A picture or sound that no longer
// loads is left out. When the script cannot be loaded or has no stored line at that file line any
// more, answers false with the reason in `problem`, having started nothing of the scene.
bool startStoryAtPlace(SceneState& scene, const StoryPlace& place, std::string& problem);

}  // namespace tsuzuri
