// Vector: three floats, used for positions, directions, Euler angles (radians) and RGB colours.
// Single precision throughout; the product v * M applies the matrix M to v as a column vector.
#ifndef ORDUNE_ENGINE_VECTOR_H
#define ORDUNE_ENGINE_VECTOR_H

class Matrix;

class Vector {
  public:
    float x, y, z;

    Vector() : x(0), y(0), z(0) {}
    Vector(float x, float y, float z) : x(x), y(y), z(z) {}

    float length() const;
    // Divides in place by the length and returns the result; a zero vector is left unchanged.
    Vector normalize();
    float dotProduct(Vector w) const;
    // this x w, this being the left operand.
    Vector crossProduct(Vector w) const;

    Vector operator+(Vector const& w) const { return Vector(x + w.x, y + w.y, z + w.z); }
    Vector operator-(Vector const& w) const { return Vector(x - w.x, y - w.y, z - w.z); }
    Vector operator+=(Vector const& w);
    Vector operator-=(Vector const& w);
    Vector operator*(float const& s) const { return Vector(x * s, y * s, z * s); }
    Vector operator*=(float const& s);
    // Zero for any divisor of 0 or less, not only for 0.
    Vector operator/(float const& s) const;
    Vector operator*(Matrix const& m) const;
    Vector operator*=(Matrix const& m);
    // Exact comparison, no tolerance.
    bool operator==(Vector const& w) const { return x == w.x && y == w.y && z == w.z; }
};

#endif
