// Matrix: 3x3, row-major (m[0] m[1] m[2] is the first row), applied to column vectors by
// Vector::operator*. Angles are radians. Single precision; sines and cosines in double.
#ifndef ORDUNE_ENGINE_MATRIX_H
#define ORDUNE_ENGINE_MATRIX_H

#include "engine/vector.h"

class Matrix {
  public:
    float m[9];

    Matrix(); // all zero
    Matrix(float a0, float a1, float a2, float a3, float a4, float a5, float a6, float a7,
           float a8);
    explicit Matrix(float s); // all nine entries s

    Matrix makeIdentity();
    Matrix makeScale(float sx, float sy, float sz);
    // The transpose of Rz(c)*Ry(b)*Rx(a): v * M turns v by -c about z, -b about y, -a about x.
    Matrix makeRotation(float a, float b, float c);
    // makeRotation(a, b, c) from sa = (float)sin(a), ca = (float)cos(a) and so on.
    Matrix makeRotationFrom(float sa, float ca, float sb, float cb, float sc, float cc);
    Matrix makeTranspose();

    Matrix& operator=(float const& s);
    Matrix operator+(Matrix const& b) const;
    Matrix operator-(Matrix const& b) const;
    Matrix operator+=(Matrix const& b);
    Matrix operator-=(Matrix const& b);
    // A * B with A (this) on the left.
    Matrix operator*(Matrix const& b) const;
    Matrix operator*=(Matrix const& b);
    Matrix operator*(float const& s) const;
    Matrix operator*=(float const& s);
    bool operator==(Matrix const& b) const;
};

// Defined here, where Matrix is complete, so that every caller inlines it: in loops over
// thousands of points an out-of-line call costs several times its nine products.
inline Vector Vector::operator*(Matrix const& m) const {
    const float* a = m.m;
    return Vector(a[0] * x + a[1] * y + a[2] * z, a[3] * x + a[4] * y + a[5] * z,
                  a[6] * x + a[7] * y + a[8] * z);
}

// out[i].makeRotation(angles[i].x, angles[i].y, angles[i].z) for i < n: the same matrices, with
// the sines and cosines taken several at a time, for loops that turn many things a frame.
void makeRotations(const Vector* angles, Matrix* out, int n);

// The x axis as makeRotation(a, b, c) turns it, (m[0], m[3], m[6]), from the angles' sines and
// cosines (sa = (float)sin(a) and so on) by the same float operations, without the six entries
// a stick along x does not need. Vector(h, 0, 0) * M has the coordinates h * m[0] + 0 * m[1] +
// 0 * m[2] and so on, which is the axis times h exactly unless a coordinate of that is zero:
// there only the full product knows the zero's sign. For loops that take the sines themselves.
inline Vector xAxisFrom(float sa, float ca, float sb, float cb, float sc, float cc) {
    return Vector(cb * cc, sa * sb * cc - ca * sc, ca * sb * cc + sa * sc);
}

// Whether a stick's half, xAxisFrom(...) * h, has a zero coordinate: then its ends must come
// from turnedStickEnds. Both comparisons are made without a branch, for the vector loops.
inline bool hasZeroCoordinate(Vector v) {
    return (v.x == 0) | (v.y == 0) | (v.z == 0);
}
// ends[0] and ends[1] = centre + Vector(h, 0, 0) * M and centre + Vector(-h, 0, 0) * M, M the
// matrix makeRotation(a, b, c) builds: the full products, for the sticks hasZeroCoordinate
// turns down.
void turnedStickEnds(Vector centre, float h, float a, float b, float c, Vector ends[2]);

#endif
