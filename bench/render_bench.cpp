// Offline rendering throughput with the platform GL of a headless EGL context (Mesa's llvmpipe
// where there is no GPU): frames drawn, finished and read back at 1024x768, per scene window and
// for the whole show at 60 fps, against real time.
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

void bench_window(benchmark::State& state, int scene) {
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
    fprintf(out, "| window | frames rendered | ms a frame | frames/s | real time |\n");
    fprintf(out, "|---|---|---|---|---|\n");
    long frames = 0;
    double seconds = 0;
    for (int i = 0; i < TIMELINE_SCENES; i++) {
        const SceneEntry& e = scenes[i];
        const BenchResult* r = bench_find(results, std::string("render/") + e.name);
        if (!r || r->iterations == 0)
            continue;
        frames += r->iterations;
        seconds += r->total_seconds;
        double fps = 1 / r->seconds;
        fprintf(out, "| %s | %ld | %.1f | %.1f | %.2fx |\n", e.name, r->iterations,
                r->seconds * 1e3, fps, fps / bench_fps);
    }
    if (frames > 0) {
        double fps = frames / seconds;
        fprintf(out, "| whole show | %ld | %.1f | %.1f | %.2fx |\n", frames, 1e3 / fps, fps,
                fps / bench_fps);
    }
    fprintf(out,
            "\nEvery %ld-th frame of the show at %g fps, %dx%d; \"real time\" is frames/s "
            "over %g.\n",
            bench_stride, bench_fps, bench_width, bench_height, bench_fps);
}

} // namespace

int main(int argc, char** argv) {
    std::string why;
    if (!egl_open(bench_width, bench_height, &why)) {
        fprintf(stderr, "ordune_bench_render: %s\n", why.c_str());
        return 1;
    }
    fprintf(stderr, "ordune_bench_render: %s\n", egl_renderer().c_str());
    gl_use_platform();
    offline_begin();

    long from = 0;
    for (int i = 0; i < TIMELINE_SCENES; i++) {
        scene_frames.push_back(frames_of(scenes[i], from));
        if (scene_frames[i].empty())
            continue;
        from = scene_frames[i].back() + 1;
        benchmark::RegisterBenchmark((std::string("render/") + scenes[i].name).c_str(),
                                     bench_window, i)
            ->Iterations((long)scene_frames[i].size())
            ->Unit(benchmark::kMillisecond);
    }
    int status = bench_main(argc, argv, write_tables);
    offline_end();
    egl_close();
    return status;
}
