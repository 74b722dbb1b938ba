// The lines of a sequence file that the player reads otherwise than written: a sound name it
// leaves out for a blank or capital letters at its end, a wait with a decimal comma.
#pragma once

#include <string>

#include "common/file_buffer.h"
#include "script_engine/check/check_run.h"

namespace tsuzuri {

// Reports at the sequence's own lines; `sequence` is its name in reports. Leaves the buffer's
// read position as it was.
void checkSequenceLines(CheckRun& run, FileBuffer& bytes, const std::string& sequence);

}  // namespace tsuzuri
