// The peer of the start-up measurement: the least an SDL program does to open an 800x600
// window and show one frame through its surface.
#include <SDL.h>

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
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
