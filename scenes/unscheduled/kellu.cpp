// Scene kellu, which no timeline window draws: a drifting cloud of short coloured sticks in a
// long flat box, each turning slowly while the camera travels along; cues brighten them.
// The driver builds and releases it on every run, so its draws move the shared generator.
#include "engine/colors.h"
#include "engine/curves.h"
#include "engine/gl.h"
#include "engine/matrix.h"
#include "engine/position.h"
#include "engine/random.h"
#include "engine/sync.h"
#include "scenes/alku.h"
#include "scenes/scenes.h"

#include <cmath>

enum {
    KELLU_STICKS = 5000,
    KELLU_SLOTS = 50, // 48 cues; the last two slots stay empty
    KELLU_CUE_MS = 400,
    // Cues on the rows below in every pattern order from the first to the last, except row 0
    // of the last order, and once more on the extra row of the extra order.
    KELLU_FIRST_ORDER = 4,
    KELLU_LAST_ORDER = 19,
    KELLU_EXTRA_ORDER = 17,
    KELLU_EXTRA_ROW = 54,
};
static const int kellurows[3] = {0, 12, 44};

// Spin angles span (-2.5, 2.5) radians.
static const float kelluspin = 5.0f;

AlkuPala* palaset;
Sync* kellusync;
// Both ends of every stick at the frame's pos, two a stick: turned once a frame and drawn by
// both passes, since each stick's rotation matrix costs far more than emitting its vertices.
static Vector* kelluends;

// Three draws in the order written, whatever order the compiler evaluates arguments in.
static Vector centred_draws() {
    float x = randFloat() - 0.5f;
    float y = randFloat() - 0.5f;
    float z = randFloat() - 0.5f;
    return Vector(x, y, z);
}

void kellu_init() {
    // Not reseeded: the layout continues the sequence the set-ups before this one left.
    palaset = new AlkuPala[KELLU_STICKS]();
    kelluends = new Vector[2 * KELLU_STICKS];
    Matrix box;
    box.makeScale(20, 2, 2);
    const Vector* colours[3] = {&punainen, &sininen, &violetti};
    for (int i = 0; i < KELLU_STICKS; i++) {
        AlkuPala& p = palaset[i];
        p.colour = *colours[i % 3];
        p.spin0 = centred_draws() * kelluspin;
        p.spin1 = centred_draws() * kelluspin;
        p.from = centred_draws() * box;
        p.size = 0.01f + 0.02f * randFloat();
    }

    kellusync = new Sync(KELLU_SLOTS, "kellu");
    for (int order = KELLU_FIRST_ORDER; order <= KELLU_LAST_ORDER; order++) {
        for (int row : kellurows)
            if (order != KELLU_LAST_ORDER || row != 0)
                kellusync->add(order, row, KELLU_CUE_MS);
        if (order == KELLU_EXTRA_ORDER)
            kellusync->add(order, KELLU_EXTRA_ROW, KELLU_CUE_MS);
    }
}

// Turns every stick to pos into kelluends.
static void turn_sticks(float pos) {
    for (int i = 0; i < KELLU_STICKS; i++) {
        const AlkuPala& p = palaset[i];
        Vector angles = lerpVector(p.spin0, p.spin1, pos);
        Matrix turn;
        turn.makeRotation(angles.x, angles.y, angles.z);
        kelluends[2 * i] = p.from + Vector(p.size, 0, 0) * turn;
        kelluends[2 * i + 1] = p.from + Vector(-p.size, 0, 0) * turn;
    }
}

// One batch of every stick as turned: each in its own colour, or all white, at the given alpha.
static void sticks(float alpha, bool coloured) {
    if (!coloured)
        glColor4f(1, 1, 1, alpha);
    glBegin(GL_LINES);
    for (int i = 0; i < KELLU_STICKS; i++) {
        if (coloured) {
            const Vector& c = palaset[i].colour;
            glColor4f(c.x, c.y, c.z, alpha);
        }
        glVertex3fv(&kelluends[2 * i].x);
        glVertex3fv(&kelluends[2 * i + 1].x);
    }
    glEnd();
}

void kellu(float pos) {
    float fade = calcSaturate(pos, 0, 1, 6);

    float x = 3 - 6 * pos;
    float sway = 0.1f * (float)cos((double)(11 * pos));
    glLoadIdentity();
    gluLookAt(x, 0, 2.5f + 0.5f * (float)sin((double)(7 * pos)), x, 0, 0, sway, 1 - sway, 0);

    glDisable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);

    float sv = kellusync->getValue();

    // 30 % of the fade between cues, 70 % on one.
    turn_sticks(pos);
    glLineWidth(3.0f);
    sticks(fade * (0.4f * sv + 0.3f), true);

    glLineWidth(1.0f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    sticks(fade * sv, false);
}

void kellu_free() {
    delete[] palaset;
    palaset = nullptr;
    delete[] kelluends;
    kelluends = nullptr;
    delete kellusync;
    kellusync = nullptr;
}
