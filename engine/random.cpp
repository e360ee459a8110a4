// The shared generator: a multiplicative recurrence on an unsigned 32-bit state. The difference
// a*lo - r*hi wraps modulo 2^32 with no correction step; every scene's layout depends on it.
#include "engine/random.h"
#include "engine/fasttrig.h"
#include "engine/gl.h"

#include <cmath>

unsigned int SEED = SEED_START;

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

// Products of two near sines lie within 2^-49 of the library's products (each factor within
// SINE_NEAR_ERROR, 2^-50, and at most 1 in size), plus the two products' own roundings, 2^-53
// each; the check allows 2^-48, room besides for its ends being rounded to double. A lone
// cosine is checked as sincos_floats checks it, with twice its bound.
static const double SPHERE_PRODUCT_ERROR = 4 * SINE_NEAR_ERROR;
static const double SPHERE_COSINE_ERROR = 2 * SINE_NEAR_ERROR;

// Points a pass: their near sines fit on the stack (2 kB).
enum { SPHERE_PASS = 64 };

void sphereCoords(const float* r, const float* a, const float* b, Vector* out, int n) {
    double sa[SPHERE_PASS], ca[SPHERE_PASS], sb[SPHERE_PASS], cb[SPHERE_PASS];
    for (int base = 0; base < n; base += SPHERE_PASS) {
        int m = n - base < SPHERE_PASS ? n - base : SPHERE_PASS;
        sincos_nears(a + base, sa, ca, m);
        sincos_nears(b + base, sb, cb, m);
        for (int i = 0; i < m; i++) {
            int k = base + i;
            double x = sa[i] * cb[i], y = sa[i] * sb[i];
            if (rounds_alike(x, SPHERE_PRODUCT_ERROR) && rounds_alike(y, SPHERE_PRODUCT_ERROR) &&
                rounds_alike(ca[i], SPHERE_COSINE_ERROR))
                out[k] = Vector(r[k] * (float)x, r[k] * (float)y, r[k] * (float)ca[i]);
            else
                out[k] = sphereCoord(r[k], a[k], b[k]);
        }
    }
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
