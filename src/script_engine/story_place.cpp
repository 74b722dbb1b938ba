#include "script_engine/story_place.h"

#include "common/game_path.h"
#include "graphics/render_device.h"
#include "script_engine/interpreter.h"
#include "script_engine/scene_state.h"
#include "script_engine/script_file.h"
#include "script_engine/wao_sequence.h"
#include "sound/sound_layer.h"

namespace tsuzuri {
namespace {

GamePath mediaPath(const char* folder, const std::string& name) {
    return GamePath{sceneState.gameFolder, std::string(folder) + "\\" + name};
}

// Starts `name` looping on the channel; the name is kept only when it plays.
void playLooping(SoundId& channel, std::string& kept, const std::string& name) {
    kept.clear();
    if (name.empty()) {
        return;
    }
    SoundRelease(channel);
    channel = SoundLoad(mediaPath("wave", name));
    if (channel >= 0) {
        SoundPlay(channel, 1);
        kept = name;
    }
}

}  // namespace

std::optional<StoryPlace> storyPlaceNow() {
    if (isSceneFinished() || sceneState.currentLine < 0) {
        return std::nullopt;
    }
    StoryPlace place;
    place.scriptFile = sceneState.scriptFile;
    place.fileLine = sceneState.lines[static_cast<size_t>(sceneState.currentLine)]->fileLine;
    place.windowShown = sceneState.windowShown != 0;
    place.picture = sceneState.scenePicture;
    place.bgm = sceneState.bgmName;
    place.loopSe = sceneState.loopSeName;
    place.loopWao = sceneState.loopWaoName;
    return place;
}

bool startStoryAtPlace(const StoryPlace& place, std::string& problem) {
    if (!loadScript(GamePath{place.scriptFile, ""})) {
        problem = "its script cannot be read";
        return false;
    }
    const std::int32_t line = lineIndexAtFileLine(place.fileLine);
    if (line >= static_cast<std::int32_t>(sceneState.lines.size()) ||
        sceneState.lines[static_cast<size_t>(line)]->fileLine != place.fileLine) {
        problem = "its script has no line " + std::to_string(place.fileLine) + " any more";
        return false;
    }
    if (!place.picture.empty() && !failed(showScenePicture(mediaPath("cg", place.picture)))) {
        sceneState.scenePicture = place.picture;
    }
    playLooping(sceneState.bgmChannel, sceneState.bgmName, place.bgm);
    playLooping(sceneState.loopSeChannel, sceneState.loopSeName, place.loopSe);
    if (!place.loopWao.empty()) {
        clearCueTrack(1);
        if (!failed(loadCueTrack(mediaPath("wave", place.loopWao), 1))) {
            sceneState.loopWaoName = place.loopWao;
        }
    }
    resumeStoryAt(line);
    sceneState.windowShown = place.windowShown ? 1 : 0;
    return true;
}

}  // namespace tsuzuri
