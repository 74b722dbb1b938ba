// Remembered places: the state file --continue reads back.
#include "app/remembered_place.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tsuzuri::StoryPlace place;
    std::string reason;
    tsuzuri::parsePlace(std::string_view(reinterpret_cast<const char*>(data), size), "/games/g",
                        place, reason);
    return 0;
}
