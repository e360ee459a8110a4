// The flying-chip record of the opening scene. The closing city scene flies the same chips, so
// the record lives in its own header.
#ifndef ORDUNE_SCENES_ALKU_H
#define ORDUNE_SCENES_ALKU_H

#include "engine/matrix.h"
#include "engine/vector.h"

// One chip: it flies from `from` to `to` once per cycle, turning from `spin0` to `spin1`
// (Euler angles, radians). `phase` offsets its cycle (0..1); `speed` is cycles per scene.
class AlkuPala {
  public:
    Vector from;
    Vector spin0;
    Vector spin1;
    float size;    // set and read by nobody; kept so the record keeps its layout
    Vector colour; // RGB
    Vector to;
    float phase;
    float speed;
};

// Chips a block: the most whose flight values fit on the stack at ease.
enum { ALKUPALA_BLOCK = 64 };

// Where a block of chips is in its flights at a scene's pos: for each, place, the fraction of
// its cycle gone (0..1); spin, its Euler angles there; envelope, calcSaturate(place, 0, 1, 3);
// and turn, the rotation of spin. The envelopes and turns of a block come from one batch call
// each, which the chip clouds of thousands a frame need.
struct AlkuPalaFlights {
    float place[ALKUPALA_BLOCK];
    float envelope[ALKUPALA_BLOCK];
    Vector spin[ALKUPALA_BLOCK];
    Matrix turn[ALKUPALA_BLOCK];
};
// The flights of chips[0] .. chips[n - 1], n <= ALKUPALA_BLOCK, at pos.
void alkupala_flights(const AlkuPala* chips, int n, float pos, AlkuPalaFlights* out);

// The opening scene's chips: alku_init allocates alkupalacount of them, alku_free releases
// them. Fixed after set-up.
extern int alkupalacount;
extern AlkuPala* alkupalaset;

#endif
