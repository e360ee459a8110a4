// Sines and cosines for the scenes' per-vertex loops: the same floats as the C library's
// double-precision sin and cos rounded to float, bit for bit, at a fraction of their cost.
//
// The scenes take (float)sin(x) and (float)cos(x) of double x (usually a float promoted). The
// functions here compute sin and cos together with a short polynomial, which lands within
// TRIG_NEAR_ERROR of the library's double result, and keep the rounded float only when every
// double that close rounds to the same float; otherwise (about one argument in a few million,
// and always outside |x| <= TRIG_NEAR_RANGE or for NaN and infinities) they ask the library
// itself. So the result never differs from (float)sin(x), only the time taken does.
//
// Arguments are radians. Nothing here keeps state; every function may run on any thread.
#ifndef ORDUNE_ENGINE_FASTTRIG_H
#define ORDUNE_ENGINE_FASTTRIG_H

// Beyond this the quick argument reduction loses bits, and the library answers alone.
#define TRIG_NEAR_RANGE 1048576.0 // 2^20
// The furthest sin_near and cos_near may lie from the library's sin and cos, absolute: 2^-50.
// The polynomials and the reduction stay within 2^-52 or so; the tests hold them to 2^-51.
#define TRIG_NEAR_ERROR 8.8817841970012523e-16

// sin x and cos x in double within TRIG_NEAR_ERROR of the library's, for |x| <= TRIG_NEAR_RANGE;
// outside that range (or for NaN) they are the library's own. For sums and products of sines
// that are rounded once at the end: see rounds_alike.
void sincos_near(double x, double* s, double* c);
double sin_near(double x);
double cos_near(double x);

// s[i] and c[i] exactly as sincos_near(x[i], &s[i], &c[i]) gives them, bit for bit, for i < n,
// several arguments at once where the processor has the vector width: for sums of sines that
// are checked with rounds_alike afterwards. Both outputs are written; neither may overlap x or
// the other.
void sincos_nears(const double* x, double* s, double* c, int n);

// Whether every double within err of y rounds to the same float as y does: then (float)y is
// also the float of any exact value that lies within err of y. False for NaN. Inline, so that
// a loop checking a whole row of sums keeps to its vector registers.
static inline bool rounds_alike(double y, double err) {
    return (float)(y - err) == (float)(y + err);
}

// Exactly (float)sin(x), (float)cos(x) and both together.
float sin_float(double x);
float cos_float(double x);
void sincos_float(double x, float* s, float* c);

// s[i] = (float)sin((double)a[i]) and c[i] = (float)cos((double)a[i]) for i < n, exactly; the
// loop runs several arguments at once where the processor has the vector width. Either of s
// and c may be null when only the other is wanted. The arrays must not overlap a.
void sincos_floats(const float* a, float* s, float* c, int n);

#endif
