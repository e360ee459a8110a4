// The console reporter that also keeps results, and the shared main of the benchmark binaries.
#include "bench/report.h"

#include <benchmark/benchmark.h>
#include <cstring>

namespace {

class KeepingReporter : public benchmark::ConsoleReporter {
  public:
    std::vector<BenchResult> results;

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            // With repetitions only the median stands for the benchmark; a single run is itself.
            if (r.error_occurred)
                continue;
            if (r.run_type == Run::RT_Aggregate && r.aggregate_name != "median")
                continue;
            BenchResult b;
            b.name = r.run_name.function_name;
            b.iterations = (long)r.iterations;
            b.total_seconds = r.real_accumulated_time;
            b.seconds = r.iterations > 0 ? r.real_accumulated_time / (double)r.iterations : 0;
            b.cpu_seconds = r.iterations > 0 ? r.cpu_accumulated_time / (double)r.iterations : 0;
            for (const auto& c : r.counters)
                b.counters[c.first] = c.second.value;
            results.push_back(b);
        }
    }
};

} // namespace

const BenchResult* bench_find(const std::vector<BenchResult>& results, const std::string& name) {
    for (const BenchResult& r : results)
        if (r.name == name)
            return &r;
    return nullptr;
}

int bench_main(int argc, char** argv, BenchTableWriter tables) {
    static const char markdown_option[] = "--markdown=";
    const char* markdown = nullptr;
    int kept = 1;
    for (int i = 1; i < argc; i++) {
        if (strncmp(argv[i], markdown_option, sizeof markdown_option - 1) == 0)
            markdown = argv[i] + sizeof markdown_option - 1;
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    benchmark::Initialize(&argc, argv);
    if (argc > 1) {
        fprintf(stderr, "%s: unknown argument: %s\n", argv[0], argv[1]);
        return 1;
    }
    KeepingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (!markdown)
        return 0;
    FILE* out = fopen(markdown, "w");
    if (!out) {
        fprintf(stderr, "%s: cannot write %s\n", argv[0], markdown);
        return 1;
    }
    tables(reporter.results, out);
    fclose(out);
    return 0;
}
