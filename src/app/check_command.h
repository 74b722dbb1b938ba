// `tsuzuri --check`: the script checker's command-line entry.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "script_engine/check/diagnostic.h"

namespace tsuzuri {

// Checks the game in the current directory and writes the findings to `out`, one per line as
// "FILE:LINE: SEVERITY: MESSAGE [CODE]" followed by a summary line, or (with `json`) as one
// JSON array with the summary on `summary` instead. Answers the exit code: 1 when an error was
// found, else 0.
int runCheck(bool json, std::FILE* out, std::FILE* summary);

// The findings as one JSON array of {file, line, severity, code, message}.
std::string findingsAsJson(const std::vector<Diagnostic>& findings);

}  // namespace tsuzuri
