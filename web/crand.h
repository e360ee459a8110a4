// The C library's rand() as GNU libc computes it, for the web build: Emscripten's libc draws
// another sequence, and kasvu's growths and perhonen's rays take theirs from rand(), so the page
// would draw other scenes than the native show. web/libc_rand.cpp puts it in place of libc's.
//
// glibc's rand() is random() with its default state: an additive feedback generator over 34
// words, r[i] = r[i-31] + r[i-3] (mod 2^32), seeded by r[0] = seed and r[i] = 16807 r[i-1]
// mod (2^31 - 1), the first 310 outputs thrown away, each output r[i] >> 1 (0 to RAND_MAX).
#ifndef ORDUNE_WEB_CRAND_H
#define ORDUNE_WEB_CRAND_H

#include <cstdint>

struct CRand {
    uint32_t r[34]; // the last 34 words, a ring
    int i;          // where the next word goes
};

// As srand(seed); seed 0 counts as 1, as in glibc.
void crand_seed(CRand* g, unsigned int seed);
// The next value, 0 to 2^31 - 1, as rand() returns it.
int crand_next(CRand* g);

#endif
