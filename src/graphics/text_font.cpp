#include "graphics/text_font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/shift_jis.h"

namespace tsuzuri {
namespace {

// Outlines only (no embedded bitmaps), hinted and anti-aliased as FreeType does by default.
constexpr FT_Int32 kLoadFlags = FT_LOAD_NO_BITMAP | FT_LOAD_RENDER | FT_LOAD_TARGET_NORMAL;

// Families asked of the system, most wanted first; all are fixed-pitch Japanese Gothic faces.
constexpr const char* kPreferredFamilies =
    "MS Gothic,IPAGothic,IPAexGothic,Noto Sans Mono CJK JP,VL Gothic,TakaoGothic,monospace";

// Characters a face must have to be taken for Japanese text: hiragana and a kanji.
constexpr char32_t kProbeCharacters[] = {U'あ', U'表'};

// The yen sign: Japanese system faces show byte 0x5C as it, and the games were written so.
constexpr char32_t kYenSign = 0x00A5;

// A font file and the index of the face in it, as the system's font configuration names them.
using FaceCandidate = std::pair<std::string, int>;

struct FontState {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    std::filesystem::path file;
    std::filesystem::path requestedFile;
    bool cacheEnabled = true;
    std::unordered_map<std::uint16_t, std::unique_ptr<GlyphBitmap>> cache;  // null: nothing
    GlyphBitmap scratch;  // the uncached path's result
    int faceIndex = 0;
    std::uint64_t generation = 0;
    double scale = 1.0;
    FT_F26Dot6 emSize = kTextFontPixelSize * 64;  // in 64ths of a pixel
    // A search of the system's faces started ahead of openTextFont, and what it found. The
    // thread comes last so that, when the process ends during a search, it is joined before
    // the result it writes is destroyed.
    std::vector<FaceCandidate> searchResult;
    std::jthread search;
};

FontState& state() {
    static FontState instance;
    return instance;
}

// Sizes a face for the current scale. The plain size goes through FT_Set_Pixel_Sizes, as it
// always did, so that scale 1 rasterises exactly as before.
bool applyEmSize(FT_Face face) {
    const FT_F26Dot6 size = state().emSize;
    if (size == kTextFontPixelSize * 64) {
        return FT_Set_Pixel_Sizes(face, 0, kTextFontPixelSize) == 0;
    }
    return FT_Set_Char_Size(face, 0, size, 72, 72) == 0;  // at 72 dpi a point is a pixel
}

bool hasJapaneseGlyphs(FT_Face face) {
    for (char32_t code : kProbeCharacters) {
        if (FT_Get_Char_Index(face, code) == 0) {
            return false;
        }
    }
    return true;
}

// Opens the face and sizes it; keeps it only when it can show Japanese.
bool tryFace(const std::filesystem::path& file, int index) {
    FontState& s = state();
    FT_Face face = nullptr;
    if (FT_New_Face(s.library, file.c_str(), index, &face) != 0) {
        return false;
    }
    if (!hasJapaneseGlyphs(face) || !applyEmSize(face)) {
        FT_Done_Face(face);
        return false;
    }
    s.face = face;
    s.file = file;
    s.faceIndex = index;
    ++s.generation;
    return true;
}

// The system's faces for Japanese text, best first. Reading fontconfig's configuration takes
// tens of milliseconds, which is why this can run on a thread of its own.
std::vector<FaceCandidate> listSystemFaces() {
    std::vector<FaceCandidate> faces;
    if (!FcInit()) {
        return faces;
    }
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(
        (std::string(kPreferredFamilies) + ":lang=ja:spacing=mono").c_str()));
    if (pattern != nullptr) {
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        if (FcFontSet* candidates = FcFontSort(nullptr, pattern, FcFalse, nullptr, &result)) {
            for (int i = 0; i < candidates->nfont; ++i) {
                FcChar8* file = nullptr;
                int index = 0;
                if (FcPatternGetString(candidates->fonts[i], FC_FILE, 0, &file) != FcResultMatch) {
                    continue;
                }
                FcPatternGetInteger(candidates->fonts[i], FC_INDEX, 0, &index);
                faces.emplace_back(reinterpret_cast<const char*>(file), index);
            }
            FcFontSetDestroy(candidates);
        }
        FcPatternDestroy(pattern);
    }
    // The list is all that is needed; fontconfig's configuration is given back until the
    // next search.
    FcFini();
    return faces;
}

bool findSystemFace() {
    FontState& s = state();
    std::vector<FaceCandidate> faces;
    if (s.search.joinable()) {
        s.search.join();
        faces = std::move(s.searchResult);
        s.searchResult.clear();
    } else {
        faces = listSystemFaces();
    }
    for (const auto& [file, index] : faces) {
        if (tryFace(file, index)) {
            return true;
        }
    }
    return false;
}

std::optional<char32_t> codePointOf(std::uint16_t code) {
    if (code == 0x5C) {
        return kYenSign;
    }
    char bytes[2];
    std::string_view character;
    if (code > 0xFF) {
        bytes[0] = static_cast<char>(code >> 8);
        bytes[1] = static_cast<char>(code & 0xFF);
        character = std::string_view(bytes, 2);
    } else {
        bytes[0] = static_cast<char>(code);
        character = std::string_view(bytes, 1);
    }
    return sjisCharToCodePoint(character);
}

}  // namespace

void setTextFontFile(const std::filesystem::path& file) {
    state().requestedFile = file;
}

void startTextFontSearch() {
    FontState& s = state();
    if (!s.requestedFile.empty()) {
        return;
    }
    if (s.search.joinable()) {
        s.search.join();
    }
    s.searchResult.clear();
    try {
        s.search = std::jthread([&s] { s.searchResult = listSystemFaces(); });
    } catch (const std::system_error&) {
        // No thread to spare: openTextFont searches by itself.
    }
}

bool openTextFont(std::string& error) {
    FontState& s = state();
    closeTextFont();
    if (FT_Init_FreeType(&s.library) != 0) {
        error = "the font rasteriser could not be started";
        return false;
    }
    if (!s.requestedFile.empty()) {
        if (tryFace(s.requestedFile, 0)) {
            return true;
        }
        error = "the font file " + s.requestedFile.string() +
                " cannot be read or has no Japanese characters";
    } else if (findSystemFace()) {
        return true;
    } else {
        error = "no Japanese font was found";
    }
    closeTextFont();
    return false;
}

void closeTextFont() {
    FontState& s = state();
    s.cache.clear();
    ++s.generation;
    if (s.face != nullptr) {
        FT_Done_Face(s.face);
        s.face = nullptr;
    }
    if (s.library != nullptr) {
        FT_Done_FreeType(s.library);
        s.library = nullptr;
    }
    s.file.clear();
}

bool isTextFontOpen() {
    return state().face != nullptr;
}

void setTextFontScale(double scale) {
    FontState& s = state();
    const auto size = static_cast<FT_F26Dot6>(std::lround(kTextFontPixelSize * 64 * scale));
    s.scale = scale;
    if (size == s.emSize || size < 64) {
        return;
    }
    s.emSize = size;
    s.cache.clear();
    ++s.generation;
    if (s.face != nullptr) {
        applyEmSize(s.face);
    }
}

double textFontScale() {
    return state().scale;
}

int textFontAscent() {
    FT_Face face = state().face;
    return face == nullptr ? 0 : static_cast<int>(face->size->metrics.ascender >> 6);
}

// Rasterises one character from the given face.
bool renderGlyphFrom(FT_Face face, std::uint16_t code, GlyphBitmap& glyph) {
    if (face == nullptr) {
        return false;
    }
    const std::optional<char32_t> codePoint = codePointOf(code);
    if (!codePoint) {
        return false;
    }
    const FT_UInt index = FT_Get_Char_Index(face, *codePoint);
    if (index == 0 || FT_Load_Glyph(face, index, kLoadFlags) != 0) {
        return false;
    }
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.width == 0 || bitmap.rows == 0) {
        return false;
    }
    glyph.width = static_cast<int>(bitmap.width);
    glyph.height = static_cast<int>(bitmap.rows);
    glyph.left = slot->bitmap_left;
    glyph.top = slot->bitmap_top;
    glyph.alpha.assign(static_cast<size_t>(glyph.width) * glyph.height, 0);
    const int maxLevel = bitmap.num_grays > 1 ? bitmap.num_grays - 1 : 255;
    for (int row = 0; row < glyph.height; ++row) {
        const unsigned char* source =
            bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch;
        for (int column = 0; column < glyph.width; ++column) {
            // Coverage to 17 levels, rounded, then to alpha by truncation (16 -> 255, 1 -> 15).
            const int level = (source[column] * 16 + maxLevel / 2) / maxLevel;
            glyph.alpha[static_cast<size_t>(row) * glyph.width + column] =
                static_cast<std::uint8_t>(level * 255 / 16);
        }
    }
    return true;
}

bool renderGlyph(std::uint16_t code, GlyphBitmap& glyph) {
    return renderGlyphFrom(state().face, code, glyph);
}

const GlyphBitmap* cachedGlyph(std::uint16_t code) {
    FontState& s = state();
    if (!s.cacheEnabled) {
        // The plain way: a face made for this one character and dropped again.
        FT_Face face = nullptr;
        if (s.face == nullptr || FT_New_Face(s.library, s.file.c_str(), s.faceIndex, &face) != 0) {
            return nullptr;
        }
        const bool drawn = applyEmSize(face) && renderGlyphFrom(face, code, s.scratch);
        FT_Done_Face(face);
        return drawn ? &s.scratch : nullptr;
    }
    auto found = s.cache.find(code);
    if (found == s.cache.end()) {
        auto glyph = std::make_unique<GlyphBitmap>();
        if (!renderGlyph(code, *glyph)) {
            glyph.reset();
        }
        found = s.cache.emplace(code, std::move(glyph)).first;
    }
    return found->second.get();
}

void setGlyphCacheEnabled(bool enabled) {
    state().cacheEnabled = enabled;
    state().cache.clear();
    ++state().generation;
}

bool isGlyphCacheEnabled() {
    return state().cacheEnabled;
}

std::uint64_t textFontGeneration() {
    return state().generation;
}

std::string textFontDescription() {
    FontState& s = state();
    if (s.face == nullptr) {
        return "no font";
    }
    FT_Int major = 0, minor = 0, patch = 0;
    FT_Library_Version(s.library, &major, &minor, &patch);
    std::string family = s.face->family_name != nullptr ? s.face->family_name : "?";
    std::string style = s.face->style_name != nullptr ? s.face->style_name : "?";
    return "face=" + family + " " + style + "; file=" + s.file.filename().string() +
           "; glyphs=" + std::to_string(s.face->num_glyphs) +
           "; freetype=" + std::to_string(major) + "." + std::to_string(minor) + "." +
           std::to_string(patch) + "; size=" + std::to_string(kTextFontPixelSize) +
           "px; load=NO_BITMAP|RENDER|TARGET_NORMAL";
}

}  // namespace tsuzuri
