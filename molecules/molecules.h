// The four molecules of the show (fluvoxamine, fluoxetine, citalopram, serotonin) drawn as
// glowing flat line drawings with a progressive build-up and element-coloured atom markers.
//
// Every figure is drawn in its own xy plane (z = 0) at the origin of the current modelview
// matrix, in molecule-local units (a ring edge is about 1.1 long, a figure spans roughly
// x -4.9..4.7, y -5..5.5); callers place, rotate and scale it around the call. Blending itself
// is never enabled or disabled here: the calling scene enables it.
//
// GL state left by every molecule function (and by Aine::draw and the atom markers): depth test
// enabled, depth mask on, line width 1.0, blend function (GL_SRC_ALPHA, GL_ONE), current colour
// white with the alpha of the last core layer drawn.
//
// Nothing here allocates while drawing; the molecule functions may be called many times a frame.
#ifndef ORDUNE_MOLECULES_MOLECULES_H
#define ORDUNE_MOLECULES_MOLECULES_H

#include "engine/vector.h"

// One molecule's segment list: points 2k and 2k+1 are the ends of bond k, in build-up order.
// Created with new by molekyyli_init; init allocates `data` with new[], the owner releases
// `data` (delete[]) and then the object.
class Aine {
  public:
    int verteksit; // number of points in data (twice the number of bonds)
    Vector* data;  // the object's own copy of the table

    // Copies the n points of `table` into a freshly allocated array of n.
    void init(int n, const Vector* table);
    // Draws the first amount * verteksit points as GL_LINES: a 6-pixel body in `colour` with
    // alpha * 0.6 under ordinary blending, the newest point brighter, then a 1-pixel white core
    // with alpha * 1.8 added on top. amount of 1 or more draws every bond; 0 or less draws none
    // (the GL state is still left as described above). The body writes no depth, the core does.
    void draw(Vector colour, float amount, float alpha);
};

// The molecules, live from molekyyli_init to molekyyli_free (the whole show).
extern Aine* fluvoksamiini; // fluvoxamine, drawn in sininen
extern Aine* fluoksetiini;  // fluoxetine, drawn in oranssi
extern Aine* sitalopraami;  // citalopram, drawn in violetti
extern Aine* serotoniini;   // serotonin, drawn in punainen

// Atom marker: a 0.3 x 0.3 square outline centred on `centre` in the molecule plane, first
// 4 pixels wide in the colour current on entry, then a 1-pixel white core with alpha * 0.6.
void square(Vector centre, float alpha);
// Element markers: set the element's colour with `alpha`, then draw square(position, alpha).
void nitrogen(Vector position, float alpha); // (0.1, 0.1, 0.8)
void oxygen(Vector position, float alpha);   // (0.8, 0.1, 0.1)
void fluorine(Vector position, float alpha); // (0.5, 0.3, 0.65)
void hydrogen(Vector position, float alpha); // (0.2, 0.6, 0.2)
void carbon(Vector position, float alpha);   // (0.2, 0.2, 0.2)

// The molecules. alpha: opacity of the whole figure, 0..1. progress: 0..1, how far it is
// built; the bonds are complete from about 0.91 on, and every marker is drawn from the start
// with alpha * progress, so the markers fade in with the build-up.
void fluvoxamine(float alpha, float progress);
void fluoxetine(float alpha, float progress);
void citalopram(float alpha, float progress);
void serotonin(float alpha, float progress);

// Creates the four molecules from their tables; called once at start-up, before any drawing.
void molekyyli_init();
// Releases them and sets the globals to null; calling it again does nothing.
void molekyyli_free();

#endif
