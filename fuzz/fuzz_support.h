// Helpers shared by the fuzz targets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace tsuzuri::fuzz {

// A game folder made once per process: cg, wave and script folders with a few files whose
// names fuzzed lines may hit (plain, Japanese in UTF-8 and raw Shift-JIS, mixed case).
const std::filesystem::path& fuzzGameFolder();

// The input as a string that ends at its first NUL, as the engine's texts do.
std::string asText(const std::uint8_t* data, std::size_t size);

}  // namespace tsuzuri::fuzz
