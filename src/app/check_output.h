// The checker's findings written for people and for tools: lines a terminal shows safely, a
// JSON array, a SARIF log.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "script_engine/check/diagnostic.h"

namespace tsuzuri {

// "FILE:LINE:COLUMN: SEVERITY: MESSAGE [CODE]\n" with control characters written as \xNN.
std::string findingAsText(const Diagnostic& finding);

// The findings as one JSON array of {file, line, column, severity, code, message}.
std::string findingsAsJson(const std::vector<Diagnostic>& findings);

// The findings as a SARIF 2.1.0 log of one run, its rules every code the checker has.
std::string findingsAsSarif(const std::vector<Diagnostic>& findings, std::string_view toolVersion);

// "1 error, 2 warnings, 0 notes".
std::string findingCounts(int errors, int warnings, int notes);

}  // namespace tsuzuri
