// The shared generator: a multiplicative recurrence on an unsigned 32-bit state. The difference
// a*lo - r*hi wraps modulo 2^32 with no correction step; every scene's layout depends on it.
#include "engine/random.h"
#include "engine/gl.h"

#include <cmath>

unsigned int SEED = 93186752u;

void setSeed(int s) {
    SEED = (unsigned int)s;
}

float randFloat() {
    const unsigned int a = 1588635695u, q = 2u, r = 1117695901u;
    const double m = 4294967291.0; // 2^32 - 5
    unsigned int hi = SEED / q, lo = SEED - hi * q;
    SEED = a * lo - r * hi;
    return (float)((double)SEED / m);
}

int randInt() {
    const unsigned int a = 1583458089u, q = 1u, r = 564025558u;
    unsigned int hi = SEED / q, lo = SEED - hi * q;
    SEED = a * lo - r * hi;
    return (int)SEED;
}

Vector sphereCoord(float r, float a, float b) {
    float sx = (float)(sin(a) * cos(b)), sy = (float)(sin(a) * sin(b));
    return Vector(r * sx, r * sy, r * (float)cos(a));
}

Vector randomSphereVector(float r) {
    float theta = randFloat() * 3.141592f;
    float phi = 2 * randFloat() * 3.141592f;
    return sphereCoord(r, theta, phi);
}

Vector polarCoord(float r, float a) {
    return Vector(r * (float)cos(a), r * (float)sin(a), 0);
}

void antiRotate(Vector* a, Vector* b, Vector* c) {
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    // Column-major: row i of the 3x3 block is m[i], m[4 + i], m[8 + i].
    *a = Vector(m[0], m[4], m[8]);
    *b = Vector(m[1], m[5], m[9]);
    *c = Vector(m[2], m[6], m[10]);
}
