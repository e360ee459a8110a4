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

static uint64_t bits_of(double d) {
    uint64_t b;
    memcpy(&b, &d, sizeof b);
    return b;
}

// Same bits, or both NaN: the library's NaN for a NaN argument need not keep its payload.
static bool same_double(double got, double want) {
    return bits_of(got) == bits_of(want) || (std::isnan(got) && std::isnan(want));
}

TEST(FastTrig, NearBatchIsTheScalarBitForBit) {
    // The float arguments above, then doubles the floats cannot hold: random ones in the scenes'
    // spans, just either side of the quick range's edge, and random bit patterns.
    std::vector<double> x;
    for (float f : arguments())
        x.push_back(f);
    std::mt19937_64 gen(77);
    for (double span : {1.0, 100.0, 1048576.0}) {
        std::uniform_real_distribution<double> uniform(-span, span);
        for (int i = 0; i < 100000; i++)
            x.push_back(uniform(gen));
    }
    for (double edge : {TRIG_NEAR_RANGE, -TRIG_NEAR_RANGE}) {
        x.push_back(edge);
        x.push_back(std::nextafter(edge, 0.0));
        x.push_back(std::nextafter(edge, 2 * edge));
    }
    for (int i = 0; i < 100000; i++) {
        uint64_t b = gen();
        double d;
        memcpy(&d, &b, sizeof d);
        x.push_back(d);
    }
    std::vector<double> s(x.size()), c(x.size());
    sincos_nears(x.data(), s.data(), c.data(), (int)x.size());
    int mismatches = 0;
    for (size_t i = 0; i < x.size(); i++) {
        double want_s, want_c;
        sincos_near(x[i], &want_s, &want_c);
        bool same = same_double(s[i], want_s) && same_double(c[i], want_c);
        if (!same && mismatches++ < 5)
            ADD_FAILURE() << "argument " << x[i] << ": " << s[i] << ", " << c[i] << " instead of "
                          << want_s << ", " << want_c;
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(FastTrig, NearBatchesOfAnyLengthAndOffset) {
    std::vector<double> x;
    for (int i = 0; i < 150; i++)
        x.push_back(0.73 * i - 50);
    x[41] = 5e9; // a library fallback among quick ones
    x[42] = NAN;
    for (int offset : {0, 1, 3})
        for (int n : {0, 1, 2, 3, 4, 5, 7, 8, 63, 64, 65, 120, 147}) {
            std::vector<double> s(n + 1, 42.0), c(n + 1, 42.0);
            sincos_nears(x.data() + offset, s.data(), c.data(), n);
            for (int i = 0; i < n; i++) {
                double want_s, want_c;
                sincos_near(x[offset + i], &want_s, &want_c);
                EXPECT_TRUE(same_double(s[i], want_s)) << offset << " " << n << " " << i;
                EXPECT_TRUE(same_double(c[i], want_c)) << offset << " " << n << " " << i;
            }
            // Nothing is written past the n-th entry.
            EXPECT_EQ(s[n], 42.0);
            EXPECT_EQ(c[n], 42.0);
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
