// The live show: opens the display, starts the music and the clock, runs frames until the
// clock passes 200 s or the viewer asks to stop, then shuts down in order.
//
// Stopping: Escape, a quit event, SIGINT or SIGTERM all end the show after the current frame
// through the same shut-down, so SDL hands the desktop its video mode back. Every pending
// event is consumed each frame; one a frame would let a backlog of mouse motion (the pointer is
// warped every frame) delay an Escape by seconds on a slow machine.
#include "engine/gl.h"
#include "show/show.h"

#include <SDL.h>
#include <csignal>

static volatile sig_atomic_t stop_requested = 0;

static void on_signal(int) {
    stop_requested = 1;
}

// Installed after SDL_Init, which sets handlers of its own for the same signals.
static void catch_signals() {
    struct sigaction sa = {};
    sa.sa_handler = on_signal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

// True when an event among those pending asks the show to end.
static bool poll_events() {
    bool finish = false;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE)
            finish = true;
        if (event.type == SDL_QUIT)
            finish = true;
    }
    return finish;
}

int SDL_main(int, char**) {
    OPENGL_XRES = 1024;
    OPENGL_YRES = 768;
    if (!win.create(false))
        return 1;
    catch_signals();
    gl_use_platform();
    if (musicflag == 1 && !sound.init())
        return 0;

    show_init();
    if (musicflag == 1)
        sound.play();
    kello.start();

    bool finish = false;
    while (!finish) {
        // Fixed numbers: the pointer is parked in the screen's far corner, not at the resolution.
        SDL_WarpMouse(1024, 768);
        if (poll_events() || stop_requested)
            finish = true;
        kello.update();
        int ms = show_ms(kello.time);
        show_frame(ms);
        SDL_GL_SwapBuffers();
        if (ms > SHOW_LAST_MS)
            finish = true;
    }

    show_free();
    if (musicflag == 1)
        sound.release();
    SDL_Quit();
    return 0;
}

// On Linux SDL 1.2 calls no SDL_main of its own; elsewhere its start-up glue renames main.
#ifndef main
int main(int argc, char** argv) {
    return SDL_main(argc, argv);
}
#endif
