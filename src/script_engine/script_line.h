// One classified line of a loaded script.
#pragma once

#include <cstdint>
#include <string>

namespace tsuzuri {

enum LineKind : std::int32_t {
    Comment = 0,      // "//..."
    Image = 1,        // name of a file in "cg"
    SE = 2,           // name ending ".wav" of a file in "wave"
    LoopSE = 3,       // "#" + name of a file in "wave"
    StopLoopSE = 4,   // "StopLoopSE"
    BGM = 5,          // "*" + name of a file in "wave"
    StopBGM = 6,      // "StopBGM"
    Wao = 7,          // name ending ".wao" of a file in "wave"
    LoopWao = 8,      // "$" + name of a file in "wave"
    StopLoopWao = 9,  // "StopLoopWao"
    Text = 10,        // any other line: one page of message text
    Choices = 11,     // "choices..."
    Jump = 12,        // "\" + label name
    Label = 13,       // "\\" + label name
    Flash = 14,       // "flash"
    NextScript = 15,  // name of a file in "script"
};

// The kind's name, for diagnostics.
constexpr const char* lineKindName(LineKind kind) {
    switch (kind) {
        case Comment:
            return "Comment";
        case Image:
            return "Image";
        case SE:
            return "SE";
        case LoopSE:
            return "LoopSE";
        case StopLoopSE:
            return "StopLoopSE";
        case BGM:
            return "BGM";
        case StopBGM:
            return "StopBGM";
        case Wao:
            return "Wao";
        case LoopWao:
            return "LoopWao";
        case StopLoopWao:
            return "StopLoopWao";
        case Text:
            return "Text";
        case Choices:
            return "Choices";
        case Jump:
            return "Jump";
        case Label:
            return "Label";
        case Flash:
            return "Flash";
        case NextScript:
            return "NextScript";
    }
    return "?";
}

struct ScriptLine {
    LineKind kind = Text;
    // The line's bytes as in the file (Shift-JIS), without the line end, at most 1023 bytes.
    // Like every text of the engine it ends at its first NUL byte.
    std::string text;
    // The line of the file it was read from, counted from 1 as an editor counts lines.
    std::int32_t fileLine = 0;
};

}  // namespace tsuzuri
