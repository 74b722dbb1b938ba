// Checking the pictures, sounds and sequences a script names, with the player's own readers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "script_engine/check/check_run.h"

namespace tsuzuri {

// Each takes the name as the line gives it (without a prefix character) and the place of the
// line. Names that are found only by the lookup's forgiveness are noted at every line; what
// the readers refuse is reported once per file, at the first line naming it.
void checkPicture(CheckRun& run, std::string_view name, const std::string& file, std::int32_t line);
void checkSound(CheckRun& run, std::string_view name, const std::string& file, std::int32_t line);
// A sequence's own problems (sounds missing or refused, waits unreadable) are reported at its
// lines.
void checkSequence(CheckRun& run, std::string_view name, const std::string& file,
                   std::int32_t line);
// The message window picture, cg/playwindow.bmp.
void checkWindowPicture(CheckRun& run);

}  // namespace tsuzuri
