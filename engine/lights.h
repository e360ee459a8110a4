// Glowing light primitives: a line and two flat rectangles, each drawn as a coloured body with
// ordinary alpha blending and then a thin core with additive blending over the same vertices.
#ifndef ORDUNE_ENGINE_LIGHTS_H
#define ORDUNE_ENGINE_LIGHTS_H

#include "engine/matrix.h"
#include "engine/vector.h"

// Colours are RGB in 0..1; each layer's alpha is its own argument. Rotations are three angles
// in radians for Matrix::makeRotation; a rectangle lies in its local xy plane with corners, in
// drawing order, (-w, -h), (w, -h), (w, h), (-w, h) before rotation, so (1.570796, 0, 0) lays
// it flat in the world xz plane. No texture is touched; nothing is allocated.
//
// The GL state each leaves behind is part of the contract (callers draw on without resetting):
//   lightline   blending enabled, blend (SRC_ALPHA, ONE), line width 1, colour white, core alpha
//   lightquad   blend (SRC_ALPHA, ONE), line width untouched, colour = colour, outline alpha
//   lightquad2  blend (SRC_ALPHA, ONE), line width 1, depth mask on, colour white, core alpha
// lightquad and lightquad2 do not enable blending: their callers do.

// A line from a to b: the body at `width` pixels, then a white 1-pixel core.
void lightline(Vector a, Vector b, Vector colour, float width, float bodyAlpha, float coreAlpha);
// A filled rectangle, then its outline in the same colour at the current line width.
void lightquad(Vector centre, Vector rot, float halfWidth, float halfHeight, Vector colour,
               float fillAlpha, float outlineAlpha);
// lightquad with its turn given as the matrix makeRotation(rot.x, rot.y, rot.z) builds: for
// rectangles turned alike, or turned a batch at a time with makeRotations (a turn made once for
// four trail squares instead of four times saves the show's fast-forward some 0.1 s).
void lightquad_turned(Vector centre, const Matrix& turn, float halfWidth, float halfHeight,
                      Vector colour, float fillAlpha, float outlineAlpha);
// A filled rectangle, a 4-pixel coloured outline without depth writes, then a white 1-pixel
// core outline.
void lightquad2(Vector centre, Vector rot, float halfWidth, float halfHeight, Vector colour,
                float fillAlpha, float outlineAlpha, float coreAlpha);
// lightquad2 with its turn given as a matrix, as lightquad_turned.
void lightquad2_turned(Vector centre, const Matrix& turn, float halfWidth, float halfHeight,
                       Vector colour, float fillAlpha, float outlineAlpha, float coreAlpha);

#endif
