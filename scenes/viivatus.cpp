// Scene viivatus: twenty hatched ribbons along the x axis, each a line strip through the ends of
// 700 turning strokes, growing as the scene runs, with molecules on the axis and flashes on cues.
#include "engine/colors.h"
#include "engine/curves.h"
#include "engine/gl.h"
#include "engine/matrix.h"
#include "engine/position.h"
#include "engine/random.h"
#include "engine/sync.h"
#include "molecules/molecules.h"
#include "scenes/scenes.h"

#include <cmath>

enum {
    VIIVA_RIBBONS = 20,
    VIIVA_STROKES = 700,
    VIIVA_FLASHES = 50,
    VIIVA_EVENTS = 24,
    VIIVA_CUE_MS = 200,
};

Line** viivat;
Vector* viivamolekyylit;
Vector* viivarotations;
Sync* viivasync;
// The two ends of every stroke of one ribbon, computed in the colour pass and sent again in the
// white pass; sized once here so a frame allocates nothing.
static Vector* viivapisteet;
// Every ribbon's stroke ends once the strokes' windows are over, 2 * VIIVA_STROKES a ribbon: the
// windows close one by one over the scene, and the strokes past theirs are copied from here.
static Vector* viivavalmiit;

// (order, row) of the music cues, in the order they are added.
static const int viivacues[VIIVA_EVENTS][2] = {
    {14, 0},  {14, 12}, {14, 44}, {15, 0},  {15, 12}, {15, 44}, {16, 0},  {16, 12},
    {16, 44}, {17, 0},  {17, 12}, {17, 44}, {17, 54}, {18, 0},  {18, 12}, {18, 44},
    {19, 32}, {19, 44}, {20, 0},  {20, 32}, {20, 40}, {21, 0},  {21, 32}, {21, 40},
};

// The world jumps back by this many degrees on every cue.
static const float viivajump = 34.0f;
// The jumps so far, degrees; viivatus_init starts it at 0.
static float viivakierto;

// Three numbers from the generator, drawn for x, y and z in that order.
static Vector viivarandom() {
    float x = randFloat();
    float y = randFloat();
    float z = randFloat();
    return Vector(x, y, z);
}

// No reseed here: the strokes continue the generator from where the scene built just before
// this one left it, so the start-up order fixes the layout.
void viivatus_init() {
    viivat = new Line*[VIIVA_RIBBONS];
    viivakierto = 0;
    viivamolekyylit = new Vector[VIIVA_FLASHES];
    viivarotations = new Vector[VIIVA_FLASHES];
    viivapisteet = new Vector[2 * VIIVA_STROKES];
    viivavalmiit = new Vector[VIIVA_RIBBONS * 2 * VIIVA_STROKES];

    viivasync = new Sync(VIIVA_EVENTS, "viivatus");
    for (const int* cue : viivacues)
        viivasync->add(cue[0], cue[1], VIIVA_CUE_MS);

    for (int i = 0; i < VIIVA_RIBBONS; i++) {
        float f = (float)i / VIIVA_RIBBONS;
        viivat[i] = new Line[VIIVA_STROKES];
        for (int j = 0; j < VIIVA_STROKES; j++) {
            float t = (float)j / VIIVA_STROKES;
            float x = (t - 0.5f) * 10;
            // The terms are summed in double and rounded once.
            float y = 0.2f * (float)(sin((double)(19 * t)) + cos((double)(15 * t + 17 * f)) + f);
            float z = 0.3f * (float)(sin((double)(24 * t)) + cos((double)(17 * t + 7 * f)));
            // About four turns of twist about the axis over the ribbon's length.
            Matrix twist;
            twist.makeRotation(25 * t, 0, 0);
            Vector p = Vector(x, y, z) * twist;
            Line& l = viivat[i][j];
            l.posStart = p;
            l.posEnd = p;
            l.rotStart = viivarandom();
            l.rotEnd = viivarandom() * 5;
            l.startTime = 0;
            l.endTime = randFloat();
            l.halfLength = randFloat() * 0.05f;
        }
        // Every window ends by 1.
        calcLinePositions(viivat[i], VIIVA_STROKES, 1.0f, viivavalmiit + 2 * VIIVA_STROKES * i);
    }

    Matrix spread;
    spread.makeScale(200, 30, 30);
    for (int k = 0; k < VIIVA_FLASHES; k++) {
        viivamolekyylit[k] = (viivarandom() - Vector(0.5f, 0.5f, 0.5f)) * spread;
        viivarotations[k] = viivarandom();
    }
}

// The number of strokes ribbon i shows at pos: two a step of 1/700, the later ribbons ahead.
// Both products are truncated on their own, in single precision.
static int viivacount(float pos, float f) {
    int n = 2 * (int)(VIIVA_STROKES * pos) + (int)(VIIVA_STROKES * (f - 0.3f));
    if (n < 0)
        return 0;
    if (n > VIIVA_STROKES)
        return VIIVA_STROKES;
    return n;
}

static void viivastrip(int n) {
    glBegin(GL_LINE_STRIP);
    for (int j = 0; j < 2 * n; j++)
        glVertex3fv(&viivapisteet[j].x);
    glEnd();
}

void viivatus(float pos) {
    float env = calcSaturate(pos, 0, 1, 6);
    glLoadIdentity();
    // Negligible for most of the scene, it carries the camera away at the very end.
    float q = (float)pow((double)pos - 0.1, 46.0);
    Vector lift = Vector(0.7f, 0, 1) * q * 300;
    Vector eye = Vector(6.3f * pos - 3.5f, 0, 0.2f * (float)sin((double)(11 * pos)) - 3) + lift;
    Vector target = Vector(6.1f * pos - 3.5f + 0.3f * (float)sin((double)(8 * pos)), 0, 0) + lift;
    float rock = 0.1f * (float)cos((double)(11 * pos));
    gluLookAt(eye.x, eye.y, eye.z, target.x, target.y, target.z, rock, 1 - rock, 0);

    // getValue fires the cues, so it comes first and only once a frame.
    float s = viivasync->getValue();
    if (viivasync->getActivated())
        viivakierto = viivakierto - viivajump;
    glRotatef(160 * pos, 1, 0, 0);
    glRotatef(viivakierto, 1, 0, 0);

    glDisable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);

    for (int i = 0; i < VIIVA_RIBBONS; i++) {
        float f = (float)i / VIIVA_RIBBONS;
        int n = viivacount(pos, f);
        calcLinePositions(viivat[i], n, pos, viivapisteet, viivavalmiit + 2 * VIIVA_STROKES * i);

        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        const Vector& c = i % 2 ? oranssi : sininen;
        glColor4f(c.x, c.y, c.z, env * 0.7f);
        glLineWidth(4.0f);
        viivastrip(n);

        glLineWidth(1.0f);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        // A quick flicker, a small phase step between neighbouring ribbons.
        float flicker = 0.9f + 0.2f * (float)cos((double)(51 * pos + 2 * f * 3.141592f / 20));
        glColor4f(1, 1, 1, env * 0.5f * flicker);
        viivastrip(n);
    }

    // Ten whole molecules on the axis, alternating above and below it, 36 degrees apart.
    for (int k = -5; k <= 4; k++) {
        glPushMatrix();
        glScalef(0.1f, 0.1f, 0.1f);
        glTranslatef(10.0f * k, 0, 0);
        glRotatef(((k + 5) / 10.0f) * 360, 1, 0, 0);
        if (k % 2 != 0) {
            glTranslatef(0, 3, 0);
            fluoxetine(env * 0.7f, 1);
        } else {
            glTranslatef(0, -3, 0);
            fluvoxamine(env * 0.7f, 1);
        }
        glPopMatrix();
    }

    if (s > 0) {
        void (*const flashes[3])(float, float) = {fluoxetine, fluvoxamine, citalopram};
        for (int k = 0; k < VIIVA_FLASHES; k++) {
            const Vector& at = viivamolekyylit[k];
            const Vector& axis = viivarotations[k];
            glPushMatrix();
            glScalef(0.05f, 0.05f, 0.05f);
            glTranslatef(at.x, at.y, at.z);
            glRotatef(90, axis.x, axis.y, axis.z);
            flashes[k % 3](env * s, 1);
            glPopMatrix();
        }
    }
}

void viivatus_free() {
    for (int i = 0; i < VIIVA_RIBBONS; i++)
        delete[] viivat[i];
    delete[] viivat;
    delete[] viivamolekyylit;
    delete[] viivarotations;
    delete viivasync;
    delete[] viivapisteet;
    delete[] viivavalmiit;
}
