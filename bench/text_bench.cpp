// Drawing a full page of full-width text: from the glyph cache, and rasterising every glyph
// afresh, side by side. The output of both is the same (the tests check it). The same page
// from the cache on a 1600x1200 layer, glyphs rasterised at twice the size, is the page turn
// of a frame shown at 2x.
#include <benchmark/benchmark.h>

#include <string>

#include "graphics/render_device.h"
#include "graphics/text_font.h"
#include "graphics/text_layer.h"
#include "platform/frame_geometry.h"

namespace tsuzuri {
namespace {

// Three lines of 29 full-width characters: kana and kanji.
std::string fullPage() {
    const char* characters[] = {"\x82\xA0", "\x82\xA2", "\x95\x5C", "\x8E\xA6", "\x92\xD4",
                                "\x82\xE8", "\x95\xA8", "\x8C\xEA", "\x83\x65", "\x83\x58"};
    std::string page;
    for (int line = 0; line < 3; ++line) {
        for (int i = 0; i < 29; ++i) {
            page += characters[(line * 29 + i) % 10];
        }
        if (line < 2) {
            page += "\\n";
        }
    }
    return page;
}

// The frame whose text layer the benchmark draws into.
RenderState render;

void drawPages(benchmark::State& state, bool cached, int scale = 1) {
    std::string error;
    if (!openTextFont(error)) {
        state.SkipWithError(("no Japanese font: " + error).c_str());
        return;
    }
    render.textTexture = createTexture(kScreenWidth * scale, kScreenHeight * scale);
    setTextFontScale(scale);
    setGlyphCacheEnabled(cached);
    const std::string page = fullPage();
    clearTextLayer(render);
    drawTextPage(render, page.c_str());  // warm the cache
    for (auto _ : state) {
        clearTextLayer(render);
        drawTextPage(render, page.c_str());
        benchmark::ClobberMemory();
    }
    setGlyphCacheEnabled(true);
    setTextFontScale(1.0);
    render.textTexture.reset();
    closeTextFont();
}

void BM_TextPageCached(benchmark::State& state) {
    drawPages(state, true);
}
void BM_TextPageUncached(benchmark::State& state) {
    drawPages(state, false);
}
void BM_TextPage2xCached(benchmark::State& state) {
    drawPages(state, true, 2);
}
BENCHMARK(BM_TextPageCached)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TextPageUncached)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TextPage2xCached)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tsuzuri
