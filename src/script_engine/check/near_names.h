// Near misses: names a misspelt one may have meant, and keywords a page of text nearly is.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tsuzuri {

// The edit distance (insertions, deletions, substitutions) between two UTF-8 texts, counted in
// characters, ignoring ASCII case.
std::size_t editDistance(std::string_view a, std::string_view b);

// Up to three of `candidates` (UTF-8) nearest to `name` by a small edit distance, nearest
// first (ties by name). Measures the distance to every candidate: for many searches among the
// same names, NameIndex answers the same much sooner.
std::vector<std::string> nearestNames(std::string_view name,
                                      const std::vector<std::string>& candidates);

// Names searched again and again for near misses (a script's labels, a folder's files), put
// once into a tree of their (ASCII lower-cased) characters. A search walks the tree with one
// row of the distance table per character, and leaves a branch as soon as every entry of its
// row is beyond the distance still of use, so it looks at the few names that start like the
// one asked for instead of measuring the distance to each.
class NameIndex {
public:
    NameIndex() = default;
    explicit NameIndex(std::vector<std::string> names);

    // What nearestNames(name, names) answers.
    std::vector<std::string> nearest(std::string_view name) const;

private:
    struct Node {
        char32_t letter = 0;           // the character that leads here from the parent
        std::uint32_t firstChild = 0;  // children: nodes_[firstChild, +childCount), by letter
        std::uint32_t childCount = 0;
        std::uint32_t firstEnding = 0;  // names ending here: endings_[firstEnding, +endingCount)
        std::uint32_t endingCount = 0;
        std::uint32_t shortest = 0;  // the fewest and most characters of the names below
        std::uint32_t longest = 0;
    };
    struct Search;

    std::vector<std::string> names_;
    std::vector<Node> nodes_;             // nodes_[0] is the root, the empty start
    std::vector<std::uint32_t> endings_;  // indexes into names_
};

// The keyword (StopBGM, StopLoopSE, StopLoopWao, flash, choices) that a page of text is at most
// one edit away from, case ignored, or null; give it the text with width and case folded away.
// For choices the part before the first "||" is compared.
const char* nearKeyword(std::string_view text);

}  // namespace tsuzuri
