// `tsuzuri --check`: the script checker's command-line entry.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "script_engine/check/diagnostic.h"

namespace tsuzuri {

struct CheckOptions {
    bool json = false;    // one JSON array instead of lines
    bool werror = false;  // warnings fail the check too
    std::vector<std::string> ignoredCodes;
    // The game folder as the author gave it (empty: the current directory); the files found
    // are named below it, so that editors open them from where the check was run.
    std::string shownFolder;
};

// Checks the game in the current directory and writes the findings to `out`, one per line as
// "FILE:LINE:COLUMN: SEVERITY: MESSAGE [CODE]" (control characters written as \xNN) followed
// by a summary line, or (with `json`) as one JSON array with the summary on `summary` instead.
// Answers the exit code: 1 when an error (or with `werror` a warning) was found, else 0.
int runCheck(const CheckOptions& options, std::FILE* out, std::FILE* summary);

// The findings as one JSON array of {file, line, column, severity, code, message}.
std::string findingsAsJson(const std::vector<Diagnostic>& findings);

// "1 error, 2 warnings, 0 notes".
std::string findingCounts(int errors, int warnings, int notes);

}  // namespace tsuzuri
