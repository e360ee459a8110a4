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

// The rotation of makeRotation from its angles' sines and cosines, sa = sin a and so on.
static Matrix rotation(float sa, float ca, float sb, float cb, float sc, float cc) {
    return Matrix(cb * cc, cb * sc, -sb,                                   //
                  sa * sb * cc - ca * sc, sa * sb * sc + ca * cc, sa * cb, //
                  ca * sb * cc + sa * sc, ca * sb * sc - sa * cc, ca * cb);
}

Matrix Matrix::makeRotation(float a, float b, float c) {
    float sa = (float)sin(a), ca = (float)cos(a);
    float sb = (float)sin(b), cb = (float)cos(b);
    float sc = (float)sin(c), cc = (float)cos(c);
    *this = rotation(sa, ca, sb, cb, sc, cc);
    return *this;
}

// Rotations a pass: their angles, sines and cosines fit on the stack (2.3 kB).
enum { ROTATIONS_A_PASS = 64 };

void makeRotations(const Vector* angles, Matrix* out, int n) {
    float a[3 * ROTATIONS_A_PASS], s[3 * ROTATIONS_A_PASS], c[3 * ROTATIONS_A_PASS];
    for (int base = 0; base < n; base += ROTATIONS_A_PASS) {
        int m = n - base < ROTATIONS_A_PASS ? n - base : ROTATIONS_A_PASS;
        for (int i = 0; i < m; i++) {
            a[3 * i] = angles[base + i].x;
            a[3 * i + 1] = angles[base + i].y;
            a[3 * i + 2] = angles[base + i].z;
        }
        sincos_floats(a, s, c, 3 * m);
        for (int i = 0; i < m; i++) {
            const float* si = s + 3 * i;
            const float* ci = c + 3 * i;
            out[base + i] = rotation(si[0], ci[0], si[1], ci[1], si[2], ci[2]);
        }
    }
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
