// GNU libc's rand() sequence, word for word.
#include "web/crand.h"

void crand_seed(CRand* g, unsigned int seed) {
    int32_t word = seed == 0 ? 1 : (int32_t)seed;
    g->r[0] = (uint32_t)word;
    for (int k = 1; k < 31; k++) {
        // 16807 * word mod (2^31 - 1), by Schrage's method as glibc computes it.
        int32_t hi = word / 127773, lo = word % 127773;
        word = 16807 * lo - 2836 * hi;
        if (word < 0)
            word += 2147483647;
        g->r[k] = (uint32_t)word;
    }
    for (int k = 31; k < 34; k++)
        g->r[k] = g->r[k - 31];
    g->i = 0; // r[34] goes into slot 0
    for (int k = 34; k < 344; k++)
        crand_next(g);
}

int crand_next(CRand* g) {
    uint32_t word = g->r[(g->i + 34 - 31) % 34] + g->r[(g->i + 34 - 3) % 34];
    g->r[g->i] = word;
    g->i = (g->i + 1) % 34;
    return (int)(word >> 1);
}
