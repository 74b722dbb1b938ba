// `tsuzuri --check`: the script checker's command-line entry.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "script_engine/check/diagnostic.h"

namespace tsuzuri {

enum class CheckFormat { Text, Json, Sarif };

struct CheckOptions {
    CheckFormat format = CheckFormat::Text;
    bool werror = false;  // warnings fail the check too
    std::vector<std::string> ignoredCodes;
    // The game folder as the author gave it (empty: the current directory); the files found
    // are named below it, so that editors open them from where the check was run.
    std::string shownFolder;
    std::string toolVersion;  // named in the SARIF log
};

// Checks the game in the current directory, or each game in the folders below it when it is
// not a game itself, and writes the findings to `out`: as lines
// "FILE:LINE:COLUMN: SEVERITY: MESSAGE [CODE]" followed by the summary (one line, or one per
// game and a total), or as one JSON array or SARIF log with the summary on `summary` instead.
// Answers the exit code: 1 when an error (or with `werror` a warning) was found, else 0.
int runCheck(const CheckOptions& options, std::FILE* out, std::FILE* summary);

}  // namespace tsuzuri
