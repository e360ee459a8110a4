// Scene kellu, which no timeline window draws: a drifting cloud of short coloured sticks in a
// long flat box, each turning slowly while the camera travels along; cues brighten them.
// The driver builds and releases it on every run, so its draws move the shared generator.
#include "engine/colors.h"
#include "engine/fasttrig.h"
#include "engine/gl.h"
#include "engine/matrix.h"
#include "engine/position.h"
#include "engine/random.h"
#include "engine/sync.h"
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

// The sticks, one array a coordinate where a frame's turning reads them, so that it runs a
// vector of sticks at a time; a frame's angles, their sines and the sticks' ends beside them.
struct KelluTikut {
    float spin0[3][KELLU_STICKS], spin1[3][KELLU_STICKS]; // x, y, z spins at pos 0 and 1
    Vector from[KELLU_STICKS];
    float size[KELLU_STICKS]; // half the stick's length
    Vector colour[KELLU_STICKS];
    float angle[3][KELLU_STICKS], sin[3][KELLU_STICKS], cos[3][KELLU_STICKS];
    // Both ends of every stick at the frame's pos, two a stick: turned once a frame and drawn by
    // both passes, since each stick's turn costs far more than emitting its vertices.
    Vector ends[2 * KELLU_STICKS];
};

static KelluTikut* kellutikut;
Sync* kellusync;

// Three draws in the order written, whatever order the compiler evaluates arguments in.
static Vector centred_draws() {
    float x = randFloat() - 0.5f;
    float y = randFloat() - 0.5f;
    float z = randFloat() - 0.5f;
    return Vector(x, y, z);
}

void kellu_init() {
    // Not reseeded: the layout continues the sequence the set-ups before this one left.
    kellutikut = new KelluTikut;
    KelluTikut& t = *kellutikut;
    Matrix box;
    box.makeScale(20, 2, 2);
    const Vector* colours[3] = {&punainen, &sininen, &violetti};
    for (int i = 0; i < KELLU_STICKS; i++) {
        t.colour[i] = *colours[i % 3];
        Vector spin0 = centred_draws() * kelluspin;
        Vector spin1 = centred_draws() * kelluspin;
        t.from[i] = centred_draws() * box;
        t.size[i] = 0.01f + 0.02f * randFloat();
        const float* s0 = &spin0.x;
        const float* s1 = &spin1.x;
        for (int j = 0; j < 3; j++) {
            t.spin0[j][i] = s0[j];
            t.spin1[j][i] = s1[j];
        }
    }

    kellusync = new Sync(KELLU_SLOTS);
    for (int order = KELLU_FIRST_ORDER; order <= KELLU_LAST_ORDER; order++) {
        for (int row : kellurows)
            if (order != KELLU_LAST_ORDER || row != 0)
                kellusync->add(order, row, KELLU_CUE_MS);
        if (order == KELLU_EXTRA_ORDER)
            kellusync->add(order, KELLU_EXTRA_ROW, KELLU_CUE_MS);
    }
}

// Stick i's half, from its centre to one end, by its turn's x axis from the frame's sines.
static Vector kelluhalf(const KelluTikut& t, int i) {
    return xAxisFrom(t.sin[0][i], t.cos[0][i], t.sin[1][i], t.cos[1][i], t.sin[2][i], t.cos[2][i]) *
           t.size[i];
}

// Turns every stick to pos into its ends. A stick lies along x, so only the x axis of its turn
// matters: the angles first, then their sines a coordinate at a time, then the axes and ends.
static void turn_sticks(float pos) {
    KelluTikut& t = *kellutikut;
    float rest = 1.0f - pos; // lerpVector's weights
    for (int j = 0; j < 3; j++)
        for (int i = 0; i < KELLU_STICKS; i++)
            t.angle[j][i] = t.spin0[j][i] * rest + t.spin1[j][i] * pos;
    for (int j = 0; j < 3; j++)
        sincos_floats(t.angle[j], t.sin[j], t.cos[j], KELLU_STICKS);
    // The ends are from +- Vector(size, 0, 0) * turn, which the axis gives exactly but for a
    // zero coordinate: sticks with one take the full product after the pass.
    int zeros = 0;
    for (int i = 0; i < KELLU_STICKS; i++) {
        Vector along = kelluhalf(t, i);
        t.ends[2 * i] = t.from[i] + along;
        t.ends[2 * i + 1] = t.from[i] - along;
        zeros |= hasZeroCoordinate(along);
    }
    for (int i = 0; zeros && i < KELLU_STICKS; i++)
        if (hasZeroCoordinate(kelluhalf(t, i)))
            turnedStickEnds(t.from[i], t.size[i], t.angle[0][i], t.angle[1][i], t.angle[2][i],
                            t.ends + 2 * i);
}

// One batch of every stick as turned: each in its own colour, or all white, at the given alpha.
static void sticks(float alpha, bool coloured) {
    const KelluTikut& t = *kellutikut;
    if (!coloured)
        glColor4f(1, 1, 1, alpha);
    glBegin(GL_LINES);
    for (int i = 0; i < KELLU_STICKS; i++) {
        if (coloured) {
            const Vector& c = t.colour[i];
            glColor4f(c.x, c.y, c.z, alpha);
        }
        glVertex3fv(&t.ends[2 * i].x);
        glVertex3fv(&t.ends[2 * i + 1].x);
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
    delete kellutikut;
    kellutikut = nullptr;
    delete kellusync;
    kellusync = nullptr;
}
