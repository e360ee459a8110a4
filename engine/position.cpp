// Position and envelope functions shared by the timeline, the sync tracks and the scenes.
#include "engine/position.h"

#include "engine/fasttrig.h"

#include <cmath>

int testaaPos(int ms, const int* window) {
    return window[0] <= ms && ms <= window[1] ? 1 : 0;
}

float laskePos(int ms, const int* window) {
    return calcPosInt(ms, window[0], window[1]);
}

float calcPosInt(int t, int a, int b) {
    if (t <= a)
        return 0.0f;
    if (t >= b)
        return 1.0f;
    return (float)(t - a) / (float)(b - a);
}

float calcPosFloat(float t, float a, float b) {
    if (t <= a)
        return 0.0f;
    if (t >= b)
        return 1.0f;
    return (t - a) / (b - a);
}

// The envelope's sine argument for t in (a, b): 0..pi, pi the float 3.141592.
static float saturate_angle(float t, float a, float b) {
    return ((t - a) / (b - a)) * 3.141592f;
}

// sin times k clamped to 0..1.
static float saturate_clamp(float s, float k) {
    float v = s * k;
    if (v < 0.0f)
        return 0.0f;
    if (v > 1.0f)
        return 1.0f;
    return v;
}

float calcSaturate(float t, float a, float b, float k) {
    if (t <= a || t >= b)
        return 0.0f;
    return saturate_clamp((float)sin(saturate_angle(t, a, b)), k);
}

// Envelopes a pass: their angles, sines and cosines fit on the stack (3 kB).
enum { SATURATES_A_PASS = 256 };

void calcSaturates(const float* t, float a, float b, float k, float* out, int n) {
    float angle[SATURATES_A_PASS], s[SATURATES_A_PASS], c[SATURATES_A_PASS];
    for (int base = 0; base < n; base += SATURATES_A_PASS) {
        int m = n - base < SATURATES_A_PASS ? n - base : SATURATES_A_PASS;
        const float* tp = t + base;
        // Outside (a, b) the angle is not used; 0 keeps the sines' check quick.
        for (int i = 0; i < m; i++)
            angle[i] = tp[i] <= a || tp[i] >= b ? 0.0f : saturate_angle(tp[i], a, b);
        sincos_floats(angle, s, c, m);
        for (int i = 0; i < m; i++)
            out[base + i] = tp[i] <= a || tp[i] >= b ? 0.0f : saturate_clamp(s[i], k);
    }
}
