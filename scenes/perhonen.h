// Scene perhonen's data: the butterfly outline, the wireframe grid the rays flash out of, the
// markers that place the rays, and the two cue tracks. Built by perhonen_init, released by
// perhonen_free.
#ifndef ORDUNE_SCENES_PERHONEN_H
#define ORDUNE_SCENES_PERHONEN_H

#include "engine/vector.h"

class Object;
class Sync;

enum {
    PERHO_VERTICES = 2000, // points of the butterfly outline
    PERHO_MARKERS = 1000,  // markers chosen at every ray cue
    PERHO_RAYS = 500,      // of which this many are drawn
    PERHO_BUTTERFLIES = 9,
    PERHO_ANCHORS = 15, // places the butterflies hop between
};

extern int perhovertexcount;  // PERHO_VERTICES
extern Vector* perhovertices; // the outline in the x-z plane, body along x; y = the wing fold
extern Object* perhosmaasto;  // a 50 x 50 grid 1.4 apart in the plane y = 0
extern int syncpositions;     // PERHO_MARKERS
extern int syncobjects;       // PERHO_RAYS
// Grid-point indices (0..2499) and direction bits (2 +x, 4 +z, 8 -x, 16 -z) of the markers.
// Undefined until the first ray cue fires; every ray cue draws them afresh from rand().
extern int* syncdata;
extern unsigned char* suunnat;
extern Sync* perhossync;       // the ray cues, which also move the butterflies on a slot
extern Sync* perhoskamerasync; // the camera cues, which also rotate the butterflies' colours

// Folds the outline's wings by the flap at phase * rate, then draws its first
// progress * 2000 points as a glowing line strip in colour with alpha * progress, in the current
// modelview space. Sets blend function and line width; leaves (SRC_ALPHA, ONE) and width 1.
void butterfly(float rate, float progress, float phase, float alpha, Vector& colour);

#endif
