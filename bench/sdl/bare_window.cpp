// The benchmark's yardstick: the least an SDL2 program with the game's settings does to show a
// window of the game's client size: open it, paint it once in one colour, then wait until it is
// closed.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>

#include "host/display_size.h"

int main(int, char**) {
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "bare window: %s\n", SDL_GetError());
    return 1;
  }
  SDL_Window* window =
      SDL_CreateWindow("bare window", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                       host::kClientWidth, host::kClientHeight, 0);
  if (window == nullptr) {
    std::fprintf(stderr, "bare window: %s\n", SDL_GetError());
    return 1;
  }
  SDL_Surface* surface = SDL_GetWindowSurface(window);
  if (surface == nullptr) return 1;
  SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0x9C, 0xB0, 0x7A));
  SDL_UpdateWindowSurface(window);
  // Ends like the game does when its window is closed: at once, without tearing SDL down.
  SDL_Event event;
  while (SDL_WaitEvent(&event) != 0) {
    if (event.type == SDL_QUIT) std::_Exit(0);
  }
  return 1;
}
