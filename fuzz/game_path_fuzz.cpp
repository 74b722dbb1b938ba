// Names from game files: Shift-JIS conversion, cutting into folders, and looking them up on
// disk with and without folder listings.
#include "common/game_path.h"
#include "common/shift_jis.h"
#include "fuzz_support.h"

using namespace tsuzuri;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string name = fuzz::asText(data, size);  // names end at a NUL like all text
    sjisToUtf8ForDisplay(name);
    sjisToUtf8Strict(name);
    if (size >= 1 && size <= 2) {
        sjisCharToCodePoint(name);
    }
    splitSjisName(name);
    const GamePath path{fuzz::fuzzGameFolder(), name};
    plausibleNativePath(path);
    const bool plain = resolveGameFile(path).has_value();
    FolderListingScope scope;
    const bool listed = resolveGameFile(path).has_value();
    if (plain != listed) {
        __builtin_trap();  // both ways of looking must agree
    }
    return 0;
}
