// The shared pseudo-random generator and the spherical-coordinate helpers. Scenes reseed it in
// their _init, so the order of draws is part of each scene's layout. Angles are radians; the
// float 3.141592 stands for pi. Single-threaded: only the main thread draws.
#ifndef ORDUNE_ENGINE_RANDOM_H
#define ORDUNE_ENGINE_RANDOM_H

#include "engine/vector.h"

// The generator state; SEED_START before any setSeed.
extern unsigned int SEED;
const unsigned int SEED_START = 93186752u;

void setSeed(int s);
// Advances SEED and returns it scaled into [0, 1] (exactly 1.0 at most).
float randFloat();
// Advances SEED with its own constants and returns the new state; no scene calls it.
int randInt();

// (r sin a cos b, r sin a sin b, r cos a): a is the polar angle from +z, b the azimuth from +x.
Vector sphereCoord(float r, float a, float b);
// out[i] = sphereCoord(r[i], a[i], b[i]) for i < n, bit for bit, the sines taken several angles
// a vector at a time: for the loops that place thousands of points a frame (one at a time, the
// show fast-forwards some 0.05 to 0.1 s slower). out must not overlap the others.
void sphereCoords(const float* r, const float* a, const float* b, Vector* out, int n);
// Polar angle from the first draw, azimuth from the second; crowds towards the poles.
Vector randomSphereVector(float r);
// (r cos a, r sin a, 0).
Vector polarCoord(float r, float a);
// The three rows of the upper-left 3x3 block of the current GL modelview matrix.
void antiRotate(Vector* a, Vector* b, Vector* c);

#endif
