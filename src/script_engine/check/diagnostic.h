// What the script checker reports: one finding, its place and its stable code.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tsuzuri {

enum class Severity { Error, Warning, Note };

struct Diagnostic {
    std::string file;       // relative to the game folder, UTF-8, "/" between folders
    std::int32_t line = 1;  // counted from 1 as an editor counts lines
    Severity severity = Severity::Error;
    std::string code;     // stable for tools, e.g. "missing-label"
    std::string message;  // UTF-8
    // Counted from 1 in characters (a Shift-JIS pair is one); a finding about a whole line is
    // at column 1.
    std::int32_t column = 1;
};

// The severity a code is reported with: errors lose text, media or a branch, warnings are
// likely mistakes, notes are worth knowing.
Severity severityOfCode(std::string_view code);

// "error", "warning" or "note".
const char* severityName(Severity severity);

}  // namespace tsuzuri
