// The benchmarks' common driver: runs the registered benchmarks with the usual console output,
// keeps every result, and hands them to the binary's own table writer for BENCHMARKS.md.
#ifndef ORDUNE_BENCH_REPORT_H
#define ORDUNE_BENCH_REPORT_H

#include <cstdio>
#include <map>
#include <string>
#include <vector>

// One benchmark's result. With repetitions, the median of them.
struct BenchResult {
    std::string name;                       // as registered: "scene/alku/0.10"
    long iterations;                        // of the (median) repetition
    double seconds;                         // wall-clock seconds per iteration
    double cpu_seconds;                     // CPU seconds of the benchmark's thread per iteration
    double total_seconds;                   // wall-clock seconds of all its iterations
    std::map<std::string, double> counters; // user counters, as the console shows them
};

// The result of that name, or null.
const BenchResult* bench_find(const std::vector<BenchResult>& results, const std::string& name);

// Writes the markdown tables of a run to out.
typedef void (*BenchTableWriter)(const std::vector<BenchResult>& results, FILE* out);

// main() for a benchmark binary: takes its own option --markdown=FILE (the tables go there) and
// the library's --benchmark_* options, runs what is registered and writes the tables. Returns
// the exit status: 1 after one line on stderr for an unknown argument or an unwritable file.
int bench_main(int argc, char** argv, BenchTableWriter tables);

#endif
