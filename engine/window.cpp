// Opening the SDL 1.2 display. Its size is the caller's, independent of the resolution globals.
#include "engine/window.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

Window win;
int OPENGL_XRES = 1024;
int OPENGL_YRES = 768;

static const char* caption = "Mervane::Ordune";

int Window::create(bool fullscreen, int w, int h) {
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        fprintf(stderr, "ordune: cannot open the display: %s\n", SDL_GetError());
        return 0;
    }
    // Without an X server SDL falls back to its offscreen or dummy driver, which would open an
    // invisible context and play the show to nobody. Those count as a display only when asked
    // for by name.
    char driver[32] = "";
    SDL_VideoDriverName(driver, sizeof driver);
    bool asked = getenv("SDL_VIDEODRIVER") != NULL;
    if (!asked && (strcmp(driver, "offscreen") == 0 || strcmp(driver, "dummy") == 0)) {
        fprintf(stderr, "ordune: cannot open the display: no X server or Wayland compositor "
                        "(DISPLAY is not set)\n");
        SDL_Quit();
        return 0;
    }
    SDL_ShowCursor(SDL_DISABLE);
    if (w == 0 || h == 0) {
        // Before the first mode is set, the current mode is the desktop's.
        const SDL_VideoInfo* desktop = SDL_GetVideoInfo();
        w = desktop->current_w;
        h = desktop->current_h;
    }
    // Depth 0 takes the desktop's; SDL 1.2 on SDL2 scales the full-screen surface to the desktop
    // instead of switching the monitor's mode.
    SDL_Surface* screen = nullptr;
    if (fullscreen)
        screen = SDL_SetVideoMode(w, h, 0, SDL_FULLSCREEN | SDL_OPENGL);
    if (!screen)
        screen = SDL_SetVideoMode(w, h, 0, SDL_OPENGL);
    if (!screen) {
        fprintf(stderr, "ordune: cannot open a %dx%d OpenGL display: %s\n", w, h, SDL_GetError());
        SDL_Quit();
        return 0;
    }
    width = screen->w;
    height = screen->h;
    SDL_WM_SetCaption(caption, NULL);
    // Requested after the mode is set, so the buffering in force is SDL's default: double.
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    return 1;
}
