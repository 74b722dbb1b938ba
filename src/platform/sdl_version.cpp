#include <SDL_version.h>

#include <string>

#include "platform/platform.h"

namespace tsuzuri::platform {

std::string sdlVersion() {
    SDL_version linked;
    SDL_GetVersion(&linked);
    return std::to_string(linked.major) + "." + std::to_string(linked.minor) + "." +
           std::to_string(linked.patch);
}

}  // namespace tsuzuri::platform
