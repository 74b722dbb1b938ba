#include "script_engine/scene_state.h"

namespace tsuzuri {

SceneState sceneState;

void resetSceneState() {
    sceneState = SceneState{};
}

}  // namespace tsuzuri
