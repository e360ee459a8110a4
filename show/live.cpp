// The live driver's frame loop, its clock (real, or the 60 fps virtual clock of --record), the
// makers' keys and the seeks they make.
#include "show/live.h"
#include "engine/gl.h"
#include "engine/glrecorder.h"
#include "engine/overlay.h"
#include "engine/picture.h"
#include "show/interrupt.h"
#include "show/offline.h"
#include "show/replay.h"
#include "show/show.h"
#include "show/stats.h"

#include <SDL.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <malloc.h>

// ---- Seeks ---------------------------------------------------------------------------------

static const double SEEK_STEP = 5.0; // seconds, Left and Right
// Page Up within this long of a scene's start goes to the scene before.
static const double PREVIOUS_GRACE = 1.0;

static long last_frame() {
    return offline_frame_count(SEEK_FPS) - 2; // the frame count includes the one past the end
}

static long clamp_frame(double seconds) {
    long k = offline_frame_at(seconds, SEEK_FPS);
    return k > last_frame() ? last_frame() : k;
}

long seek_frame(Seek seek, double seconds) {
    double target = 0;
    switch (seek) {
    case SEEK_BACK:
        target = seconds - SEEK_STEP;
        break;
    case SEEK_FORWARD:
        target = seconds + SEEK_STEP;
        break;
    case SEEK_PREVIOUS_SCENE:
        for (int i = 0; i < TIMELINE_SCENES; i++) {
            double start = scenes[i].window[0] / 1000.0;
            if (start <= seconds - PREVIOUS_GRACE && start > target)
                target = start;
        }
        break;
    case SEEK_NEXT_SCENE:
        target = 1e9;
        for (int i = 0; i < TIMELINE_SCENES; i++) {
            double start = scenes[i].window[0] / 1000.0;
            if (start > seconds && start < target)
                target = start;
        }
        break;
    case SEEK_RESTART:
        break;
    }
    return target < 0 ? 0 : clamp_frame(target);
}

// The overlay's distance from the window's top-left corner, pixels.
static const int OVERLAY_MARGIN = 8;

// The keys of --dev that seek.
struct SeekKey {
    SDLKey key;
    Seek seek;
};
static const SeekKey seek_keys[] = {{SDLK_LEFT, SEEK_BACK},
                                    {SDLK_RIGHT, SEEK_FORWARD},
                                    {SDLK_PAGEUP, SEEK_PREVIOUS_SCENE},
                                    {SDLK_PAGEDOWN, SEEK_NEXT_SCENE},
                                    {SDLK_HOME, SEEK_RESTART}};

// ---- The run -------------------------------------------------------------------------------

static double wall_seconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

namespace {

struct Live {
    const ShowOptions& o;
    bool recording;
    FILE* record = nullptr;
    bool finish = false;
    bool paused = false;
    bool frame_due = true; // a paused show draws the frame a seek landed on
    bool overlay = false;
    long frame = 0;               // the virtual clock's frame, when recording
    double last_swap = -1;        // wall seconds of the last swap of a playing frame; -1: none yet
    std::deque<double> swaps;     // of the last second, for the overlay's rate
    ScenePos on[TIMELINE_SCENES]; // the scenes the last frame drew, with their pos
    int on_count = 0;
    FrameStats stats;

    Live(const ShowOptions& o) : o(o), recording(!o.record.empty()) {}

    void begin() {
        if (musicflag == 1 && !recording)
            sound.play();
        kello.start();
    }

    // Rebuilds the show at frame k (see show/live.h); a paused show stays paused there.
    void seek(long k) {
        sound.rewind();
        replay_to(k, SEEK_FPS);
        // The GL driver's per-frame working memory (llvmpipe bins pyorre's 3,200 draws a frame in
        // some 36 MB of blocks) stays with the allocator after the frame; handing it back here
        // lets a new lap start from the memory the first lap started from (about 100 MB less).
        malloc_trim(0);
        frame = k;
        kello.startAt(offline_time(k, SEEK_FPS));
        if (!paused && !recording)
            sound.resume();
        frame_due = true;
        last_swap = -1;
    }

    void toggle_pause() {
        paused = !paused;
        if (paused) {
            if (!recording)
                sound.pause();
        } else {
            kello.startAt(kello.time);
            if (!recording)
                sound.resume();
            last_swap = -1;
        }
    }

    void key(SDLKey k) {
        if (k == SDLK_SPACE)
            toggle_pause();
        if (k == SDLK_F1)
            overlay = !overlay;
        for (const SeekKey& s : seek_keys)
            if (k == s.key)
                seek(seek_frame(s.seek, kello.time));
    }

    void poll_events() {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            if (event.type == SDL_QUIT)
                finish = true;
            if (event.type != SDL_KEYDOWN)
                continue;
            if (event.key.keysym.sym == SDLK_ESCAPE)
                finish = true;
            else if (o.dev)
                key(event.key.keysym.sym);
        }
    }

    // Draws the show's frame at the clock's time; returns its millisecond.
    int draw() {
        if (recording) {
            kello.time = offline_time(frame, SEEK_FPS);
            sound.advanceTo(kello.time, nullptr);
        } else if (!paused) {
            kello.update();
            // A frame the player sees even when no track is read in it, so a track read again
            // after a gap knows it missed the frames between.
            sound.reading();
        }
        int ms = show_ms(kello.time);
        on_count = show_scenes_at(ms, on);
        picture_bind();
        if (recording)
            gl_recorder_clear_log();
        show_frame(ms);
        if (recording)
            fprintf(record, "%ld %.6f %016llx\n", frame, kello.time,
                    (unsigned long long)gl_recorder_digest());
        return ms;
    }

    void draw_overlay(double now) {
        while (!swaps.empty() && swaps.front() < now - 1.0)
            swaps.pop_front();
        char time[64], music[64], names[160] = "", rate[64];
        snprintf(time, sizeof time, "time %.3f s%s", kello.time, paused ? "  paused" : "");
        snprintf(music, sizeof music, "order %u row %u", sound.getOrder(), sound.getRow());
        for (int i = 0; i < on_count; i++) {
            size_t used = strlen(names);
            snprintf(names + used, sizeof names - used, "%s%s %.3f", i ? "  " : "",
                     on[i].scene->name, on[i].pos);
        }
        snprintf(rate, sizeof rate, "%zu fps", swaps.size());
        const char* lines[] = {time, music, names, rate};
        overlay_panel(win.width, win.height, OVERLAY_MARGIN, OVERLAY_MARGIN, lines, 4);
    }

    void run() {
        if (o.start > 0)
            seek(offline_frame_at(o.start, SEEK_FPS));
        else
            begin();
        while (!finish) {
            if (!o.window)
                SDL_WarpMouse(1024, 768); // the full screen's far corner, not the resolution
            poll_events();
            if (interrupt_signal())
                finish = true;
            bool drawing = !paused || frame_due;
            int ms = drawing ? draw() : 0;
            frame_due = false;
            picture_present();
            double now = wall_seconds();
            if (overlay)
                draw_overlay(now);
            SDL_GL_SwapBuffers();
            if (!drawing) {
                SDL_Delay(10); // nothing moves while paused
                continue;
            }
            if (!paused) {
                swaps.push_back(now);
                if (last_swap >= 0)
                    stats.add(on, on_count, now - last_swap);
                last_swap = now;
            }
            frame++;
            if (ms > SHOW_LAST_MS) {
                if (o.loop)
                    seek(0);
                else
                    finish = true;
            }
        }
    }
};

} // namespace

int live_show(const ShowOptions& o) {
    Live live(o);
    if (live.recording) {
        live.record = fopen(o.record.c_str(), "w");
        if (!live.record) {
            fprintf(stderr, "ordune: %s: %s\n", o.record.c_str(), strerror(errno));
            return 1;
        }
        setvbuf(live.record, nullptr, _IOLBF, 0); // whole lines as they are drawn, for watchers
    }
    if (!win.create(!o.window, o.native ? 0 : o.width, o.native ? 0 : o.height)) {
        if (live.record)
            fclose(live.record);
        return 1;
    }
    interrupt_catch();
    gl_use_platform();
    picture_open(win.width, win.height, o.dev && !live.recording);
    if (live.recording)
        gl_use_recorder();
    sound.setLatency(o.audioLatency);
    std::string cause;
    if (musicflag == 1 && live.recording && !sound.openOffline(&cause))
        fprintf(stderr, "ordune: %s; the show runs silent\n", cause.c_str());
    else if (musicflag == 1 && !live.recording)
        sound.init();

    show_init();
    live.run();

    show_free();
    if (musicflag == 1)
        sound.release();
    gl_use_platform();
    picture_close();
    SDL_Quit();
    if (live.record)
        fclose(live.record);
    if (o.stats)
        fputs(live.stats.report().c_str(), stdout);
    return 0;
}
