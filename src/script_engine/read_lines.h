// Which pages and menus of a game the reader has been shown, by script and file line: what a
// skip of read text passes over. Kept between runs by the session. Main thread only.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace tsuzuri {

class ReadLines {
public:
    // Runs of file lines, first and last, ascending and apart.
    using Runs = std::vector<std::pair<std::int32_t, std::int32_t>>;

    // Whether the line of `script` (its file below the game folder) has been shown.
    bool contains(const std::string& script, std::int32_t fileLine) const;
    // Notes the line as shown. Lines from 1 to kMaxFileLine are kept; others are not.
    void mark(const std::string& script, std::int32_t fileLine);
    // Counts the lines marked that were not marked before: changes since a count was kept.
    std::uint64_t changes() const { return changes_; }

    // The lines shown, as runs per script; and all of them replaced by such runs.
    const std::map<std::string, Runs>& runs() const { return runs_; }
    void replace(const std::map<std::string, Runs>& runs);

    static constexpr std::int32_t kMaxFileLine = 1 << 26;

private:
    std::map<std::string, Runs> runs_;  // by script
    std::uint64_t changes_ = 0;
};

}  // namespace tsuzuri
