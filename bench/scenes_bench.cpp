// What each scene's draw function costs against its floor, and how many heap allocations one of
// its frames makes, through the null GL back end.
//
// The floor of a frame is the same frame's batches replayed as bare glColor4fv/glVertex3fv calls
// through the same back end: what emitting those vertices costs at the least, recorded once
// through the recorder. A scene's own work is the rest. The two are timed in alternating blocks
// of a millisecond, so that their ratio compares them under the same conditions.
//
// Scheduled scenes are measured at frames of the show at 60 fps, three positions inside their
// windows: the show is played on its virtual clock through the null back end up to each frame,
// so scene statics, sync pulses and the music position are as the show has them there. The
// unscheduled scenes follow at the show's end, with the clock and music as left there.
//
// `ordune_bench_scenes --merge TABLE... [--markdown=FILE]` runs nothing: it makes one table of
// the tables that several runs wrote with --markdown.
#include "bench/allocations.h"
#include "bench/report.h"
#include "engine/gl.h"
#include "engine/glrecorder.h"
#include "show/offline.h"
#include "engine/position.h"
#include "show/show.h"
#include "scenes/scenes.h"

#include <benchmark/benchmark.h>
#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

// The floor of the recorded frame: its batches as bare colour and vertex calls.
void replay_floor(const Sample& s) {
    for (const GlBatch& b : s.batches) {
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

// Writes all of n bytes to fd, or exits: only the recording child calls it.
void write_all(int fd, const void* data, size_t n) {
    const char* p = (const char*)data;
    while (n > 0) {
        ssize_t w = write(fd, p, n);
        if (w <= 0)
            _exit(1);
        p += w;
        n -= (size_t)w;
    }
}

// Reads n bytes from fd; false at the end of the stream or on an error.
bool read_all(int fd, void* data, size_t n) {
    char* p = (char*)data;
    while (n > 0) {
        ssize_t r = read(fd, p, n);
        if (r <= 0)
            return false;
        p += r;
        n -= (size_t)r;
    }
    return true;
}

// The frame's batches (primitive, vertices and colours: what the floor replays), recorded in a
// child process on the other core. Recording in this process would leave every GL call of the
// frame having called two back ends, and an indirect call site like that is predicted more
// slowly for a long while after: alku's frame ran 30 % slower after its recording than before
// it, and the toolkit's calls slowed every later scene that shares them. The show never
// switches back ends inside a frame, so the scenes are timed with their calls seeing only one.
std::vector<GlBatch> record_apart(const Sample& s) {
    int fd[2];
    if (pipe(fd) != 0) {
        perror("ordune_bench_scenes: pipe");
        exit(1);
    }
    fflush(nullptr);
    pid_t child = fork();
    if (child < 0) {
        perror("ordune_bench_scenes: fork");
        exit(1);
    }
    if (child == 0) {
        close(fd[0]);
        cpu_set_t other;
        CPU_ZERO(&other);
        int here = sched_getcpu();
        for (int cpu = 0; cpu < CPU_SETSIZE; cpu++)
            if (cpu != here)
                CPU_SET(cpu, &other);
        sched_setaffinity(0, sizeof other, &other); // on one core there is no other: stays
        gl_use_recorder();
        show_frame_setup();
        s.scene->draw(s.pos);
        for (const GlBatch& b : gl_recorder()->batches) {
            int head[2] = {(int)b.prim, b.count()};
            write_all(fd[1], head, sizeof head);
            write_all(fd[1], b.v.data(), b.v.size() * sizeof(float));
            write_all(fd[1], b.c.data(), b.c.size() * sizeof(float));
        }
        _exit(0);
    }
    close(fd[1]);
    std::vector<GlBatch> batches;
    int head[2];
    while (read_all(fd[0], head, sizeof head)) {
        GlBatch b = {};
        b.prim = (GLenum)head[0];
        b.v.resize(3 * (size_t)head[1]);
        b.c.resize(4 * (size_t)head[1]);
        if (!read_all(fd[0], b.v.data(), b.v.size() * sizeof(float)) ||
            !read_all(fd[0], b.c.data(), b.c.size() * sizeof(float)))
            break;
        batches.push_back(std::move(b));
    }
    close(fd[0]);
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        fprintf(stderr, "ordune_bench_scenes: recording %s failed\n", s.scene->name);
        exit(1);
    }
    return batches;
}

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
    s.batches = record_apart(s);
    s.vertices = 0;
    for (const GlBatch& b : s.batches)
        s.vertices += b.count();
    s.ready = true;
}

typedef std::chrono::steady_clock Clock;

// Seconds that k calls of f take, back to back.
template <class F> double time_calls(long k, F f) {
    Clock::time_point t0 = Clock::now();
    for (long i = 0; i < k; i++)
        f();
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

// A block of frames and a block of floors, this long each: long enough that the cache state
// one leaves behind for the other is a small part of it (a frame takes 1-200 us), short enough
// that a spell when the shared machine runs slow falls on both alike.
const double block_seconds = 1e-3;

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// One iteration is a block of the scene's frames followed by as many replays of its floor, so
// the two are timed side by side. Each counter is the median over the blocks (the frame's and
// the floor's microseconds, and the blocks' ratios): a block that a neighbour on the machine
// slowed down moves neither, where it would move a mean.
void bench_pair(benchmark::State& state, Sample* s) {
    prepare(*s);
    Sample& sample = *s;
    auto frame = [&sample] { sample.scene->draw(sample.pos); };
    auto replay = [&sample] { replay_floor(sample); };
    frame(); // warms the caches before the block is sized
    long k = (long)(block_seconds / time_calls(1, frame)) + 1;

    std::vector<double> frames, floors, ratios;
    long allocations = 0;
    for (auto _ : state) {
        long before = allocations_count();
        double a = time_calls(k, frame);
        allocations += allocations_count() - before;
        double b = time_calls(k, replay);
        state.SetIterationTime(a + b);
        frames.push_back(a / (double)k);
        floors.push_back(b / (double)k);
        ratios.push_back(a / b);
    }
    state.counters["frame_us"] = median(frames) * 1e6;
    state.counters["floor_us"] = median(floors) * 1e6;
    state.counters["ratio"] = median(ratios);
    state.counters["allocs"] = (double)allocations / (double)(frames.size() * k);
    state.counters["batches"] = (double)s->batches.size();
    state.counters["vertices"] = (double)s->vertices;
}

std::string sample_name(const Sample& s) {
    char pos[16];
    snprintf(pos, sizeof pos, "%.2f", s.pos);
    return std::string("frame/") + s.scene->name + "/" + pos;
}

// One line of the table: a frame's measurements, from one run or the medians of several.
struct Row {
    std::string scene, pos;
    long batches, vertices;
    double frame_us, floor_us, ratio, allocations;
};

void write_rows(const std::vector<Row>& rows, FILE* out) {
    fprintf(out, "| scene | pos | batches | vertices | frame (us) | floor (us) | ratio | "
                 "allocations a frame |\n");
    fprintf(out, "|---|---|---|---|---|---|---|---|\n");
    int over = 0, allocating = 0;
    for (const Row& r : rows) {
        over += r.ratio > floor_goal;
        allocating += r.allocations > 0;
        fprintf(out, "| %s | %s | %ld | %ld | %.1f | %.1f | %.2f%s | %.1f%s |\n", r.scene.c_str(),
                r.pos.c_str(), r.batches, r.vertices, r.frame_us, r.floor_us, r.ratio,
                r.ratio > floor_goal ? " (over)" : "", r.allocations,
                r.allocations > 0 ? " (over)" : "");
    }
    fprintf(out, "\nFrames over %.1f times their floor: %d. Frames that allocate: %d.\n",
            floor_goal, over, allocating);
}

void write_tables(const std::vector<BenchResult>& results, FILE* out) {
    std::vector<Row> rows;
    for (const Sample& s : samples) {
        const BenchResult* r = bench_find(results, sample_name(s));
        if (!r)
            continue;
        char pos[16];
        snprintf(pos, sizeof pos, "%.2f", s.pos);
        rows.push_back({s.scene->name, pos, (long)s.batches.size(), s.vertices,
                        r->counters.at("frame_us"), r->counters.at("floor_us"),
                        r->counters.at("ratio"), r->counters.at("allocs")});
    }
    write_rows(rows, out);
}

// The rows of a table write_rows wrote; a line that is not a row of eight cells is skipped.
std::vector<Row> read_rows(FILE* in) {
    std::vector<Row> rows;
    char line[512], scene[64], pos[16];
    Row r;
    while (fgets(line, sizeof line, in))
        if (sscanf(line, "| %63s | %15s | %ld | %ld | %lf | %lf | %lf%*[^|]| %lf", scene, pos,
                   &r.batches, &r.vertices, &r.frame_us, &r.floor_us, &r.ratio,
                   &r.allocations) == 8) {
            r.scene = scene;
            r.pos = pos;
            rows.push_back(r);
        }
    return rows;
}

// --merge TABLE...: one table from the tables of several runs, each cell the median of the
// runs' (allocations: the most any run counted). A run is one process, and a process's speed
// depends on where its code and stack landed, so the table of a single run can sit 20-30 %
// off on some frames; the median of separate processes stands against one such.
int merge_tables(int n, char** files, const char* markdown) {
    std::vector<std::vector<Row>> runs;
    for (int i = 0; i < n; i++) {
        FILE* in = fopen(files[i], "r");
        if (!in) {
            fprintf(stderr, "ordune_bench_scenes: cannot read %s\n", files[i]);
            return 1;
        }
        runs.push_back(read_rows(in));
        fclose(in);
        bool same = runs.back().size() == runs[0].size();
        for (size_t k = 0; same && k < runs[0].size(); k++)
            same = runs.back()[k].scene == runs[0][k].scene && runs.back()[k].pos == runs[0][k].pos;
        if (!same) {
            fprintf(stderr, "ordune_bench_scenes: %s has other rows than %s\n", files[i], files[0]);
            return 1;
        }
    }
    std::vector<Row> rows;
    for (size_t k = 0; k < runs[0].size(); k++) {
        std::vector<double> frame, floor, ratio;
        Row r = runs[0][k];
        for (const std::vector<Row>& run : runs) {
            frame.push_back(run[k].frame_us);
            floor.push_back(run[k].floor_us);
            ratio.push_back(run[k].ratio);
            r.allocations = std::max(r.allocations, run[k].allocations);
        }
        r.frame_us = median(frame);
        r.floor_us = median(floor);
        r.ratio = median(ratio);
        rows.push_back(r);
    }
    FILE* out = markdown ? fopen(markdown, "w") : stdout;
    if (!out) {
        fprintf(stderr, "ordune_bench_scenes: cannot write %s\n", markdown);
        return 1;
    }
    write_rows(rows, out);
    if (out != stdout)
        fclose(out);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    static const char markdown_option[] = "--markdown=";
    if (argc > 1 && strcmp(argv[1], "--merge") == 0) {
        const char* markdown = nullptr;
        if (argc > 2 && strncmp(argv[argc - 1], markdown_option, sizeof markdown_option - 1) == 0)
            markdown = argv[--argc] + sizeof markdown_option - 1;
        if (argc < 3) {
            fprintf(stderr, "usage: ordune_bench_scenes --merge TABLE... [--markdown=FILE]\n");
            return 1;
        }
        return merge_tables(argc - 2, argv + 2, markdown);
    }
    gl_use_null();
    offline_begin();
    // show_init builds every scheduled scene and kellu; these two only tools build.
    rata_init();
    neuronit_init();

    // Every sample exists before any benchmark is registered: they hold pointers into it.
    for (int i = 0; i < TIMELINE_SCENES; i++)
        for (float p : bench_positions) {
            const SceneEntry& e = scenes[i];
            int ms = e.window[0] + (int)(p * (float)(e.window[1] - e.window[0]));
            long frame = offline_frame_at(ms / 1000.0, bench_fps);
            // The pos the show passes at that frame, which differs from p by under a frame.
            float pos = laskePos(show_ms(offline_time(frame, bench_fps)), e.window);
            samples.push_back({&e, pos, frame, false, {}, 0});
        }
    for (const char* name : unscheduled_scenes)
        for (float p : bench_positions)
            samples.push_back({scene_find(name), p, -1, false, {}, 0});

    for (Sample& s : samples)
        benchmark::RegisterBenchmark(sample_name(s).c_str(), bench_pair, &s)
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
    int status = bench_main(argc, argv, write_tables);
    offline_end();
    return status;
}
