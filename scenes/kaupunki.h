// Scene kaupunki's data: the city of buildings and radial roads, the camera's two paths and the
// chips that stream up out of the centre. Built by kaupunki_init, released by kaupunki_free;
// the draw function only reads it.
#ifndef ORDUNE_SCENES_KAUPUNKI_H
#define ORDUNE_SCENES_KAUPUNKI_H

#include "scenes/alku.h"
#include "scenes/kaupunki_talot.h"

class Path;

enum { KAUPUNKI_TALOT = 150, KAUPUNKI_POLUT = 15, KAUPUNKI_PALASET = 500 };

extern Path* kaupunkikamera;       // the eye, eight points over the scene
extern Path* kaupunkikameratarget; // the point looked at, eight points
extern Talo* talot;                // KAUPUNKI_TALOT buildings, rising in index order
extern Polku** polut;              // KAUPUNKI_POLUT roads, evenly round the centre
// KAUPUNKI_PALASET chips rising from the ground (from) to high above (to); colour is unused,
// the draw picks it by index.
extern AlkuPala* kaupunkipalaset;

#endif
