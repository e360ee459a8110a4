// The segment tables of the four molecules, in build-up order.
#include "molecules/tables.h"

// Rings are hexagons of six bonds followed by three shorter inner bonds marking the alternate
// double bonds; a double bond outside a ring is a second segment offset by 0.2; a
// trifluoromethyl group is a cross through its carbon; a nitrile is three parallel segments 0.1
// apart. Carbon atoms are the unmarked corners.

// Each count is taken from its array, so the two can never disagree.
#define ORDUNE_POINTS(table) ((int)(sizeof(table) / sizeof((table)[0])))

// One bond a line: its two end points.
// clang-format off
const Vector fluvoksamiinindata[] = {
    Vector(0, 0, 0), Vector(0, 1, 0),
    Vector(0, 1, 0), Vector(1, 1.5f, 0),
    Vector(1, 1.5f, 0), Vector(1, 2.5f, 0),
    Vector(1, 2.5f, 0), Vector(0, 3, 0),
    Vector(0, 1, 0), Vector(-1, 1.5f, 0),
    Vector(-1, 1.5f, 0), Vector(-1, 2.5f, 0),
    Vector(-1, 2.5f, 0), Vector(0, 3, 0),
    Vector(0, 2.85f, 0), Vector(0.85f, 2.4f, 0),
    Vector(-0.85f, 2.4f, 0), Vector(-0.85f, 1.6f, 0),
    Vector(0, 1.2f, 0), Vector(0.85f, 1.6f, 0),
    Vector(0, 3, 0), Vector(0, 5, 0),
    Vector(-1, 4, 0), Vector(1, 4, 0),
    Vector(0, 0, 0), Vector(-1, -0.5f, 0),
    Vector(-1, -0.5f, 0), Vector(-1, -1.5f, 0),
    Vector(-1, -1.5f, 0), Vector(-2, -2, 0),
    Vector(-2, -2, 0), Vector(-2, -3, 0),
    Vector(-2, -3, 0), Vector(-3, -3.5f, 0),
    Vector(-3, -3.5f, 0), Vector(-3, -4.5f, 0),
    Vector(0, 0, 0), Vector(1, -0.5f, 0),
    Vector(0, -0.2f, 0), Vector(1, -0.7f, 0),
    Vector(1, -0.5f, 0), Vector(1, -1.5f, 0),
    Vector(1, -1.5f, 0), Vector(2, -2, 0),
    Vector(2, -2, 0), Vector(2, -3, 0),
    Vector(2, -3, 0), Vector(3, -3.5f, 0),
};
const int fluvoksamiininverteksit = ORDUNE_POINTS(fluvoksamiinindata);

const Vector fluoksetiinindata[] = {
    Vector(0, 0, 0), Vector(1, 0.5f, 0),
    Vector(1, 0.5f, 0), Vector(2, 0, 0),
    Vector(2, 0, 0), Vector(3, 0.5f, 0),
    Vector(3, 0.5f, 0), Vector(3, 1.5f, 0),
    Vector(0, 0, 0), Vector(0, -1, 0),
    Vector(0, -1, 0), Vector(1, -1.5f, 0),
    Vector(1, -1.5f, 0), Vector(1, -2.5f, 0),
    Vector(1, -2.5f, 0), Vector(0, -3, 0),
    Vector(0, -3, 0), Vector(-1, -2.5f, 0),
    Vector(-1, -2.5f, 0), Vector(-1, -1.5f, 0),
    Vector(-1, -1.5f, 0), Vector(0, -1, 0),
    Vector(0, -1.2f, 0), Vector(-0.85f, -1.6f, 0),
    Vector(-0.85f, -2.4f, 0), Vector(0, -2.8f, 0),
    Vector(0.85f, -1.6f, 0), Vector(0.85f, -2.4f, 0),
    Vector(0, 0, 0), Vector(-1, 0.5f, 0),
    Vector(-1, 0.5f, 0), Vector(-1, 1.5f, 0),
    Vector(-1, 1.5f, 0), Vector(0, 2, 0),
    Vector(0, 2, 0), Vector(0, 3, 0),
    Vector(0, 3, 0), Vector(-1, 3.5f, 0),
    Vector(-1, 1.5f, 0), Vector(-2, 2, 0),
    Vector(-2, 2, 0), Vector(-2, 3, 0),
    Vector(-2, 3, 0), Vector(-1, 3.5f, 0),
    Vector(-1, 3.3f, 0), Vector(-1.85f, 2.9f, 0),
    Vector(-1.85f, 2.1f, 0), Vector(-1, 1.7f, 0),
    Vector(-0.15f, 2.1f, 0), Vector(-0.15f, 2.9f, 0),
    Vector(-1, 3.5f, 0), Vector(-1, 5.5f, 0),
    Vector(-2, 4.5f, 0), Vector(0, 4.5f, 0),
};
const int fluoksetiininverteksit = ORDUNE_POINTS(fluoksetiinindata);

const Vector sitalopraamindata[] = {
    Vector(0, 0, 0), Vector(0, 1, 0),
    Vector(0, 0, 0), Vector(0, -1, 0),
    Vector(0, 1, 0), Vector(1, 1.5f, 0),
    Vector(1, 1.5f, 0), Vector(1, 2.5f, 0),
    Vector(1, 2.5f, 0), Vector(0, 3, 0),
    Vector(0, 1, 0), Vector(-1, 1.5f, 0),
    Vector(-1, 1.5f, 0), Vector(-1, 2.5f, 0),
    Vector(-1, 2.5f, 0), Vector(0, 3, 0),
    Vector(0, 2.85f, 0), Vector(0.85f, 2.4f, 0),
    Vector(-0.85f, 2.4f, 0), Vector(-0.85f, 1.6f, 0),
    Vector(0, 1.2f, 0), Vector(0.85f, 1.6f, 0),
    Vector(0, -1, 0), Vector(1, -1.5f, 0),
    Vector(1, -1.5f, 0), Vector(1, -2.5f, 0),
    Vector(1, -2.5f, 0), Vector(0, -3, 0),
    Vector(0, -1, 0), Vector(-1, -1.5f, 0),
    Vector(-1, -1.5f, 0), Vector(-1, -2.5f, 0),
    Vector(-1, -2.5f, 0), Vector(0, -3, 0),
    Vector(0, -2.85f, 0), Vector(0.85f, -2.4f, 0),
    Vector(-0.85f, -2.4f, 0), Vector(-0.85f, -1.6f, 0),
    Vector(0, -1.2f, 0), Vector(0.85f, -1.6f, 0),
    Vector(0, -3, 0), Vector(0, -4, 0),
    Vector(0, -4, 0), Vector(0, -5, 0),
    Vector(0.1f, -4, 0), Vector(0.1f, -5, 0),
    Vector(-0.1f, -4, 0), Vector(-0.1f, -5, 0),
    Vector(0, 0, 0), Vector(-1, 0.2f, 0),
    Vector(-1, 0.2f, 0), Vector(-1.5f, -0.5f, 0),
    Vector(-1.5f, -0.5f, 0), Vector(-1, -1.5f, 0),
    Vector(0, 3, 0), Vector(0, 4, 0),
    Vector(0, 0, 0), Vector(1, 0.5f, 0),
    Vector(1, 0.5f, 0), Vector(2, 0, 0),
    Vector(2, 0, 0), Vector(3, 0.5f, 0),
    Vector(3, 0.5f, 0), Vector(4, 0, 0),
    Vector(4, 0, 0), Vector(4.7f, 0.7f, 0),
    Vector(4, 0, 0), Vector(4.2f, -0.9f, 0),
};
const int sitalopraaminverteksit = ORDUNE_POINTS(sitalopraamindata);

const Vector serotoniinindata[] = {
    Vector(0, 1, 0), Vector(1, 1.5f, 0),
    Vector(1, 1.5f, 0), Vector(1, 2.5f, 0),
    Vector(1, 2.5f, 0), Vector(0, 3, 0),
    Vector(0, 1, 0), Vector(-1, 1.5f, 0),
    Vector(-1, 1.5f, 0), Vector(-1, 2.5f, 0),
    Vector(-1, 2.5f, 0), Vector(0, 3, 0),
    Vector(0, 2.85f, 0), Vector(-0.85f, 2.4f, 0),
    Vector(0.85f, 2.4f, 0), Vector(0.85f, 1.6f, 0),
    Vector(0, 1.2f, 0), Vector(-0.85f, 1.6f, 0),
    Vector(0, 1, 0), Vector(-0.5f, -0.3f, 0),
    Vector(-0.5f, -0.3f, 0), Vector(-1.5f, -0.1f, 0),
    Vector(-1.5f, -0.1f, 0), Vector(-1.9f, 1, 0),
    Vector(-1.9f, 1, 0), Vector(-1, 1.5f, 0),
    Vector(-1.35f, -0.0f, 0), Vector(-1.7f, 0.9f, 0), // -0 as drawn; it renders as 0
    Vector(-1.9f, 1, 0), Vector(-2.9f, 1.5f, 0),
    Vector(-2.9f, 1.5f, 0), Vector(-3.9f, 1, 0),
    Vector(-3.9f, 1, 0), Vector(-4.9f, 1.5f, 0),
    Vector(0, 3, 0), Vector(0, 4, 0),
};
const int serotoniininverteksit = ORDUNE_POINTS(serotoniinindata);

// clang-format on
