// Vector arithmetic. Square roots are taken in double precision of the float sum.
#include "engine/vector.h"
#include "engine/matrix.h"

#include <cmath>

float Vector::length() const {
    return (float)sqrt(x * x + y * y + z * z);
}

Vector Vector::normalize() {
    float len = length();
    if (len == 0.0f)
        return Vector();
    x /= len;
    y /= len;
    z /= len;
    return *this;
}

float Vector::dotProduct(Vector w) const {
    return x * w.x + y * w.y + z * w.z;
}

Vector Vector::crossProduct(Vector w) const {
    return Vector(y * w.z - z * w.y, z * w.x - x * w.z, x * w.y - y * w.x);
}

Vector Vector::operator+=(Vector const& w) {
    x += w.x;
    y += w.y;
    z += w.z;
    return *this;
}

Vector Vector::operator-=(Vector const& w) {
    x -= w.x;
    y -= w.y;
    z -= w.z;
    return *this;
}

Vector Vector::operator*=(float const& s) {
    x *= s;
    y *= s;
    z *= s;
    return *this;
}

Vector Vector::operator/(float const& s) const {
    if (s <= 0.0f)
        return Vector();
    return Vector(x / s, y / s, z / s);
}

Vector Vector::operator*=(Matrix const& m) {
    *this = *this * m;
    return *this;
}
