// The compiled-in geometry of the four molecules: flat segment lists in molecule-local units.
// Read only by molekyyli_init, which copies each table into its Aine.
//
// Points 2k and 2k+1 are the two ends of bond k, so a point shared by two bonds is stored once
// per bond; the table order is the build-up order, starting at or next to the origin and growing
// outwards. Every point has z = 0. The counts are points, not bonds, and always even.
#ifndef ORDUNE_MOLECULES_TABLES_H
#define ORDUNE_MOLECULES_TABLES_H

#include "engine/vector.h"

// The bounds are spelled out so that a table edited to the wrong length fails to compile.
extern const Vector fluvoksamiinindata[48]; // fluvoxamine, 24 bonds
extern const int fluvoksamiininverteksit;
extern const Vector fluoksetiinindata[54]; // fluoxetine, 27 bonds
extern const int fluoksetiininverteksit;
extern const Vector sitalopraamindata[68]; // citalopram, 34 bonds
extern const int sitalopraaminverteksit;
extern const Vector serotoniinindata[36]; // serotonin, 18 bonds
extern const int serotoniininverteksit;

#endif
