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

float calcSaturate(float t, float a, float b, float k) {
    if (t <= a || t >= b)
        return 0.0f;
    float s = (float)sin(((t - a) / (b - a)) * 3.141592f) * k;
    if (s < 0.0f)
        return 0.0f;
    if (s > 1.0f)
        return 1.0f;
    return s;
}
