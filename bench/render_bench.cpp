// Offline rendering throughput on a headless EGL context (Mesa's llvmpipe where there is no GPU):
// frames drawn, finished and read back at 1024x768, per scene window and for the whole show at
// 60 fps, against real time; through the platform GL, then the same frames through the GLES 3
// back end on an OpenGL ES context, side by side.
//
// A frame subset keeps the run short: every `bench_stride`-th frame of the show is rendered;
// the frames between are played through the null back end, untimed, so every rendered frame is
// the one the show draws there. Windows overlap, and the show cannot go backwards, so a scene's
// frames start where the previous scene's measured frames ended.
#include "bench/report.h"
#include "engine/gl.h"
#include "show/offline.h"
#include "show/show.h"
#include "tools/egl.h"

#include <benchmark/benchmark.h>
#include <string>
#include <vector>

namespace {

const double bench_fps = 60;
const int bench_width = 1024, bench_height = 768;
// A sample every 1/6 s: about 120 frames a scene window and 1200 in the show.
const long bench_stride = 10;

std::vector<unsigned char> pixels((size_t)bench_width* bench_height * 4);
long next_frame = 0; // the first show frame not yet played

// The frames of the window from where the show stands, at the stride.
std::vector<long> frames_of(const SceneEntry& e, long from) {
    long first = offline_frame_at(e.window[0] / 1000.0, bench_fps);
    long last = offline_frame_at(e.window[1] / 1000.0, bench_fps);
    if (last >= offline_frame_count(bench_fps))
        last = offline_frame_count(bench_fps) - 1;
    std::vector<long> frames;
    for (long k = first > from ? first : from; k <= last; k += bench_stride)
        frames.push_back(k);
    return frames;
}

std::vector<std::vector<long>> scene_frames; // per timeline entry

enum Backend { PLATFORM, ES3 };
const char* const backend_prefix[] = {"render/", "render_es3/"};
Backend current = PLATFORM;

// The show, from its start, on a fresh context of that back end; false with why on failure.
bool open_backend(Backend b, std::string* why) {
    if (!(b == ES3 ? egl_open_es3(bench_width, bench_height, why)
                   : egl_open(bench_width, bench_height, why)))
        return false;
    fprintf(stderr, "ordune_bench_render: %s\n", egl_renderer().c_str());
    const char* es3_why = "";
    if (b == ES3 && !gl_use_es3(&es3_why)) {
        *why = es3_why;
        egl_close();
        return false;
    }
    if (b == PLATFORM)
        gl_use_platform();
    offline_begin();
    current = b;
    next_frame = 0;
    return true;
}

void close_backend() {
    offline_end();
    gl_use_null();
    egl_close();
}

void bench_window(benchmark::State& state, int scene, Backend backend) {
    if (backend != current) {
        close_backend();
        std::string why;
        if (!open_backend(backend, &why)) {
            state.SkipWithError(why.c_str());
            return;
        }
    }
    const std::vector<long>& frames = scene_frames[scene];
    size_t i = 0;
    for (auto _ : state) {
        long k = frames[i++];
        state.PauseTiming();
        offline_skip(next_frame, k, bench_fps);
        state.ResumeTiming();
        offline_draw(k, bench_fps, nullptr);
        // Reading the frame back waits for it to be drawn, as the renderer's writers do.
        glReadPixels(0, 0, bench_width, bench_height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        next_frame = k + 1;
    }
}

void write_tables(const std::vector<BenchResult>& results, FILE* out) {
    fprintf(out,
            "| window | frames rendered | ms a frame | frames/s | real time | GLES 3 frames/s | "
            "GLES 3 / platform |\n");
    fprintf(out, "|---|---|---|---|---|---|---|\n");
    long frames = 0;
    double seconds = 0, es3_seconds = 0;
    for (int i = 0; i < TIMELINE_SCENES; i++) {
        const SceneEntry& e = scenes[i];
        const BenchResult* r = bench_find(results, backend_prefix[PLATFORM] + std::string(e.name));
        const BenchResult* q = bench_find(results, backend_prefix[ES3] + std::string(e.name));
        if (!r || r->iterations == 0 || !q || q->iterations == 0)
            continue;
        frames += r->iterations;
        seconds += r->total_seconds;
        es3_seconds += q->total_seconds;
        double fps = 1 / r->seconds, es3_fps = 1 / q->seconds;
        fprintf(out, "| %s | %ld | %.1f | %.1f | %.2fx | %.1f | %.2f |\n", e.name, r->iterations,
                r->seconds * 1e3, fps, fps / bench_fps, es3_fps, es3_fps / fps);
    }
    if (frames > 0) {
        double fps = frames / seconds, es3_fps = frames / es3_seconds;
        fprintf(out, "| whole show | %ld | %.1f | %.1f | %.2fx | %.1f | %.2f |\n", frames,
                1e3 / fps, fps, fps / bench_fps, es3_fps, es3_fps / fps);
    }
    fprintf(out,
            "\nEvery %ld-th frame of the show at %g fps, %dx%d; \"real time\" is frames/s "
            "over %g. The GLES 3 columns: the same frames through the GLES 3 back end of the GL "
            "layer on an OpenGL ES context of the same driver, in the same run.\n",
            bench_stride, bench_fps, bench_width, bench_height, bench_fps);
}

} // namespace

int main(int argc, char** argv) {
    std::string why;
    if (!open_backend(PLATFORM, &why)) {
        fprintf(stderr, "ordune_bench_render: %s\n", why.c_str());
        return 1;
    }

    long from = 0;
    for (int i = 0; i < TIMELINE_SCENES; i++) {
        scene_frames.push_back(frames_of(scenes[i], from));
        if (!scene_frames[i].empty())
            from = scene_frames[i].back() + 1;
    }
    for (Backend b : {PLATFORM, ES3})
        for (int i = 0; i < TIMELINE_SCENES; i++)
            if (!scene_frames[i].empty())
                benchmark::RegisterBenchmark(
                    (backend_prefix[b] + std::string(scenes[i].name)).c_str(), bench_window, i, b)
                    ->Iterations((long)scene_frames[i].size())
                    ->Unit(benchmark::kMillisecond);
    int status = bench_main(argc, argv, write_tables);
    close_backend();
    return status;
}
