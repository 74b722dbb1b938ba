// What the script checker reports: one finding, its place and its stable code.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tsuzuri {

// By effect: an error when the story cannot go on or silently does something other than the
// line plainly means (hangs, ends, shows a command as text, drops text, media or a branch), a
// warning when it plays but probably not as meant, a note for style.
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

// One kind of finding: its code, the severity it usually has and what it is about.
struct CheckRule {
    std::string_view code;
    Severity severity;
    std::string_view help;
};

// Every code the checker reports, in a fixed order.
std::span<const CheckRule> checkRules();

// The severity a code is usually reported with (a finding may be graver or lighter than its
// code's usual one when its effect is).
Severity severityOfCode(std::string_view code);

// "error", "warning" or "note".
const char* severityName(Severity severity);

}  // namespace tsuzuri
