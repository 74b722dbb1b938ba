// How a script file is written, as far as its bytes tell: its line ends and its encoding. A
// reload refuses a file whose form changed (an editor that saved it with LF alone, or as
// UTF-8), which the player would read as something else than the author sees.
#pragma once

#include <string>
#include <string_view>

namespace tsuzuri {

struct ScriptForm {
    enum class LineEnds { None, CrLf, Lf, Cr };  // the first line end's; None: one line only
    enum class Encoding { ShiftJis, Utf8, Utf16 };
    LineEnds lineEnds = LineEnds::None;
    Encoding encoding = Encoding::ShiftJis;
};

ScriptForm scriptFormOf(std::string_view bytes);

// What changed from `was` to `now`, in words ("its lines end in LF alone, not CR LF"); empty
// when nothing did. A file of one line has any line ends.
std::string formChange(const ScriptForm& was, const ScriptForm& now);

}  // namespace tsuzuri
