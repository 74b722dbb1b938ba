// The state of one run of the script checker, shared by its parts.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "common/game_path.h"
#include "script_engine/check/diagnostic.h"
#include "script_engine/check/near_names.h"

namespace tsuzuri {

class CheckWorkers;

struct CheckRun {
    CheckRun();
    ~CheckRun();
    CheckRun(const CheckRun&) = delete;
    CheckRun& operator=(const CheckRun&) = delete;

    std::filesystem::path gameFolder;
    // Findings by file, in the order the files were first reported on.
    std::vector<std::string> fileOrder;
    std::map<std::string, std::vector<Diagnostic>> byFile;
    // Files already looked at, by native path: pictures, sounds and sequences are checked once
    // however many lines name them.
    std::map<std::filesystem::path, bool> mediaChecked;
    // The files of "cg", "wave" and "script", as a script line would name them (UTF-8,
    // backslashes between folders), read and indexed when first needed for a suggestion.
    std::map<std::string, NameIndex> folderNames;
    // Why each sound file is refused (nothing when it plays), by native path: worked out once
    // per file by the workers, read once they are done.
    std::map<std::filesystem::path, std::shared_ptr<std::optional<std::string>>> soundRefusals;

    // Codes left out at a line of a file, by `// check: ignore CODE[,CODE]` on the line above.
    std::map<std::string, std::map<std::int32_t, std::vector<std::string>>> suppressed;

    // A finding about a whole line, with its code's usual severity.
    void report(const std::string& file, std::int32_t line, std::string_view code,
                std::string message);
    // A finding at a column of a line, with the severity its effect has when that differs.
    void reportAt(const std::string& file, std::int32_t line, std::int32_t column,
                  std::string_view code, std::string message,
                  std::optional<Severity> severity = std::nullopt);
    // Every finding: files in the order first reported on, each file's by line. Waits for the
    // workers first.
    std::vector<Diagnostic> takeFindings();

    // Hands `work` to the run's worker threads (one per core), which decode media while the
    // scripts are read. The work must leave the run alone: it leaves its answer where a
    // `later` call reads it.
    void onWorkers(std::function<void()> work);
    // Calls `then` once all the workers' work is done, in the place this call takes among the
    // reports: what it reports comes in the same order as if it had been reported here.
    void later(std::function<void()> then);

    // The file as the report names it: relative to the game folder, UTF-8.
    std::string displayName(const std::filesystem::path& file) const;
    GamePath gamePath(std::string_view subfolder, std::string_view name) const;
    // " (did you mean 'a' or 'b'?)" for the names in `subfolder` near `name`, or nothing.
    std::string suggestion(std::string_view subfolder, std::string_view name);
    // Reports name-forgiven when `name` in `subfolder` was found as `found` only because the
    // lookup forgives case, encoding or trailing blanks.
    void noteForgivenName(std::string_view subfolder, std::string_view name,
                          const std::filesystem::path& found, const std::string& file,
                          std::int32_t line);

private:
    void place(Diagnostic finding);

    // Findings and `later` calls in the order they were made, placed by takeFindings.
    std::vector<std::variant<Diagnostic, std::function<void()>>> queued_;
    bool placing_ = false;
    std::unique_ptr<CheckWorkers> workers_;
};

// The column (from 1, a Shift-JIS pair counting one) at which byte `offset` of a line starts.
std::int32_t columnAt(std::string_view sjisLine, std::size_t offset);

// A Shift-JIS text quoted for a message (UTF-8), cut after `maxChars` characters.
std::string quotedText(std::string_view sjis, std::size_t maxChars = 60);

}  // namespace tsuzuri
