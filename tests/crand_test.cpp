// The web build's rand() (web/crand.h) draws what this machine's GNU libc draws, from any seed.
#include "web/crand.h"

#include <cstdlib>
#include <gtest/gtest.h>

TEST(CRand, DrawsGnuLibcSequence) {
    for (unsigned int seed : {1u, 0u, 2u, 12345u, 4294967295u}) {
        CRand g;
        crand_seed(&g, seed);
        srand(seed);
        for (int k = 0; k < 5000; k++)
            ASSERT_EQ(crand_next(&g), rand()) << "seed " << seed << ", draw " << k;
    }
    srand(1);
}
