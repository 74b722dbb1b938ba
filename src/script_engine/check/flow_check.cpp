#include "script_engine/check/flow_check.h"

#include <algorithm>
#include <map>

namespace tsuzuri {
namespace {

constexpr std::size_t kStops = static_cast<std::size_t>(-1);

// Lines where a step stops: it waits for the reader, flashes, or leaves the script.
bool stopsHere(LineKind kind) {
    return kind == Text || kind == Choices || kind == Flash || kind == NextScript;
}

}  // namespace

std::optional<std::size_t> checkJumpCycles(CheckRun& run, const std::string& file,
                                           const std::vector<const ScriptLine*>& lines) {
    const std::size_t count = lines.size();
    std::map<std::string, std::size_t> labels;  // the first line of each name, as jumps find it
    for (std::size_t i = 0; i < count; ++i) {
        if (lines[i]->kind == Label) {
            labels.emplace(lines[i]->text.substr(2), i);
        }
    }
    // The line a step runs after line i; kStops where it stops or the script ends.
    std::vector<std::size_t> next(count, kStops);
    for (std::size_t i = 0; i < count; ++i) {
        if (stopsHere(lines[i]->kind)) {
            continue;
        }
        next[i] = i + 1 < count ? i + 1 : kStops;
        if (lines[i]->kind == Jump) {
            if (const auto label = labels.find(lines[i]->text.substr(1)); label != labels.end()) {
                next[i] = label->second;
            }
        }
    }
    // Each line has one successor, so every cycle is found by walking from each line once.
    enum : char { Unseen, OnWalk, Done };
    std::vector<char> state(count, Unseen);
    std::vector<std::size_t> walk;
    for (std::size_t start = 0; start < count; ++start) {
        walk.clear();
        std::size_t at = start;
        while (at != kStops && state[at] == Unseen) {
            state[at] = OnWalk;
            walk.push_back(at);
            at = next[at];
        }
        if (at != kStops && state[at] == OnWalk) {
            const auto from = std::find(walk.begin(), walk.end(), at);
            std::size_t firstJump = kStops;
            for (auto it = from; it != walk.end(); ++it) {
                if (lines[*it]->kind == Jump) {
                    firstJump = std::min(firstJump, *it);
                }
            }
            if (firstJump == kStops) {
                continue;  // only a jump leads back; kept safe all the same
            }
            const ScriptLine& jump = *lines[firstJump];
            run.report(file, jump.fileLine, "endless-loop",
                       "the jump to label " + quotedText(jump.text.substr(1)) +
                           " leads back here with no page, menu or flash on the way: the "
                           "screen shows nothing forever");
        }
        for (const std::size_t seen : walk) {
            state[seen] = Done;
        }
    }
    // From the first line: the NextScript line reached before any stop.
    std::size_t at = 0;
    for (std::size_t steps = 0; at < count && steps <= count; ++steps) {
        if (lines[at]->kind == NextScript) {
            return at;
        }
        if (stopsHere(lines[at]->kind) || next[at] == kStops) {
            return std::nullopt;
        }
        at = next[at];
    }
    return std::nullopt;
}

}  // namespace tsuzuri
