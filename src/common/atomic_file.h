// Replacing a small file so that a crash or power loss at any moment leaves either the old
// content or the new one, never a mixture.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tsuzuri {

// The name of the temporary file writeFileAtomically writes first, beside `file`: the file's
// name with "." in front and ".<process id>.tmp" after, so that two players never share one.
std::filesystem::path atomicTempPath(const std::filesystem::path& file);

// Writes `bytes` into the temporary file, flushes it to the disk, renames it over `file` and
// flushes the folder. On failure answers false with the reason in `error`; `file` is then as it
// was and the temporary file is gone.
bool writeFileAtomically(const std::filesystem::path& file, std::string_view bytes,
                         std::string& error);

}  // namespace tsuzuri
