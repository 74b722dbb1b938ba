// Near misses: names a misspelt one may have meant, and keywords a page of text nearly is.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tsuzuri {

// The edit distance (insertions, deletions, substitutions) between two UTF-8 texts, counted in
// characters, ignoring ASCII case.
std::size_t editDistance(std::string_view a, std::string_view b);

// Up to three of `candidates` (UTF-8) nearest to `name` by a small edit distance, nearest
// first.
std::vector<std::string> nearestNames(std::string_view name,
                                      const std::vector<std::string>& candidates);

// The keyword (StopBGM, StopLoopSE, StopLoopWao, flash, choices) that a page of text is at most
// one edit away from, case ignored, or null; give it the text with width and case folded away.
// For choices the part before the first "||" is compared.
const char* nearKeyword(std::string_view text);

}  // namespace tsuzuri
