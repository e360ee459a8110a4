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

// Scratch for the frame's passes: the angles are gathered first and their sines taken in one
// batch (engine/fasttrig.h), because a library call per vertex was most of the frame's time.
static float virtahairangle[VIRTA_HAIRS], virtahairsin[VIRTA_HAIRS], virtahaircos[VIRTA_HAIRS];
static float virtat[VIRTA_PARTICLES], virtasat[VIRTA_PARTICLES];
static float virtawobblearg[VIRTA_PARTICLES], virtawobblesin[VIRTA_PARTICLES];
// The wobble's radius and its two angles, and the offset they give.
static float virtawobbler[VIRTA_PARTICLES], virtatheta[VIRTA_PARTICLES], virtaphi[VIRTA_PARTICLES];
static Vector virtaoffset[VIRTA_PARTICLES];
static Vector virtarot[VIRTA_PARTICLES];
// The turn angles again as one run, x, y, z of particle i at 3i, and their sines and cosines.
static float virtaturnarg[3 * VIRTA_PARTICLES];
static float virtaturnsin[3 * VIRTA_PARTICLES], virtaturncos[3 * VIRTA_PARTICLES];
// The three streams' axes at every particle's parameter, taken a stream at a time so that each
// path is checked once a frame rather than at every point.
static Vector virtaaxes[3][VIRTA_PARTICLES];
// The three stream points of every particle, where its molecules sit, and both ends of its
// segment on each stream (stream s at 2s and 2s + 1 of its six), shared by the coloured and the
// white pass. They are worked out in one pass before either, so that the loops around the GL
// calls only hand over pointers.
static Vector virtapts[3 * VIRTA_PARTICLES];
static Vector virtaends[6 * VIRTA_PARTICLES];

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

static float fsin(float a) {
    return (float)sin((double)a);
}
static float fcos(float a) {
    return (float)cos((double)a);
}

// Where hair n stands: on a 1.2 x 1.2 grid round (0.13, -0.2, -6). It never moves, so it is
// worked out once here; the frame only writes the tips.
static Vector virtafoot(int n) {
    int i = n / VIRTA_SIDE, j = n % VIRTA_SIDE;
    Vector cell((float)(j - 35) / 70.0f * 1.2f, 0, (float)(i - 35) / 70.0f * 1.2f);
    return Vector(0.13f, -0.2f, -6) + cell;
}

void virta_init() {
    virtalines = new Vector[2 * VIRTA_HAIRS];
    for (int n = 0; n < VIRTA_HAIRS; n++)
        virtalines[2 * n] = virtafoot(n);
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

    virtasync = new Sync(virtacues);
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

// field[i * 70 + j] = (C(j) + R(i)) / 2. Each wave is given as {the sine's time rate, its step
// per row or column, the cosine's step, its time rate}. R and C take one sine and one cosine
// per row or column, so the 70 of each are taken once, in a batch.
static void virtafield(float* field, float time, const float* row, const float* col) {
    // The four waves' arguments by row or column: row sine, row cosine, column sine, column
    // cosine.
    float arg[4][VIRTA_SIDE], wave[4][VIRTA_SIDE];
    for (int k = 0; k < VIRTA_SIDE; k++) {
        float fk = (float)k;
        arg[0][k] = time * row[0] + fk * row[1];
        arg[1][k] = fk * row[2] + time * row[3];
        arg[2][k] = time * col[0] + fk * col[1];
        arg[3][k] = fk * col[2] + time * col[3];
    }
    sincos_floats(arg[0], wave[0], nullptr, VIRTA_SIDE);
    sincos_floats(arg[1], nullptr, wave[1], VIRTA_SIDE);
    sincos_floats(arg[2], wave[2], nullptr, VIRTA_SIDE);
    sincos_floats(arg[3], nullptr, wave[3], VIRTA_SIDE);
    float c[VIRTA_SIDE];
    for (int j = 0; j < VIRTA_SIDE; j++)
        c[j] = (wave[2][j] + wave[3][j]) * 0.25f + 0.5f;
    for (int i = 0; i < VIRTA_SIDE; i++) {
        float r = (wave[0][i] + wave[1][i]) * 0.25f + 0.5f;
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
// them (second pass, reading back what the first wrote). Every strand has VIRTA_STRANDPOINTS
// points, and a point's envelope, pulse and so its whole colour depend on its place along the
// strand alone, so they are worked out once a pass for the VIRTA_STRANDPOINTS places.
static void virtastrands(float pos, float sat, float nf, float sv, bool light) {
    float weight[VIRTA_STRANDPOINTS], pulse[VIRTA_STRANDPOINTS], alpha[VIRTA_STRANDPOINTS];
    for (int m = 0; m < VIRTA_STRANDPOINTS; m++) {
        float s = (float)m / (float)VIRTA_STRANDPOINTS;
        if (!light) {
            weight[m] = sat * (1 - calcSaturate(s, 0, 1, 1));
            alpha[m] = weight[m] * 0.2f * nf;
        } else {
            pulse[m] = 0.5f + 0.5f * fsin(s * 26 + pos * 147);
        }
    }
    int e = 0;
    for (int i = 0; i < vneuroncount; i++) {
        const VirtaNeuron& n = vneurons[i];
        for (int k = 0; k < n.linkcount; k++) {
            int count = n.linkpointcounts[k];
            const Vector* points = n.links[k];
            glBegin(GL_LINE_STRIP);
            if (count == VIRTA_STRANDPOINTS && !light) {
                for (int m = 0; m < count; m++) {
                    virtastrandalpha[e++] = weight[m];
                    glColor4f(0, 0, 0, alpha[m]);
                    glVertex3fv(&points[m].x);
                }
            } else if (count == VIRTA_STRANDPOINTS) {
                for (int m = 0; m < count; m++) {
                    float w = virtastrandalpha[e++];
                    glColor4f(1, 1, 1, w * 0.7f * sv * pulse[m] * nf);
                    glVertex3fv(&points[m].x);
                }
            } else {
                for (int m = 0; m < count; m++) {
                    float s = (float)m / (float)count;
                    if (!light) {
                        float w = sat * (1 - calcSaturate(s, 0, 1, 1));
                        virtastrandalpha[e++] = w;
                        glColor4f(0, 0, 0, w * 0.2f * nf);
                    } else {
                        float w = virtastrandalpha[e++];
                        float p = 0.5f + 0.5f * fsin(s * 26 + pos * 147);
                        glColor4f(1, 1, 1, w * 0.7f * sv * p * nf);
                    }
                    glVertex3fv(&points[m].x);
                }
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

// How far sin a cos b (or sin a sin b) from the near sines may lie from the library's: each
// factor within TRIG_NEAR_ERROR (2^-50) of the library's and at most 1 in size puts the
// product within 2^-49 + 2^-100; the two products' roundings add 2 * 2^-53. So 2^-48 covers
// it; this allows eight times as much.
static const double virtaproducterror = 1.0 / 35184372088832.0; // 2^-45

// Every particle's wobble offset, sphereCoord(r[i], a[i], b[i]) to the bit, in passes: the
// near sines first, then the double products and their checks, a loop without calls or
// branches, and last sphereCoord itself for the few whose rounding the near values cannot
// settle.
static void virtaspheres(const float* r, const float* a, const float* b, Vector* out, int n) {
    static double ad[VIRTA_PARTICLES], bd[VIRTA_PARTICLES];
    static double sa[VIRTA_PARTICLES], ca[VIRTA_PARTICLES], sb[VIRTA_PARTICLES],
        cb[VIRTA_PARTICLES];
    static bool settled[VIRTA_PARTICLES];
    for (int i = 0; i < n; i++) {
        ad[i] = a[i];
        bd[i] = b[i];
    }
    sincos_nears(ad, sa, ca, n);
    sincos_nears(bd, sb, cb, n);
    bool all = true;
    for (int i = 0; i < n; i++) {
        double x = sa[i] * cb[i], y = sa[i] * sb[i];
        settled[i] = rounds_alike(x, virtaproducterror) & rounds_alike(y, virtaproducterror) &
                     rounds_alike(ca[i], virtaproducterror);
        all &= settled[i];
        float sx = (float)x, sy = (float)y;
        out[i] = Vector(r[i] * sx, r[i] * sy, r[i] * (float)ca[i]);
    }
    for (int i = 0; !all && i < n; i++)
        if (!settled[i])
            out[i] = sphereCoord(r[i], a[i], b[i]);
}

// Vector(0, length / 2, 0) turned by a makeRotation: the matrix's second column, by
// makeRotationFrom's own operations from the angles' sines s and cosines c, times the half
// length. The full product adds 0 * m[0] and 0 * m[2] to each coordinate, which changes
// nothing unless the coordinate is zero, where only it knows the zero's sign: the caller
// redoes those. The other end is the exact negative, as -(a * h) is a * -h.
static Vector virtaend(const float* s, const float* c, float length) {
    float sa = s[0], ca = c[0], sb = s[1], cb = c[1], sc = s[2], cc = c[2];
    Vector axis(cb * sc, sa * sb * sc + ca * cc, ca * sb * sc - sa * cc);
    return axis * (length * 0.5f);
}

// Particle i's three stream points this frame, from its axis points, and its segment's ends
// round each.
static void virtapoints(const VirtaLine& l, int i, const Vector* drift, Vector* p, Vector* ends) {
    for (int s = 0; s < 3; s++) {
        p[s] = l.offset + virtaaxes[s][i] + drift[s];
        ends[2 * s] = p[s] + l.end1;
        ends[2 * s + 1] = p[s] + l.end2;
    }
}

// The particle's segment on each enabled stream, in colour (colours non-null) or in the colour
// already set.
static void virtasegments(const Vector* ends, int streams, const Vector* colours, float alpha) {
    for (int s = 0; s < 3; s++) {
        if (!(streams & (1 << s)))
            continue;
        if (colours)
            glColor4f(colours[s].x, colours[s].y, colours[s].z, alpha);
        glVertex3fv(&ends[2 * s].x);
        glVertex3fv(&ends[2 * s + 1].x);
    }
}

void virta(float pos) {
    static int vaihto = virtastreams;

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

    // The particles in passes: their parameters and angles, then every sine at once, then the
    // places and ends.
    for (int i = 0; i < VIRTA_PARTICLES; i++) {
        VirtaLine& l = lines[i];
        float u = pos * 4 + l.phase;
        l.t = u - (float)(int)u;
        virtat[i] = l.t;
        virtawobblearg[i] = pos * l.wobblespeed + l.wobblephase;
        // lerpVector's products and sum, written out: a call per particle cost more.
        virtarot[i] = l.rotstart * (1.0f - l.t) + l.rotend * l.t;
        virtaturnarg[3 * i] = virtarot[i].x;
        virtaturnarg[3 * i + 1] = virtarot[i].y;
        virtaturnarg[3 * i + 2] = virtarot[i].z;
    }
    calcSaturates(virtat, 0, 1, 3, virtasat, VIRTA_PARTICLES);
    sincos_floats(virtawobblearg, virtawobblesin, nullptr, VIRTA_PARTICLES);
    for (int i = 0; i < VIRTA_PARTICLES; i++) {
        const VirtaLine& l = lines[i];
        virtawobbler[i] = virtawobblesin[i] * virtawobble;
        virtatheta[i] = l.thetaspeed * pos + l.theta0;
        virtaphi[i] = l.phispeed * pos + l.phi0;
    }
    virtaspheres(virtawobbler, virtatheta, virtaphi, virtaoffset, VIRTA_PARTICLES);
    sincos_floats(virtaturnarg, virtaturnsin, virtaturncos, 3 * VIRTA_PARTICLES);
    for (int i = 0; i < VIRTA_PARTICLES; i++) {
        VirtaLine& l = lines[i];
        l.alpha = virtasat[i] * a1;
        l.offset = virtaoffset[i];
        l.end1 = virtaend(virtaturnsin + 3 * i, virtaturncos + 3 * i, l.length);
        l.end2 = Vector(-l.end1.x, -l.end1.y, -l.end1.z);
        if (l.end1.x == 0 || l.end1.y == 0 || l.end1.z == 0) {
            Matrix r;
            r.makeRotation(virtarot[i].x, virtarot[i].y, virtarot[i].z);
            l.end1 = Vector(0, l.length * 0.5f, 0) * r;
            l.end2 = Vector(0, -l.length * 0.5f, 0) * r;
        }
    }

    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glLineWidth(4.0f);
    const Vector drift[3] = {
        Vector(fsin(pos * 17 + 3), fcos(pos * 11 + 2), fcos(pos * 15 + 1)) * 0.25f,
        Vector(fsin(pos * 15 + 0.4f), fsin(pos * 19 + 2), fcos(pos * 16 + 3)) * 0.25f,
        Vector(fsin(pos * 11 + 2), fcos(pos * 7 + 5), fsin(pos * 15 + 1)) * 0.25f};
    const Vector colours[3] = {oranssi, violetti, sininen};
    virtapath->getValues(virtat, virtaaxes[0], VIRTA_PARTICLES);
    virtapath2->getValues(virtat, virtaaxes[1], VIRTA_PARTICLES);
    virtapath3->getValues(virtat, virtaaxes[2], VIRTA_PARTICLES);
    for (int i = 0; i < VIRTA_PARTICLES; i++)
        virtapoints(lines[i], i, drift, virtapts + 3 * i, virtaends + 6 * i);
    glBegin(GL_LINES);
    for (int i = 0; i < VIRTA_PARTICLES; i++)
        virtasegments(virtaends + 6 * i, vaihto, colours, sat * 0.9f * lines[i].alpha);
    glEnd();

    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glLineWidth(1.0f);
    glBegin(GL_LINES);
    for (int u = 0; u < VIRTA_PARTICLES; u++) {
        VirtaLine& l = lines[u];
        const Vector* p = virtapts + 3 * u;
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
        virtasegments(virtaends + 6 * u, vaihto, nullptr, 0);
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
