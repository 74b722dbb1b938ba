#include "support/engine_calls.h"

#include <mutex>
#include <thread>

#include "common/game_path.h"
#include "common/status.h"
#include "script_engine/scene_state.h"
#include "sound/sound_layer.h"

// The linker sends every call of a wrapped function to __wrap_NAME and makes __real_NAME the
// original, NAME being the function's mangled name as given to --wrap in tests/CMakeLists.txt.
// These declarations bind readable names to both.
#define TSUZURI_WRAPPED(result, name, params, mangled)    \
    result real_##name params __asm__("__real_" mangled); \
    result wrap_##name params __asm__("__wrap_" mangled)

namespace tsuzuri {

TSUZURI_WRAPPED(Status, showScenePicture, (const GamePath&),
                "_ZN7tsuzuri16showScenePictureERKNS_8GamePathE");
TSUZURI_WRAPPED(std::int32_t, stepFlash, (), "_ZN7tsuzuri9stepFlashEv");
TSUZURI_WRAPPED(Status, clearTextLayer, (), "_ZN7tsuzuri14clearTextLayerEv");
TSUZURI_WRAPPED(Status, drawTextPage, (const char*), "_ZN7tsuzuri12drawTextPageEPKc");
TSUZURI_WRAPPED(SoundId, SoundLoad, (const GamePath&), "_ZN7tsuzuri9SoundLoadERKNS_8GamePathE");
TSUZURI_WRAPPED(Status, SoundRelease, (SoundId), "_ZN7tsuzuri12SoundReleaseEi");
TSUZURI_WRAPPED(Status, SoundPlay, (SoundId, std::int32_t), "_ZN7tsuzuri9SoundPlayEii");
TSUZURI_WRAPPED(Status, SoundStop, (SoundId), "_ZN7tsuzuri9SoundStopEi");
TSUZURI_WRAPPED(Status, loadCueTrack, (const GamePath&, std::int32_t),
                "_ZN7tsuzuri12loadCueTrackERKNS_8GamePathEi");
TSUZURI_WRAPPED(Status, clearCueTrack, (std::int32_t), "_ZN7tsuzuri13clearCueTrackEi");

namespace {

struct Recorder {
    std::mutex mutex;
    bool open = false;
    bool fakePictures = false;
    std::thread::id owner;
    std::vector<std::string> calls;
};

Recorder& recorder() {
    static Recorder instance;
    return instance;
}

// How deep the current thread is inside recorded calls.
thread_local int depth = 0;

// Marks one recorded call for its duration; only the outermost call of the log's thread is
// noted.
class CallScope {
public:
    CallScope() { ++depth; }
    ~CallScope() { --depth; }
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;

    void note(const std::string& call) const {
        Recorder& r = recorder();
        std::lock_guard lock(r.mutex);
        if (depth == 1 && r.open && r.owner == std::this_thread::get_id()) {
            r.calls.push_back(call);
        }
    }
};

std::string describe(const GamePath& path) {
    if (path.folder == sceneState.gameFolder) {
        return path.name;
    }
    return path.folder.string() + "|" + path.name;
}

bool fakingPictures() {
    Recorder& r = recorder();
    std::lock_guard lock(r.mutex);
    return r.open && r.fakePictures;
}

}  // namespace

Status wrap_showScenePicture(const GamePath& path) {
    CallScope scope;
    scope.note("showScenePicture " + describe(path));
    if (fakingPictures()) {
        return gameFileExists(path) ? S_OK : E_FAIL;
    }
    return real_showScenePicture(path);
}

std::int32_t wrap_stepFlash() {
    CallScope scope;
    const std::int32_t result = real_stepFlash();
    scope.note("stepFlash -> " + std::to_string(result));
    return result;
}

Status wrap_clearTextLayer() {
    CallScope scope;
    scope.note("clearTextLayer");
    return real_clearTextLayer();
}

Status wrap_drawTextPage(const char* text) {
    CallScope scope;
    scope.note(std::string("drawTextPage ") + (text != nullptr ? text : "(null)"));
    return real_drawTextPage(text);
}

SoundId wrap_SoundLoad(const GamePath& path) {
    CallScope scope;
    const SoundId id = real_SoundLoad(path);
    scope.note("SoundLoad " + describe(path) + " -> " + std::to_string(id));
    return id;
}

Status wrap_SoundRelease(SoundId id) {
    CallScope scope;
    scope.note("SoundRelease " + std::to_string(id));
    return real_SoundRelease(id);
}

Status wrap_SoundPlay(SoundId id, std::int32_t loop) {
    CallScope scope;
    scope.note("SoundPlay " + std::to_string(id) + (loop != 0 ? " loop" : " once"));
    return real_SoundPlay(id, loop);
}

Status wrap_SoundStop(SoundId id) {
    CallScope scope;
    scope.note("SoundStop " + std::to_string(id));
    return real_SoundStop(id);
}

Status wrap_loadCueTrack(const GamePath& path, std::int32_t track) {
    CallScope scope;
    const Status status = real_loadCueTrack(path, track);
    scope.note("loadCueTrack " + describe(path) + " " + std::to_string(track) +
               (failed(status) ? " -> failed" : " -> ok"));
    return status;
}

Status wrap_clearCueTrack(std::int32_t track) {
    CallScope scope;
    scope.note("clearCueTrack " + std::to_string(track));
    return real_clearCueTrack(track);
}

namespace test {

EngineCallLog::EngineCallLog() {
    Recorder& r = recorder();
    std::lock_guard lock(r.mutex);
    r.open = true;
    r.fakePictures = false;
    r.owner = std::this_thread::get_id();
    r.calls.clear();
}

EngineCallLog::~EngineCallLog() {
    Recorder& r = recorder();
    std::lock_guard lock(r.mutex);
    r.open = false;
    r.fakePictures = false;
    r.calls.clear();
}

std::vector<std::string> EngineCallLog::take() {
    Recorder& r = recorder();
    std::lock_guard lock(r.mutex);
    std::vector<std::string> taken;
    taken.swap(r.calls);
    return taken;
}

void EngineCallLog::fakePictures(bool fake) {
    Recorder& r = recorder();
    std::lock_guard lock(r.mutex);
    r.fakePictures = fake;
}

}  // namespace test
}  // namespace tsuzuri
