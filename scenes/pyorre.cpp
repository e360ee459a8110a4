// Scene pyorre: a five-armed vortex of points spiralling inwards, jets along its axis and four
// mirrored spiral trails of glowing squares; the camera cuts to another viewpoint on each cue.
#include "engine/colors.h"
#include "engine/fasttrig.h"
#include "engine/gl.h"
#include "engine/lights.h"
#include "engine/matrix.h"
#include "engine/path.h"
#include "engine/position.h"
#include "engine/random.h"
#include "engine/sync.h"
#include "scenes/scenes.h"

#include <cmath>

enum {
    PYORRE_PARTICLES = 10000,
    PYORRE_ARMS = 5,
    PYORRE_SPIRALPOINTS = 200,
    PYORRE_EVENTS = 15,
    PYORRE_CUE_MS = 700,
    PYORRE_JETPOINTS = 2500,
    PYORRE_VIEWPOINTS = 7,
    // The trails' steps: 0.0025 accumulated in float from 0 while below 1.
    PYORRE_STEPS = 401,
};

// One vortex point: it slides from outerRadius in to innerRadius along its arm.
struct PyorreHiukkanen {
    float armAngle; // radians
    float outerRadius;
    float innerRadius;
    float startPhase; // 0..1
};

PyorreHiukkanen* pyorteet;
Path* spiral1;
Sync* pyorresync;
// The vortex points and their colours, computed in the first pass and sent again as the white
// cores; sized once here so a frame allocates nothing.
static Vector* pyorrepisteet;
static float (*pyorrevarit)[4];
// The vortex points' places along their arms, radii and angles this frame, and the angles' sines
// and cosines and the places' envelopes, each taken for all points in one call.
static float pyorreu[PYORRE_PARTICLES], pyorrer[PYORRE_PARTICLES], pyorrea[PYORRE_PARTICLES];
static float pyorresin[PYORRE_PARTICLES], pyorrecos[PYORRE_PARTICLES];
static float pyorreenvelope[PYORRE_PARTICLES];
// The jets' scatter, (sin a * 0.4 * t, cos a * 0.4 * t) of point i: it hangs on i alone, so it
// is worked out once at init.
static float (*pyorrejetxz)[2];
// The viewpoint, one on from the last at each cue; pyorre_init starts it at the first.
static int pyorrecamindex;

static const int pyorreseed = 1691;

static const int pyorrecues[PYORRE_EVENTS][2] = {
    {22, 0}, {22, 32}, {22, 40}, {23, 0},  {23, 32}, {23, 40}, {24, 40}, {25, 0},
    {25, 8}, {25, 20}, {25, 32}, {25, 40}, {27, 44}, {27, 50}, {27, 56},
};

static const Vector pyorreviewpoints[PYORRE_VIEWPOINTS] = {
    Vector(0, 2, -7),    Vector(1, 3, -5),   Vector(-2, 2.3f, -8), Vector(-3, -4, 5),
    Vector(3, -2.3f, 7), Vector(2, 1.3f, 5), Vector(1, -4.3f, 5),
};

// 0.5 plus i mod 5 fifths of a full turn, as the float values the arms start at.
static const float pyorrearms[PYORRE_ARMS] = {0.5f, 1.7566369f, 3.0132737f, 4.2699108f, 5.5265474f};

void pyorre_init() {
    pyorteet = new PyorreHiukkanen[PYORRE_PARTICLES];
    pyorrepisteet = new Vector[PYORRE_PARTICLES];
    pyorrevarit = new float[PYORRE_PARTICLES][4];
    pyorrejetxz = new float[PYORRE_JETPOINTS][2];
    pyorrecamindex = 0;
    spiral1 = new Path();
    pyorresync = new Sync(PYORRE_EVENTS, "pyorre");
    for (const int* cue : pyorrecues)
        pyorresync->add(cue[0], cue[1], PYORRE_CUE_MS);

    // Five turns, rising 1.5 while the radius grows cubically to 4.3.
    for (int i = 0; i < PYORRE_SPIRALPOINTS; i++) {
        float t = (float)i / PYORRE_SPIRALPOINTS;
        float angle = ((2 * t) * 3.141592f) * 5 + 3.5f;
        float radius = 4.3f * (float)pow((double)t, 3.0);
        spiral1->addpoint(Vector(fsin(angle) * radius, 1.5f * t, fcos(angle) * radius));
    }

    setSeed(pyorreseed);
    for (int i = 0; i < PYORRE_PARTICLES; i++) {
        PyorreHiukkanen& p = pyorteet[i];
        randFloat(); // discarded: the layout uses every fifth number from the next one on
        p.armAngle = pyorrearms[i % PYORRE_ARMS] + 0.55f * randFloat();
        p.innerRadius = 0.05f + 0.15f * randFloat();
        p.outerRadius = 4.0f + randFloat();
        p.startPhase = randFloat();
    }

    for (int i = 0; i < PYORRE_JETPOINTS; i++) {
        float t = (float)i / PYORRE_JETPOINTS;
        // A huge multiplier turns t into an angle that looks random from point to point.
        float a = t * 141592656.0f;
        pyorrejetxz[i][0] = fsin(a) * 0.4f * t;
        pyorrejetxz[i][1] = fcos(a) * 0.4f * t;
    }
}

// A cone of scattered points along the axis, opening away from the centre towards `dir`
// (+1 up, -1 down), alpha falling from gain * fade * g at the tip to 0 at its end.
static void pyorrejet(float dir, float gain, float fade, float g) {
    glBegin(GL_POINTS);
    for (int i = 0; i < PYORRE_JETPOINTS; i++) {
        float t = (float)i / PYORRE_JETPOINTS;
        glColor4f(oranssi.x, oranssi.y, oranssi.z, gain * (1 - t) * fade * g);
        glVertex3f(pyorrejetxz[i][0], dir * 2 * t, pyorrejetxz[i][1]);
    }
    glEnd();
}

void pyorre(float pos) {
    float fade = calcSaturate(pos, 0, 1, 6);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glLoadIdentity();

    // Negligible until pos 0.9, then the pull-away.
    Vector drift = Vector(-0.9f, 2, -1) * (float)pow((double)pos - 0.1, 46.0) * 300;
    Vector eye = pyorreviewpoints[pyorrecamindex % PYORRE_VIEWPOINTS] + drift;
    Vector centre = Vector(0, pos, 0) + drift;
    gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, 0.2f, 0.8f, 0);
    glRotatef(70 * pos, 0, 1, 0);

    float k = calcPosFloat(pos, 0.15f, 0.2f);
    // getValue fires the cues, so it comes first and only once a frame; the cut shows from the
    // next frame on.
    float sv = pyorresync->getValue();
    if (pyorresync->getActivated())
        pyorrecamindex = pyorrecamindex + 1;

    glPointSize(4.0f);
    glDisable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);

    int n = (int)(calcPosFloat(pos, 0.02f, 0.07f) * PYORRE_PARTICLES);
    // The points' places and angles first, then all their sines and envelopes at once, then
    // the points and colours.
    for (int i = 0; i < n; i++) {
        const PyorreHiukkanen& p = pyorteet[i];
        float u = pos * 0.6f + ((float)i / PYORRE_PARTICLES) * 0.5f + p.startPhase;
        if (u > 1)
            u = u - (float)(int)u;
        pyorreu[i] = u;
        pyorrer[i] = p.outerRadius * (1 - u) + p.innerRadius * u;
        // The arms trail into spirals: the further out, the further behind.
        pyorrea[i] = p.armAngle - pyorrer[i];
    }
    sincos_floats(pyorrea, pyorresin, pyorrecos, n);
    calcSaturates(pyorreu, 0, 1, 5, pyorreenvelope, n);
    for (int i = 0; i < n; i++) {
        pyorrepisteet[i] = Vector(pyorresin[i], 0, pyorrecos[i]) * pyorrer[i];
        const Vector& c = i % 7 == 0 ? oranssi : sininen;
        float* rgba = pyorrevarit[i];
        rgba[0] = c.x;
        rgba[1] = c.y;
        rgba[2] = c.z;
        rgba[3] = fade * pyorreenvelope[i] * 0.3f;
    }
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);
    glPointSize(4.0f);
    glDepthMask(GL_FALSE);
    glBegin(GL_POINTS);
    for (int i = 0; i < n; i++) {
        glColor4fv(pyorrevarit[i]);
        glVertex3fv(&pyorrepisteet[i].x);
    }
    glEnd();
    glDepthMask(GL_TRUE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_DEPTH_TEST);
    glPointSize(1.0f);
    glColor4f(1, 1, 1, fade * sv);
    glBegin(GL_POINTS);
    for (int i = 0; i < n; i++)
        glVertex3fv(&pyorrepisteet[i].x);
    glEnd();

    // One number a frame from the shared generator for the flicker, whether or not it shows.
    float c =
        (float)(cos((double)(74 * pos)) * cos((double)(137 * pos)) * cos((double)(215 * pos)));
    float g = 2 * k * (0.9f + 0.2f * randFloat()) * (0.15f + 0.15f * c);
    if (!(g > 0.001f))
        return;

    pyorrejet(-1, 2, fade, g);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDepthMask(GL_TRUE);
    pyorrejet(1, 1, fade, g);

    glDepthMask(GL_TRUE);
    glDisable(GL_DEPTH_TEST);
    float w = 0.8f + 0.4f * fcos(64 * pos);
    float c55 = fcos(5.5f * pos), c75 = fcos(7.5f * pos), c8 = fcos(8 * pos);
    // The steps' places along the spiral and their turn angles first, then all the turns in
    // one call, then four squares a step, turned alike. The step is accumulated in float, which
    // gives PYORRE_STEPS steps, the last just under 1.
    float places[PYORRE_STEPS];
    Vector angles[PYORRE_STEPS];
    Matrix turns[PYORRE_STEPS];
    int steps = 0;
    for (float s = 0; s < 1; s += 0.0025f) {
        float u = s - 0.6f * pos;
        if (u > 1)
            u = u - (float)(int)u;
        if (u < 0)
            u = u + 1;
        places[steps] = u;
        angles[steps++] = Vector(17 * u * c55, -14 * u * c75, 12.4f * u * c8) * s;
    }
    makeRotations(angles, turns, steps);
    for (int step = 0; step < steps; step++) {
        float u = places[step];
        Vector p = spiral1->getValue(u);
        float size = 0.1f * u;
        float fill = 0.25f * fade * (1 - u * u) * k;
        float outline = 0.9f * fade * (1 - u * u) * k;
        const Matrix& turn = turns[step];
        // The red and violet copies light up only on cues.
        lightquad_turned(Vector(p.x, p.y, p.z), turn, size, size, oranssi, fill, outline);
        lightquad_turned(Vector(-p.x, p.y, -p.z), turn, size, size, punainen, fill * sv * 1.2f,
                         outline * sv * 1.2f);
        lightquad_turned(Vector(-p.x, -p.y, -p.z), turn, size, size, sininen, fill * w,
                         outline * w);
        lightquad_turned(Vector(p.x, -p.y, p.z), turn, size, size, violetti, fill * w * sv * 1.2f,
                         outline * w * sv * 1.2f);
    }
}

void pyorre_free() {
    delete spiral1;
    delete pyorresync;
    delete[] pyorteet;
    delete[] pyorrepisteet;
    delete[] pyorrevarit;
    delete[] pyorrejetxz;
}
