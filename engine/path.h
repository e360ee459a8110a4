// A path through control points: a chain of Hermite segments evaluated by one parameter,
// 0 at the first point and 1 at the last. Cameras and objects of the scenes ride on these.
#ifndef ORDUNE_ENGINE_PATH_H
#define ORDUNE_ENGINE_PATH_H

#include "engine/list.h"
#include "engine/vector.h"

// Created with new in a scene's _init, filled with addpoint, deleted in its _free. The points
// are copies on the heap, owned by the list, which the destructor empties and deletes.
//
// Each segment takes an equal share 1 / (count - 1) of the parameter whatever its length. The
// segment from p[i] to p[i+1] has the forward differences p[i+1] - p[i] and p[i+2] - p[i+1] as
// its tangents; in the last one the end tangent is zero, so the path eases into its last point.
class Path {
  public:
    int count;                       // points added
    ListaKoskaEngineEiToimi* points; // one heap Vector a point, in the order added

    Path();
    ~Path();

    void addpoint(Vector p);
    // Moves the list's cursor, nothing else, and allocates nothing. t = 1 and beyond give the
    // last point exactly; below 0 the first segment is extrapolated. One point gives that point
    // for every t; an empty path gives (0, 0, 0).
    Vector getValue(float t);
    // Debugging aid: a white line strip through the path in steps of 0.005, texturing off;
    // the enable and current attribute groups are restored afterwards.
    void draw();
};

#endif
