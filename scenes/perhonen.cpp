// Scene perhonen, the butterflies: over a faint wireframe grid the camera drifts forward, the
// greetings fade in, rays flash from random grid points on the music's accents, and nine traced
// butterflies flap and hop between fifteen moving anchors on the beat.
#include "scenes/perhonen.h"
#include "engine/colors.h"
#include "engine/fasttrig.h"
#include "engine/gl.h"
#include "engine/object.h"
#include "engine/position.h"
#include "engine/sync.h"
#include "engine/textimages.h"
#include "scenes/scenes.h"

#include <cmath>
#include <cstdlib>

int perhovertexcount = PERHO_VERTICES;
Vector* perhovertices;
Object* perhosmaasto;
int syncpositions = PERHO_MARKERS;
int syncobjects = PERHO_RAYS;
int* syncdata;
unsigned char* suunnat;
Sync* perhossync;
Sync* perhoskamerasync;

static const float perhopi = 3.141592f;
static const int perhocues = 200; // slots of each cue track
static const int perhocuelength = 400;
static const int perhogridside = 50;
static const float perhogridsize = 70;
static const float perhogridshift = 17; // the drawn grid lies this far down +z; the rays do not
static const int perhoflaprate = 300;
static const float perhoscale = 0.4f;
static const float perhotextscale = 0.03f;

// Carried from frame to frame: the butterflies hop one anchor on at each ray cue, and the camera
// offset and colours move one on at each camera cue. perhonen_init starts both at 0.
static int perhosindex;
static int perhoscamindex;

// Orders 50 to 57 and their cue rows. Row lists end at -1; the camera track has no cues in 52
// and two more orders, 56 and 57, of its own.
static const int perhorows50[] = {0, 8, 20, 36, 48, 60, -1};
static const int perhorows51[] = {0, 6, 12, 22, 28, 32, 44, -1};
static const int perhorows53[] = {0, 12, 20, 44, 48, 52, -1};
static const int perhorows54[] = {0, 26, 48, 52, -1};

static void perhoadd(Sync* s, int order, const int* rows) {
    for (int i = 0; rows[i] >= 0; i++)
        s->add(order, rows[i], perhocuelength);
}

void perhonen_init() {
    perhovertices = new Vector[perhovertexcount];
    perhosindex = 0;
    perhoscamindex = 0;
    for (int i = 0; i < perhovertexcount; i++) {
        float t = (float)(24 * i) * perhopi / (float)perhovertexcount;
        double g = exp(cos((double)t)) - 2 * cos((double)(4 * t)) - pow(sin((double)(t / 12)), 5.0);
        perhovertices[i] = Vector((float)(cos((double)t) * g), 0, (float)(sin((double)t) * g));
    }
    perhosmaasto = new Object();
    perhosmaasto->buildPlane(perhogridsize, perhogridside, perhogridside, Vector(0, 0, 0));
    // Filled at the first ray cue, before anything reads them.
    syncdata = new int[syncpositions];
    suunnat = new unsigned char[syncpositions];

    perhossync = new Sync(perhocues, "perhonen");
    perhoadd(perhossync, 50, perhorows50);
    perhoadd(perhossync, 51, perhorows51);
    // Order 52 rolls: every second row up to 32, then every row to 46.
    for (int r = 0; r <= 32; r += 2)
        perhossync->add(52, r, perhocuelength);
    for (int r = 33; r <= 46; r++)
        perhossync->add(52, r, perhocuelength);
    perhoadd(perhossync, 53, perhorows53);
    perhoadd(perhossync, 54, perhorows54);
    perhoadd(perhossync, 55, perhorows53);

    perhoskamerasync = new Sync(perhocues, "perhonen");
    perhoadd(perhoskamerasync, 50, perhorows50);
    perhoadd(perhoskamerasync, 51, perhorows51);
    perhoadd(perhoskamerasync, 53, perhorows53);
    perhoadd(perhoskamerasync, 54, perhorows54);
    for (int order = 55; order <= 57; order++)
        perhoadd(perhoskamerasync, order, perhorows53);
}

void butterfly(float rate, float progress, float phase, float alpha, Vector& colour) {
    float w = 0.4f * (0.5f * fsin(phase * rate) + 0.5f);
    for (int i = 0; i < perhovertexcount; i++)
        perhovertices[i].y = fabsf(perhovertices[i].z) * w;
    int n = (int)((float)perhovertexcount * progress);

    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glLineWidth(4.0f);
    glColor4f(colour.x, colour.y, colour.z, alpha * progress * 0.7f);
    glBegin(GL_LINE_STRIP);
    for (int i = 0; i < n; i++)
        glVertex3fv(&perhovertices[i].x);
    glEnd();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glLineWidth(1.0f);
    glColor4f(1, 1, 1, alpha * progress * 0.4f);
    glBegin(GL_LINE_STRIP);
    for (int i = 0; i < n; i++)
        glVertex3fv(&perhovertices[i].x);
    glEnd();
}

// Anchor slot k at scene position p.
static Vector perhoanchor(int k, float p) {
    switch (k) {
    case 0:
        return Vector(0, 0, 18 * p - 3);
    case 1:
        return Vector(p + 3, 2, 13 * p);
    case 2:
        return Vector(-3, 1.5f, 15 * p + 2);
    case 3:
        return Vector(0.1f * p + 0.6f, 2, 15 * p + 15);
    case 4:
        return Vector(0.7f * p - 4, 0.5f, 23 * p + 6);
    case 5:
        return Vector(4.2f - 1.3f * p, 1, 10 * p + 19);
    case 6:
        return Vector(0.1f * p + 0.2f, 1, 11 * p + 8);
    case 7:
        return Vector(-6, 4, 12 * p - 3);
    case 8:
        return Vector(6, 4, 12 * p - 3);
    case 9:
        return Vector(4.2f - 1.3f * p, -2.1f, 12 * p + 7);
    case 10:
        return Vector(3 - p, 5, 11 * p);
    case 11:
        return Vector(0.7f * p - 8, 1.3f, 23 * p + 3);
    case 12:
        return Vector(-3, -1.5f, 18 * p + 3);
    case 13:
        return Vector(4.2f - 1.3f * p, -2.1f, 12 * p + 7);
    default:
        return Vector(6, -3, (12 * p + 4) - 3);
    }
}

// The rays' direction bits, in drawing order, and their unit directions in the grid plane.
static const int perhobits[4] = {2, 4, 8, 16};
static const float perhodirs[4][2] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}}; // (x, z)

// The first syncobjects markers as rays of length s: from the grid point at `base` alpha to the
// tip at alpha 0, in the marker's colour or (white) in white.
static void perhorays(float s, float base, bool white) {
    glBegin(GL_LINES);
    for (int i = 0; i < syncobjects; i++) {
        Vector p = perhosmaasto->vertices[syncdata[i]].position;
        Vector c = white ? Vector(1, 1, 1) : (syncdata[i] % 2 == 1 ? oranssi : sininen);
        for (int d = 0; d < 4; d++) {
            if (!(suunnat[i] & perhobits[d]))
                continue;
            Vector tip = p + Vector(perhodirs[d][0] * s, 0, perhodirs[d][1] * s);
            glColor4f(c.x, c.y, c.z, base);
            glVertex3fv(&p.x);
            glColor4f(c.x, c.y, c.z, 0);
            glVertex3fv(&tip.x);
        }
    }
    glEnd();
}

void perhonen(float pos) {
    float p = pos;

    float S = calcSaturate(p, 0, 1, 6);
    float F = 1 - calcPosFloat(p, 0.8f, 0.9f);

    float sync = perhossync->getValue();
    if (perhossync->getActivated() == 1) {
        perhosindex++;
        // The C library's generator, never seeded: the markers differ with whatever drew
        // from it before.
        for (int i = 0; i < syncpositions; i++) {
            syncdata[i] = rand() % 2500;
            suunnat[i] = (unsigned char)(rand() % 255);
        }
    }
    perhoskamerasync->getValue();
    if (perhoskamerasync->getActivated() == 1)
        perhoscamindex++;

    static const Vector offsets[5] = {Vector(-1, 0, -2), Vector(1.5f, 1, -1),
                                      Vector(1.7f, 3, -0.2f), Vector(-2.3f, 4, -0.6f),
                                      Vector(0.9f, 2.1f, -1.5f)};
    glLoadIdentity();
    Vector eye =
        Vector(2 * fsin(4.4f * p), p + 7, 14 * p - 7 + 2 * (float)cos((double)(4.4f * p))) +
        offsets[perhoscamindex % 5];
    gluLookAt(eye.x, eye.y, eye.z, 0, 0, 2 + 14 * p, 0.1f * p, 1, 0);

    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    // The row and column edges of every cell: two edges of each cell's first triangle.
    glColor4f(sininen.x, sininen.y, sininen.z, 0.2f * S * F);
    const Vector shift(0, 0, perhogridshift);
    glBegin(GL_LINES);
    for (int f = 0; f < perhosmaasto->faceCount; f += 2) {
        const Face& face = perhosmaasto->faces[f];
        Vector a = perhosmaasto->vertices[face.va].position + shift;
        Vector b = perhosmaasto->vertices[face.vb].position + shift;
        Vector c = perhosmaasto->vertices[face.vc].position + shift;
        glVertex3fv(&a.x);
        glVertex3fv(&b.x);
        glVertex3fv(&b.x);
        glVertex3fv(&c.x);
    }
    glEnd();

    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColor4f(sininen.x, sininen.y, sininen.z, S * p * F);
    glPushMatrix();
    glRotatef(180, 0, 0, -1);
    glRotatef(90, 1, 0, 0);
    glScalef(perhotextscale, perhotextscale, perhotextscale);
    font_write3d("greetings");
    glPopMatrix();

    // Before the first ray cue sync is 0 and the markers, never yet drawn, are not read.
    if (sync > 0) {
        float s = 0.9f * sync;
        glLineWidth(4.0f);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        perhorays(s, 0.7f * S * sync, false);
        glLineWidth(1.0f);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        perhorays(s, S, true);
    }

    static const float tiltx[PERHO_BUTTERFLIES][2] = {{7, 7}, {8, 14},  {5, 9},  {11, 5}, {8, 11},
                                                      {7, 6}, {11, 16}, {15, 6}, {17, 11}};
    static const float tilty[PERHO_BUTTERFLIES] = {3, 4, 5, 2, 3, 7, 7, 4, 16};
    static const float phases[PERHO_BUTTERFLIES] = {0.3f, 0.7f, 3.6f, 4.8f, 1.6f,
                                                    5.6f, 2.8f, 3.6f, 4.6f};
    const Vector colours[3] = {punainen, oranssi, sininen};
    for (int i = 0; i < PERHO_BUTTERFLIES; i++) {
        glPushMatrix();
        Vector at = perhoanchor((i + perhosindex) % PERHO_ANCHORS, p);
        glTranslatef(at.x, at.y, at.z);
        glRotatef(90, 0, -1, 0);
        glRotatef(tiltx[i][0] * fsin(tiltx[i][1] * p), 1, 0, 0);
        glRotatef(tilty[i] * fsin(7 * p), 0, 1, 0);
        glRotatef(0, 0, 0, 1);
        glScalef(perhoscale, perhoscale, perhoscale);
        Vector colour = colours[(i + perhoscamindex) % 3];
        // Butterfly i is traced out over p = 0.1 (i + 1) .. 0.1 i + 0.35.
        butterfly((float)perhoflaprate, calcPosFloat(p, 0.1f * i + 0.1f, 0.1f * i + 0.35f),
                  p + phases[i], S * F, colour);
        glPopMatrix();
    }
}

void perhonen_free() {
    delete[] perhovertices;
    delete[] syncdata;
    delete[] suunnat;
    delete perhosmaasto;
    delete perhossync;
    delete perhoskamerasync;
    perhovertices = nullptr;
    syncdata = nullptr;
    suunnat = nullptr;
    perhosmaasto = nullptr;
    perhossync = perhoskamerasync = nullptr;
}
