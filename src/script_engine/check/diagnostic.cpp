#include "script_engine/check/diagnostic.h"

namespace tsuzuri {

Severity severityOfCode(std::string_view code) {
    static constexpr std::string_view kWarnings[] = {"unknown-keyword", "duplicate-label", "menu",
                                                     "no-window-picture"};
    static constexpr std::string_view kNotes[] = {"unused-label", "unreachable", "name-forgiven"};
    for (std::string_view warning : kWarnings) {
        if (code == warning) {
            return Severity::Warning;
        }
    }
    for (std::string_view note : kNotes) {
        if (code == note) {
            return Severity::Note;
        }
    }
    return Severity::Error;
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
