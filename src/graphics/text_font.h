// The outline face that message text is drawn from, and its glyphs as coverage bitmaps.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace tsuzuri {

// Pixel height requested from the face: the em size, which gives 13- and 26-pixel advances
// on the usual Japanese Gothic faces and so fits the 13-pixel text grid.
constexpr int kTextFontPixelSize = 26;

// One rasterised character.
struct GlyphBitmap {
    int width = 0;   // black box width
    int height = 0;  // black box height
    int left = 0;    // black box left edge relative to the pen
    int top = 0;     // black box top edge above the baseline
    // width x height alpha values, row after row: the face's coverage reduced to 17 levels
    // (0, 15, 31, ..., 255).
    std::vector<std::uint8_t> alpha;
};

// Uses this font file instead of asking the system for one (from --font or TSUZURI_FONT).
void setTextFontFile(const std::filesystem::path& file);

// Starts looking for the system's Japanese faces in the background, so that the search
// overlaps other start-up work; the next openTextFont takes its answer. Does nothing when a
// font file was given.
void startTextFontSearch();

// Finds and opens a face with Japanese characters. On failure `error` says why.
bool openTextFont(std::string& error);
void closeTextFont();
bool isTextFontOpen();

// Draws glyphs for a frame `scale` times the size of 800x600: the em becomes
// kTextFontPixelSize * scale pixels (fractional sizes included). Scale 1 is the default; a
// change empties the glyph cache. Kept across openTextFont and closeTextFont.
void setTextFontScale(double scale);
double textFontScale();

// The face's ascender at the requested size, in pixels.
int textFontAscent();

// The glyph of one Shift-JIS character code (a byte, or lead byte * 256 + trail byte), from
// the cache; null when the face has nothing to draw for it.
const GlyphBitmap* cachedGlyph(std::uint16_t code);

// The same rasterised afresh, bypassing the cache; false when there is nothing to draw.
bool renderGlyph(std::uint16_t code, GlyphBitmap& glyph);

// While false, cachedGlyph rasterises every glyph afresh from a face opened for it alone, the
// plain way the cache replaces (to compare both paths).
void setGlyphCacheEnabled(bool enabled);
bool isGlyphCacheEnabled();

// Changes whenever cached glyphs become stale (another face, the cache switched on or off).
std::uint64_t textFontGeneration();

// Which face, file and rasteriser settings are in use (recorded next to golden images).
std::string textFontDescription();

}  // namespace tsuzuri
