// Exact float sines and cosines in bulk: a short polynomial in double lands so close to the C
// library's sine that, for nearly every angle, both round to the same float; each angle is
// checked for that, and the library answers for the few where the check cannot tell.
#include "engine/fasttrig.h"

#include <cmath>
#include <cstdint>
#include <cstring>

void sincos_float(float a, float* s, float* c) {
    *s = fsin(a);
    *c = fcos(a);
}

float sincos_sum(double base, float x, float y) {
    return (float)(base + sin((double)x) + cos((double)y));
}

// pi/2 in three parts: the first two have 33 significant bits, so k times either is exact for
// |k| < 2^20, and x - k * PIO2_HI is exact besides (the two lie within a factor of two).
static const double PIO2_HI = 1.57079632673412561417e+00;
static const double PIO2_MID = 6.07710050630396597660e-11;
static const double PIO2_LO = 2.02226624879595063154e-21;
static const double TWO_OVER_PI = 6.36619772367581382433e-01;
// Adding 1.5 * 2^52 rounds a double of magnitude below 2^51 to an integer, which then sits in
// the low bits of the sum's representation, two's complement: bits & 3 is k mod 4.
static const double ROUND_TO_INTEGER = 6755399441055744.0;
// Beyond 2^20 radians the reduction above loses bits, and the library answers alone.
static const double QUICK_RANGE = 1048576.0;

// Minimax polynomials of sin r - r and cos r - (1 - r^2 / 2) on |r| <= pi/4, within about
// 2^-58 of the functions there.
static const double S1 = -1.66666666666666324348e-01, S2 = 8.33333333332248946124e-03,
                    S3 = -1.98412698298579493134e-04, S4 = 2.75573137070700676789e-06,
                    S5 = -2.50507602534068634195e-08, S6 = 1.58969099521155010221e-10;
static const double C1 = 4.16666666666666019037e-02, C2 = -1.38888888888741095749e-03,
                    C3 = 2.48015872894767294178e-05, C4 = -2.75573143513906633035e-07,
                    C5 = 2.08757232129817482790e-09, C6 = -1.13596475577881948265e-11;

// The quick values lie within SINE_NEAR_ERROR, 2^-50, of the library's (reduction and
// polynomials within about 2^-52, the library within half an ulp); the float check allows twice
// that because its own ends y -+ error are rounded to double too.
static const double FLOAT_CHECK_ERROR = 2 * SINE_NEAR_ERROR;

// yes ? a : b, on the bits: a select the vector loop can take without trapping-math doubts.
static inline float pick(bool yes, float a, float b) {
    uint32_t mask = 0 - (uint32_t)yes, ab, bb;
    memcpy(&ab, &a, sizeof ab);
    memcpy(&bb, &b, sizeof bb);
    uint32_t r = (ab & mask) | (bb & ~mask);
    float f;
    memcpy(&f, &r, sizeof f);
    return f;
}

static inline uint64_t bits_of(double d) {
    uint64_t b;
    memcpy(&b, &d, sizeof b);
    return b;
}
static inline double double_of(uint64_t b) {
    double d;
    memcpy(&d, &b, sizeof d);
    return d;
}

// sin x and cos x within SINE_NEAR_ERROR of the library's for |x| <= QUICK_RANGE; meaningless
// beyond.
// Without branches, so that the loop below runs it a vector of angles at a time.
static inline void quick_sincos(double x, double* s, double* c) {
    double t = x * TWO_OVER_PI + ROUND_TO_INTEGER;
    double k = t - ROUND_TO_INTEGER;
    uint64_t quadrant = bits_of(t) & 3;
    // |r| <= pi/4 plus a hair, within about 2^-54 of x - k pi/2.
    double r = ((x - k * PIO2_HI) - k * PIO2_MID) - k * PIO2_LO;
    double z = r * r;
    double sr = r + r * z * (S1 + z * (S2 + z * (S3 + z * (S4 + z * (S5 + z * S6)))));
    double cr = (1 - 0.5 * z) + z * z * (C1 + z * (C2 + z * (C3 + z * (C4 + z * (C5 + z * C6)))));
    // Quadrant 1 swaps the two and negates the new cosine; 2 negates both; 3 does both. Done
    // on the bits, as a select and a sign flip.
    uint64_t swap = 0 - (quadrant & 1), sbits = bits_of(sr), cbits = bits_of(cr);
    uint64_t sq = (sbits & ~swap) | (cbits & swap), cq = (cbits & ~swap) | (sbits & swap);
    *s = double_of(sq ^ (quadrant & 2) << 62);
    *c = double_of(cq ^ ((quadrant + 1) & 2) << 62);
}

// Whether the quick s and c of x are sure to round as the library's do. & rather than &&: no
// branch in the vector loop. Zero never is: its sine's float lies closer to it than any error
// bound, so a zero angle is answered apart (see sincos_floats).
static inline bool quick_is_sure(double x, double s, double c) {
    return (fabs(x) <= QUICK_RANGE) & rounds_alike(s, FLOAT_CHECK_ERROR) &
           rounds_alike(c, FLOAT_CHECK_ERROR);
}

// The batches below are built twice on GCC for x86-64, once for AVX2 and once for the baseline,
// and the loader picks what the processor has: the AVX2 loop of sincos_floats takes 2.8 ns an
// angle against 6.0 for the baseline's (Zen core). The fused multiply-adds the AVX2 loops may
// use keep the quick values within their bound, so every promise holds for both.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define AVX2_CLONE __attribute__((target_clones("arch=x86-64-v3", "default")))
#else
#define AVX2_CLONE
#endif

AVX2_CLONE void sincos_floats(const float* __restrict a, float* __restrict s, float* __restrict c,
                              int n) {
    int unsure = 0;
    for (int i = 0; i < n; i++) {
        double x = a[i], qs, qc;
        quick_sincos(x, &qs, &qc);
        // sin(+-0) is +-0 and cos(+-0) is 1, exactly: zeros are common (turns about one axis).
        bool zero = x == 0;
        s[i] = pick(zero, a[i], (float)qs);
        c[i] = pick(zero, 1.0f, (float)qc);
        unsure |= !zero & !quick_is_sure(x, qs, qc);
    }
    // About one angle in a few million, and any beyond QUICK_RANGE, infinite or NaN.
    for (int i = 0; unsure && i < n; i++) {
        double x = a[i], qs, qc;
        quick_sincos(x, &qs, &qc);
        if (x != 0 && !quick_is_sure(x, qs, qc))
            sincos_float(a[i], &s[i], &c[i]);
    }
}

AVX2_CLONE void sincos_nears(const float* __restrict a, double* __restrict s, double* __restrict c,
                             int n) {
    int library = 0;
    for (int i = 0; i < n; i++) {
        double x = a[i];
        quick_sincos(x, &s[i], &c[i]);
        library |= !(fabs(x) <= QUICK_RANGE) | (x == 0);
    }
    for (int i = 0; library && i < n; i++) {
        double x = a[i];
        if (!(fabs(x) <= QUICK_RANGE) || x == 0) {
            s[i] = sin(x);
            c[i] = cos(x);
        }
    }
}

// Two near sines put base + sin x + cos y within 2^-49 of the library's sum, and for |base| <= 2
// (a sum of two waves) the four roundings of the two sums, of values below 4 in size,
// add at most 2^-50 + 2^-51: under 2^-48 in all. The check allows 2^-47, room besides for its
// ends being rounded to double.
static const double SUM_CHECK_ERROR = 8 * SINE_NEAR_ERROR;

// Sums a pass: their near sines fit on the stack (2 kB).
enum { SUMS_A_PASS = 64 };

void sincos_sums(const double* base, const float* x, const float* y, float* out, int n) {
    double sx[SUMS_A_PASS], cx[SUMS_A_PASS], sy[SUMS_A_PASS], cy[SUMS_A_PASS];
    for (int first = 0; first < n; first += SUMS_A_PASS) {
        int m = n - first < SUMS_A_PASS ? n - first : SUMS_A_PASS;
        sincos_nears(x + first, sx, cx, m);
        sincos_nears(y + first, sy, cy, m);
        for (int i = 0; i < m; i++) {
            int k = first + i;
            double sum = base[k] + sx[i] + cy[i];
            bool sure = fabs(base[k]) <= 2 && rounds_alike(sum, SUM_CHECK_ERROR);
            out[k] = sure ? (float)sum : sincos_sum(base[k], x[k], y[k]);
        }
    }
}
