// rand() and srand() of the web build: GNU libc's sequence (web/crand.h) in place of the one
// Emscripten's libc draws, so the page's scenes take the native show's random numbers.
#include "web/crand.h"

#include <cstdlib>

static CRand generator;
static bool seeded = false;

extern "C" void srand(unsigned int seed) {
    crand_seed(&generator, seed);
    seeded = true;
}

extern "C" int rand(void) {
    if (!seeded) // a program that never seeds draws as after srand(1)
        srand(1);
    return crand_next(&generator);
}
