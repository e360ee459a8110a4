// Curve tools: one cubic Hermite segment, straight-line interpolation of vectors, a 1-D
// Catmull-Rom value and a segment whose centre and orientation move over a time window.
#ifndef ORDUNE_ENGINE_CURVES_H
#define ORDUNE_ENGINE_CURVES_H

#include "engine/vector.h"

// a * (1 - t) + b * t; t is not clamped, so t outside 0..1 extrapolates.
Vector lerpVector(const Vector& a, const Vector& b, float t);

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

    HermiteCurve() {} // all four (0, 0, 0)
    HermiteCurve(const Vector& start, const Vector& startTangent, const Vector& endTangent,
                 const Vector& end)
        : start(start), startTangent(startTangent), endTangent(endTangent), end(end) {}

    // Defined here so that paths, which evaluate thousands of segments a frame, inline them (out
    // of line, the show fast-forwards about 0.1 s slower).
    void set(const Vector& s, const Vector& st, const Vector& et, const Vector& e) {
        start = s;
        startTangent = st;
        endTangent = et;
        end = e;
    }
    // One coordinate: start point p0, start tangent m0, end tangent m1, end point p1.
    float value(float p0, float m0, float m1, float p1, float t) {
        float t2 = t * t, t3 = t2 * t;
        return (2.0f * t3 - 3.0f * t2 + 1.0f) * p0 + (t3 - 2.0f * t2 + t) * m0 + (t3 - t2) * m1 +
               (-2.0f * t3 + 3.0f * t2) * p1;
    }
    Vector getValue(float t) {
        float x = value(start.x, startTangent.x, endTangent.x, end.x, t);
        float y = value(start.y, startTangent.y, endTangent.y, end.y, t);
        float z = value(start.z, startTangent.z, endTangent.z, end.z, t);
        return Vector(x, y, z);
    }
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

// lines[j].calcPos(t, &ends[2 * j], &ends[2 * j + 1]) for j < n, bit for bit, with the turns
// made a batch at a time (makeRotations): for the ribbons of thousands of lines a frame (one at
// a time, the show fast-forwards over 1 s slower). finished, where given, holds each line's two
// ends once its window is over (calcPos at a time past it; calcLinePositions at a time past
// every window makes the table), and the lines whose windows are over at t copy theirs from it
// instead of turning again (another 0.1 s). ends must not overlap the lines or the table.
void calcLinePositions(const Line* lines, int n, float t, Vector* ends,
                       const Vector* finished = nullptr);

#endif
