// Input scripts for headless runs.
#include "platform/headless.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tsuzuri::platform::ScriptedInput input;
    std::string error;
    tsuzuri::platform::parseScriptedInput(
        std::string_view(reinterpret_cast<const char*>(data), size), "fuzz", input, error);
    return 0;
}
