// The named colours of the show, RGB in 0..1; scenes pass them to glColor4f with their own
// alpha. harmaa is also the clear colour.
#ifndef ORDUNE_ENGINE_COLORS_H
#define ORDUNE_ENGINE_COLORS_H

#include "engine/vector.h"

extern Vector harmaa;   // grey (190, 196, 204)/255
extern Vector oranssi;  // orange (242, 103, 33)/255
extern Vector sininen;  // blue (31, 65, 126)/255
extern Vector punainen; // red
extern Vector violetti; // violet

// The colour each frame is cleared to: black until the show is built, then harmaa.
extern Vector clearcolor;

#endif
