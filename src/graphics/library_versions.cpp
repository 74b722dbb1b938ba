#include "graphics/library_versions.h"

#include <cstdio>  // before jpeglib.h, which needs FILE

#include <ft2build.h>
#include FT_FREETYPE_H
#include <gif_lib.h>
#include <jpeglib.h>
#include <png.h>

// libjpeg-turbo gives its version as bare tokens (2.1.5).
#define TSUZURI_STRINGIFY_VALUE(x) #x
#define TSUZURI_STRINGIFY(x) TSUZURI_STRINGIFY_VALUE(x)

namespace tsuzuri {
namespace {

std::string dotted(int major, int minor, int patch) {
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(patch);
}

std::string freetypeVersion() {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        return "unknown";
    }
    FT_Int major = 0;
    FT_Int minor = 0;
    FT_Int patch = 0;
    FT_Library_Version(library, &major, &minor, &patch);
    FT_Done_FreeType(library);
    return dotted(major, minor, patch);
}

std::string jpegVersion() {
#ifdef LIBJPEG_TURBO_VERSION
    return TSUZURI_STRINGIFY(LIBJPEG_TURBO_VERSION);
#else
    return "API " + std::to_string(JPEG_LIB_VERSION);
#endif
}

}  // namespace

std::vector<LibraryVersion> graphicsLibraryVersions() {
    return {
        {"FreeType", freetypeVersion()},
        {"libpng", png_get_libpng_ver(nullptr)},
        {"libjpeg-turbo", jpegVersion()},
        {"giflib", dotted(GIFLIB_MAJOR, GIFLIB_MINOR, GIFLIB_RELEASE)},
    };
}

}  // namespace tsuzuri
