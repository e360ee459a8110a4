// Load-time picked vector clones for the few loops that run a frame's thousands of elements:
// the widest of AVX-512, AVX2 and the x86-64 baseline that the processor has.
//
// VECTOR_CLONES before a function definition compiles it three times (GCC on x86-64; elsewhere
// it is the plain function) and lets the loader pick one, once, from what the processor reports.
// The clones may fuse a multiply and an add, which rounds once where the baseline rounds twice;
// a function that promises the baseline's bits adds UNFUSED, which keeps every clone's
// multiplies and adds apart so that all three give the same bits.
#ifndef ORDUNE_ENGINE_CLONES_H
#define ORDUNE_ENGINE_CLONES_H

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define VECTOR_CLONES __attribute__((target_clones("arch=x86-64-v4", "arch=x86-64-v3", "default")))
#define UNFUSED __attribute__((optimize("fp-contract=off")))
#else
#define VECTOR_CLONES
#define UNFUSED
#endif

#endif
