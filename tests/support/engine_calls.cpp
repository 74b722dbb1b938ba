#include "support/engine_calls.h"

#include <atomic>
#include <mutex>
#include <thread>
#include <utility>

#include "common/game_path.h"
#include "common/status.h"
#include "graphics/render_device.h"
#include "sound/sound_layer.h"

// The linker sends every call of a wrapped function to __wrap_NAME and makes __real_NAME the
// original, NAME being the function's mangled name from wrapped_calls.def, the list the --wrap
// options are made from too. These declarations bind readable names to both.
#define TSUZURI_WRAPPED(result, name, params, mangled)    \
    result real_##name params __asm__("__real_" mangled); \
    result wrap_##name params __asm__("__wrap_" mangled);

namespace tsuzuri {

#include "support/wrapped_calls.def"
#undef TSUZURI_WRAPPED

namespace {

std::mutex mutex;
bool logOpen = false;
bool picturesFaked = false;
std::atomic<bool> dueTimesNoted{false};  // read without the mutex by any thread
std::thread::id logThread;
std::vector<std::string> noted;
std::filesystem::path gameFolder;
// How deep the current thread is inside recorded calls.
thread_local int depth = 0;

// Runs the real call and notes it as `call` plus what `result` makes of its result, when it
// comes from the log's thread and not from inside another recorded call.
template <typename Real, typename Result>
auto record(std::string call, Real real, Result result) {
    ++depth;
    const auto answer = real();
    --depth;
    std::lock_guard lock(mutex);
    if (depth == 0 && logOpen && logThread == std::this_thread::get_id()) {
        noted.push_back(call + result(answer));
    }
    return answer;
}

std::string nothing(Status) {
    return "";
}
std::string arrow(std::int32_t answer) {
    return " -> " + std::to_string(answer);
}

std::string describe(const GamePath& path) {
    return path.folder == gameFolder ? path.name : path.folder.string() + "|" + path.name;
}

}  // namespace

Status wrap_showScenePicture(RenderState& render, const GamePath& path) {
    return record(
        "showScenePicture " + describe(path),
        [&] {
            bool fake;
            {
                std::lock_guard lock(mutex);
                fake = logOpen && picturesFaked;
            }
            if (fake) {
                return gameFileExists(path) ? S_OK : E_FAIL;
            }
            return real_showScenePicture(render, path);
        },
        nothing);
}
std::int32_t wrap_stepFlash(RenderState& render) {
    return record(
        "stepFlash", [&] { return real_stepFlash(render); }, arrow);
}
Status wrap_clearTextLayer(RenderState& render) {
    return record(
        "clearTextLayer", [&] { return real_clearTextLayer(render); }, nothing);
}
Status wrap_drawTextPage(RenderState& render, const char* text, bool skipping) {
    return record(
        std::string("drawTextPage ") + (text != nullptr ? text : "(null)"),
        [&] { return real_drawTextPage(render, text, skipping); }, nothing);
}
SoundId wrap_SoundLoad(const GamePath& path, SoundGroup group) {
    return record(
        "SoundLoad " + describe(path), [&] { return real_SoundLoad(path, group); }, arrow);
}
Status wrap_SoundRelease(SoundId id) {
    return record(
        "SoundRelease " + std::to_string(id), [&] { return real_SoundRelease(id); }, nothing);
}
Status wrap_SoundPlay(SoundId id, std::int32_t loop) {
    std::string call = "SoundPlay " + std::to_string(id) + (loop != 0 ? " loop" : " once");
    if (dueTimesNoted) {
        call += " due " + std::to_string(SoundDueTime());
    }
    return record(
        call, [&] { return real_SoundPlay(id, loop); }, nothing);
}
Status wrap_SoundStop(SoundId id) {
    return record(
        "SoundStop " + std::to_string(id), [&] { return real_SoundStop(id); }, nothing);
}
Status wrap_loadCueTrack(const GamePath& path, std::int32_t track) {
    return record(
        "loadCueTrack " + describe(path) + " " + std::to_string(track),
        [&] { return real_loadCueTrack(path, track); },
        [](Status status) { return std::string(failed(status) ? " -> failed" : " -> ok"); });
}
Status wrap_clearCueTrack(std::int32_t track) {
    return record(
        "clearCueTrack " + std::to_string(track), [&] { return real_clearCueTrack(track); },
        nothing);
}

namespace test {

EngineCallLog::EngineCallLog() {
    std::lock_guard lock(mutex);
    logOpen = true;
    picturesFaked = false;
    dueTimesNoted = false;
    logThread = std::this_thread::get_id();
    noted.clear();
    gameFolder.clear();
}

EngineCallLog::~EngineCallLog() {
    std::lock_guard lock(mutex);
    logOpen = false;
    picturesFaked = false;
    dueTimesNoted = false;
    noted.clear();
    gameFolder.clear();
}

std::vector<std::string> EngineCallLog::take() {
    std::lock_guard lock(mutex);
    return std::exchange(noted, {});
}

void EngineCallLog::setGameFolder(const std::filesystem::path& folder) {
    std::lock_guard lock(mutex);
    gameFolder = folder;
}

void EngineCallLog::fakePictures(bool fake) {
    std::lock_guard lock(mutex);
    picturesFaked = fake;
}

void EngineCallLog::noteDueTimes(bool note) {
    std::lock_guard lock(mutex);
    dueTimesNoted = note;
}

}  // namespace test
}  // namespace tsuzuri
