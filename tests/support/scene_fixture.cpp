#include "support/scene_fixture.h"

#include "app/cue_worker.h"
#include "graphics/render_device.h"
#include "platform/headless.h"
#include "platform/platform.h"
#include "script_engine/interpreter.h"
#include "script_engine/scene_state.h"
#include "script_engine/script_file.h"
#include "script_engine/wao_sequence.h"
#include "support/wav_builder.h"
#include "ui/main_window.h"

namespace tsuzuri::test {

namespace {

void clearTracks() {
    clearCueTrack(0);
    clearCueTrack(1);
    cueTracks[0] = CueTrack{};
    cueTracks[1] = CueTrack{};
}

}  // namespace

void SceneTest::SetUp() {
    platform::selectBackend(platform::Backend::Headless);
    platform::setHeadlessInput({});
    sceneState.render = &render;
    render.window = createMainWindow();
    ASSERT_NE(render.window, 0u);
    ASSERT_EQ(sound.start("dummy"), S_OK);
    render.flashActive = 0;
    render.flashLevel = 0;
    clearTracks();
    calls.setGameFolder(game.path());
    calls.fakePictures(true);
    calls.take();
}

void SceneTest::TearDown() {
    setLineTrace(sceneState, nullptr);
    sceneState.clock = &platform::systemClock();
    clearTracks();
    clearScript(sceneState);
    render.flashActive = 0;
    render.flashLevel = 0;
    sound.stop();
    unregisterMainWindowClass();
    platform::selectBackend(platform::Backend::Sdl);
}

void SceneTest::setScript(const std::vector<std::string>& lines) {
    clearScript(sceneState);
    sceneState.gameFolder = game.path();
    for (const std::string& text : lines) {
        auto line = std::make_unique<ScriptLine>();
        line->text = text;
        line->kind = classifyLine(game.path(), text);
        line->fileLine = static_cast<std::int32_t>(sceneState.lines.size()) + 1;
        sceneState.lines.push_back(std::move(line));
    }
    sceneState.currentLine = 0;
}

void SceneTest::writeScript(const std::string& name, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    game.write("script/" + name, text);
}

void SceneTest::writeSound(const std::string& name) {
    WavSpec spec;
    spec.samples = std::string(800, '\x90');  // 0.1 s of 8-bit mono at 8000 Hz
    game.write("wave/" + name, buildWav(spec));
}

void SceneTest::writePicture(const std::string& name) {
    game.write("cg/" + name, "picture");
}

void SceneTest::step(Keys keys) {
    StoryInput input;
    input.advanceReleased = keys.advance;
    input.clickReleased = keys.advance;
    input.toggleReleased = keys.toggle;
    input.skipHeld = keys.skip;
    input.skipReadOnly = keys.skipReadOnly;
    input.pointerKnown = platform::getCursorFramePos(render.window, input.pointerX, input.pointerY);
    stepScene(sceneState, input);
}

void SceneTest::moveCursor(int x, int y) {
    platform::ScriptedEvent move;
    move.action = platform::ScriptedEvent::Action::Move;
    move.x = x;
    move.y = y;
    platform::setHeadlessInput(platform::ScriptedInput{{move}});
    platform::Message message;
    while (platform::peekMessage(message)) {
    }
}

LineKind SceneTest::kindOf(int index) const {
    return sceneState.lines.at(static_cast<size_t>(index))->kind;
}

int SceneTest::currentLine() const {
    return sceneState.currentLine;
}

}  // namespace tsuzuri::test
