// hidden_gl_window.h - the GL context of the developer tools and benchmarks:
// a hidden SDL window with a compatibility-profile context, as the game's.
#pragma once

#include <SDL2/SDL.h>

struct HiddenGLWindow {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;

    // Starts SDL's video, opens the window (RGBA8, depth 24, double-buffered)
    // and initialises GLEW. `debug` asks for a debug context. On failure it
    // says why on stderr and returns false.
    bool open(const char* title, int width, int height, bool debug = false);
    void close();
};
