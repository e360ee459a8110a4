// Scene aukko: a camera glides past a deep twisted funnel of orange and blue slices, out of
// whose throat nine dashed stalks bend outwards, each carrying a serotonin molecule.
#include "scenes/aukko.h"
#include "engine/colors.h"
#include "engine/curves.h"
#include "engine/gl.h"
#include "engine/path.h"
#include "engine/position.h"
#include "molecules/molecules.h"
#include "scenes/scenes.h"

#include <cmath>

Path* aukkokamera;

static const float aukkopi = 3.141592f;

enum { AUKKO_SLICES = 16, AUKKO_RINGS = 100, AUKKO_STALKS = 9, AUKKO_STALK_POINTS = 50 };
// The highlight runs over the stalk's last sixteen points.
enum { AUKKO_HIGHLIGHT_FROM = AUKKO_STALK_POINTS - 16 };

// Per stalk: the molecule's rotation axis, then A (height factor), B (bob frequency) and
// C (swing frequency).
static const float aukkostalks[AUKKO_STALKS][6] = {
    {0.3f, 0.1f, -0.7f, 1.2f, 17, 5},   {-0.1f, 0.7f, 0.3f, 1.5f, 14, 6},
    {0.8f, -0.2f, 0.6f, 1.1f, 11, 3},   {-0.3f, 0.5f, 0.17f, 1.7f, 21, 8},
    {0.2f, 0.8f, -0.3f, 1.2f, 13, 4},   {0.5f, -0.85f, 0.4f, 1.1f, 18.5f, 3},
    {0.72f, 0.118f, -0.9f, 1.6f, 9, 6}, {0.95f, -0.85f, 0.4f, 1.3f, 12, 7},
    {-0.7f, 0.8f, -0.5f, 1.2f, 16, 5},
};

// The funnel does not move: each ring's alpha and every strip vertex depend on the slice and
// ring numbers alone, so they are worked out once here, by the very expressions the drawing
// used (a frame of 16 slices by 100 rings spent nearly all its time in pow and sin/cos).
static float aukkoringalpha[AUKKO_RINGS];
static Vector aukkostrip[AUKKO_SLICES][AUKKO_RINGS][2];

static void aukkofunnel_init() {
    for (int k = 0; k < AUKKO_SLICES; k++)
        for (int j = 0; j < AUKKO_RINGS; j++) {
            float t = 1 - j / 100.0f;
            float y = -20 * (1 - t);
            float t15 = (float)pow(t, 15);
            float r = 13 * t15 + 0.1f * (1 - t15);
            float a = 1 - (float)pow(t, 6);
            float twist = 0.1f * (1 - j);
            float theta1 = 2 * (k / 16.0f) * aukkopi + twist;
            float theta2 = 2 * ((k + 1) / 16.0f) * aukkopi + twist;
            aukkostrip[k][j][0] = Vector(r * (float)sin(theta1), y, r * (float)cos(theta1));
            aukkostrip[k][j][1] = Vector(r * (float)sin(theta2), y, r * (float)cos(theta2));
            aukkoringalpha[j] = a;
        }
}

// One slice of the funnel: a strip of rings from the transparent rim down to the opaque
// throat, each ring turned -0.1 radian against the one above, then an additive edge line.
static void aukkoslice(int k, int rings, float S) {
    const Vector& colour = (k % 2) ? sininen : oranssi;

    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBegin(GL_TRIANGLE_STRIP);
    for (int j = 0; j < rings; j++) {
        glColor4f(colour.x, colour.y, colour.z, S * aukkoringalpha[j]);
        glVertex3fv(&aukkostrip[k][j][0].x);
        glVertex3fv(&aukkostrip[k][j][1].x);
    }
    glEnd();

    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glLineWidth(3.0f);
    glBegin(GL_LINE_STRIP);
    for (int j = 0; j < rings; j++) {
        Vector edge = aukkostrip[k][j][0] + Vector(0, 0.05f, 0);
        glColor4f(oranssi.x, oranssi.y, oranssi.z, 2 * S * aukkoringalpha[j]);
        glVertex3fv(&edge.x);
    }
    glEnd();
}

// pow(q / 50, 8) for each stalk point q: how far the stalk has bent towards its tip.
static float aukkostalkcurve[AUKKO_STALK_POINTS];

static void aukkostalk_init() {
    for (int q = 0; q < AUKKO_STALK_POINTS; q++) {
        float u = q / 50.0f;
        aukkostalkcurve[q] = (float)pow(u, 8);
    }
}

// Stalk m: a dashed line bending out of the throat, a white highlight running along its upper
// end, and a serotonin molecule at its tip.
static void aukkostalk(int m, float p, float S) {
    const float* row = aukkostalks[m];
    float A = row[3], B = row[4], C = row[5];
    float phi = (m / 9.0f) * 2 * aukkopi;
    int L = (int)(50 * calcPosFloat(p, -0.01f, 0.03f));

    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glLineWidth(3.0f);
    glColor4f(sininen.x, sininen.y, sininen.z, S);
    glEnable(GL_DEPTH_TEST);
    // Points not yet grown stay at the origin, where the molecule then waits (still invisible).
    Vector stored[AUKKO_STALK_POINTS];
    glBegin(GL_LINES);
    // Only u changes along the stalk: the sines, the swing of the tip and pow(u, 8) (from the
    // table) are the values the per-point expressions gave.
    float sinphi = (float)sin(phi), cosphi = (float)cos(phi);
    Vector base(0.04f * sinphi, -5, 0.04f * cosphi);
    float alpha = C * p + phi;
    Vector tip = Vector((float)sin(alpha), 1.2f * A * (-(0.5f * (float)cos(B * p) + 0.5f)),
                        (float)cos(alpha)) *
                 1.1f;
    Vector root(1.6f * sinphi, 4, 1.6f * cosphi);
    for (int q = 0; q < L; q++) {
        float u = q / 50.0f;
        Vector bend = root + tip * aukkostalkcurve[q];
        Vector point = lerpVector(base, bend, u);
        glVertex3fv(&point.x);
        stored[q] = point;
    }
    glEnd();

    float h = calcPosFloat(p, 0.01f * m + 0.45f, 0.01f * m + 0.6f);
    if (h > 0) {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glDisable(GL_DEPTH_TEST);
        glLineWidth(1.0f);
        glColor4f(1, 1, 1, S * h);
        glBegin(GL_LINES);
        for (int q = AUKKO_STALK_POINTS - 1; q >= AUKKO_HIGHLIGHT_FROM; q--)
            glVertex3fv(&stored[q].x);
        glEnd();
        glEnable(GL_DEPTH_TEST);
    }

    const Vector& top = stored[AUKKO_STALK_POINTS - 1];
    glPushMatrix();
    glTranslatef(top.x, top.y, top.z);
    glScalef(0.15f, 0.15f, 0.15f);
    glRotatef(60 * p + 30, row[0], row[1], row[2]);
    serotonin(0.4f * S * calcPosFloat(p, 0.15f, 0.24f), 1);
    glPopMatrix();
}

void aukko_init() {
    aukkokamera = new Path();
    aukkokamera->addpoint(Vector(-11, 2.1f, -20));
    aukkokamera->addpoint(Vector(-7, 2.3f, -12));
    aukkokamera->addpoint(Vector(-3, 2.4f, -7));
    aukkokamera->addpoint(Vector(1, 2.2f, -5));
    aukkokamera->addpoint(Vector(5, 2.1f, 7));
    aukkokamera->addpoint(Vector(7, 2, 14));
    aukkokamera->addpoint(Vector(3, 3, 20));
    aukkokamera->addpoint(Vector(-5, 4, 24));
    aukkofunnel_init();
    aukkostalk_init();
}

void aukko(float pos) {
    float p = pos;
    float S = calcSaturate(p, 0, 1, 6);

    glLoadIdentity();
    Vector eye = aukkokamera->getValue(0.97f * p);
    // The target stays near the origin and swings far away only at the very end.
    Vector target(150 * (float)pow(p, 60),
                  -105 * (float)pow(p, 40) + 0.3f * (float)sin(p * aukkopi * 0.5f), 0);
    Vector up(-0.2f * p, 1, 0);
    gluLookAt(eye.x, eye.y, eye.z, target.x, target.y, target.z, up.x, up.y, up.z);
    glRotatef(140 * p, 0, 1, 0);

    glDisable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);

    int rings = (int)(100 * calcPosFloat(p, 0, 0.02f));
    for (int k = 0; k < AUKKO_SLICES; k++)
        aukkoslice(k, rings, S);
    for (int m = 0; m < AUKKO_STALKS; m++)
        aukkostalk(m, p, S);
}

void aukko_free() {
    delete aukkokamera;
}
