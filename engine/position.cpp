// Position and envelope functions shared by the timeline, the sync tracks and the scenes.
#include "engine/position.h"

#include "engine/clones.h"
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

static float saturate_clamp(float s) {
    if (s < 0.0f)
        return 0.0f;
    if (s > 1.0f)
        return 1.0f;
    return s;
}

// On [0, pi], sin x >= (2 / pi) min(x, pi - x) (the sine is concave there). So k times the
// sine is past 1 for sure once k min(x, pi - x) passes pi / 2 with room for the float roundings
// and for 3.141592 falling 6.5e-7 short of pi: 1.571 is pi / 2 plus 1.3e-4 of it.
static const float SATURATE_SURE = 1.571f;
static const float SATURATE_PI_SHORT = 1e-6f;

// The sine's argument for t inside (a, b), in 0..3.141592.
static float saturate_angle(float t, float a, float b) {
    return ((t - a) / (b - a)) * 3.141592f;
}

// Whether the envelope at angle x is on its plateau, where no sine is needed to know it is 1.
static bool saturate_plateau(float x, float k) {
    float m = x < 3.141592f - x ? x : 3.141592f - x;
    return (k > 0) & (k * (m - SATURATE_PI_SHORT) > SATURATE_SURE);
}

float calcSaturate(float t, float a, float b, float k) {
    if (t <= a || t >= b)
        return 0.0f;
    float x = saturate_angle(t, a, b);
    // Most of an envelope sits on its plateau.
    if (saturate_plateau(x, k))
        return 1.0f;
    return saturate_clamp(sin_float(x) * k);
}

// Envelopes a pass, on the stack (16 kB). Long, so that the slopes' one sine batch a pass runs
// some hundreds of arguments: at 64 a pass it ran a dozen, and its calling cost doubled the
// time an envelope took (1.5 against 0.78 ns).
enum { SATURATES_A_PASS = 1024 };

// The clones must give the baseline's envelopes bit for bit.
VECTOR_CLONES UNFUSED void calcSaturates(const float* t, float a, float b, float k, float* out,
                                         int n) {
    // Only the envelopes off the plateau need a sine: the first loop settles the rest without a
    // branch (a vector at a time), the second gathers the slopes, and their sines go together.
    float x[SATURATES_A_PASS], s[SATURATES_A_PASS];
    int slope[SATURATES_A_PASS], at[SATURATES_A_PASS];
    for (int base = 0; base < n; base += SATURATES_A_PASS) {
        int m = n - base < SATURATES_A_PASS ? n - base : SATURATES_A_PASS;
        const float* tp = t + base;
        for (int i = 0; i < m; i++) {
            // The angle is worked out even outside (a, b), where it is not used; & and not &&
            // keeps the loop free of branches.
            x[i] = saturate_angle(tp[i], a, b);
            int inside = (tp[i] > a) & (tp[i] < b);
            int plateau = saturate_plateau(x[i], k);
            out[base + i] = inside & plateau ? 1.0f : 0.0f;
            slope[i] = inside & !plateau;
        }
        int slopes = 0;
        for (int i = 0; i < m; i++) {
            x[slopes] = x[i];
            at[slopes] = base + i;
            slopes += slope[i];
        }
        sincos_floats(x, s, nullptr, slopes);
        for (int j = 0; j < slopes; j++)
            out[at[j]] = saturate_clamp(s[j] * k);
    }
}
