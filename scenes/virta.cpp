// Scene virta, the stream: a web of neurons whose strands pulse on the music, a field of hairs
// just below the eye, and three streams of tumbling particles flowing past the viewer, joined
// later by tiny serotonin molecules; at the end the camera lifts and pulls away.
#include "scenes/virta.h"
#include "engine/colors.h"
#include "engine/curves.h"
#include "engine/fasttrig.h"
#include "engine/gl.h"
#include "engine/matrix.h"
#include "engine/path.h"
#include "engine/position.h"
#include "engine/random.h"
#include "engine/sync.h"
#include "molecules/molecules.h"
#include "scenes/scenes.h"

#include <cmath>

float* virtaheights;
float* virtaangles;
Vector* virtalines;
Path* virtapath;
Path* virtapath2;
Path* virtapath3;
VirtaLine* lines;
Sync* virtasync;
int vneuroncount = 55;
VirtaNeuron* vneurons;

// One alpha per strand vertex, written by the dark pass and read back by the light pass in the
// same order. Sized once for the web virta_init builds.
static float* virtastrandalpha;
// The hairs' bend angles this frame and their sines and cosines, taken in one call.
static float virtahairangle[VIRTA_HAIRS], virtahairsin[VIRTA_HAIRS], virtahaircos[VIRTA_HAIRS];
// The particles' wobbles this frame: the radius's angle and its sine and cosine, the radius,
// the polar and azimuth angles and the offsets they give, the sines and offsets each made for
// all particles in one call.
static float virtawobbleangle[VIRTA_PARTICLES], virtawobblesin[VIRTA_PARTICLES],
    virtawobblecos[VIRTA_PARTICLES];
static float virtawobbler[VIRTA_PARTICLES], virtatheta[VIRTA_PARTICLES], virtaphi[VIRTA_PARTICLES];
static Vector virtaoffsets[VIRTA_PARTICLES];
// Their turn angles and turns this frame, the matrices made in one call.
static Vector virtaturnangles[VIRTA_PARTICLES];
static Matrix virtaturns[VIRTA_PARTICLES];
// Each particle's three stream points this frame, 3i to 3i + 2: made for the coloured pass and
// used again by the white one.
static Vector virtastreampoints[3 * VIRTA_PARTICLES];

static const float virtapi = 3.141592f;
static const int virtaseed = 1091059;
static const int virtacues = 400; // slots of the cue track
static const int virtacuelength = 700;
// Orders firstorder..lastorder all cue on the same rows.
struct VirtaCueRows {
    int firstorder, lastorder;
    int rows[8];
    int count;
};
static const VirtaCueRows virtacuetable[] = {
    {54, 54, {0, 26, 48, 52}, 4},
    {55, 57, {0, 12, 20, 44, 48, 52}, 6},
    {58, 58, {0, 26, 48, 52}, 4},
    {59, 59, {0, 12, 20, 44, 48, 52}, 6},
    {60, 60, {0, 12, 20, 44, 48, 52, 56, 60}, 8},
    {61, 61, {0, 12, 20, 44, 48, 52}, 6},
    {62, 62, {0, 26, 48, 52}, 4},
    {63, 63, {0, 12, 20, 44, 48, 52}, 6},
};
static const float virtastrandjitter = 0.1f;
static const float virtaonenineteenth = 0.05263158f;
// The particles' wobble: its radius swings up to 0.4 round the stream point.
static const float virtawobble = 0.4f;
static const float virtamoleculescale = 0.04f;
// Every 32nd particle carries molecules; the line batch is closed round them.
static const int virtamoleculemask = 31;
// Bits 0, 1 and 2 switch the orange, violet and blue streams; all are on.
static const int virtastreams = 268435455;

// Three draws, x first.
static Vector virtadraws() {
    float x = randFloat();
    float y = randFloat();
    float z = randFloat();
    return Vector(x, y, z);
}

// The speed of a wobble term: 5 to about 30.1 radians per unit of pos.
static float virtaspeed() {
    return randFloat() * 6.283184f * 4 + 5;
}

void virta_init() {
    virtalines = new Vector[2 * VIRTA_HAIRS];
    // The hairs' feet never move: on a 1.2 x 1.2 grid round (0.13, -0.2, -6).
    for (int i = 0; i < VIRTA_SIDE; i++)
        for (int j = 0; j < VIRTA_SIDE; j++) {
            Vector cell((float)(j - 35) / 70.0f * 1.2f, 0, (float)(i - 35) / 70.0f * 1.2f);
            virtalines[2 * (i * VIRTA_SIDE + j)] = Vector(0.13f, -0.2f, -6) + cell;
        }
    virtaheights = new float[VIRTA_HAIRS];
    virtaangles = new float[VIRTA_HAIRS];
    virtapath = new Path();
    virtapath2 = new Path();
    virtapath3 = new Path();
    virtapath->addpoint(Vector(8, 0, 4));
    virtapath->addpoint(Vector(3, 1, 0));
    virtapath->addpoint(Vector(0, -1, -2));
    virtapath->addpoint(Vector(-4, -1, -7));
    virtapath2->addpoint(Vector(8, 0.3f, 5));
    virtapath2->addpoint(Vector(6, 0.6f, 7));
    virtapath2->addpoint(Vector(4, 1.1f, 1));
    virtapath2->addpoint(Vector(2, 0.5f, 0.1f));
    virtapath2->addpoint(Vector(-1, 0.1f, -2));
    virtapath2->addpoint(Vector(-1, 2.83f, 0.3f));
    virtapath3->addpoint(Vector(5, 0.4f, 7));
    virtapath3->addpoint(Vector(7, 0.2f, 4));
    virtapath3->addpoint(Vector(5, -0.2f, 1));
    virtapath3->addpoint(Vector(0, -0.6f, -7));

    setSeed(virtaseed);
    lines = new VirtaLine[VIRTA_PARTICLES];
    for (int i = 0; i < VIRTA_PARTICLES; i++) {
        // Each number in its own statement: the order of draws is the layout.
        VirtaLine& l = lines[i];
        l.rotstart = virtadraws() * 2 * virtapi;
        l.rotend = virtadraws() * 2 * virtapi * 6;
        l.length = randFloat() * 0.1f + 0.1f;
        l.theta0 = 2 * randFloat() * virtapi;
        l.phi0 = 2 * randFloat() * virtapi;
        l.thetaspeed = virtaspeed();
        l.phispeed = virtaspeed();
        l.wobblephase = 2 * randFloat() * virtapi;
        l.wobblespeed = virtaspeed();
        l.phase = randFloat();
        l.alpha = 0;
        l.t = 0;
    }

    virtasync = new Sync(virtacues, "virta");
    for (const VirtaCueRows& c : virtacuetable)
        for (int order = c.firstorder; order <= c.lastorder; order++)
            for (int r = 0; r < c.count; r++)
                virtasync->add(order, c.rows[r], virtacuelength);

    vneurons = new VirtaNeuron[vneuroncount];
    // The neurons fill a box 16 x 9 x 7 centred on (8, 2, 8).
    Matrix box = Matrix().makeScale(16, 9, 7);
    for (int i = 0; i < vneuroncount; i++) {
        Vector d = virtadraws() - Vector(0.5f, 0.5f, 0.5f);
        vneurons[i].position = d * box + Vector(8, 2, 8);
    }
    int strandpoints = 0;
    for (int i = 0; i < vneuroncount; i++) {
        VirtaNeuron& n = vneurons[i];
        n.linkcount = (int)(randFloat() * 4) + 2;
        n.linkpointcounts = new int[n.linkcount];
        n.links = new Vector*[n.linkcount];
        for (int k = 0; k < n.linkcount; k++) {
            int j;
            do {
                float r = randFloat();
                // 55 * r as the sum the layout was made with; a draw of exactly 1 gives 55.
                j = (int)((float)(vneuroncount - 1) * r + r);
            } while (j == i || j >= vneuroncount);
            n.linkpointcounts[k] = VIRTA_STRANDPOINTS;
            n.links[k] = new Vector[VIRTA_STRANDPOINTS];
            for (int m = 0; m < VIRTA_STRANDPOINTS; m++) {
                float s = (float)m * virtaonenineteenth;
                n.links[k][m] = vneurons[j].position * (1 - s) + n.position * s +
                                randomSphereVector(virtastrandjitter);
            }
            strandpoints += VIRTA_STRANDPOINTS;
        }
    }
    virtastrandalpha = new float[strandpoints];
}

// One wave at row or column k: (sin(time * w[0] + k * w[1]) + cos(k * w[2] + time * w[3])) / 4
// + 1/2, in 0..1.
static float virtawave(const float* w, float time, int k) {
    float fk = (float)k;
    return (fsin(time * w[0] + fk * w[1]) + fcos(fk * w[2] + time * w[3])) * 0.25f + 0.5f;
}

// field[i * 70 + j] = (C(j) + R(i)) / 2, the column wave C and the row wave R given as
// virtawave takes them.
static void virtafield(float* field, float time, const float* row, const float* col) {
    float c[VIRTA_SIDE];
    for (int j = 0; j < VIRTA_SIDE; j++)
        c[j] = virtawave(col, time, j);
    for (int i = 0; i < VIRTA_SIDE; i++) {
        float r = virtawave(row, time, i);
        for (int j = 0; j < VIRTA_SIDE; j++)
            field[i * VIRTA_SIDE + j] = (c[j] + r) * 0.5f;
    }
}

void virtaplasma(float* field, float time) {
    static const float row[4] = {17, 0.2f, 0.4f, 11};
    static const float col[4] = {19, 0.23f, 0.5f, 8.5f};
    virtafield(field, time, row, col);
}

void virtaplasma2(float* field, float time) {
    static const float row[4] = {11, 0.3f, 0.2f, 19};
    static const float col[4] = {14, 0.27f, 0.7f, 11.5f};
    virtafield(field, time, row, col);
}

// The strands of the web, dark at both ends (first pass) or with white pulses running along
// them (second pass, reading back what the first wrote). A vertex's envelope and pulse hang on
// its place m along the strand alone, and every strand has VIRTA_STRANDPOINTS points, so they
// are worked out once a pass for the places.
static void virtastrands(float pos, float sat, float nf, float sv, bool light) {
    float envelope[VIRTA_STRANDPOINTS], pulse[VIRTA_STRANDPOINTS];
    for (int m = 0; m < VIRTA_STRANDPOINTS; m++) {
        float s = (float)m / (float)VIRTA_STRANDPOINTS;
        envelope[m] = calcSaturate(s, 0, 1, 1);
        pulse[m] = 0.5f + 0.5f * fsin(s * 26 + pos * 147);
    }
    int e = 0;
    for (int i = 0; i < vneuroncount; i++) {
        const VirtaNeuron& n = vneurons[i];
        for (int k = 0; k < n.linkcount; k++) {
            glBegin(GL_LINE_STRIP);
            for (int m = 0; m < n.linkpointcounts[k]; m++) {
                if (!light) {
                    float w = sat * (1 - envelope[m]);
                    virtastrandalpha[e++] = w;
                    glColor4f(0, 0, 0, w * 0.2f * nf);
                } else {
                    float w = virtastrandalpha[e++];
                    glColor4f(1, 1, 1, w * 0.7f * sv * pulse[m] * nf);
                }
                glVertex3fv(&n.links[k][m].x);
            }
            glEnd();
        }
    }
}

// All 4900 hairs as one batch of lines; the caller sets colour and state.
static void virtahairs(float sat, float b, bool dark) {
    glBegin(GL_LINES);
    for (int n = 0; n < VIRTA_HAIRS; n++) {
        if (dark)
            glColor4f(0, 0, 0, sat * 0.5f * (b * 0.5f + 0.5f) * virtaheights[n]);
        glVertex3fv(&virtalines[2 * n].x);
        glVertex3fv(&virtalines[2 * n + 1].x);
    }
    glEnd();
}

// A particle's three stream points this frame.
static void virtapoints(const VirtaLine& l, const Vector* drift, Vector* p) {
    p[0] = l.offset + virtapath->getValue(l.t) + drift[0];
    p[1] = l.offset + virtapath2->getValue(l.t) + drift[1];
    p[2] = l.offset + virtapath3->getValue(l.t) + drift[2];
}

// The particle's segment on each enabled stream, in colour (colours non-null) or in the colour
// already set.
static void virtasegments(const VirtaLine& l, const Vector* p, int streams, const Vector* colours,
                          float alpha) {
    for (int s = 0; s < 3; s++) {
        if (!(streams & (1 << s)))
            continue;
        if (colours)
            glColor4f(colours[s].x, colours[s].y, colours[s].z, alpha);
        Vector a = p[s] + l.end1;
        Vector b = p[s] + l.end2;
        glVertex3fv(&a.x);
        glVertex3fv(&b.x);
    }
}

void virta(float pos) {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    float sat = calcSaturate(pos, 0, 1, 6);
    float a1 = calcPosFloat(pos, 0.115f, 0.215f);
    float a2 = calcPosFloat(pos, 0.615f, 0.64f);
    float sv = virtasync->getValue();

    // Eye and target lift and pull back together at the very end, so the view keeps its
    // direction while everything drawn falls away.
    glLoadIdentity();
    float k = (float)pow((double)pos, 50.0);
    Vector d = Vector(0, -30, 40) * k;
    Vector eye = Vector(-0.2f * pos, 0, -7) - d;
    Vector target = Vector(1.5f, 0, 0) - d;
    gluLookAt(eye.x, eye.y, eye.z, target.x, target.y, target.z, -0.3f, 1, 0);

    // Blending itself stays as the backdrops left it: on.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glLineWidth(4.0f);
    glDisable(GL_DEPTH_TEST);
    float nf = calcSaturate(pos, 0.05f, 0.95f, 15);
    virtastrands(pos, sat, nf, sv, false);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glLineWidth(1.0f);
    virtastrands(pos, sat, nf, sv, true);

    glRotatef(pos * 10, 0, 0, 1);
    glDisable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);

    // The hairs: their bend angles, then all the sines at once, then the tips over the feet.
    virtaplasma(virtaheights, pos);
    virtaplasma2(virtaangles, pos);
    for (int n = 0; n < VIRTA_HAIRS; n++)
        virtahairangle[n] = 2 * virtaangles[n] * virtapi;
    sincos_floats(virtahairangle, virtahairsin, virtahaircos, VIRTA_HAIRS);
    for (int n = 0; n < VIRTA_HAIRS; n++)
        virtalines[2 * n + 1] =
            virtalines[2 * n] +
            Vector(virtahairsin[n] * 0.03f, virtaheights[n] * 0.05f, virtahaircos[n] * 0.03f);

    float b = calcPosFloat(pos, 0.2f, 0.22f);
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glLineWidth(4.0f);
    virtahairs(sat, b, true);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glLineWidth(1.0f);
    glColor4f(1, 1, 1, sat * 0.25f * a2);
    virtahairs(sat, b, false);

    // The particles: their places, wobble angles and turn angles first, then all the wobble
    // sines and all the turns at once, then the rest.
    for (int i = 0; i < VIRTA_PARTICLES; i++) {
        VirtaLine& l = lines[i];
        float u = pos * 4 + l.phase;
        l.t = u - (float)(int)u;
        virtawobbleangle[i] = pos * l.wobblespeed + l.wobblephase;
        virtaturnangles[i] = lerpVector(l.rotstart, l.rotend, l.t);
    }
    sincos_floats(virtawobbleangle, virtawobblesin, virtawobblecos, VIRTA_PARTICLES);
    for (int i = 0; i < VIRTA_PARTICLES; i++) {
        const VirtaLine& l = lines[i];
        virtawobbler[i] = virtawobblesin[i] * virtawobble;
        virtatheta[i] = l.thetaspeed * pos + l.theta0;
        virtaphi[i] = l.phispeed * pos + l.phi0;
    }
    sphereCoords(virtawobbler, virtatheta, virtaphi, virtaoffsets, VIRTA_PARTICLES);
    makeRotations(virtaturnangles, virtaturns, VIRTA_PARTICLES);
    for (int i = 0; i < VIRTA_PARTICLES; i++) {
        VirtaLine& l = lines[i];
        l.alpha = calcSaturate(l.t, 0, 1, 3) * a1;
        l.offset = virtaoffsets[i];
        l.end1 = Vector(0, l.length * 0.5f, 0) * virtaturns[i];
        l.end2 = Vector(0, -l.length * 0.5f, 0) * virtaturns[i];
    }

    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glLineWidth(4.0f);
    const Vector drift[3] = {
        Vector(fsin(pos * 17 + 3), fcos(pos * 11 + 2), fcos(pos * 15 + 1)) * 0.25f,
        Vector(fsin(pos * 15 + 0.4f), fsin(pos * 19 + 2), fcos(pos * 16 + 3)) * 0.25f,
        Vector(fsin(pos * 11 + 2), fcos(pos * 7 + 5), fsin(pos * 15 + 1)) * 0.25f};
    const Vector colours[3] = {oranssi, violetti, sininen};
    glBegin(GL_LINES);
    for (int i = 0; i < VIRTA_PARTICLES; i++) {
        Vector* p = virtastreampoints + 3 * i;
        virtapoints(lines[i], drift, p);
        virtasegments(lines[i], p, virtastreams, colours, sat * 0.9f * lines[i].alpha);
    }
    glEnd();

    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glLineWidth(1.0f);
    glBegin(GL_LINES);
    for (int u = 0; u < VIRTA_PARTICLES; u++) {
        const VirtaLine& l = lines[u];
        const Vector* p = virtastreampoints + 3 * u;
        if ((u & virtamoleculemask) == 0) {
            glEnd();
            if (a2 > 0)
                for (int s = 0; s < 3; s++) {
                    glPushMatrix();
                    glTranslatef(p[s].x, p[s].y, p[s].z);
                    glScalef(virtamoleculescale, virtamoleculescale, virtamoleculescale);
                    serotonin(sat * a2 * l.alpha, 1.0f);
                    glPopMatrix();
                }
            // The molecules leave their own blend function and depth test behind.
            glBlendFunc(GL_SRC_ALPHA, GL_ONE);
            glDisable(GL_DEPTH_TEST);
            glBegin(GL_LINES);
        }
        glColor4f(1, 1, 1, l.alpha * sat * 0.6f);
        virtasegments(l, p, virtastreams, nullptr, 0);
    }
    glEnd();
}

void virta_free() {
    delete[] virtalines;
    delete[] virtaheights;
    delete[] virtaangles;
    virtalines = nullptr;
    virtaheights = virtaangles = nullptr;
    delete[] lines;
    lines = nullptr;
    delete virtapath;
    delete virtapath2;
    delete virtapath3;
    virtapath = virtapath2 = virtapath3 = nullptr;
    delete virtasync;
    virtasync = nullptr;
    if (vneurons) {
        for (int i = 0; i < vneuroncount; i++) {
            for (int k = 0; k < vneurons[i].linkcount; k++)
                delete[] vneurons[i].links[k];
            delete[] vneurons[i].linkpointcounts;
            delete[] vneurons[i].links;
        }
        delete[] vneurons;
        vneurons = nullptr;
    }
    delete[] virtastrandalpha;
    virtastrandalpha = nullptr;
}
