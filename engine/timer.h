// The show clock `kello`: float seconds since Timer::start, read from SDL's millisecond counter.
// `time` is the one value the rest of the show reads; offline tools set it directly.
#ifndef ORDUNE_ENGINE_TIMER_H
#define ORDUNE_ENGINE_TIMER_H

class Timer {
  public:
    float offset; // added to the clock; 0 unless add() is used
    // The counter reading, in seconds, taken as the show's zero. (Named apart from start(),
    // which C++ does not let share the name.)
    float startReading;
    float time; // show time in seconds

    Timer() : offset(0), startReading(0), time(0) {}
    // Zeroes the clock, takes the current reading as zero, then updates.
    void start();
    // Starts the clock at `seconds` instead of 0: time reads exactly that now and runs on from
    // it. For a show that begins later or resumes after a pause.
    void startAt(float seconds);
    // Once a frame, before anything reads time. A negative time restarts the clock.
    void update();
    // Shifts the clock; the show does not use it.
    void add(float seconds);
};

// The show clock, one for the whole run; the driver starts and updates it, the tools set time.
extern Timer kello;

#endif
