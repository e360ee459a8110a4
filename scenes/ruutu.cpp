// Scene ruutu: a field of strokes twisted by a plasma inside three glowing frame squares, with
// molecules spiralling up out of it under a camera that circles and pulls back on music cues.
#include "scenes/ruutu.h"
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

    ruutusync = new Sync(ruutucuecount, "ruutu");
    for (const int* cue : ruutucues)
        for (int r = 1; r < 9 && cue[r] >= 0; r++)
            ruutusync->add(cue[0], cue[r], ruutucuems);
}

void ruutuplasma(float t, float amplitude) {
    // Arguments in float, the four terms summed in double. The first hangs on the column alone
    // and the second on the row alone: each is taken once per column or row. Then a row at a
    // time: the cells' arguments first, their sums of all four in one call, then the field.
    double column[RUUTU_SIDE];
    for (int j = 0; j < RUUTU_SIDE; j++) {
        float v = j / 60.0f;
        column[j] = sin(16 * v + 5 * t);
    }
    for (int i = 0; i < RUUTU_SIDE; i++) {
        float u = i / 60.0f;
        double row = cos(11 * u + 6 * t);
        double base[RUUTU_SIDE];
        float x[RUUTU_SIDE], y[RUUTU_SIDE], value[RUUTU_SIDE];
        for (int j = 0; j < RUUTU_SIDE; j++) {
            float v = j / 60.0f;
            base[j] = column[j] + row;
            x[j] = 5 * u + 11 * v + 2 * t;
            y[j] = 7 * u * v + 4 * t;
        }
        sincos_sums(base, x, y, value, RUUTU_SIDE);
        for (int j = 0; j < RUUTU_SIDE; j++)
            ruudukkorot[i * RUUTU_SIDE + j] = value[j] * amplitude;
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

static void ruutufield(float pos, float alpha) {
    Vector rise(0, 0.15f * pos, 0);
    glLineWidth(2.0f);
    glBegin(GL_LINES);
    // A row of strokes at a time: its turns first, all made in one call, then its lines.
    for (int row = 0; row < RUUTU_STROKES; row += RUUTU_SIDE) {
        // Turning about the vertical axis through the field's centre swings the tips on circles.
        Vector angles[RUUTU_SIDE];
        Matrix turns[RUUTU_SIDE];
        for (int j = 0; j < RUUTU_SIDE; j++)
            angles[j] = Vector(0, ruudukkorot[row + j], 0);
        makeRotations(angles, turns, RUUTU_SIDE);
        for (int j = 0; j < RUUTU_SIDE; j++) {
            Vector foot = ruudukko[row + j];
            Vector tip = (foot + rise) * turns[j];
            glColor4f(oranssi.x, oranssi.y, oranssi.z, alpha);
            glVertex3fv(&foot.x);
            glColor4f(sininen.x, sininen.y, sininen.z, alpha);
            glVertex3fv(&tip.x);
        }
    }
    glEnd();
}

static void ruutusquares(float pos, float env) {
    const Vector flat(1.570796f, 0, 0);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    float g = calcPosFloat(pos, 0, 0.03f);
    float k = (float)pow(sin((1 - g) * 0.5f * 3.141592f), 16);
    float y0 = -(0.5f * k + 0.1f);
    glLineWidth(3.0f);
    lightquad(Vector(0, y0, 0), flat, 1.25f, 1.25f, oranssi, env * 0.05f, env * 0.45f);
    lightquad(Vector(0, y0 - 0.1f * g, 0), flat, 1.075f, 1.075f, oranssi, env * 0.05f, env * 0.45f);
    lightquad(Vector(0, y0 - 0.15f * g, 0), flat, 0.90000004f, 0.90000004f, oranssi, env * 0.02f,
              env * 0.45f);
}

static void ruutumolecules(float pos, float env) {
    for (int k = 0; k < RUUTU_ITEMS; k++) {
        RuutuItem& it = ruutuitems[k];
        float p = calcPosFloat(pos, it.startTime, it.endTime);
        if (p < 0.001f || p > 0.999f)
            continue;
        // An ease-out climb plus a sideways offset that turns and widens on the way up.
        float c = calcSaturate(p, 0, 2, 0.5f) * 2;
        Vector place = lerpVector(it.from, it.to, c);
        float a = it.swirl0 * (1 - p) + it.swirl1 * p;
        float rho = it.radius0 * (1 - p) + it.radius1 * p;
        place = place + Vector((float)cos(a), 0, (float)sin(a)) * rho;
        float fade = calcSaturate(p * p, 0, 1, 0.7f);

        glPushMatrix();
        glScalef(0.03f, 0.03f, 0.03f);
        glTranslatef(place.x, place.y, place.z);
        glRotatef(it.spin1 * p + it.spin0 * (1 - p), it.axis.x, it.axis.y, it.axis.z);
        switch (k % 3) {
        case 0:
            fluoxetine(env * fade, p);
            break;
        case 1:
            fluvoxamine(env * fade, p);
            break;
        default:
            citalopram(env * fade, p);
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

    ruutuplasma(2 * pos, 0.2f * (float)sin(calcSaturate(pos, 0.245f, 1, 6) * 3.141592f * 0.5f));
    ruutufield(pos, env * 0.7f * calcPosFloat(pos, 0.047f, 0.11f));
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
