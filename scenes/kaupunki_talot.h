// The closing city's buildings and roads: a box that draws itself as a coloured wire frame, a
// growing white frame and a grey hiding body, and a twisting ladder of rungs along a line.
#ifndef ORDUNE_SCENES_KAUPUNKI_TALOT_H
#define ORDUNE_SCENES_KAUPUNKI_TALOT_H

#include "engine/vector.h"

// Both classes take the scene position pos (0..1) and the scene envelope alpha (0..1). They set
// the blend function, depth state and line width they draw with and restore none of it.

// A building: a box of side 2 * halfwidth and height `height` standing on the ground at
// `position`. A plain record filled by its scene; nothing to release.
class Talo {
  public:
    Vector position; // centre of the footprint, y = 0
    Vector colour;   // RGB of the wire frame
    float height;
    float halfwidth;
    float start; // scene position at which the white frame starts to grow
    float end;   // scene position at which it is complete

    // The coloured frame at alpha (depth tested, depth writes on), then the white frame, additive
    // and without depth test, whose top square grows out of the base's centre to the full top as
    // pos runs from start to end. Leaves depth testing off and line width 1.
    void drawLines(float pos, float alpha);
    // The body in the background grey with depth writes on, so it hides what lies behind it.
    // pos is not used. Leaves depth testing on.
    void drawPolys(float pos, float alpha);
};

// A road: `count` rungs from `from` towards `to`, each 0.6 long, turning about the centre line
// and jittered by the shared generator (7 draws a rung). Rungs fade in with the square of their
// distance along the road. Created with new, deleted by its owner; owns its four arrays.
class Polku {
  public:
    int count;        // rungs, 200
    Vector* left;     // count left ends
    Vector* right;    // count right ends
    float* fadeleft;  // count alpha factors at the left ends
    float* faderight; // count alpha factors at the right ends
    Vector colour;    // RGB of the rungs
    float start;      // scene position at which the white highlight leaves `from`
    float end;        // scene position at which it reaches the last rung

    Polku(float start, float end, Vector& colour, Vector& from, Vector& to);
    ~Polku();
    Polku(const Polku&) = delete;
    Polku& operator=(const Polku&) = delete;

    // Builds the rungs; called once by the constructor.
    void generate(Vector& from, Vector& to);
    // Every rung in colour, then the white highlight up to how far pos is through start..end,
    // its front rung fading in. Depth test off and no depth writes while drawing; leaves depth
    // writes on and line width 1.
    void draw(float pos, float alpha);
};

#endif
