// Sines and cosines of float angles as the scenes take them, in double and rounded to float:
// one at a time from the C library, or a whole array at once to the very same bits (and as
// doubles within a stated bound of the library's).
#ifndef ORDUNE_ENGINE_FASTTRIG_H
#define ORDUNE_ENGINE_FASTTRIG_H

#include <cmath>

// (float)sin((double)a) and (float)cos((double)a); a in radians.
inline float fsin(float a) {
    return (float)sin((double)a);
}
inline float fcos(float a) {
    return (float)cos((double)a);
}

// *s = (float)sin((double)a) and *c = (float)cos((double)a); a in radians, any float.
void sincos_float(float a, float* s, float* c);
// (float)(base + sin((double)x) + cos((double)y)), the sum taken in double from the left: a
// float of a sum of waves.
float sincos_sum(double base, float x, float y);

// sincos_float(a[i], &s[i], &c[i]) for i < n, bit for bit, with the sines taken several angles
// a vector at a time: for loops that take thousands a frame, where a library call each costs
// several times as much (16 ns an angle against 2.8, Zen core). Neither output may overlap a or
// the other.
void sincos_floats(const float* a, float* s, float* c, int n);

// sincos_sum(base[i], x[i], y[i]) for i < n, bit for bit, the sines taken several angles a
// vector at a time: for fields of thousands of summed waves a frame (one at a time, the show
// fast-forwards some 0.1 s slower). Quickest for |base| <= 2. out must not overlap the others.
void sincos_sums(const double* base, const float* x, const float* y, float* out, int n);

// The furthest sincos_nears may lie from the library's double sine and cosine: 2^-50.
static const double SINE_NEAR_ERROR = 8.8817841970012523e-16;

// s[i] and c[i] within SINE_NEAR_ERROR of sin((double)a[i]) and cos((double)a[i]), and exactly
// the library's for zero, beyond 2^20 radians and for NaN; several angles a vector at a time.
// For formulas that round products of sines to float and check each rounding against the
// bound with rounds_alike, asking the library where it fails (sphereCoords). The arrays must not
// overlap.
void sincos_nears(const float* a, double* s, double* c, int n);

// Whether every double within err of y rounds to the same float as y: then so does any value
// that close to y. False for NaN.
inline bool rounds_alike(double y, double err) {
    return (float)(y - err) == (float)(y + err);
}

#endif
