// Remembered places and saves: the files --continue and F9 read back.
#include "saves/remembered_place.h"
#include "saves/save_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    tsuzuri::StoryPlace place;
    tsuzuri::SaveRecord save;
    std::string reason;
    tsuzuri::parsePlace(text, "/games/g", place, reason);
    tsuzuri::parseSave(text, "/games/g", save, reason);
    return 0;
}
