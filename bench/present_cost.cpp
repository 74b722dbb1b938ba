// The CPU cost of one changed frame, composed and shown, on our path and on the peers' paths:
//   ours            the render device composes at the shown size, platform::presentFrame
//                   shows it through the window surface (what the player does)
//   surface         the same steps with SDL directly, each one timed on its own
//   texture         SDL's renderer with a streaming texture of the frame at the shown size
//   texture-scaled  the 800x600 frame in a streaming texture, the renderer scaling it
//   surface-scaled  the 800x600 frame scaled into the window surface by SDL's software blit
// Usage: present_cost GAME_DIR PATH plain|fullscreen
// Prints "name value" pairs: the mean CPU milliseconds of the process per frame in total and
// per step, the sizes, and the renderer SDL chose.
#include <SDL.h>
#include <time.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "graphics/render_device.h"
#include "graphics/text_font.h"
#include "graphics/text_layer.h"
#include "platform/platform.h"

namespace tsuzuri {
namespace {

// The frame the measurements compose and present.
RenderState render;

constexpr int kWarmUpFrames = 30;
constexpr int kFrames = 300;

// CPU time of the whole process (all its threads, a renderer's workers included), in ms.
double cpuMs() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Sums the CPU time between marks under each step's name.
class Steps {
public:
    void start() { last_ = cpuMs(); }
    void mark(const char* name) {
        const double now = cpuMs();
        for (auto& [step, sum] : sums_) {
            if (step == name) {
                sum += now - last_;
                last_ = now;
                return;
            }
        }
        sums_.emplace_back(name, now - last_);
        last_ = now;
    }
    void print(int frames) const {
        double total = 0;
        for (const auto& step : sums_) {
            total += step.second;
        }
        std::printf("total %.4f", total / frames);
        for (const auto& [step, sum] : sums_) {
            std::printf(" %s %.4f", step.c_str(), sum / frames);
        }
    }

private:
    std::vector<std::pair<std::string, double>> sums_;
    double last_ = 0;
};

// Takes the window's pending events, as a player's loop does between frames.
void pump(bool platformWindow) {
    if (platformWindow) {
        platform::Message message;
        while (platform::peekMessage(message)) {
        }
    } else {
        SDL_PumpEvents();
    }
}

// Lets the window be mapped and take its final size.
void settle(bool platformWindow) {
    for (int i = 0; i < 50; ++i) {
        pump(platformWindow);
        SDL_Delay(10);
    }
}

// A page in the message window: three lines of full-width kana and kanji.
void loadLayers(const std::filesystem::path& game) {
    showScenePicture(render, GamePath{game, "cg\\library.jpg"});
    loadWindowPicture(render, game);
    std::string page;
    const char* characters[] = {"\x82\xA0", "\x82\xA2", "\x95\x5C", "\x8E\xA6", "\x92\xD4"};
    for (int i = 0; i < 3 * 29; ++i) {
        page += characters[i % 5];
        if (i % 29 == 28 && i < 2 * 29) {
            page += "\\n";
        }
    }
    clearTextLayer(render);
    drawTextPage(render, page.c_str());
}

// Each frame differs from the one before: the choice highlight moves.
FrameScene sceneFor(int frame) {
    FrameScene scene;
    scene.choiceHover = 1;
    scene.hoverRow = frame % 3;
    return scene;
}

int runOurs(const std::filesystem::path& game, bool fullscreen) {
    std::string reason;
    if (!platform::initWindowSystem(reason)) {
        std::fprintf(stderr, "present_cost: %s\n", reason.c_str());
        return 1;
    }
    platform::WindowShape shape;
    shape.resizable = fullscreen;
    shape.fullscreen = fullscreen;
    const platform::WindowHandle window =
        platform::createWindow(kScreenWidth, kScreenHeight, shape);
    settle(true);
    if (window == 0 || initRenderDevice(render, window, platform::systemClock()) != S_OK) {
        std::fprintf(stderr, "present_cost: no window or render device\n");
        return 1;
    }
    loadLayers(game);
    int width = 0, height = 0;
    platform::getDrawableSize(render.window, width, height);
    Steps steps;
    for (int frame = 0; frame < kWarmUpFrames + kFrames; ++frame) {
        if (frame == kWarmUpFrames) {
            steps = Steps{};
        }
        steps.start();
        composeFrame(render, sceneFor(frame));
        steps.mark("compose");
        platform::presentFrame(render.window, render.frame.data(), render.outputWidth,
                               render.outputHeight, render.outputWidth * 4);
        steps.mark("present");
        pump(true);
    }
    steps.print(kFrames);
    std::printf(" output %dx%d drawable %dx%d\n", render.outputWidth, render.outputHeight, width,
                height);
    shutdownRenderDevice(render);
    platform::shutdownWindowSystem();
    return 0;
}

// Paints the parts of the surface outside `frame` black.
void fillBars(SDL_Surface* surface, const SDL_Rect& frame) {
    const SDL_Rect bars[] = {
        {0, 0, surface->w, frame.y},
        {0, frame.y + frame.h, surface->w, surface->h - frame.y - frame.h},
        {0, frame.y, frame.x, frame.h},
        {frame.x + frame.w, frame.y, surface->w - frame.x - frame.w, frame.h},
    };
    for (const SDL_Rect& bar : bars) {
        if (bar.w > 0 && bar.h > 0) {
            SDL_FillRect(surface, &bar, SDL_MapRGB(surface->format, 0, 0, 0));
        }
    }
}

int runPeer(const std::filesystem::path& game, const std::string& path, bool fullscreen) {
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");  // as the player: no GPU behind it
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        return 1;
    }
    SDL_Window* window = SDL_CreateWindow(
        "peer", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kScreenWidth, kScreenHeight,
        SDL_WINDOW_SHOWN | SDL_WINDOW_ALLOW_HIGHDPI |
            (fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_RESIZABLE : 0));
    settle(false);
    int width = 0, height = 0;
    SDL_GetWindowSizeInPixels(window, &width, &height);
    const FramePlacement place = fitFrame(width, height);
    const SDL_Rect placeRect{place.x, place.y, place.width, place.height};
    const bool scaled = path.ends_with("-scaled");
    std::string error;
    if (!openTextFont(error) || !setOutputSize(render, scaled ? kScreenWidth : place.width,
                                               scaled ? kScreenHeight : place.height)) {
        std::fprintf(stderr, "present_cost: %s\n", error.c_str());
        return 1;
    }
    loadLayers(game);
    const int frameW = render.outputWidth;
    const int frameH = render.outputHeight;
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(
        render.frame.data(), frameW, frameH, 32, frameW * 4, SDL_PIXELFORMAT_ARGB8888);
    SDL_SetSurfaceBlendMode(source, SDL_BLENDMODE_NONE);
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    SDL_RendererInfo info{};
    if (path.starts_with("texture")) {
        renderer = SDL_CreateRenderer(window, -1, 0);
        texture = renderer == nullptr
                      ? nullptr
                      : SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888,
                                          SDL_TEXTUREACCESS_STREAMING, frameW, frameH);
        if (texture == nullptr) {
            std::fprintf(stderr, "present_cost: %s\n", SDL_GetError());
            return 1;
        }
        SDL_GetRendererInfo(renderer, &info);
    }
    Steps steps;
    for (int frame = 0; frame < kWarmUpFrames + kFrames; ++frame) {
        if (frame == kWarmUpFrames) {
            steps = Steps{};
        }
        steps.start();
        composeFrame(render, sceneFor(frame));
        steps.mark("compose");
        if (renderer != nullptr) {
            SDL_UpdateTexture(texture, nullptr, render.frame.data(), frameW * 4);
            steps.mark("upload");
            SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
            SDL_RenderClear(renderer);
            SDL_RenderCopy(renderer, texture, nullptr, &placeRect);
            steps.mark("draw");
            SDL_RenderPresent(renderer);
            steps.mark("update");
        } else {
            SDL_Surface* surface = SDL_GetWindowSurface(window);
            SDL_Rect at = placeRect;
            fillBars(surface, placeRect);
            steps.mark("bars");
            if (scaled) {
                SDL_BlitScaled(source, nullptr, surface, &at);
            } else {
                SDL_BlitSurface(source, nullptr, surface, &at);
            }
            steps.mark("blit");
            SDL_UpdateWindowSurface(window);
            steps.mark("update");
        }
        pump(false);
    }
    steps.print(kFrames);
    std::printf(" output %dx%d drawable %dx%d shown %dx%d renderer %s\n", frameW, frameH, width,
                height, place.width, place.height, renderer != nullptr ? info.name : "none");
    SDL_FreeSurface(source);
    if (renderer != nullptr) {
        SDL_DestroyTexture(texture);
        SDL_DestroyRenderer(renderer);
    }
    SDL_DestroyWindow(window);
    closeTextFont();
    SDL_Quit();
    return 0;
}

}  // namespace
}  // namespace tsuzuri

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: present_cost GAME_DIR PATH plain|fullscreen\n");
        return 2;
    }
    const bool fullscreen = std::strcmp(argv[3], "fullscreen") == 0;
    if (std::strcmp(argv[2], "ours") == 0) {
        return tsuzuri::runOurs(argv[1], fullscreen);
    }
    return tsuzuri::runPeer(argv[1], argv[2], fullscreen);
}
