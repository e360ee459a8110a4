// The flying-chip record of the opening scene. The closing city scene flies the same chips, so
// the record lives in its own header.
#ifndef ORDUNE_SCENES_ALKU_H
#define ORDUNE_SCENES_ALKU_H

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

// The opening scene's chips: alku_init allocates alkupalacount of them, alku_free releases
// them. Fixed after set-up.
extern int alkupalacount;
extern AlkuPala* alkupalaset;

#endif
