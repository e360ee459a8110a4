// Scene kasvu: random-walk growths sprouting from a sphere, turning a revolution over the scene
// and jumping on music cues, between two mirrored rows of bars that flash with the beat.
#include "scenes/kasvu.h"
#include "engine/colors.h"
#include "engine/curves.h"
#include "engine/gl.h"
#include "engine/lights.h"
#include "engine/matrix.h"
#include "engine/position.h"
#include "engine/random.h"
#include "engine/sync.h"
#include "scenes/scenes.h"

#include <cmath>
#include <cstdlib>

KasvuItem* kasvut;
Sync* kasvusync;

static const float kasvupi = 3.141592f;

// Cue rows per pattern order; a row list ends at -1.
static const int kasvucues[][7] = {
    {36, 0, 12, 20, 44, 48, 52}, {37, 0, 26, 48, 52, -1},     {38, 0, 12, 20, 44, 48, 52},
    {39, 0, 12, 20, 44, 48, 52}, {40, 0, 12, 20, 44, 48, 52}, {41, 0, 26, 48, 52, -1},
    {42, 0, 12, 20, 44, 48, 52}, {43, 0, 12, 20, 44, 48, 52},
};
static const int kasvucuecount = 44;
static const int kasvucuems = 300;

enum { KASVU_BARS = 25 };

// Carried from frame to frame: each cue flips the bars' colour, turns the cluster 25 degrees
// further and picks a new axis for that turn. kasvu_init sets them as the first frame finds them.
static int kasvuswitch;  // non-zero: violet bars; zero: red
static float kasvuaccum; // the cluster's turn from cues, degrees
static float kasvuxrot, kasvuyrot, kasvuzrot;

void kasvu_init() {
    // Value-initialised: every point array starts null, as kasvu_free expects.
    kasvut = new KasvuItem[KASVU_ITEMS]();
    kasvuswitch = 1;
    kasvuaccum = 0;
    kasvuxrot = kasvuyrot = kasvuzrot = 0;
    setSeed(10650);

    kasvusync = new Sync(kasvucuecount, "kasvu");
    for (const int* cue : kasvucues)
        for (int r = 1; r < 7 && cue[r] >= 0; r++)
            kasvusync->add(cue[0], cue[r], kasvucuems);

    for (int i = 0; i < KASVU_ITEMS; i++) {
        KasvuItem& it = kasvut[i];
        it.start = i / 20.0f;
        it.end = it.start + 0.2f;
        it.origin = randomSphereVector(1.0f);
        it.pointcount = (int)(randFloat() * 101) + 300;
        it.points = new Vector[it.pointcount];

        // The colour scheme comes from the C library's stream so that the seeded one, which
        // fixes every shape, is not advanced by it.
        if (rand() % 2 == 0) {
            it.fillcolour = sininen;
            it.linecolour = oranssi;
        } else {
            it.fillcolour = Vector(0, 0, 0);
            it.linecolour = punainen;
        }

        Vector p(0, 0, 0);
        float a = randFloat();
        float b = randFloat();
        float db = randFloat() * 0.1f + 0.01f;
        float da = randFloat() * 0.1f + 0.01f;
        for (int j = 0; j < it.pointcount; j++) {
            float r = randFloat() * 0.1f;
            p += sphereCoord(r, 2 * kasvupi * a, kasvupi * b);
            it.points[j] = p;
            a += da;
            b += db;
            // Independent drifts of the two angle rates curl the walk.
            da *= randFloat() * 0.5f + 0.75f;
            db *= randFloat() * 0.5f + 0.75f;
        }
    }
}

void KasvuItem::draw(float alpha, float pos) {
    float t = calcPosFloat(pos, start, end);
    if (t <= 0.0001f || t >= 0.9999f)
        return;
    int n = (int)(pointcount * t);
    float f = (float)sin(t * kasvupi);

    glPushMatrix();
    glTranslatef(origin.x, origin.y, origin.z);
    glColor4f(fillcolour.x, fillcolour.y, fillcolour.z, alpha * 0.25f * f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBegin(GL_TRIANGLE_FAN);
    for (int j = 0; j < n; j++)
        glVertex3fv(&points[j].x);
    glEnd();
    glColor4f(linecolour.x, linecolour.y, linecolour.z, alpha * 0.5f * f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glBegin(GL_LINE_STRIP);
    for (int j = 0; j < n; j++)
        glVertex3fv(&points[j].x);
    glEnd();
    glPopMatrix();
}

// The two rows of bars, above y = 0 and mirrored below it. Violet draws each rectangle as it
// is; red widens and lengthens it and draws its outline in another order.
static void kasvubars(int violet, float sat, float s) {
    Matrix mirror;
    mirror.makeScale(1, -1, 1);
    Vector left(-7, 1, 1.5f), right(7, 1, 1.5f);
    for (int i = 0; i < KASVU_BARS; i++) {
        Vector c0 = lerpVector(left, right, i / 25.0f);
        Vector c1 = c0 + Vector(0.25f, 0, 0);
        Vector c2 = c0 + Vector(0, 0, -4);
        Vector c3 = c1 + Vector(0, 0, -4);
        if (violet) {
            float body = sat * 0.6f * s, core = sat * s;
            Vector w0 = c0 * mirror, w1 = c1 * mirror, w2 = c2 * mirror, w3 = c3 * mirror;
            lightline(c0, c1, violetti, 5.0f, body, core);
            lightline(c2, c3, violetti, 5.0f, body, core);
            lightline(c0, c2, violetti, 5.0f, body, core);
            lightline(c1, c3, violetti, 5.0f, body, core);
            lightline(w0, w1, violetti, 5.0f, body, core);
            lightline(w2, w3, violetti, 5.0f, body, core);
            lightline(w0, w2, violetti, 5.0f, body, core);
            lightline(w1, w3, violetti, 5.0f, body, core);
        } else {
            float body = sat * 0.5f * s, core = sat * s;
            Vector q0 = c0 + Vector(-0.09f, 0, 0.5f), q1 = c1 + Vector(0.09f, 0, 0.5f);
            Vector q2 = c2 + Vector(-0.09f, 0, -0.5f), q3 = c3 + Vector(0.09f, 0, -0.5f);
            Vector m0 = q0 * mirror, m1 = q1 * mirror, m2 = q2 * mirror, m3 = q3 * mirror;
            lightline(q0, q1, punainen, 5.0f, body, core);
            lightline(q0, q2, punainen, 5.0f, body, core);
            lightline(q2, q3, punainen, 5.0f, body, core);
            lightline(q1, q3, punainen, 5.0f, body, core);
            lightline(m0, m1, punainen, 5.0f, body, core);
            lightline(m0, m2, punainen, 5.0f, body, core);
            lightline(m2, m3, punainen, 5.0f, body, core);
            lightline(m1, m3, punainen, 5.0f, body, core);
        }
    }
}

void kasvu(float pos) {
    float sat = calcSaturate(pos, 0, 1, 16);
    glLoadIdentity();
    float e = (float)sin(calcPosFloat(pos, 0, 0.1f) * 0.5f * kasvupi);
    glTranslatef(2 * pos - 1, 0, -((1 - e) * 3 + 7));

    // The bars keep whatever depth test the scenes before them left.
    glPushMatrix();
    glRotatef(pos * 10, 0, 1, 0);
    float s = 0.5f * kasvusync->getValue();
    if (kasvusync->getActivated()) {
        kasvuaccum += 25;
        kasvuswitch = (kasvuswitch == 0) ? 1 : 0;
        kasvuxrot = (float)sin(pos * 187);
        kasvuyrot = (float)sin(pos * 114);
        kasvuzrot = (float)sin(pos * 81);
    }
    kasvubars(kasvuswitch, sat, s);
    glPopMatrix();

    glPushMatrix();
    glRotatef(pos * 360, 0, 1, 0.2f);
    // Until the first cue the axis is zero, which has no direction to turn about: some drivers
    // would normalise it into NaNs, so the turn is left out and the cluster stays as it is.
    if (kasvuxrot != 0 || kasvuyrot != 0 || kasvuzrot != 0)
        glRotatef(kasvuaccum, kasvuxrot, kasvuyrot, kasvuzrot);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glLineWidth(3.0f);
    for (int i = 0; i < KASVU_ITEMS; i++)
        kasvut[i].draw(sat, pos);
    glPopMatrix();
}

void kasvu_free() {
    if (kasvut) {
        for (int i = 0; i < KASVU_ITEMS; i++)
            delete[] kasvut[i].points;
        delete[] kasvut;
    }
    delete kasvusync;
}
