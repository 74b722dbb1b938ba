// The versions of the picture and font libraries the graphics layer runs on, for
// `tsuzuri --version`.
#pragma once

#include <string>
#include <vector>

namespace tsuzuri {

struct LibraryVersion {
    std::string name;
    std::string version;
};

// FreeType and libpng as linked; libjpeg-turbo and giflib as built against (neither can be
// asked at run time).
std::vector<LibraryVersion> graphicsLibraryVersions();

}  // namespace tsuzuri
