// Scene ruutu: a field of strokes twisted by a plasma inside three glowing frame squares, with
// molecules spiralling up out of it under a camera that circles and pulls back on music cues.
#include "scenes/ruutu.h"
#include "engine/clones.h"
#include "engine/colors.h"
#include "engine/curves.h"
#include "engine/fasttrig.h"
#include "engine/gl.h"
#include "engine/lights.h"
#include "engine/matrix.h"
#include "engine/position.h"
#include "engine/random.h"
#include "engine/sync.h"
#include "molecules/molecules.h"
#include "scenes/scenes.h"

#include <cmath>

const float ruutusize = 2.5f; // side of the field, world units

Vector* ruudukko;
float* ruudukkorot;
RuutuItem* ruutuitems;
Sync* ruutusync;
// The frame squares lie flat, a quarter turn about x: the matrix lightquad would build for them
// every frame, built once.
static Matrix ruutuflat;
// The plasma's two cell terms take the sines of float sums whose first part is fixed for the
// cell, 5 u + 11 v and 7 u v: those parts, and their sines and cosines from the library, built
// once at init for ruutuplasma to turn by the frame's time.
static float ruutusumarg[RUUTU_STROKES], ruutuprodarg[RUUTU_STROKES];
static double ruutusumsin[RUUTU_STROKES], ruutusumcos[RUUTU_STROKES];
static double ruutuprodsin[RUUTU_STROKES], ruutuprodcos[RUUTU_STROKES];

// Cue rows per pattern order; a row list ends at -1.
static const int ruutucues[][9] = {
    {28, 0, 12, 20, 44, 48, 52, -1}, {29, 0, 26, 48, 52, -1},
    {30, 0, 12, 20, 44, 48, 52, -1}, {31, 0, 12, 20, 44, 48, 52, -1},
    {32, 0, 12, 20, 44, 48, 52, -1}, {33, 0, 26, 48, 52, -1},
    {34, 0, 12, 20, 44, 48, 52, -1}, {35, 0, 12, 20, 44, 48, 52, 56, 60},
};
static const int ruutucuecount = 46;
static const int ruutucuems = 500;

void ruutu_init() {
    setSeed(160919);

    ruudukko = new Vector[RUUTU_STROKES];
    ruudukkorot = new float[RUUTU_STROKES];
    for (int i = 0; i < RUUTU_SIDE; i++)
        for (int j = 0; j < RUUTU_SIDE; j++)
            ruudukko[i * RUUTU_SIDE + j] =
                Vector(j / 60.0f - 0.5f, 0, i / 60.0f - 0.5f) * ruutusize;

    // Thirteen draws an item, each in its own statement: the order is the layout.
    ruutuitems = new RuutuItem[RUUTU_ITEMS];
    for (int k = 0; k < RUUTU_ITEMS; k++) {
        RuutuItem& it = ruutuitems[k];
        it.startTime = k * 0.0014285714f + 0.25f;
        it.endTime = it.startTime + 0.06f + randFloat() * 0.1f;
        float h = randFloat() * 5 + 30;
        float rho = randFloat();
        float theta = randFloat() * 2 * 3.141592f;
        Vector ground = polarCoord(rho, theta) * 32.0f;
        it.from = Vector(ground.x, 0, ground.y);
        it.to = Vector(ground.x, h, ground.y);
        it.axis.x = 1 - 2 * randFloat();
        it.axis.y = 1 - 2 * randFloat();
        it.axis.z = 1 - 2 * randFloat();
        it.spin1 = randFloat() * 360;
        it.spin0 = randFloat() * 520;
        it.swirl0 = randFloat() * 2 * 3.141592f;
        it.swirl1 = randFloat() * 3 * 3.141592f;
        it.radius0 = randFloat();
        it.radius1 = randFloat() * 5;
    }

    ruutuflat.makeRotation(1.570796f, 0, 0);
    for (int i = 0; i < RUUTU_SIDE; i++) {
        float u = i / 60.0f;
        for (int j = 0; j < RUUTU_SIDE; j++) {
            float v = j / 60.0f;
            int n = i * RUUTU_SIDE + j;
            ruutusumarg[n] = 5 * u + 11 * v;
            ruutuprodarg[n] = 7 * u * v;
            ruutusumsin[n] = sin(ruutusumarg[n]);
            ruutusumcos[n] = cos(ruutusumarg[n]);
            ruutuprodsin[n] = sin(ruutuprodarg[n]);
            ruutuprodcos[n] = cos(ruutuprodarg[n]);
        }
    }

    ruutusync = new Sync(ruutucuecount);
    for (const int* cue : ruutucues)
        for (int r = 1; r < 9 && cue[r] >= 0; r++)
            ruutusync->add(cue[0], cue[r], ruutucuems);
}

// One cell of the plasma straight from the C library: the reference the quick sum below must
// round like, and its answer where it cannot vouch for the rounding.
static double ruutuplasmacell(float u, float v, float t) {
    // Arguments in float, the four terms summed in double.
    return sin(16 * v + 5 * t) + cos(11 * u + 6 * t) + sin(5 * u + 11 * v + 2 * t) +
           cos(7 * u * v + 4 * t);
}

// The plasma's times for which the quick sum below is vouched for: the scene runs t from 0 to 2.
static const float ruutuquickt = 4;

// How far the quick sum may lie from the library's, for 0 <= t <= ruutuquickt.
//
// The row and the column terms are near values, each within TRIG_NEAR_ERROR (2^-50) of the
// library's. A cell term is sin a (or cos a) for the float a = s + T, where s is the cell's
// fixed part and T is 2 t (or 4 t); with e = a - (s + T) exactly,
//   sin a = sin(s + T) cos e + cos(s + T) sin e,   cos a = cos(s + T) cos e - sin(s + T) sin e,
// taken as q + e (r - e q / 2) and r - e (q + e r / 2), with q and r the sine and cosine of
// s + T, each from two products of library sines and cosines. Counting every library value as
// within 2^-52 of the true one (twice its error at the most), each product is off by at most
// 2^-51 and rounds by 2^-53, and their sum rounds by 2^-53: q and r are within about
// 1.375 * 2^-50. Here s >= 0, T <= 16 and a is below 32, so |e| <= 2^-20: the correction's own
// errors are under 2^-69, the dropped e^3 / 6 and e^4 / 24 under 2^-62, and the last addition
// rounds by 2^-53. A cell term is then within about 1.5 * 2^-50 of the true value and
// 1.75 * 2^-50 of the library's, under 2^-49.
//
// The four terms: 2 * 2^-50 + 2 * 2^-49 = 6 * 2^-50. Each sum rounds its three additions, and
// with every partial below 4 each rounding is at most 2^-51, so the two sums' roundings differ
// by at most 6 * 2^-51. That makes 9 * 2^-50 < 2^-46; this allows eight times as much and
// still turns down only about one cell in a million.
//
// e itself is exact. Where s is 0, a is T and e is 0. Otherwise s is at least 2^-10, and a >= s
// is below 32: both are multiples of 2^-33, so a - s fits a double's 53 bits; and a - s - T is
// the rounding error of a float sum, itself a float.
static const double ruutusumerror = 1.0 / 8796093022208.0; // 2^-43

// The cell loop runs several cells a vector, in the widest clone the processor takes.
// Multiplies and adds stay unfused: the float arguments must round as the library's reference
// rounds them.
VECTOR_CLONES UNFUSED void ruutuplasma(float t, float amplitude) {
    // The two terms that depend on the column or on the row alone, once each a frame, as near
    // values in one batch (which gives both sine and cosine of each argument).
    double arg[2 * RUUTU_SIDE], sines[2 * RUUTU_SIDE], cosines[2 * RUUTU_SIDE];
    double colsin[RUUTU_SIDE], rowcos[RUUTU_SIDE];
    for (int k = 0; k < RUUTU_SIDE; k++) {
        float w = k / 60.0f;
        arg[k] = 16 * w + 5 * t;
        arg[RUUTU_SIDE + k] = 11 * w + 6 * t;
    }
    sincos_nears(arg, sines, cosines, 2 * RUUTU_SIDE);
    for (int k = 0; k < RUUTU_SIDE; k++) {
        colsin[k] = sines[k];
        rowcos[k] = cosines[RUUTU_SIDE + k];
    }
    // The frame's turns for the cell terms.
    const float sumt = 2 * t, prodt = 4 * t;
    const double sumtsin = sin(sumt), sumtcos = cos(sumt);
    const double prodtsin = sin(prodt), prodtcos = cos(prodt);
    // Beyond the times the bound covers, every cell comes from the library.
    const bool quick = t >= 0 && t <= ruutuquickt;

    // Then a row at a time: the sums and their checks in a loop without branches (so that it
    // runs several cells a vector), the library for the rare cell the check turned down, and
    // the twists.
    double value[RUUTU_SIDE];
    int alike[RUUTU_SIDE];
    for (int i = 0; i < RUUTU_SIDE; i++) {
        int row = i * RUUTU_SIDE;
        int odd = 0;
        for (int j = 0; j < RUUTU_SIDE; j++) {
            int n = row + j;
            // sin(5 u + 11 v + 2 t), with the float argument as the cell rounds it.
            float a = ruutusumarg[n] + sumt;
            double ae = ((double)a - ruutusumarg[n]) - sumt;
            double aq = ruutusumsin[n] * sumtcos + ruutusumcos[n] * sumtsin;
            double ar = ruutusumcos[n] * sumtcos - ruutusumsin[n] * sumtsin;
            double asin = aq + ae * (ar - 0.5 * ae * aq);
            // cos(7 u v + 4 t), likewise.
            float b = ruutuprodarg[n] + prodt;
            double be = ((double)b - ruutuprodarg[n]) - prodt;
            double bq = ruutuprodsin[n] * prodtcos + ruutuprodcos[n] * prodtsin;
            double br = ruutuprodcos[n] * prodtcos - ruutuprodsin[n] * prodtsin;
            double bcos = br - be * (bq + 0.5 * be * br);
            value[j] = colsin[j] + rowcos[i] + asin + bcos;
            alike[j] = quick & rounds_alike(value[j], ruutusumerror);
            odd |= !alike[j];
        }
        if (odd) {
            float u = i / 60.0f;
            for (int j = 0; j < RUUTU_SIDE; j++)
                if (!alike[j])
                    value[j] = ruutuplasmacell(u, j / 60.0f, t);
        }
        for (int j = 0; j < RUUTU_SIDE; j++)
            ruudukkorot[row + j] = (float)value[j] * amplitude;
    }
}

// The camera circles the field, pulled back by the cue pulse s, and lifts off at the very end.
static void ruutukamera(float pos, float s) {
    Vector base(0, 1 + 0.2f * pos * pos * pos, 2.3f * pos - 1);
    Vector orbit = Vector((float)sin(4 * pos), 0, (float)cos(4 * pos)) *
                   (0.5f * (float)cos(15 * pos) + 3.2f) * (0.2f * s + 0.8f);
    float q = (float)pow(pos - 0.1f, 56);
    Vector lift = Vector(0, 3, 0) * q * 500.0f;
    Vector eye = base + lift + orbit;
    Vector target = Vector(0, 0, 0) + lift;
    Vector up(0.1f * pos, 1 - 0.1f * pos, 0.03f * pos);
    gluLookAt(eye.x, eye.y, eye.z, target.x, target.y, target.z, up.x, up.y, up.z);
}

// A stroke's tip: p times makeRotationFrom(0, 1, sb, cb, 0, 1), the twist about the vertical
// axis, with the same products in the same order as that matrix and Vector * Matrix make them,
// written out so that the stroke loop inlines them (the call cost more than its products).
// The zeros and ones are (float)sin(0.0) and (float)cos(0.0) exactly.
//
// An untwisted stroke, sb = +-0 and cb = 1, gets the entries 1, +0, -sb / sb, 1, +0 / +0, sb, 1,
// and each of the tip's coordinates comes out as p's own whichever sign sb has: a sum keeps a
// zero's minus sign only when all its terms are -0, and every sum here has a term that is p's
// coordinate, either non-zero or +0 (the field and its rise have no -0).
static inline Vector ruututip(Vector p, float sb, float cb) {
    const float sa = 0, ca = 1, sc = 0, cc = 1;
    float m0 = cb * cc, m1 = cb * sc, m2 = -sb;
    float m3 = sa * sb * cc - ca * sc, m4 = sa * sb * sc + ca * cc, m5 = sa * cb;
    float m6 = ca * sb * cc + sa * sc, m7 = ca * sb * sc - sa * cc, m8 = ca * cb;
    return Vector(m0 * p.x + m1 * p.y + m2 * p.z, m3 * p.x + m4 * p.y + m5 * p.z,
                  m6 * p.x + m7 * p.y + m8 * p.z);
}

static void ruutufield(float pos, float alpha, bool upright) {
    Vector rise(0, 0.15f * pos, 0);
    // All the twists' sines in one batch first: the same floats as makeRotation's own. Upright
    // strokes need none; the batch would hand each zero back to the library besides.
    static float twistsin[RUUTU_STROKES], twistcos[RUUTU_STROKES];
    if (!upright)
        sincos_floats(ruudukkorot, twistsin, twistcos, RUUTU_STROKES);
    glLineWidth(2.0f);
    glBegin(GL_LINES);
    for (int n = 0; n < RUUTU_STROKES; n++) {
        // Turning about the vertical axis through the field's centre swings the tips on circles.
        Vector foot = ruudukko[n];
        Vector tip =
            upright ? ruututip(foot + rise, 0, 1) : ruututip(foot + rise, twistsin[n], twistcos[n]);
        glColor4f(oranssi.x, oranssi.y, oranssi.z, alpha);
        glVertex3fv(&foot.x);
        glColor4f(sininen.x, sininen.y, sininen.z, alpha);
        glVertex3fv(&tip.x);
    }
    glEnd();
}

static void ruutusquares(float pos, float env) {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    float g = calcPosFloat(pos, 0, 0.03f);
    float k = (float)pow(sin((1 - g) * 0.5f * 3.141592f), 16);
    float y0 = -(0.5f * k + 0.1f);
    glLineWidth(3.0f);
    lightquad_turned(Vector(0, y0, 0), ruutuflat, 1.25f, 1.25f, oranssi, env * 0.05f, env * 0.45f);
    lightquad_turned(Vector(0, y0 - 0.1f * g, 0), ruutuflat, 1.075f, 1.075f, oranssi, env * 0.05f,
                     env * 0.45f);
    lightquad_turned(Vector(0, y0 - 0.15f * g, 0), ruutuflat, 0.90000004f, 0.90000004f, oranssi,
                     env * 0.02f, env * 0.45f);
}

static void ruutumolecules(float pos, float env) {
    // First the molecules on their way, then their envelopes and swirl sines in batches (the
    // same floats as one calcSaturate, cos or sin at a time), then the drawing, in item order.
    static int on[RUUTU_ITEMS];
    static float progress[RUUTU_ITEMS], squared[RUUTU_ITEMS], swirl[RUUTU_ITEMS];
    static float climb[RUUTU_ITEMS], fade[RUUTU_ITEMS], swirlsin[RUUTU_ITEMS],
        swirlcos[RUUTU_ITEMS];
    int count = 0;
    for (int k = 0; k < RUUTU_ITEMS; k++) {
        const RuutuItem& it = ruutuitems[k];
        // Not started or already over: calcPosFloat would say 0 or 1 without dividing.
        if (pos <= it.startTime || pos >= it.endTime)
            continue;
        float p = calcPosFloat(pos, it.startTime, it.endTime);
        if (p < 0.001f || p > 0.999f)
            continue;
        on[count] = k;
        progress[count] = p;
        squared[count] = p * p;
        swirl[count] = it.swirl0 * (1 - p) + it.swirl1 * p;
        count++;
    }
    calcSaturates(progress, 0, 2, 0.5f, climb, count);
    calcSaturates(squared, 0, 1, 0.7f, fade, count);
    sincos_floats(swirl, swirlsin, swirlcos, count);

    for (int n = 0; n < count; n++) {
        int k = on[n];
        const RuutuItem& it = ruutuitems[k];
        float p = progress[n];
        // An ease-out climb plus a sideways offset that turns and widens on the way up.
        float c = climb[n] * 2;
        Vector place = lerpVector(it.from, it.to, c);
        float rho = it.radius0 * (1 - p) + it.radius1 * p;
        place = place + Vector(swirlcos[n], 0, swirlsin[n]) * rho;
        float alpha = env * fade[n];

        glPushMatrix();
        glScalef(0.03f, 0.03f, 0.03f);
        glTranslatef(place.x, place.y, place.z);
        glRotatef(it.spin1 * p + it.spin0 * (1 - p), it.axis.x, it.axis.y, it.axis.z);
        switch (k % 3) {
        case 0:
            fluoxetine(alpha, p);
            break;
        case 1:
            fluvoxamine(alpha, p);
            break;
        default:
            citalopram(alpha, p);
            break;
        }
        glPopMatrix();
    }
}

void ruutu(float pos) {
    float env = calcSaturate(pos, 0, 1, 6);
    glLoadIdentity();
    ruutukamera(pos, ruutusync->getValue());

    glDisable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);

    // Until the plasma fades in its amplitude is zero, and so is every twist: the plasma's 7200
    // sines would only pick each zero's sign, which leaves the strokes' tips as they are (see
    // ruututip). The twists are plain zeros then.
    float amplitude = 0.2f * (float)sin(calcSaturate(pos, 0.245f, 1, 6) * 3.141592f * 0.5f);
    bool upright = amplitude == 0;
    if (upright) {
        for (int n = 0; n < RUUTU_STROKES; n++)
            ruudukkorot[n] = 0;
    } else {
        ruutuplasma(2 * pos, amplitude);
    }
    ruutufield(pos, env * 0.7f * calcPosFloat(pos, 0.047f, 0.11f), upright);
    ruutusquares(pos, env);
    // The first molecule turns the depth test on, so the later ones test against it; the field
    // and the squares above neither test nor write depth.
    ruutumolecules(pos, env);
}

void ruutu_free() {
    delete[] ruudukko;
    delete[] ruudukkorot;
    delete[] ruutuitems;
    delete ruutusync;
}
