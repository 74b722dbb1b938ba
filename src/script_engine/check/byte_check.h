// What a script's bytes do before any line is read: line ends the reader does not take, NUL
// bytes that cut a line short, text in another encoding.
#pragma once

#include <string>
#include <string_view>

#include "script_engine/check/check_run.h"

namespace tsuzuri {

// Reports on the whole file's bytes. Answers whether the file is in another encoding (UTF-8 or
// UTF-16): its lines are then not judged one by one.
bool checkBytes(CheckRun& run, const std::string& file, std::string_view bytes);

}  // namespace tsuzuri
