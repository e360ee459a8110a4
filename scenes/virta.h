// Scene virta's data: a web of neurons, a 70 x 70 field of hairs bent by two moving fields, and
// three streams of tumbling line particles. Built by virta_init, released by virta_free.
#ifndef ORDUNE_SCENES_VIRTA_H
#define ORDUNE_SCENES_VIRTA_H

#include "engine/vector.h"

class Path;
class Sync;

enum {
    VIRTA_SIDE = 70,
    VIRTA_HAIRS = VIRTA_SIDE * VIRTA_SIDE, // row-major: row i, column j at i * 70 + j
    VIRTA_PARTICLES = 1500,
    VIRTA_STRANDPOINTS = 20, // points of every nerve strand
};

// One stream particle: a short segment that tumbles from rotstart to rotend (Euler angles,
// radians) as it travels the streams, wobbling round its stream point. The fields marked
// "frame" are rewritten by every virta(pos).
struct VirtaLine {
    Vector rotstart;
    Vector rotend;
    float length; // 0.1 .. 0.2
    float theta0; // wobble polar-angle offset, radians
    float phi0;   // wobble azimuth offset, radians
    float thetaspeed;
    float phispeed;
    float wobblephase;
    float wobblespeed; // the rates are radians per unit of pos
    Vector end1;       // frame: the segment's ends relative to its centre
    Vector end2;       // frame
    Vector offset;     // frame: wobble displacement from the stream point
    float phase;       // start offset along the streams, 0..1
    float alpha;       // frame: opacity
    float t;           // frame: parameter along the streams, 0 <= t < 1
};

// One neuron: linkcount strands end at it, each running from a far neuron (point 0) to this one
// (point 19). Owns its arrays.
struct VirtaNeuron {
    Vector position;
    int linkcount;        // 2 .. 5
    int* linkpointcounts; // linkcount entries, each VIRTA_STRANDPOINTS
    Vector** links;       // linkcount arrays of linkpointcounts[k] points
};

extern float* virtaheights; // VIRTA_HAIRS, the hair heights 0..1 of this frame
extern float* virtaangles;  // VIRTA_HAIRS, the hair bend directions 0..1 of this frame
extern Vector* virtalines;  // 2 * VIRTA_HAIRS: foot of hair n at 2n, tip at 2n + 1
extern Path* virtapath;     // the axes of the orange,
extern Path* virtapath2;    // violet
extern Path* virtapath3;    // and blue streams
extern VirtaLine* lines;    // VIRTA_PARTICLES
extern Sync* virtasync;     // the cues that light the strands
extern int vneuroncount;    // 55
extern VirtaNeuron* vneurons;

// Fill a row-major 70 x 70 field with values in 0..1 at time `time` (the scene pos): the mean
// of a row wave and a column wave, each of a sine and a cosine.
void virtaplasma(float* field, float time);
void virtaplasma2(float* field, float time);

#endif
