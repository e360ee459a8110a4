// Matrix arithmetic on nine floats, row-major.
#include "engine/matrix.h"

#include "engine/fasttrig.h"
#include "engine/vector.h"

#include <cmath>

Matrix::Matrix() : Matrix(0.0f) {}

Matrix::Matrix(float a0, float a1, float a2, float a3, float a4, float a5, float a6, float a7,
               float a8)
    : m{a0, a1, a2, a3, a4, a5, a6, a7, a8} {}

Matrix::Matrix(float s) {
    for (float& e : m)
        e = s;
}

Matrix Matrix::makeIdentity() {
    return makeScale(1, 1, 1);
}

Matrix Matrix::makeScale(float sx, float sy, float sz) {
    *this = Matrix(sx, 0, 0, 0, sy, 0, 0, 0, sz);
    return *this;
}

Matrix Matrix::makeRotation(float a, float b, float c) {
    return makeRotationFrom((float)sin(a), (float)cos(a), (float)sin(b), (float)cos(b),
                            (float)sin(c), (float)cos(c));
}

Matrix Matrix::makeRotationFrom(float sa, float ca, float sb, float cb, float sc, float cc) {
    *this = Matrix(cb * cc, cb * sc, -sb,                                   //
                   sa * sb * cc - ca * sc, sa * sb * sc + ca * cc, sa * cb, //
                   ca * sb * cc + sa * sc, ca * sb * sc - sa * cc, ca * cb);
    return *this;
}

// Angles a pass, three floats each: small enough for the stack.
enum { ROTATIONS_A_PASS = 64 };

// Takes the sines and cosines of angles[0..n) a pass at a time and hands each element's six to
// put(i, sines, cosines), x, y, z in that order.
template <class Put> static void with_sines(const Vector* angles, int n, Put put) {
    float a[3 * ROTATIONS_A_PASS], s[3 * ROTATIONS_A_PASS], c[3 * ROTATIONS_A_PASS];
    for (int base = 0; base < n; base += ROTATIONS_A_PASS) {
        int m = n - base < ROTATIONS_A_PASS ? n - base : ROTATIONS_A_PASS;
        for (int i = 0; i < m; i++) {
            a[3 * i] = angles[base + i].x;
            a[3 * i + 1] = angles[base + i].y;
            a[3 * i + 2] = angles[base + i].z;
        }
        sincos_floats(a, s, c, 3 * m);
        for (int i = 0; i < m; i++)
            put(base + i, s + 3 * i, c + 3 * i);
    }
}

void makeRotations(const Vector* angles, Matrix* out, int n) {
    with_sines(angles, n, [out](int i, const float* s, const float* c) {
        out[i].makeRotationFrom(s[0], c[0], s[1], c[1], s[2], c[2]);
    });
}

void turnedStickEnds(Vector centre, float h, float a, float b, float c, Vector ends[2]) {
    Matrix turn;
    turn.makeRotation(a, b, c);
    ends[0] = centre + Vector(h, 0, 0) * turn;
    ends[1] = centre + Vector(-h, 0, 0) * turn;
}

Matrix Matrix::makeTranspose() {
    *this = Matrix(m[0], m[3], m[6], m[1], m[4], m[7], m[2], m[5], m[8]);
    return *this;
}

Matrix& Matrix::operator=(float const& s) {
    for (float& e : m)
        e = s;
    return *this;
}

Matrix Matrix::operator+(Matrix const& b) const {
    Matrix r;
    for (int i = 0; i < 9; i++)
        r.m[i] = m[i] + b.m[i];
    return r;
}

Matrix Matrix::operator-(Matrix const& b) const {
    Matrix r;
    for (int i = 0; i < 9; i++)
        r.m[i] = m[i] - b.m[i];
    return r;
}

Matrix Matrix::operator+=(Matrix const& b) {
    return *this = *this + b;
}
Matrix Matrix::operator-=(Matrix const& b) {
    return *this = *this - b;
}

Matrix Matrix::operator*(Matrix const& b) const {
    Matrix r;
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++)
            r.m[i * 3 + j] =
                m[i * 3] * b.m[j] + m[i * 3 + 1] * b.m[3 + j] + m[i * 3 + 2] * b.m[6 + j];
    return r;
}

Matrix Matrix::operator*=(Matrix const& b) {
    return *this = *this * b;
}

Matrix Matrix::operator*(float const& s) const {
    Matrix r;
    for (int i = 0; i < 9; i++)
        r.m[i] = m[i] * s;
    return r;
}

Matrix Matrix::operator*=(float const& s) {
    return *this = *this * s;
}

bool Matrix::operator==(Matrix const& b) const {
    for (int i = 0; i < 9; i++)
        if (m[i] != b.m[i])
            return false;
    return true;
}
