// Heap allocation counting for the benchmarks: a binary that links allocations.cpp replaces the
// global operator new, so every C++ allocation in the process (new, new[], containers) is counted.
#ifndef ORDUNE_BENCH_ALLOCATIONS_H
#define ORDUNE_BENCH_ALLOCATIONS_H

// Allocations made since the process started, by any thread. Read it before and after the code
// under test; the difference is that code's count, provided no other thread allocates meanwhile.
long allocations_count();

#endif
