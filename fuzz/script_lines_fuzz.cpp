// Script files: cutting lines and classifying them against a game folder, as loading a
// script does (without its pause), then looking labels up.
#include <cstring>

#include "common/file_buffer.h"
#include "fuzz_support.h"
#include "script_engine/scene_state.h"
#include "script_engine/script_file.h"

using namespace tsuzuri;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    SceneState sceneState;
    sceneState.gameFolder = fuzz::fuzzGameFolder();
    FileBuffer buffer;
    if (size > 0) {
        buffer.data = std::make_unique<std::uint8_t[]>(size);
        std::memcpy(buffer.data.get(), data, size);
    }
    buffer.size = static_cast<std::int32_t>(size);
    clearScript(sceneState);
    appendScriptLines(sceneState, buffer);
    for (const auto& line : sceneState.lines) {
        if (line->kind == Jump) {
            findLabel(sceneState, line->text.c_str() + 1);
        }
    }
    return 0;
}
