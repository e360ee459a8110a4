// The show's start-up, phase by phase, as the live driver goes through it: window and GL
// set-up, the music, the texture and lettering uploads, each scene's _init in show_init's
// order, and the first frame drawn and swapped. Needs a display (scripts/bench gives it Xvfb).
//
// Start-up happens once per process, so every phase is a benchmark of one iteration, run in
// registration order; the process start stands for the driver's entry.
#include "bench/report.h"
#include "engine/colors.h"
#include "engine/gl.h"
#include "show/show.h"
#include "engine/texture.h"
#include "engine/textimages.h"
#include "molecules/molecules.h"
#include "scenes/scenes.h"

#include <SDL.h>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>

namespace {

struct Phase {
    const char* name;
    void (*run)();
};

bool window_open = false;

void open_window() {
    OPENGL_XRES = 1024;
    OPENGL_YRES = 768;
    window_open = win.create() == 1;
    gl_use_platform();
}

void open_music() {
    if (musicflag == 1)
        sound.init();
}

void upload_textures() {
    textures_init();
    font_init();
}

void first_frame() {
    clearcolor = harmaa; // the last step of show_init
    if (musicflag == 1)
        sound.play();
    kello.start();
    kello.update();
    show_frame(show_ms(kello.time));
    SDL_GL_SwapBuffers();
    // The swap only queues the frame; it is drawn once the driver has finished it.
    glFinish();
}

// The driver's order; the scene _init calls are show_init's, one phase each.
const Phase phases[] = {
    {"window and GL", open_window},
    {"music", open_music},
    {"textures and lettering", upload_textures},
    {"kasvu_init", kasvu_init},
    {"rakenne_init", rakenne_init},
    {"pyorre_init", pyorre_init},
    {"viivatus_init", viivatus_init},
    {"ruutu_init", ruutu_init},
    {"aukko_init", aukko_init},
    {"alku_init", alku_init},
    {"perhonen_init", perhonen_init},
    {"kaupunki_init", kaupunki_init},
    {"molekyyli_init", molekyyli_init},
    {"virta_init", virta_init},
    {"kellu_init", kellu_init},
    {"first frame", first_frame},
};

std::chrono::steady_clock::time_point process_start;
double to_first_frame = 0; // seconds from process start to the end of the first frame

void bench_phase(benchmark::State& state, const Phase* p) {
    if (!window_open && p->run != open_window) {
        state.SkipWithError("no display");
        return;
    }
    for (auto _ : state)
        p->run();
    if (p->run == first_frame)
        to_first_frame =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - process_start).count();
}

void write_tables(const std::vector<BenchResult>& results, FILE* out) {
    fprintf(out, "| phase | ms |\n|---|---|\n");
    double sum = 0;
    for (const Phase& p : phases) {
        const BenchResult* r = bench_find(results, std::string("startup/") + p.name);
        if (!r)
            continue;
        sum += r->seconds;
        fprintf(out, "| %s | %.2f |\n", p.name, r->seconds * 1e3);
    }
    fprintf(out, "| sum of the phases | %.1f |\n", sum * 1e3);
    fprintf(out, "| process start to first frame shown | %.1f |\n", to_first_frame * 1e3);
}

} // namespace

int main(int argc, char** argv) {
    process_start = std::chrono::steady_clock::now();
    for (const Phase& p : phases)
        benchmark::RegisterBenchmark((std::string("startup/") + p.name).c_str(), bench_phase, &p)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    int status = bench_main(argc, argv, write_tables);
    if (window_open) {
        show_free();
        if (musicflag == 1)
            sound.release();
        SDL_Quit();
    }
    return status;
}
