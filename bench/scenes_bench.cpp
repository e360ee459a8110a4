// What each scene's draw function costs against its floor, and how many heap allocations one of
// its frames makes, through the null GL back end.
//
// The floor of a frame is the same frame's batches replayed as bare glColor4fv/glVertex3fv calls
// through the same back end: what emitting those vertices costs at the least, recorded once
// through the recorder. A scene's own work is the rest.
//
// Scheduled scenes are measured at frames of the show at 60 fps, three positions inside their
// windows: the show is played on its virtual clock through the null back end up to each frame,
// so scene statics, sync pulses and the music position are as the show has them there. The
// unscheduled scenes follow at the show's end, with the clock and music as left there.
#include "bench/allocations.h"
#include "bench/report.h"
#include "engine/gl.h"
#include "engine/glrecorder.h"
#include "engine/offline.h"
#include "engine/position.h"
#include "engine/show.h"
#include "scenes/scenes.h"

#include <benchmark/benchmark.h>
#include <string>
#include <vector>

namespace {

const double bench_fps = 60;
// Where in its window each scene is measured: away from both ends, where fades leave little.
const float bench_positions[] = {0.1f, 0.5f, 0.9f};
const char* const unscheduled_scenes[] = {"rata", "neuronit", "kellu"};
// The goal: a scene's frame costs at most this many times its floor.
const double floor_goal = 1.5;

struct Sample {
    const SceneEntry* scene;
    float pos;
    long frame; // of the show at bench_fps; -1 for an unscheduled scene
    bool ready;
    std::vector<GlBatch> batches; // the frame as recorded, for the floor
    long vertices;
};

std::vector<Sample> samples;
long next_frame = 0; // the first show frame not yet played

// Brings the show to the sample's frame and records what the scene draws there. Benchmark
// functions run several times (the library sizes the iteration count), so only the first call
// does anything. Samples are prepared in registration order, which is show order.
void prepare(Sample& s) {
    if (s.ready)
        return;
    if (s.frame >= 0) {
        offline_skip(next_frame, s.frame, bench_fps);
        offline_draw(s.frame, bench_fps, nullptr);
        next_frame = s.frame + 1;
    }
    gl_use_recorder();
    show_frame_setup();
    s.scene->draw(s.pos);
    s.batches = gl_recorder()->batches;
    gl_use_null();
    s.vertices = 0;
    for (const GlBatch& b : s.batches)
        s.vertices += b.count();
    s.ready = true;
}

void bench_scene(benchmark::State& state, Sample* s) {
    prepare(*s);
    long before = allocations_count();
    for (auto _ : state)
        s->scene->draw(s->pos);
    double allocations = (double)(allocations_count() - before);
    state.counters["allocs"] = benchmark::Counter(allocations, benchmark::Counter::kAvgIterations);
    state.counters["batches"] = (double)s->batches.size();
    state.counters["vertices"] = (double)s->vertices;
}

void bench_floor(benchmark::State& state, Sample* s) {
    prepare(*s);
    for (auto _ : state) {
        for (const GlBatch& b : s->batches) {
            glBegin(b.prim);
            const float* v = b.v.data();
            const float* c = b.c.data();
            for (int i = 0, n = b.count(); i < n; i++) {
                glColor4fv(c + 4 * i);
                glVertex3fv(v + 3 * i);
            }
            glEnd();
        }
    }
}

std::string sample_name(const char* kind, const Sample& s) {
    char pos[16];
    snprintf(pos, sizeof pos, "%.2f", s.pos);
    return std::string(kind) + "/" + s.scene->name + "/" + pos;
}

void write_tables(const std::vector<BenchResult>& results, FILE* out) {
    fprintf(out, "| scene | pos | batches | vertices | frame (us) | floor (us) | ratio | "
                 "allocations a frame |\n");
    fprintf(out, "|---|---|---|---|---|---|---|---|\n");
    int over = 0, allocating = 0;
    for (const Sample& s : samples) {
        const BenchResult* scene = bench_find(results, sample_name("scene", s));
        const BenchResult* floor = bench_find(results, sample_name("floor", s));
        if (!scene || !floor)
            continue;
        double ratio = floor->seconds > 0 ? scene->seconds / floor->seconds : 0;
        double allocations = scene->counters.count("allocs") ? scene->counters.at("allocs") : 0;
        over += ratio > floor_goal;
        allocating += allocations > 0;
        fprintf(out, "| %s | %.2f | %zu | %ld | %.1f | %.1f | %.2f%s | %.1f%s |\n", s.scene->name,
                s.pos, s.batches.size(), s.vertices, scene->seconds * 1e6, floor->seconds * 1e6,
                ratio, ratio > floor_goal ? " (over)" : "", allocations,
                allocations > 0 ? " (over)" : "");
    }
    fprintf(out, "\nFrames over %.1f times their floor: %d. Frames that allocate: %d.\n",
            floor_goal, over, allocating);
}

} // namespace

int main(int argc, char** argv) {
    gl_use_null();
    offline_begin();
    // show_init builds every scheduled scene and kellu; these two only tools build.
    rata_init();
    neuronit_init();

    // Every sample exists before any benchmark is registered: they hold pointers into it.
    for (const SceneEntry& e : timeline)
        for (float p : bench_positions) {
            int ms = e.window[0] + (int)(p * (float)(e.window[1] - e.window[0]));
            long frame = offline_frame_at(ms / 1000.0, bench_fps);
            // The pos the show passes at that frame, which differs from p by under a frame.
            float pos = laskePos(show_ms(offline_time(frame, bench_fps)), e.window);
            samples.push_back({&e, pos, frame, false, {}, 0});
        }
    for (const char* name : unscheduled_scenes)
        for (float p : bench_positions)
            samples.push_back({scene_find(name), p, -1, false, {}, 0});

    for (Sample& s : samples) {
        benchmark::RegisterBenchmark(sample_name("scene", s).c_str(), bench_scene, &s)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(sample_name("floor", s).c_str(), bench_floor, &s)
            ->Unit(benchmark::kMicrosecond);
    }
    int status = bench_main(argc, argv, write_tables);
    offline_end();
    return status;
}
