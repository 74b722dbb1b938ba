// One full frame (opaque scene, window picture with varied alpha, full text layer, hovered
// band, flash) composed by our compositor and by pixman doing the same operations.
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <random>

#include "graphics/compositor.h"

namespace tsuzuri {
namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

struct Layers {
    TextureSlot scene = createTexture(kWidth, kHeight);
    TextureSlot window = createTexture(kWidth, kHeight);
    TextureSlot text = createTexture(kWidth, kHeight);
    std::vector<std::uint32_t> frame = std::vector<std::uint32_t>(kWidth * kHeight);

    Layers() {
        std::mt19937 random(7);
        for (std::uint32_t& pixel : scene->pixels) {
            pixel = 0xFF000000u | (random() & 0xFFFFFF);
        }
        // A message window: transparent above, half-transparent panel with an opaque frame.
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const std::uint32_t alpha = y < 460                          ? 0
                                            : (y < 464 || x < 4 || x >= 796) ? 255
                                                                             : 160;
                window->pixels[y * kWidth + x] = (alpha << 24) | 0x203050;
            }
        }
        // Text: mostly transparent, with glyph-like runs of body and outline.
        for (int y = 480; y < 570; ++y) {
            for (int x = 20; x < 780; ++x) {
                const std::uint32_t r = random() % 8;
                text->pixels[y * kWidth + x] = r < 4    ? 0
                                               : r < 6  ? 0xFF000000u
                                               : r == 6 ? 0x80FFFFFFu
                                                        : 0xFFFFFFFFu;
            }
        }
    }
};

void BM_ComposeFrameOurs(benchmark::State& state) {
    Layers layers;
    const FrameView frame{layers.frame.data(), kWidth, kHeight, kWidth};
    for (auto _ : state) {
        clearFrame(frame, 0xFFC0C0FF);
        blendTextureCentred(frame, *layers.scene);
        blendTextureCentred(frame, *layers.window);
        blendTextureCentred(frame, *layers.text);
        invertBand(frame, 0, 508, kWidth, 538);
        addFlash(frame, 100);
        benchmark::DoNotOptimize(layers.frame.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ComposeFrameOurs)->Unit(benchmark::kMicrosecond);

pixman_image_t* wrap(TextureSlot& texture) {
    return pixman_image_create_bits(PIXMAN_a8r8g8b8, kWidth, kHeight, texture->pixels.data(),
                                    kWidth * 4);
}

void BM_ComposeFramePixman(benchmark::State& state) {
    Layers layers;
    // pixman works on premultiplied colour; give it the same layers premultiplied.
    for (TextureSlot* layer : {&layers.window, &layers.text}) {
        for (std::uint32_t& p : (*layer)->pixels) {
            const std::uint32_t a = p >> 24;
            auto mul = [a](std::uint32_t c) { return (c * a + 127) / 255; };
            p = (a << 24) | (mul((p >> 16) & 0xFF) << 16) | (mul((p >> 8) & 0xFF) << 8) |
                mul(p & 0xFF);
        }
    }
    pixman_image_t* frame =
        pixman_image_create_bits(PIXMAN_x8r8g8b8, kWidth, kHeight, layers.frame.data(), kWidth * 4);
    pixman_image_t* scene = wrap(layers.scene);
    pixman_image_t* window = wrap(layers.window);
    pixman_image_t* text = wrap(layers.text);
    const pixman_color_t clear{0xC0C0, 0xC0C0, 0xFFFF, 0xFFFF};
    const pixman_color_t white{0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
    const pixman_color_t flash{0x6464, 0x6464, 0x6464, 0};
    pixman_image_t* clearFill = pixman_image_create_solid_fill(&clear);
    pixman_image_t* whiteFill = pixman_image_create_solid_fill(&white);
    pixman_image_t* flashFill = pixman_image_create_solid_fill(&flash);
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_SRC, clearFill, nullptr, frame, 0, 0, 0, 0, 0, 0, kWidth,
                                 kHeight);
        pixman_image_composite32(PIXMAN_OP_OVER, scene, nullptr, frame, 0, 0, 0, 0, 0, 0, kWidth,
                                 kHeight);
        pixman_image_composite32(PIXMAN_OP_OVER, window, nullptr, frame, 0, 0, 0, 0, 0, 0, kWidth,
                                 kHeight);
        pixman_image_composite32(PIXMAN_OP_OVER, text, nullptr, frame, 0, 0, 0, 0, 0, 0, kWidth,
                                 kHeight);
        pixman_image_composite32(PIXMAN_OP_DIFFERENCE, whiteFill, nullptr, frame, 0, 0, 0, 0, 0,
                                 508, kWidth, 30);
        pixman_image_composite32(PIXMAN_OP_ADD, flashFill, nullptr, frame, 0, 0, 0, 0, 0, 0, kWidth,
                                 kHeight);
        benchmark::DoNotOptimize(layers.frame.data());
        benchmark::ClobberMemory();
    }
    for (pixman_image_t* image : {frame, scene, window, text, clearFill, whiteFill, flashFill}) {
        pixman_image_unref(image);
    }
}
BENCHMARK(BM_ComposeFramePixman)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tsuzuri
