// A place in the story with what lasts of its scene (story_place.h takes and starts from them).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace tsuzuri {

struct StoryPlace {
    std::filesystem::path scriptFile;  // the script's file, as loaded
    std::int32_t fileLine = 1;         // the file line of the line the story stands on
    bool windowShown = true;
    // Names in the game's folders as the script lines give them (Shift-JIS); empty for none.
    std::string picture;  // in "cg": the scene picture
    std::string bgm;      // in "wave": the BGM playing
    std::string loopSe;   // in "wave": the looping sound effect playing
    std::string loopWao;  // in "wave": the repeating sequence playing
};

}  // namespace tsuzuri
