// The float sines in bulk against the library's, bit for bit; the near doubles within bound.
#include "engine/fasttrig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

TEST(Sines, BatchIsTheLibraryRoundedToFloat) {
    // Zeros, tiny angles, the quick range's edge and far beyond, infinities and NaN; floats by
    // multiples of pi/2 (a tiny sine or cosine is the hardest to round); the show's spans.
    std::vector<float> a = {0.0f,       -0.0f,      1e-30f,    -1e-40f,  1e-7f,     3.141592f,
                            1048576.0f, 1048577.0f, 141592656, INFINITY, -INFINITY, NAN};
    for (int k = -2000; k <= 2000; k++)
        for (float d : {-INFINITY, 0.0f, INFINITY})
            a.push_back(std::nextafter((float)(k * M_PI_2), d));
    std::mt19937 gen(2024);
    for (float span : {1.0f, 8.0f, 200.0f, 1e4f, 2e6f}) {
        std::uniform_real_distribution<float> uniform(-span, span);
        for (int i = 0; i < 200000; i++)
            a.push_back(uniform(gen));
    }
    int n = (int)a.size();
    std::vector<float> s(n), c(n);
    sincos_floats(a.data(), s.data(), c.data(), n);
    std::vector<double> ns(n), nc(n);
    sincos_nears(a.data(), ns.data(), nc.data(), n);
    int wrong = 0, near_wrong = 0;
    for (int i = 0; i < n; i++) {
        float ws, wc;
        sincos_float(a[i], &ws, &wc);
        bool same = std::isnan(ws) ? std::isnan(s[i]) && std::isnan(c[i])
                                   : memcmp(&s[i], &ws, 4) == 0 && memcmp(&c[i], &wc, 4) == 0;
        if (!same && wrong++ < 5)
            ADD_FAILURE() << "angle " << a[i] << ": " << s[i] << ", " << c[i] << " against " << ws
                          << ", " << wc;
        // Within half the bound, or the library's own where promised: zero, far angles.
        double x = a[i], bound = x == 0 || !(fabs(x) <= 1048576) ? 0 : SINE_NEAR_ERROR / 2;
        near_wrong +=
            !std::isnan(ws) && !(fabs(ns[i] - sin(x)) <= bound && fabs(nc[i] - cos(x)) <= bound);
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(near_wrong, 0);
}
