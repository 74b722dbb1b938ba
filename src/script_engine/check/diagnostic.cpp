#include "script_engine/check/diagnostic.h"

#include <algorithm>

namespace tsuzuri {
namespace {

constexpr CheckRule kRules[] = {
    {"settings", Severity::Error,
     "Game.INI does not name a start script that loads: the player asks for one."},
    {"encoding", Severity::Error,
     "The text is not Shift-JIS (UTF-8, UTF-16 or stray bytes): the player shows it garbled."},
    {"line-ends", Severity::Error,
     "A line end other than CR LF: the player joins the lines around it into one."},
    {"nul-byte", Severity::Error, "A NUL byte: the player drops the rest of its line."},
    {"long-line", Severity::Error,
     "A line longer than the player reads: the rest of it is dropped."},
    {"unknown-keyword", Severity::Error,
     "A page of text that is a keyword, label or jump written in full-width characters, in "
     "other case or with a slip of a key: the player shows it as text."},
    {"unknown-file", Severity::Error,
     "A page of text that looks like a file name, but no such file is played or shown."},
    {"outside-game", Severity::Error,
     "A line or setting names a file outside the game folder (through \"..\"): the player "
     "never reads it, and a line shows as a page of text."},
    {"missing-label", Severity::Error,
     "A jump or menu entry names a label the script does not have: the story goes on with the "
     "next line."},
    {"endless-loop", Severity::Error,
     "Jumps or scripts that lead back to themselves without a page or menu: the screen shows "
     "nothing forever."},
    {"empty-script", Severity::Error,
     "A script reached by NextScript that has no lines: the story ends there."},
    {"page-overflow", Severity::Error,
     "A page that needs more than three lines: the rest of its text is not shown."},
    {"menu", Severity::Warning,
     "A menu the player offers other than written: entries dropped or without a label, text "
     "cut or wider than a line, no entries at all."},
    {"bad-picture", Severity::Error,
     "A picture the readers refuse: the line is shown as a page of text."},
    {"bad-mask", Severity::Error,
     "A picture's mask the readers refuse: the line is shown as a page of text."},
    {"bad-sound", Severity::Error,
     "A sound the player cannot play: the line is shown as a page of text."},
    {"bad-sequence", Severity::Error,
     "A sequence line the player leaves out or reads otherwise: a sound missing or refused, a "
     "wait that cannot be read."},
    {"duplicate-label", Severity::Warning, "A label written twice: every jump takes the first."},
    {"no-window-picture", Severity::Warning,
     "The message window picture is missing or refused: pages are drawn without it."},
    {"unused-label", Severity::Note, "No jump or menu of the script leads to the label."},
    {"unreachable", Severity::Note, "No NextScript line leads to the script from the start."},
    {"name-forgiven", Severity::Note,
     "A file found only because the lookup forgives case, encoding or trailing blanks."},
};

}  // namespace

std::span<const CheckRule> checkRules() {
    return kRules;
}

Severity severityOfCode(std::string_view code) {
    const auto* rule = std::find_if(std::begin(kRules), std::end(kRules),
                                    [code](const CheckRule& r) { return r.code == code; });
    return rule != std::end(kRules) ? rule->severity : Severity::Error;
}

const char* severityName(Severity severity) {
    switch (severity) {
        case Severity::Error:
            return "error";
        case Severity::Warning:
            return "warning";
        case Severity::Note:
            return "note";
    }
    return "error";
}

}  // namespace tsuzuri
