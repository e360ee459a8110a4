// Scene ruutu's data: a 60 x 60 field of strokes twisted by a plasma, and the molecules that
// rise out of it. Built by ruutu_init, released by ruutu_free; the draw function only reads it.
#ifndef ORDUNE_SCENES_RUUTU_H
#define ORDUNE_SCENES_RUUTU_H

#include "engine/vector.h"

class Sync;

// One rising molecule. Times are scene positions; places are in molecule units (the item is
// drawn at scale 0.03); spins are degrees, swirls radians.
struct RuutuItem {
    float startTime;
    float endTime;
    Vector from; // on the ground
    Vector to;   // straight above from
    Vector axis; // of the molecule's own spin, components in -1..1
    float spin1; // reached at endTime
    float spin0; // at startTime
    float swirl0;
    float swirl1;
    float radius0;
    float radius1;
};

enum { RUUTU_SIDE = 60, RUUTU_STROKES = RUUTU_SIDE * RUUTU_SIDE, RUUTU_ITEMS = 700 };

extern Vector* ruudukko;      // RUUTU_STROKES foot points, row-major: row i, column j at i*60+j
extern float* ruudukkorot;    // the twist of each stroke, radians, rewritten every frame
extern RuutuItem* ruutuitems; // RUUTU_ITEMS molecules, in start order
extern Sync* ruutusync;       // the music cues that pull the camera back

// Fills ruudukkorot with the plasma at time t, scaled by amplitude (radians).
void ruutuplasma(float t, float amplitude);

#endif
