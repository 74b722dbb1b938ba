// The peer of the start-up measurement: the least an SDL program does to open an 800x600
// window and show one frame through its surface.
#include <SDL.h>

#include <chrono>
#include <cstdio>

int main() {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        return 1;
    }
    SDL_Window* window = SDL_CreateWindow("bare", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                          800, 600, SDL_WINDOW_SHOWN);
    if (window == nullptr) {
        return 1;
    }
    SDL_Surface* surface = SDL_GetWindowSurface(window);
    SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0xC0, 0xC0, 0xFF));
    SDL_UpdateWindowSurface(window);
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    std::printf(
        "first-frame-ms %u\n",
        static_cast<unsigned>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()));
    std::fflush(stdout);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
