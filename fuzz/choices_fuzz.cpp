// Choice lines: cutting entries and labels character by character, and the menu text built in
// its fixed area.
#include "fuzz_support.h"
#include "script_engine/choices.h"

using namespace tsuzuri;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Lines are at most 1023 bytes and end at their first NUL, as the script reader gives them.
    std::string line = fuzz::asText(data, size);
    if (line.size() > 1023) {
        line.resize(1023);
    }
    const ChoiceMenu menu = parseChoiceLine(line);
    char text[kMenuTextBytes];
    buildMenuText(menu, text);
    if (text[kMenuTextBytes - 1] != '\0') {
        __builtin_trap();  // the menu text must always end inside its area
    }
    return 0;
}
