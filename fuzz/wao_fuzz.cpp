// Wao sequence files: reading one into a cue track (its sounds loaded through the real sound
// layer, with silent output), then clearing the track.
#include <cstdlib>
#include <fstream>

#include "fuzz_support.h"
#include "platform/headless.h"
#include "platform/platform.h"
#include "script_engine/wao_sequence.h"
#include "sound/sound_layer.h"
#include "ui/main_window.h"

using namespace tsuzuri;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    platform::selectBackend(platform::Backend::Headless);
    platform::setHeadlessInput({});
    SoundInit(createMainWindow(), platform::systemClock());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path gameFolder = fuzz::fuzzGameFolder();
    const std::filesystem::path file = gameFolder / "wave" / "fuzz.wao";
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    const std::int32_t track = size > 0 ? (data[0] & 1) : 0;
    loadCueTrack(GamePath{gameFolder, "wave\\fuzz.wao"}, track);
    clearCueTrack(track);
    return 0;
}
