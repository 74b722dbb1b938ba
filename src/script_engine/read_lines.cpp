#include "script_engine/read_lines.h"

#include <algorithm>
#include <iterator>

namespace tsuzuri {
namespace {

// The first run that ends at or after `line`.
ReadLines::Runs::const_iterator runReaching(const ReadLines::Runs& runs, std::int32_t line) {
    return std::lower_bound(runs.begin(), runs.end(), line,
                            [](const std::pair<std::int32_t, std::int32_t>& run, std::int32_t at) {
                                return run.second < at;
                            });
}

}  // namespace

bool ReadLines::contains(const std::string& script, std::int32_t fileLine) const {
    const auto found = runs_.find(script);
    if (found == runs_.end()) {
        return false;
    }
    const auto run = runReaching(found->second, fileLine);
    return run != found->second.end() && run->first <= fileLine;
}

void ReadLines::mark(const std::string& script, std::int32_t fileLine) {
    if (fileLine <= 0 || fileLine > kMaxFileLine || contains(script, fileLine)) {
        return;
    }
    Runs& runs = runs_[script];
    // The run after the line, and the one before it, grow to take it, joining when they meet.
    auto after = runs.begin() + (runReaching(runs, fileLine) - runs.cbegin());
    const bool joinsBefore = after != runs.begin() && std::prev(after)->second == fileLine - 1;
    const bool joinsAfter = after != runs.end() && after->first == fileLine + 1;
    if (joinsBefore && joinsAfter) {
        std::prev(after)->second = after->second;
        runs.erase(after);
    } else if (joinsBefore) {
        std::prev(after)->second = fileLine;
    } else if (joinsAfter) {
        after->first = fileLine;
    } else {
        runs.insert(after, {fileLine, fileLine});
    }
    ++changes_;
}

void ReadLines::replace(const std::map<std::string, Runs>& runs) {
    runs_.clear();
    for (const auto& [script, scriptRuns] : runs) {
        Runs taken;
        for (const auto& [first, last] : scriptRuns) {
            // Only runs that are in order and apart are taken; anything else is left out.
            if (first < 1 || last < first || last > kMaxFileLine ||
                (!taken.empty() && first <= taken.back().second + 1)) {
                continue;
            }
            taken.emplace_back(first, last);
        }
        if (!taken.empty()) {
            runs_[script] = std::move(taken);
        }
    }
}

}  // namespace tsuzuri
