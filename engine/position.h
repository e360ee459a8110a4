// Positions and envelopes: turn a time and a window into 0..1. Windows are inclusive at both
// ends; ints are milliseconds, floats whatever unit the caller uses. Single precision.
#ifndef ORDUNE_ENGINE_POSITION_H
#define ORDUNE_ENGINE_POSITION_H

// 1 when window[0] <= ms <= window[1], else 0.
int testaaPos(int ms, const int* window);
// 0 at or before window[0], 1 at or after window[1], linear between.
float laskePos(int ms, const int* window);
// The same rule with the window as two ints.
float calcPosInt(int t, int a, int b);
// The same rule on floats: the ramp used for fades and camera progress.
float calcPosFloat(float t, float a, float b);
// sin(pi * (t - a) / (b - a)) * k clamped to 0..1, and 0 outside (a, b): with k > 1 a rise,
// a plateau and a fall. pi is the float 3.141592; the sine is taken in double.
float calcSaturate(float t, float a, float b, float k);
// out[i] = calcSaturate(t[i], a, b, k) for i < n, bit for bit, the sines taken a batch at a
// time (sincos_floats): for the loops that take thousands of envelopes a frame (one at a time,
// the show fast-forwards some 0.13 s slower).
void calcSaturates(const float* t, float a, float b, float k, float* out, int n);

#endif
