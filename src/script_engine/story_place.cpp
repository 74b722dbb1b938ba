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

GamePath mediaPath(const SceneState& scene, const char* folder, const std::string& name) {
    return GamePath{scene.gameFolder, std::string(folder) + "\\" + name};
}

// Starts `name` looping on the channel; the name is kept only when it plays.
void playLooping(const SceneState& scene, SoundId& channel, std::string& kept,
                 const std::string& name) {
    kept.clear();
    if (name.empty()) {
        return;
    }
    SoundRelease(channel);
    channel = SoundLoad(mediaPath(scene, "wave", name));
    if (channel >= 0) {
        SoundPlay(channel, 1);
        kept = name;
    }
}

}  // namespace

std::optional<StoryPlace> storyPlaceNow(const SceneState& scene) {
    if (isSceneFinished(scene) || scene.currentLine < 0) {
        return std::nullopt;
    }
    StoryPlace place;
    place.scriptFile = scene.scriptFile;
    place.fileLine = scene.lines[static_cast<size_t>(scene.currentLine)]->fileLine;
    place.windowShown = scene.windowShown != 0;
    place.picture = scene.scenePicture;
    place.bgm = scene.bgmName;
    place.loopSe = scene.loopSeName;
    place.loopWao = scene.loopWaoName;
    return place;
}

bool startStoryAtPlace(SceneState& scene, const StoryPlace& place, std::string& problem) {
    if (!loadScript(scene, GamePath{place.scriptFile, ""})) {
        problem = "its script cannot be read";
        return false;
    }
    const std::int32_t line = lineIndexAtFileLine(scene, place.fileLine);
    if (line >= static_cast<std::int32_t>(scene.lines.size()) ||
        scene.lines[static_cast<size_t>(line)]->fileLine != place.fileLine) {
        problem = "its script has no line " + std::to_string(place.fileLine) + " any more";
        return false;
    }
    if (!place.picture.empty() &&
        !failed(showScenePicture(*scene.render, mediaPath(scene, "cg", place.picture)))) {
        scene.scenePicture = place.picture;
    }
    playLooping(scene, scene.bgmChannel, scene.bgmName, place.bgm);
    playLooping(scene, scene.loopSeChannel, scene.loopSeName, place.loopSe);
    if (!place.loopWao.empty()) {
        clearCueTrack(1);
        if (!failed(loadCueTrack(mediaPath(scene, "wave", place.loopWao), 1))) {
            scene.loopWaoName = place.loopWao;
        }
    }
    resumeStoryAt(scene, line);
    scene.windowShown = place.windowShown ? 1 : 0;
    return true;
}

}  // namespace tsuzuri
