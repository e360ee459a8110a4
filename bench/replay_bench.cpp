// Seeking: what replay_to costs at the slowest frame of the show, against the long way (every
// frame from 0) to the show's end, side by side in one run, through the null back end with the
// music decoded offline. Also how much of the slowest replay is the music's catching up.
#include "bench/report.h"
#include "engine/gl.h"
#include "engine/sound.h"
#include "show/offline.h"
#include "show/replay.h"
#include "show/show.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>

namespace {

const double bench_fps = 60;
const double plain_seconds = 199.9; // where the long way is measured to
const double scan_step = 1.0;       // seconds between the frames scanned for the slowest
// A seek's goal, and the mark above which the replay is worth a closer look.
const double seek_goal_s = 1.5, seek_watch_s = 1.0;

long worst = 0;     // the frame whose replay took longest in the scan
long plain_end = 0; // the frame at plain_seconds

// Puts the music back at 0, as a seek must before it replays.
void rewind_music() {
    if (offline_music())
        sound.openOffline();
}

double seconds_of(void (*run)(long, double), long k) {
    rewind_music();
    auto t0 = std::chrono::steady_clock::now();
    run(k, bench_fps);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void music_only(long k, double fps) {
    offline_audio_to(replay_first(k, fps), fps, nullptr);
}

void bench_run(benchmark::State& state, void (*run)(long, double), long k) {
    for (auto _ : state) {
        state.PauseTiming();
        rewind_music();
        state.ResumeTiming();
        run(k, bench_fps);
    }
}

void write_table(const std::vector<BenchResult>& results, FILE* out) {
    const BenchResult* r = bench_find(results, "seek/replay_to");
    const BenchResult* p = bench_find(results, "seek/plain");
    const BenchResult* m = bench_find(results, "seek/music");
    if (!r || !p || !m)
        return;
    double at = offline_time(worst, bench_fps),
           from = offline_time(replay_first(worst, bench_fps), bench_fps);
    fprintf(out, "| run | frames drawn | s |\n|---|---|---|\n");
    fprintf(out, "| replay_to the slowest frame (%.1f s, drawn from %.1f s) | %ld | %.3f |\n", at,
            from, worst - replay_first(worst, bench_fps), r->seconds);
    fprintf(out, "| its music catching up to %.1f s alone | 0 | %.3f |\n", from, m->seconds);
    fprintf(out, "| every frame from 0 to %.1f s | %ld | %.3f |\n", plain_seconds, plain_end,
            p->seconds);
    fprintf(out, "\nThe slowest replay takes %.2f of the long way's time; goal %.1f s%s.\n",
            r->seconds / p->seconds, seek_goal_s,
            r->seconds > seek_watch_s ? " (over the 1 s mark: see what is slow)" : "");
}

} // namespace

int main(int argc, char** argv) {
    gl_use_null();
    offline_begin();
    // The scan: one replay a second of show time, keeping the slowest.
    double slowest = 0;
    for (double s = 0; s < 200; s += scan_step) {
        long k = offline_frame_at(s, bench_fps);
        double t = seconds_of(replay_to, k);
        if (t > slowest) {
            slowest = t;
            worst = k;
        }
    }
    plain_end = offline_frame_at(plain_seconds, bench_fps);
    benchmark::RegisterBenchmark("seek/replay_to", bench_run, replay_to, worst)
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("seek/music", bench_run, music_only, worst)
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("seek/plain", bench_run, replay_plain, plain_end)
        ->Iterations(3)
        ->Unit(benchmark::kMillisecond);
    int status = bench_main(argc, argv, write_table);
    offline_end();
    return status;
}
