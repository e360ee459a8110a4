// Changer: divides a position range 0..1 into consecutive timed states and tells which state a
// position falls in and how far it has run through that state's fade window.
#ifndef ORDUNE_ENGINE_CHANGER_H
#define ORDUNE_ENGINE_CHANGER_H

// Created with new, filled with one setState per state, read any number of times, deleted.
// State i begins at starts[i] and its fade runs from there to ends[i]; states are meant to be
// given in ascending order of their starts. Positions are in whatever unit the owner uses,
// usually a scene's pos.
class Changer {
  public:
    int count;     // number of states, fixed at construction
    float* starts; // count floats, owned (array new): where each state begins
    float* ends;   // count floats, owned (array new): where each state's fade window ends

    // Every start and end 0. A negative n is taken as 0: a changer with no states.
    explicit Changer(int n);
    ~Changer();
    Changer(const Changer&) = delete;
    Changer& operator=(const Changer&) = delete;

    // Sets state i for 0 <= i < count; any other index is ignored.
    void setState(int i, float start, float end);
    // The state holding t: the first i with starts[i] <= t < starts[i + 1], else the last one
    // (which so also catches positions below starts[0]). t below 0 gives 0, above 1 the last
    // state. With no states there is none to name: -1 for every t.
    int getStateNumber(float t);
    // t's progress through the fade window of the state holding t (the same rule as
    // getStateNumber, without the clamping): 0 at or before its start, 1 at or after its end,
    // linear between. With no states t itself.
    float getValue(float t);
};

#endif
