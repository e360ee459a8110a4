// Hermite segments, vector interpolation, the 1-D Catmull-Rom value and moving line segments.
// Single precision throughout: the scenes' motion was tuned on float results.
#include "engine/curves.h"

#include "engine/matrix.h"
#include "engine/position.h"

Vector lerpVector(const Vector& a, const Vector& b, float t) {
    return a * (1.0f - t) + b * t;
}

float catmullromValue(float t, float p0, float p1, float p2, float p3) {
    float t2 = t * t, t3 = t2 * t;
    return 0.5f * (2.0f * p1 + (p2 - p0) * t + (2.0f * p0 - 5.0f * p1 + 4.0f * p2 - p3) * t2 +
                   (-p0 + 3.0f * p1 - 3.0f * p2 + p3) * t3);
}

Vector HermiteCurve::getDerivative(float t) {
    float t2 = t * t;
    float h00 = 6.0f * t2 - 6.0f * t, h10 = 3.0f * t2 - 4.0f * t + 1.0f;
    float h01 = 3.0f * t2 - 2.0f * t, h11 = -6.0f * t2 + 6.0f * t;
    return start * h00 + startTangent * h10 + endTangent * h01 + end * h11;
}

void Line::calcPos(float t, Vector* a, Vector* b) {
    float f = calcPosFloat(t, startTime, endTime);
    Vector r = lerpVector(rotStart, rotEnd, f);
    Vector c = lerpVector(posStart, posEnd, f);
    Matrix m;
    m.makeRotation(r.x, r.y, r.z);
    *a = c + Vector(halfLength, 0, 0) * m;
    *b = c + Vector(-halfLength, 0, 0) * m;
}

// Lines a pass: their angles, turns and centres fit on the stack (4.9 kB).
enum { LINES_A_PASS = 64 };

// The ends of m <= LINES_A_PASS lines, line which[i] with the angles and centre of its place in
// the window: the turns all made in one call.
static void turn_lines(const Line* lines, const int* which, const Vector* angles,
                       const Vector* centres, int m, Vector* ends) {
    Matrix turns[LINES_A_PASS];
    makeRotations(angles, turns, m);
    for (int i = 0; i < m; i++) {
        float h = lines[which[i]].halfLength;
        ends[2 * which[i]] = centres[i] + Vector(h, 0, 0) * turns[i];
        ends[2 * which[i] + 1] = centres[i] + Vector(-h, 0, 0) * turns[i];
    }
}

void calcLinePositions(const Line* lines, int n, float t, Vector* ends, const Vector* finished) {
    int which[LINES_A_PASS];
    Vector angles[LINES_A_PASS], centres[LINES_A_PASS];
    int m = 0;
    for (int j = 0; j < n; j++) {
        const Line& l = lines[j];
        float f = calcPosFloat(t, l.startTime, l.endTime);
        // The ends hang on f alone: at 1 they are the table's.
        if (finished && f == 1.0f) {
            ends[2 * j] = finished[2 * j];
            ends[2 * j + 1] = finished[2 * j + 1];
            continue;
        }
        which[m] = j;
        angles[m] = lerpVector(l.rotStart, l.rotEnd, f);
        centres[m] = lerpVector(l.posStart, l.posEnd, f);
        if (++m == LINES_A_PASS) {
            turn_lines(lines, which, angles, centres, m, ends);
            m = 0;
        }
    }
    turn_lines(lines, which, angles, centres, m, ends);
}
