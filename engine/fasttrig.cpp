// Quick sines and cosines checked against float rounding, falling back on the C library where
// the check cannot vouch for the rounded result.
#include "engine/fasttrig.h"

#include "engine/clones.h"

#include <cmath>
#include <cstdint>
#include <cstring>

// pi/2 in three parts: the first two have 33 significant bits, so k times either is exact for
// |k| < 2^20, and x - k * PIO2_HI is exact besides (the two lie within a factor of two).
static const double PIO2_HI = 1.57079632673412561417e+00;
static const double PIO2_MID = 6.07710050630396597660e-11;
static const double PIO2_LO = 2.02226624879595063154e-21;
static const double TWO_OVER_PI = 6.36619772367581382433e-01;
// Adding 1.5 * 2^52 rounds a double of magnitude below 2^51 to an integer, which then sits in
// the low bits of the sum's representation, two's complement: bits & 3 is k mod 4.
static const double ROUND_TO_INTEGER = 6755399441055744.0;

// Minimax polynomials of sin r - r and cos r - (1 - r^2 / 2) on |r| <= pi/4, within about
// 2^-58 of the functions there.
static const double S1 = -1.66666666666666324348e-01, S2 = 8.33333333332248946124e-03,
                    S3 = -1.98412698298579493134e-04, S4 = 2.75573137070700676789e-06,
                    S5 = -2.50507602534068634195e-08, S6 = 1.58969099521155010221e-10;
static const double C1 = 4.16666666666666019037e-02, C2 = -1.38888888888741095749e-03,
                    C3 = 2.48015872894767294178e-05, C4 = -2.75573143513906633035e-07,
                    C5 = 2.08757232129817482790e-09, C6 = -1.13596475577881948265e-11;

// Twice the promised error: rounds_alike's ends, y -+ err, are themselves rounded to double.
static const double FLOAT_CHECK_ERROR = 2 * TRIG_NEAR_ERROR;

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

// Branch-free, so that the batch loop below runs it several arguments a vector. Meaningful for
// |x| <= TRIG_NEAR_RANGE only: the callers check.
static inline void sincos_kernel(double x, double* s, double* c) {
    double t = x * TWO_OVER_PI + ROUND_TO_INTEGER;
    double k = t - ROUND_TO_INTEGER;
    uint64_t quadrant = bits_of(t) & 3;
    // |r| <= pi/4 plus a hair, within about 2^-54 of x - k pi/2.
    double r = ((x - k * PIO2_HI) - k * PIO2_MID) - k * PIO2_LO;
    double z = r * r;
    double sr = r + r * z * (S1 + z * (S2 + z * (S3 + z * (S4 + z * (S5 + z * S6)))));
    double cr = (1 - 0.5 * z) + z * z * (C1 + z * (C2 + z * (C3 + z * (C4 + z * (C5 + z * C6)))));
    // Quadrant 1 swaps the two and negates the new cosine; 2 negates both; 3 does both. Done
    // on the bits, as a select and a sign flip, so that the compiler finds no branch.
    uint64_t swap = 0 - (quadrant & 1), sbits = bits_of(sr), cbits = bits_of(cr);
    uint64_t sq = (sbits & ~swap) | (cbits & swap), cq = (cbits & ~swap) | (sbits & swap);
    *s = double_of(sq ^ (quadrant & 2) << 62);
    *c = double_of(cq ^ ((quadrant + 1) & 2) << 62);
}

static inline bool near_range(double x) {
    return fabs(x) <= TRIG_NEAR_RANGE; // false for NaN too
}

void sincos_near(double x, double* s, double* c) {
    if (near_range(x)) {
        sincos_kernel(x, s, c);
    } else {
        *s = sin(x);
        *c = cos(x);
    }
}

double sin_near(double x) {
    double s, c;
    sincos_near(x, &s, &c);
    return s;
}

double cos_near(double x) {
    double s, c;
    sincos_near(x, &s, &c);
    return c;
}

void sincos_float(double x, float* s, float* c) {
    double sd, cd;
    sincos_near(x, &sd, &cd);
    *s = rounds_alike(sd, FLOAT_CHECK_ERROR) ? (float)sd : (float)sin(x);
    *c = rounds_alike(cd, FLOAT_CHECK_ERROR) ? (float)cd : (float)cos(x);
}

float sin_float(double x) {
    double s = sin_near(x);
    return rounds_alike(s, FLOAT_CHECK_ERROR) ? (float)s : (float)sin(x);
}

float cos_float(double x) {
    double c = cos_near(x);
    return rounds_alike(c, FLOAT_CHECK_ERROR) ? (float)c : (float)cos(x);
}

// Arguments a pass: enough to keep the vector loop busy, small enough for the stack.
enum { TRIG_CHUNK = 64 };

// One chunk of at most TRIG_CHUNK arguments: the vector pass, then the library for the few
// the check turned down. Fused multiply-adds only make the kernel more accurate. The AVX-512
// clone runs twice as fast as the AVX2 one (1.1 against 2.1 ns an argument on a Zen core): its
// mask registers take the checks' compares and selects.
VECTOR_CLONES static void sincos_chunk(const float* a, float* s, float* c, int n) {
    int redo[TRIG_CHUNK];
    int anyredo = 0;
    for (int i = 0; i < n; i++) {
        double x = a[i], sd, cd;
        sincos_kernel(x, &sd, &cd);
        s[i] = (float)sd;
        c[i] = (float)cd;
        // & rather than &&: no branch in the vector loop.
        redo[i] = !(near_range(x) & rounds_alike(sd, FLOAT_CHECK_ERROR) &
                    rounds_alike(cd, FLOAT_CHECK_ERROR));
        anyredo |= redo[i];
    }
    if (!anyredo)
        return;
    for (int i = 0; i < n; i++) {
        if (redo[i]) {
            s[i] = (float)sin((double)a[i]);
            c[i] = (float)cos((double)a[i]);
        }
    }
}

void sincos_floats(const float* a, float* s, float* c, int n) {
    float sines[TRIG_CHUNK], cosines[TRIG_CHUNK];
    for (int base = 0; base < n; base += TRIG_CHUNK) {
        int m = n - base < TRIG_CHUNK ? n - base : TRIG_CHUNK;
        sincos_chunk(a + base, sines, cosines, m);
        if (s)
            memcpy(s + base, sines, m * sizeof *s);
        if (c)
            memcpy(c + base, cosines, m * sizeof *c);
    }
}

// The batch of sincos_near. Its clones must not fuse the kernel's multiplies and adds, as
// sincos_chunk's may (only its rounded floats are promised): a fused multiply-add rounds once
// where the scalar kernel rounds twice, and these doubles are promised bit for bit.
VECTOR_CLONES UNFUSED void sincos_nears(const double* __restrict x, double* __restrict s,
                                        double* __restrict c, int n) {
    int anyfar = 0;
    for (int i = 0; i < n; i++) {
        sincos_kernel(x[i], &s[i], &c[i]);
        anyfar |= !near_range(x[i]);
    }
    if (!anyfar)
        return;
    for (int i = 0; i < n; i++) {
        if (!near_range(x[i])) {
            s[i] = sin(x[i]);
            c[i] = cos(x[i]);
        }
    }
}
