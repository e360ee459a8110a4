// Hermite segments, vector interpolation, the 1-D Catmull-Rom value and moving line segments.
// Single precision throughout: the scenes' motion was tuned on float results.
#include "engine/curves.h"

#include "engine/clones.h"
#include "engine/fasttrig.h"
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

HermiteCurve::HermiteCurve() {}

HermiteCurve::HermiteCurve(const Vector& start, const Vector& startTangent,
                           const Vector& endTangent, const Vector& end)
    : start(start), startTangent(startTangent), endTangent(endTangent), end(end) {}

void HermiteCurve::set(const Vector& s, const Vector& st, const Vector& et, const Vector& e) {
    start = s;
    startTangent = st;
    endTangent = et;
    end = e;
}

float HermiteCurve::value(float p0, float m0, float m1, float p1, float t) {
    float t2 = t * t, t3 = t2 * t;
    return (2.0f * t3 - 3.0f * t2 + 1.0f) * p0 + (t3 - 2.0f * t2 + t) * m0 + (t3 - t2) * m1 +
           (-2.0f * t3 + 3.0f * t2) * p1;
}

Vector HermiteCurve::getValue(float t) {
    float x = value(start.x, startTangent.x, endTangent.x, end.x, t);
    float y = value(start.y, startTangent.y, endTangent.y, end.y, t);
    float z = value(start.z, startTangent.z, endTangent.z, end.z, t);
    return Vector(x, y, z);
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

// calcPosFloat(t, l.startTime, l.endTime), its steps written out here: the batches below take
// one per line, and the call into position.cpp cost as much as the fraction itself. The line
// tests compare the two bit for bit.
static inline float window_fraction(const Line& l, float t) {
    if (t <= l.startTime)
        return 0.0f;
    if (t >= l.endTime)
        return 1.0f;
    return (t - l.startTime) / (l.endTime - l.startTime);
}

// Lines a pass: their angles, sines, cosines and centres fit on the stack (about 3 KiB), so a
// frame allocates nothing.
enum { LINES_A_PASS = 64 };

// The ends of 1 <= m <= LINES_A_PASS lines, line which[i] at fraction f[i] of its window:
// calcPos's steps, with the turns' sines taken in one batch. A line lies along x, so only the x
// axis of its turn matters: Vector(+-h, 0, 0) * turn is exactly +- h times that axis, but for a
// zero coordinate, whose sign only the full product knows; lines with one are redone that way after
// the pass. The angles go straight into the flat array the sine batch takes, and the clones
// keep lerpVector's and xAxisFrom's roundings (no fused multiply-add).
VECTOR_CLONES UNFUSED static void line_pass(const Line* lines, const int* which, const float* f,
                                            int m, Vector* ends) {
    float angles[3 * LINES_A_PASS], s[3 * LINES_A_PASS], c[3 * LINES_A_PASS];
    Vector centres[LINES_A_PASS];
    // A do-while, as m >= 1: the compiler then sees the angles written before the batch reads
    // them.
    int i = 0;
    do {
        const Line& l = lines[which[i]];
        Vector a = lerpVectorInline(l.rotStart, l.rotEnd, f[i]);
        angles[3 * i] = a.x;
        angles[3 * i + 1] = a.y;
        angles[3 * i + 2] = a.z;
        centres[i] = lerpVectorInline(l.posStart, l.posEnd, f[i]);
    } while (++i < m);
    sincos_floats(angles, s, c, 3 * m);
    int zeros = 0;
    for (int i = 0; i < m; i++) {
        const float* si = s + 3 * i;
        const float* ci = c + 3 * i;
        Vector along =
            xAxisFrom(si[0], ci[0], si[1], ci[1], si[2], ci[2]) * lines[which[i]].halfLength;
        Vector* e = ends + 2 * which[i];
        e[0] = centres[i] + along;
        e[1] = centres[i] - along;
        zeros |= hasZeroCoordinate(along);
    }
    for (int i = 0; zeros && i < m; i++) {
        float h = lines[which[i]].halfLength;
        const float* si = s + 3 * i;
        const float* ci = c + 3 * i;
        if (hasZeroCoordinate(xAxisFrom(si[0], ci[0], si[1], ci[1], si[2], ci[2]) * h))
            turnedStickEnds(centres[i], h, angles[3 * i], angles[3 * i + 1], angles[3 * i + 2],
                            ends + 2 * which[i]);
    }
}

void calcLinePositions(const Line* lines, int n, float t, Vector* ends) {
    int which[LINES_A_PASS];
    float f[LINES_A_PASS];
    for (int base = 0; base < n; base += LINES_A_PASS) {
        int m = n - base < LINES_A_PASS ? n - base : LINES_A_PASS;
        for (int i = 0; i < m; i++) {
            const Line& l = lines[base + i];
            which[i] = base + i;
            f[i] = window_fraction(l, t);
        }
        line_pass(lines, which, f, m, ends);
    }
}

// calcPosFloat's own tests in its order: past the start, and at or past the end, it is 1.
bool lineFinished(const Line& l, float t) {
    return !(t <= l.startTime) && t >= l.endTime;
}

void calcFinishedLinePositions(const Line* lines, int n, Vector* ends) {
    int which[LINES_A_PASS];
    float f[LINES_A_PASS];
    for (int base = 0; base < n; base += LINES_A_PASS) {
        int m = n - base < LINES_A_PASS ? n - base : LINES_A_PASS;
        for (int i = 0; i < m; i++) {
            which[i] = base + i;
            f[i] = 1.0f;
        }
        line_pass(lines, which, f, m, ends);
    }
}

void calcLinePositionsFrom(const Line* lines, int n, float t, const Vector* finished,
                           Vector* ends) {
    int which[LINES_A_PASS];
    float f[LINES_A_PASS];
    int m = 0;
    for (int j = 0; j < n; j++) {
        const Line& l = lines[j];
        if (lineFinished(l, t)) {
            ends[2 * j] = finished[2 * j];
            ends[2 * j + 1] = finished[2 * j + 1];
            continue;
        }
        which[m] = j;
        f[m] = window_fraction(l, t);
        if (++m == LINES_A_PASS) {
            line_pass(lines, which, f, m, ends);
            m = 0;
        }
    }
    if (m > 0)
        line_pass(lines, which, f, m, ends);
}
