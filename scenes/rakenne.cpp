// Scene rakenne: the camera flies along a long rolling cloud of short axis-aligned segments,
// past a row of pulsing dashed rings; a sparser set of thick glowing segments shines inside.
#include "engine/colors.h"
#include "engine/gl.h"
#include "engine/matrix.h"
#include "engine/position.h"
#include "engine/random.h"
#include "scenes/scenes.h"

#include <cmath>

// Sines and cosines are taken in double of float arguments (the casts keep the float overloads
// out) and the results rounded back to float.

enum {
    RAKENNE_SEGMENTS = 10000,
    RAKENNE_GLOWS = 1000,
    RAKENNE_RINGS = 15,
    RAKENNE_RINGVERTICES = 64, // 32 chords: a dashed circle
};

Vector* rakennevertices1;
Vector* rakennevertices2;
Vector* glowvertices1;
Vector* glowvertices2;

static const int rakenneseed = 16;

// A random point of the box x -5..5, y and z -0.5..0.5, and one axis-aligned offset from it
// chosen by index; `lengths` are the full spans of the offset along x, y and z. The draws for
// x, y, z and then the offset are made in that order.
static void rakennesegment(int i, Matrix& stretch, const float lengths[3], Vector* a, Vector* b) {
    float x = randFloat() - 0.5f;
    float y = randFloat() - 0.5f;
    float z = randFloat() - 0.5f;
    *a = Vector(x, y, z) * stretch;
    float d = randFloat() - 0.5f;
    Vector offset;
    switch (i % 3) {
    case 0:
        offset = Vector(d * lengths[0], 0, 0);
        break;
    case 1:
        offset = Vector(0, d * lengths[1], 0);
        break;
    default:
        offset = Vector(0, 0, d * lengths[2]);
        break;
    }
    *b = *a + offset;
}

void rakenne_init() {
    rakennevertices1 = new Vector[RAKENNE_SEGMENTS];
    rakennevertices2 = new Vector[RAKENNE_SEGMENTS];
    glowvertices1 = new Vector[RAKENNE_GLOWS];
    glowvertices2 = new Vector[RAKENNE_GLOWS];
    Matrix stretch;
    stretch.makeScale(10, 1, 1);
    setSeed(rakenneseed);
    const float structure[3] = {0.3f, 0.2f, 0.2f};
    for (int i = 0; i < RAKENNE_SEGMENTS; i++)
        rakennesegment(i, stretch, structure, &rakennevertices1[i], &rakennevertices2[i]);
    const float glow[3] = {0.5f, 0.1f, 0.1f};
    for (int i = 0; i < RAKENNE_GLOWS; i++)
        rakennesegment(i, stretch, glow, &glowvertices1[i], &glowvertices2[i]);
}

// The segments first, first + 2, ... of the cloud as one batch.
static void rakennestructure(int first) {
    glBegin(GL_LINES);
    for (int i = first; i < RAKENNE_SEGMENTS; i += 2) {
        glVertex3fv(&rakennevertices1[i].x);
        glVertex3fv(&rakennevertices2[i].x);
    }
    glEnd();
}

static void rakenneglow(const Vector* colours, float alpha) {
    glBegin(GL_LINES);
    for (int i = 0; i < RAKENNE_GLOWS; i++) {
        if (colours) {
            const Vector& c = colours[i % 2];
            glColor4f(c.x, c.y, c.z, alpha);
        }
        glVertex3fv(&glowvertices1[i].x);
        glVertex3fv(&glowvertices2[i].x);
    }
    glEnd();
}

static void rakennering(const Vector* ring) {
    glBegin(GL_LINES);
    for (int j = 0; j < RAKENNE_RINGVERTICES; j++)
        glVertex3fv(&ring[j].x);
    glEnd();
}

void rakenne(float pos) {
    float m = calcSaturate(pos, 0, 1, 17) * calcPosFloat(pos, 0, 0.1f);
    // The moment the structure thickens and lights up white.
    float k = calcPosFloat(pos, 0.265f, 0.3f);

    glLoadIdentity();
    float x = 3 - 6 * pos;
    float rock = 0.1f * (float)cos((double)(11 * pos));
    gluLookAt(x, 0, 2.5f + 0.5f * (float)sin((double)(7 * pos)), x, 0, 0, rock, 1 - rock, 0);

    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glLineWidth(2.0f);

    const Vector ringcolours[2] = {violetti, punainen};
    Vector ring[RAKENNE_RINGVERTICES];
    for (int i = 0; i < RAKENNE_RINGS; i++) {
        float f = (float)i / RAKENNE_RINGS;
        float rx = (f - 0.5f) * 10;
        float radius = (float)sin((double)(f * 7 + 25 * pos)) * 0.05f + 0.55f;
        for (int j = 0; j < RAKENNE_RINGVERTICES; j++) {
            float a = 2 * ((float)j / (RAKENNE_RINGVERTICES - 1)) * 3.141592f - 10 * pos;
            ring[j] = Vector(rx, (float)sin((double)a) * radius, (float)cos((double)a) * radius);
        }
        glDisable(GL_DEPTH_TEST);
        const Vector& c = ringcolours[i % 2];
        glColor4f(c.x, c.y, c.z, 0.7f * m);
        glLineWidth(4.0f);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        rakennering(ring);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glLineWidth(1.0f);
        glColor4f(1, 1, 1, m);
        rakennering(ring);
    }

    // The rings stay put; the cloud rolls about its long axis.
    glRotatef(130 * pos, 1, 0, 0);
    glDisable(GL_DEPTH_TEST);
    glLineWidth(1 + 3 * k);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(sininen.x, sininen.y, sininen.z, m);
    rakennestructure(0);
    glColor4f(oranssi.x, oranssi.y, oranssi.z, m);
    rakennestructure(1);

    glLineWidth(1.0f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(1, 1, 1, k * m);
    rakennestructure(0);
    rakennestructure(1);

    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glLineWidth(4.0f);
    rakenneglow(ringcolours, 0.7f * m);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glLineWidth(1.0f);
    glColor4f(1, 1, 1, m);
    rakenneglow(nullptr, 0);
}

void rakenne_free() {
    delete[] rakennevertices1;
    delete[] rakennevertices2;
    delete[] glowvertices1;
    delete[] glowvertices2;
}
