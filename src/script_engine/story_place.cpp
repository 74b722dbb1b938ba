#include "script_engine/story_place.h"

#include "common/game_path.h"
#include "graphics/render_device.h"
#include "graphics/text_layer.h"
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
    channel = SoundLoad(mediaPath(scene, "wave", name),
                        &channel == &scene.bgmChannel ? SoundGroup::Music : SoundGroup::Effects);
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
    return storyPlaceAt(scene, scene.currentLine);
}

StoryPlace storyPlaceAt(const SceneState& scene, std::int32_t line) {
    StoryPlace place;
    place.scriptFile = scene.scriptFile;
    place.fileLine = scene.lines[static_cast<size_t>(line)]->fileLine;
    place.windowShown = scene.windowShown != 0;
    place.picture = scene.scenePicture;
    place.bgm = scene.bgmName;
    place.loopSe = scene.loopSeName;
    place.loopWao = scene.loopWaoName;
    return place;
}

void leaveScene(SceneState& scene) {
    for (SoundId* channel : {&scene.seChannel, &scene.loopSeChannel, &scene.bgmChannel}) {
        if (*channel != 0) {
            SoundRelease(*channel);
            *channel = 0;
        }
    }
    clearCueTrack(0);
    clearCueTrack(1);
    scene.scenePicture.clear();
    scene.bgmName.clear();
    scene.loopSeName.clear();
    scene.loopWaoName.clear();
    if (scene.render != nullptr) {
        scene.render->sceneTexture.reset();
        scene.render->scenePath = GamePath{};
        clearTextLayer(*scene.render);
    }
    scene.keyRow = -1;
    scene.windowShown = 1;
}

bool startStoryAtPlace(SceneState& scene, const StoryPlace& place, std::string& problem) {
    // The script is read and checked aside, so that a place that cannot be started from leaves
    // the story as it was.
    if (!scene.gameFolder.empty() && !isInsideFolder(scene.gameFolder, place.scriptFile)) {
        problem = "its script is outside the game folder";
        return false;
    }
    SceneState read;
    read.clock = scene.clock;
    if (!loadScript(read, GamePath{place.scriptFile, ""})) {
        problem = "its script cannot be read";
        return false;
    }
    const std::int32_t line = lineIndexAtFileLine(read, place.fileLine);
    if (line >= static_cast<std::int32_t>(read.lines.size()) ||
        read.lines[static_cast<size_t>(line)]->fileLine != place.fileLine) {
        problem = "its script has no line " + std::to_string(place.fileLine) + " any more";
        return false;
    }
    leaveScene(scene);
    scene.lines = std::move(read.lines);
    scene.scriptFile = std::move(read.scriptFile);
    scene.scriptForm = read.scriptForm;
    scene.gameFolder = std::move(read.gameFolder);
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
