// Curve tools: one cubic Hermite segment, straight-line interpolation of vectors, a 1-D
// Catmull-Rom value and a segment whose centre and orientation move over a time window.
#ifndef ORDUNE_ENGINE_CURVES_H
#define ORDUNE_ENGINE_CURVES_H

#include "engine/matrix.h"
#include "engine/vector.h"

// a * (1 - t) + b * t; t is not clamped, so t outside 0..1 extrapolates.
Vector lerpVector(const Vector& a, const Vector& b, float t);
// lerpVector written out where it is used, for loops over hundreds of points a frame where the
// call costs more than its six products: the same operations in the same order, so the same
// floats.
inline Vector lerpVectorInline(const Vector& a, const Vector& b, float t) {
    return a * (1.0f - t) + b * t;
}

// The uniform Catmull-Rom spline through p1 (t = 0) and p2 (t = 1), p0 and p3 shaping it.
float catmullromValue(float t, float p0, float p1, float p2, float p3);

// One cubic Hermite segment in 3-D, single precision. Both tangents lie between the two points
// in the field order. Parameter 0 gives start, 1 gives end; t is not clamped.
class HermiteCurve {
  public:
    Vector start;
    Vector startTangent;
    Vector endTangent;
    Vector end;

    HermiteCurve(); // all four (0, 0, 0)
    HermiteCurve(const Vector& start, const Vector& startTangent, const Vector& endTangent,
                 const Vector& end);

    void set(const Vector& start, const Vector& startTangent, const Vector& endTangent,
             const Vector& end);
    // One coordinate: start point p0, start tangent m0, end tangent m1, end point p1.
    float value(float p0, float m0, float m1, float p1, float t);
    Vector getValue(float t);
    // d/dt of getValue: the velocity along the segment at t.
    Vector getDerivative(float t);
};

// A segment of length 2 * halfLength lying along x before rotation, centred on its position.
// The owner fills the fields; times are in whatever unit the owner passes to calcPos.
class Line {
  public:
    Vector rotStart, rotEnd; // Euler angles in radians, as Matrix::makeRotation takes them
    Vector posStart, posEnd; // centre
    float startTime, endTime;
    float halfLength;

    // The end points at time t: rotation and centre interpolated linearly over the window,
    // held at the start values before it and at the end values after it.
    void calcPos(float t, Vector* a, Vector* b);
};

// lines[j].calcPos(t, &ends[2 * j], &ends[2 * j + 1]) for j < n: the same points, with the
// rotations made a batch at a time, since one makeRotation costs far more than the rest.
void calcLinePositions(const Line* lines, int n, float t, Vector* ends);

// Whether the line's window is over at t: calcPos(t) then gives the same ends as at endTime
// and at every later t.
bool lineFinished(const Line& l, float t);

// ends[2 * j] and ends[2 * j + 1] as calcPos gives them once line j's window is over, j < n:
// a table that holds for as long as the lines do not change.
void calcFinishedLinePositions(const Line* lines, int n, Vector* ends);

// calcLinePositions(lines, n, t, ends), except that the lines whose windows are over copy their
// ends from finished, a table calcFinishedLinePositions made of the same lines. Lines that
// finish early cost a copy instead of three sines and a matrix.
void calcLinePositionsFrom(const Line* lines, int n, float t, const Vector* finished, Vector* ends);

#endif
