// The quick sines and cosines: within their promised distance of the C library's in double,
// and bit for bit the library's when rounded to float, fallbacks and batch edges included.
#include "engine/fasttrig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

static uint32_t bits_of(float f) {
    uint32_t b;
    memcpy(&b, &f, sizeof b);
    return b;
}

// Arguments of every kind the scenes pass and some they never do: small angles, the show's
// usual tens of radians, the edge of the quick range, float multiples of pi/2 (where sin or cos
// is tiny and its float most often ambiguous), and random bit patterns (huge, NaN, infinite).
static std::vector<float> arguments() {
    std::mt19937 gen(2024);
    std::vector<float> a = {0.0f,       -0.0f,       1e-30f,     -1e-40f,  3.141592f, 1.5707964f,
                            1048576.0f, -1048576.0f, 1048577.0f, INFINITY, -INFINITY, NAN};
    for (int k = -2000; k <= 2000; k++)
        for (float d : {-1.0f, 0.0f, 1.0f})
            a.push_back(std::nextafter((float)(k * M_PI_2), d * INFINITY));
    const float spans[] = {1.0f, 8.0f, 200.0f, 1e4f, 1048576.0f};
    for (float span : spans) {
        std::uniform_real_distribution<float> uniform(-span, span);
        for (int i = 0; i < 200000; i++)
            a.push_back(uniform(gen));
    }
    for (int i = 0; i < 200000; i++) {
        uint32_t b = gen();
        float f;
        memcpy(&f, &b, sizeof f);
        a.push_back(f);
    }
    return a;
}

TEST(FastTrig, NearValuesStayWithinTheirBoundOfTheLibrary) {
    double worst = 0;
    for (float f : arguments()) {
        double x = f, s, c;
        sincos_near(x, &s, &c);
        if (!(fabs(x) <= TRIG_NEAR_RANGE)) {
            // Outside the quick range the library answers, NaN for NaN.
            EXPECT_TRUE(s == sin(x) || (std::isnan(s) && std::isnan(sin(x)))) << f;
            continue;
        }
        worst = fmax(worst, fmax(fabs(s - sin(x)), fabs(c - cos(x))));
        EXPECT_EQ(sin_near(x), s);
        EXPECT_EQ(cos_near(x), c);
    }
    // Half the promised bound, so that the promise has room to spare.
    EXPECT_LE(worst, TRIG_NEAR_ERROR / 2);
}

TEST(FastTrig, FloatsAreTheLibrarysRoundedBitForBit) {
    std::vector<float> a = arguments();
    std::vector<float> s(a.size()), c(a.size());
    sincos_floats(a.data(), s.data(), c.data(), (int)a.size());
    int mismatches = 0;
    for (size_t i = 0; i < a.size(); i++) {
        uint32_t want_s = bits_of((float)sin((double)a[i]));
        uint32_t want_c = bits_of((float)cos((double)a[i]));
        float ps, pc;
        sincos_float(a[i], &ps, &pc);
        uint32_t got[] = {
            bits_of(s[i]), bits_of(c[i]), bits_of(sin_float(a[i])), bits_of(cos_float(a[i])),
            bits_of(ps),   bits_of(pc)};
        bool nan = std::isnan(sin((double)a[i]));
        for (int k = 0; k < 6; k++) {
            uint32_t want = k % 2 ? want_c : want_s;
            float g;
            memcpy(&g, &got[k], sizeof g);
            if (nan ? !std::isnan(g) : got[k] != want)
                mismatches++;
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(FastTrig, BatchesOfAnyLengthWithEitherOutputLeftOut) {
    std::vector<float> a;
    for (int i = 0; i < 200; i++)
        a.push_back(0.37f * i - 20);
    a[70] = 3e9f; // a library fallback in the middle of the second chunk
    for (int n : {0, 1, 63, 64, 65, 129, 200}) {
        std::vector<float> s(n + 1, 42.0f), c(n + 1, 42.0f), only(n + 1, 42.0f);
        sincos_floats(a.data(), s.data(), c.data(), n);
        for (int i = 0; i < n; i++) {
            EXPECT_EQ(bits_of(s[i]), bits_of((float)sin((double)a[i]))) << n << " " << i;
            EXPECT_EQ(bits_of(c[i]), bits_of((float)cos((double)a[i]))) << n << " " << i;
        }
        // Nothing is written past the n-th entry.
        EXPECT_EQ(s[n], 42.0f);
        EXPECT_EQ(c[n], 42.0f);
        sincos_floats(a.data(), nullptr, only.data(), n);
        for (int i = 0; i < n; i++)
            EXPECT_EQ(bits_of(only[i]), bits_of(c[i]));
        sincos_floats(a.data(), only.data(), nullptr, n);
        for (int i = 0; i < n; i++)
            EXPECT_EQ(bits_of(only[i]), bits_of(s[i]));
    }
}

TEST(FastTrig, RoundsAlikeOnlyAwayFromMidpoints) {
    // 1 + 2^-24 lies halfway between the floats 1 and 1 + 2^-23.
    double midpoint = 1 + ldexp(1.0, -24);
    EXPECT_FALSE(rounds_alike(midpoint, 1e-15));
    EXPECT_TRUE(rounds_alike(midpoint - 1e-12, 1e-15));
    EXPECT_FALSE(rounds_alike(midpoint - 1e-12, 1e-11));
    EXPECT_TRUE(rounds_alike(1.0, 1e-12));
    EXPECT_TRUE(rounds_alike(0.0, 1e-50));
    EXPECT_FALSE(rounds_alike(0.0, 1e-30)); // reaches floats on either side of zero
    EXPECT_FALSE(rounds_alike(NAN, 0));
}
