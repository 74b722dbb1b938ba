// The state of one run of the script checker, shared by its parts.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/game_path.h"
#include "script_engine/check/diagnostic.h"
#include "script_engine/check/near_names.h"

namespace tsuzuri {

struct CheckRun {
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

    void report(const std::string& file, std::int32_t line, std::string_view code,
                std::string message);
    // Every finding: files in the order first reported on, each file's by line.
    std::vector<Diagnostic> takeFindings();

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
};

// A Shift-JIS text quoted for a message (UTF-8), cut after `maxChars` characters.
std::string quotedText(std::string_view sjis, std::size_t maxChars = 60);

}  // namespace tsuzuri
