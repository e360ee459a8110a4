// The state changer: a lookup of the state holding a position and the ramp through its window.
#include "engine/changer.h"
#include "engine/position.h"

Changer::Changer(int n) : count(n < 0 ? 0 : n) {
    starts = new float[count];
    ends = new float[count];
    for (int i = 0; i < count; i++)
        starts[i] = ends[i] = 0.0f;
}

Changer::~Changer() {
    delete[] starts;
    delete[] ends;
}

void Changer::setState(int i, float start, float end) {
    if (i < 0 || i >= count)
        return;
    starts[i] = start;
    ends[i] = end;
}

// The first state whose span [starts[i], starts[i + 1]) holds t, else the last state.
static int holding(const float* starts, int count, float t) {
    for (int i = 0; i < count - 1; i++)
        if (starts[i] <= t && t < starts[i + 1])
            return i;
    return count - 1;
}

int Changer::getStateNumber(float t) {
    if (count <= 0)
        return -1;
    if (t < 0)
        return 0;
    if (t > 1)
        return count - 1;
    return holding(starts, count, t);
}

float Changer::getValue(float t) {
    if (count <= 0)
        return t;
    int i = holding(starts, count, t);
    return calcPosFloat(t, starts[i], ends[i]);
}
