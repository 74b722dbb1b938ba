#include "script_engine/interpreter.h"

#include "script_engine/scene_state.h"

namespace tsuzuri {

// The line handlers are not built yet: the story stands still on its first line.
void stepScene() {}

bool isSceneFinished() {
    return sceneState.currentLine >= static_cast<std::int32_t>(sceneState.lines.size());
}

}  // namespace tsuzuri
