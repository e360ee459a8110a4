// The show in a web page: the native clock, timeline, sync and scenes, compiled to WebAssembly
// and drawn on a WebGL 2 canvas through the GLES 3 back end of the GL layer.
//
// The page (web/page.js) starts it with arguments from its address:
//   (none)                 the live show: each animation frame is drawn at the time the music
//                          is heard, as the page reports it (Module.musicTime: seconds, or
//                          below 0 before the music starts); over after the last frame
//   --at SECONDS           one frame on the 60 fps virtual clock, as ordune-render draws it;
//                          the drawing buffer is kept for the page to read
//   --frames N             with --at: N more frames after it, timed, for frames a second
//   --size WxH             the canvas's drawing size (default: as the page laid it out)
// and learns the outcome through Module.showDone(message) (one line: "" when all is well, or
// "frames a second: F", or the fault).
#include "engine/gl.h"
#include "engine/gles3.h"
#include "engine/window.h"
#include "show/arguments.h"
#include "show/offline.h"
#include "show/replay.h"
#include "show/show.h"

#include <cstdio>
#include <cstring>
#include <emscripten.h>
#include <emscripten/html5.h>
#include <string>

// The music's heard time in seconds from the page, below 0 while it has not started.
EM_JS(double, page_music_time, (), { return Module.musicTime ? Module.musicTime() : -1; });
// Tells the page the show is done: "" (the show or the frame drawn), or a line to show.
EM_JS(void, page_done, (const char* message), {
    if (Module.showDone)
        Module.showDone(UTF8ToString(message));
});

// The virtual clock's rate for --at, as the renderer's default.
static const double AT_FPS = 60;

static void finish(const std::string& message) {
    page_done(message.c_str());
}

static void live_frame() {
    double t = page_music_time();
    if (t < 0)
        return;
    // The page's reading may step back by a little between audio reports; the show's clock
    // never does.
    if (t < kello.time)
        t = kello.time;
    offline_draw_at((float)t, nullptr);
    gles3_flush();
    if (show_ms(kello.time) > SHOW_LAST_MS) {
        emscripten_cancel_main_loop();
        finish("");
    }
}

// One frame at `at` on the virtual clock, then `frames` more, timed.
static std::string draw_at(double at, long frames) {
    long k = offline_frame_at(at, AT_FPS);
    if (k >= offline_frame_count(AT_FPS))
        return "--at lies past the show's end";
    replay_to(k, AT_FPS);
    offline_draw(k, AT_FPS, nullptr);
    gles3_flush();
    if (frames <= 0)
        return "";
    double start = emscripten_get_now();
    // Each frame's last pixel read back: the browser's glFinish returns before the GPU is done.
    unsigned char pixel[4];
    for (long i = 1; i <= frames; i++) {
        offline_draw(k + i, AT_FPS, nullptr);
        glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    }
    double ms = emscripten_get_now() - start;
    char line[64];
    snprintf(line, sizeof line, "frames a second: %.1f", (double)frames * 1000.0 / ms);
    return line;
}

int main(int argc, char** argv) {
    double at = -1;
    double frames = 0;
    int w = 0, h = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        bool ok = strcmp(argv[i], "--at") == 0       ? parse_number(argv[i + 1], &at) && at >= 0
                  : strcmp(argv[i], "--frames") == 0 ? parse_number(argv[i + 1], &frames)
                  : strcmp(argv[i], "--size") == 0   ? parse_size(argv[i + 1], 2, 8192, &w, &h)
                                                     : false;
        if (!ok) {
            finish(std::string("ordune: bad argument ") + argv[i] + " " + argv[i + 1]);
            return 0;
        }
    }
    if (w > 0)
        emscripten_set_canvas_element_size("#canvas", w, h);
    emscripten_get_canvas_element_size("#canvas", &w, &h);

    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.alpha = false;
    attributes.depth = true;
    attributes.antialias = false;
    attributes.preserveDrawingBuffer = at >= 0; // the page reads the frame back
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context =
        emscripten_webgl_create_context("#canvas", &attributes);
    const char* why = "";
    if (context <= 0 || emscripten_webgl_make_context_current(context) != EMSCRIPTEN_RESULT_SUCCESS)
        why = "this browser offers no WebGL 2";
    else if (!gl_use_es3(&why))
        context = 0;
    if (*why) {
        finish(std::string("ordune: ") + why);
        return 0;
    }

    OPENGL_XRES = w;
    OPENGL_YRES = h;
    offline_begin();
    if (!offline_music()) {
        finish("ordune: " + offline_music_fault());
        return 0;
    }
    if (at >= 0) {
        finish(draw_at(at, (long)frames));
        return 0;
    }
    emscripten_set_main_loop(live_frame, 0, false);
    return 0;
}
