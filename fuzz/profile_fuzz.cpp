// Game.INI text: finding the two settings.
#include "app/game_settings.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    tsuzuri::findProfileValue(text, "GameState", "DefaultScriptFileName");
    tsuzuri::findProfileValue(text, "GameState", "WindowTitle");
    return 0;
}
