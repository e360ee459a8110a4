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

// Defined here, where Matrix is complete, rather than in vector.cpp, so that callers inline it:
// in the loops over thousands of points a frame a call costs more than its nine products (out
// of line, the whole show fast-forwards about 0.1 s slower).
inline Vector Vector::operator*(Matrix const& m) const {
    const float* a = m.m;
    return Vector(a[0] * x + a[1] * y + a[2] * z, a[3] * x + a[4] * y + a[5] * z,
                  a[6] * x + a[7] * y + a[8] * z);
}

// out[i].makeRotation(angles[i].x, angles[i].y, angles[i].z) for i < n, bit for bit, with the
// sines taken a batch at a time (sincos_floats): for loops that turn thousands of things a
// frame (one at a time, the show fast-forwards some 0.5 s slower). out must not overlap angles.
void makeRotations(const Vector* angles, Matrix* out, int n);

#endif
