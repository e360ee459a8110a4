// The show clock. The reading goes int -> float -> double / 1000 -> float; the subtraction is
// single precision, so after about 4.6 hours the clock would lose millisecond resolution.
#include "engine/timer.h"

#include <SDL.h>

Timer kello;

static float now_seconds() {
    return (float)((double)(float)SDL_GetTicks() / 1000.0);
}

void Timer::start() {
    offset = 0;
    time = 0;
    startReading = now_seconds();
    update();
}

void Timer::startAt(float seconds) {
    start();
    offset = seconds;
    time = seconds;
}

void Timer::update() {
    float now = now_seconds();
    if (startReading == 0.0f)
        startReading = now;
    time = (now + offset) - startReading;
    if (time < 0.0f) {
        time = 0;
        offset = 0;
        startReading = 0;
    }
}

void Timer::add(float seconds) {
    offset += seconds;
}
