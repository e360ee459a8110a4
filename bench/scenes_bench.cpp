// What one frame of each scene costs the CPU, and how many heap allocations it makes, through
// the null GL back end: the scene's own work, with the GL driver's left out.
//
// Scheduled scenes are measured at frames of the show at 60 fps, three positions inside their
// windows: the show is played on its virtual clock through the null back end up to each frame,
// so scene statics, sync pulses and the music position are as the show has them there. The
// unscheduled scenes follow at the show's end, with the clock and music as left there.
#include "bench/allocations.h"
#include "bench/report.h"
#include "engine/gl.h"
#include "engine/position.h"
#include "show/offline.h"
#include "show/show.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const double bench_fps = 60;
// Where in its window each scene is measured: away from both ends, where fades leave little.
const float bench_positions[] = {0.1f, 0.5f, 0.9f};
// The goals: a scene's frame takes at most this much CPU, and allocates nothing.
const double frame_goal_ms = 2.0;

struct Sample {
    const SceneEntry* scene;
    float pos;
    long frame; // of the show at bench_fps; -1 for an unscheduled scene
    bool ready;
};

std::vector<Sample> samples;
long next_frame = 0; // the first show frame not yet played

// Brings the show to the sample's frame. Benchmark functions run several times (the library
// sizes the iteration count), so only the first call does anything. Samples are prepared in
// registration order, which is show order.
void prepare(Sample& s) {
    if (s.ready || s.frame < 0)
        return;
    offline_skip(next_frame, s.frame, bench_fps);
    offline_draw(s.frame, bench_fps, nullptr);
    next_frame = s.frame + 1;
    s.ready = true;
}

void bench_frame(benchmark::State& state, Sample* s) {
    prepare(*s);
    s->scene->draw(s->pos); // warms the caches
    long before = allocations_count();
    for (auto _ : state)
        s->scene->draw(s->pos);
    state.counters["allocs"] = (double)(allocations_count() - before) /
                               (double)(state.iterations() ? state.iterations() : 1);
}

std::string sample_name(const Sample& s) {
    char pos[16];
    snprintf(pos, sizeof pos, "%.2f", s.pos);
    return std::string("frame/") + s.scene->name + "/" + pos;
}

void write_table(const std::vector<BenchResult>& results, FILE* out) {
    fprintf(out, "| scene | pos | CPU a frame (ms) | allocations a frame |\n");
    fprintf(out, "|---|---|---|---|\n");
    int over = 0, allocating = 0;
    for (const Sample& s : samples) {
        const BenchResult* r = bench_find(results, sample_name(s));
        if (!r)
            continue;
        double ms = r->cpu_seconds * 1e3, allocs = r->counters.at("allocs");
        over += ms > frame_goal_ms;
        allocating += allocs > 0;
        fprintf(out, "| %s | %.2f | %.3f%s | %.1f%s |\n", s.scene->name, s.pos, ms,
                ms > frame_goal_ms ? " (over)" : "", allocs, allocs > 0 ? " (over)" : "");
    }
    fprintf(out, "\nFrames over %.0f ms of CPU: %d. Frames that allocate: %d.\n", frame_goal_ms,
            over, allocating);
}

} // namespace

int main(int argc, char** argv) {
    gl_use_null();
    offline_begin();
    // Every sample exists before any benchmark is registered: they hold pointers into it.
    for (const SceneEntry& e : scenes) {
        if (e.window[0] < 0) {
            scene_build(&e);
            for (float p : bench_positions)
                samples.push_back({&e, p, -1, true});
            continue;
        }
        for (float p : bench_positions) {
            int ms = e.window[0] + (int)(p * (float)(e.window[1] - e.window[0]));
            long frame = offline_frame_at(ms / 1000.0, bench_fps);
            // The pos the show passes at that frame, which differs from p by under a frame.
            float pos = laskePos(show_ms(offline_time(frame, bench_fps)), e.window);
            samples.push_back({&e, pos, frame, false});
        }
    }
    for (Sample& s : samples)
        benchmark::RegisterBenchmark(sample_name(s).c_str(), bench_frame, &s)
            ->Unit(benchmark::kMicrosecond);
    int status = bench_main(argc, argv, write_table);
    for (const SceneEntry& e : scenes)
        scene_release(&e);
    offline_end();
    return status;
}
