// Position and envelope functions shared by the timeline, the sync tracks and the scenes.
#include "engine/position.h"

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

// On [0, pi], sin x >= (2 / pi) min(x, pi - x) (the sine is concave there). So k times the
// sine is past 1 for sure once k min(x, pi - x) passes pi / 2 with room for the float roundings
// and for 3.141592 falling 6.5e-7 short of pi: 1.571 is pi / 2 plus 1.3e-4 of it.
static const float SATURATE_SURE = 1.571f;
static const float SATURATE_PI_SHORT = 1e-6f;

float calcSaturate(float t, float a, float b, float k) {
    if (t <= a || t >= b)
        return 0.0f;
    float x = ((t - a) / (b - a)) * 3.141592f;
    // Most of an envelope sits on its plateau, where no sine is needed to know the result.
    float m = x < 3.141592f - x ? x : 3.141592f - x;
    if (k > 0 && k * (m - SATURATE_PI_SHORT) > SATURATE_SURE)
        return 1.0f;
    float s = (float)sin(x) * k;
    if (s < 0.0f)
        return 0.0f;
    if (s > 1.0f)
        return 1.0f;
    return s;
}
