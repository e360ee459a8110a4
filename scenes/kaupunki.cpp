// Scene kaupunki, the close: a small circular city where fifteen roads meet. The roads light up
// inwards, the buildings rise one by one as white outlines, and chips and serotonin molecules
// stream up out of the centre while the camera flies round and over it.
#include "scenes/kaupunki.h"
#include "engine/colors.h"
#include "engine/curves.h"
#include "engine/gl.h"
#include "engine/lights.h"
#include "engine/matrix.h"
#include "engine/path.h"
#include "engine/position.h"
#include "engine/random.h"
#include "molecules/molecules.h"
#include "scenes/scenes.h"

#include <cmath>

Path* kaupunkikamera;
Path* kaupunkikameratarget;
Talo* talot;
Polku** polut;
AlkuPala* kaupunkipalaset;

static const float kaupunkipi = 3.141592f;
static const int kaupunkiseed = 16091;
// The buildings rise one after another from pos 0.27 over 0.4 of the scene, each taking 0.029.
static const float talofirst = 0.27f;
static const float talospread = 0.4f;
static const float taloduration = 0.029333334f;
// Buildings at least this wide are also half as tall again.
static const float talowide = 0.18f;
static const float polkuinner = 0.2f;  // distance of a road's inner end from the centre
static const float polkuouter = 14.5f; // and of its outer end
static const float polkuend = 0.35f;   // every road's highlight is complete here
static const float palarise = 15;      // height the chips rise to
static const float palaspread = 6.5f;  // and how much further out they end than they start
static const float palahalf = 0.1f;    // half the side of a chip
// The chips fade in over 0.36..0.41; every 17th one flies as a molecule.
static const float palafadein = 0.36f;
static const float palafull = 0.41f;
static const int palamolecule = 17;
static const float palamoleculescale = 0.1f;
// The molecules' spin angles are radians but turn them as 60 degrees a unit.
static const float palamoleculespin = 60;

// The colour of building or road i.
static Vector kaupunkicolour(int i) {
    const Vector colours[3] = {oranssi, sininen, violetti};
    return colours[i % 3];
}

// Three draws, x first.
static Vector kaupunkidraws() {
    float x = randFloat();
    float y = randFloat();
    float z = randFloat();
    return Vector(x, y, z);
}

// The unit direction at angle a about the vertical, a = 0 along +z.
static Vector kaupunkisuunta(float a) {
    return Vector((float)sin((double)a), 0, (float)cos((double)a));
}

void kaupunki_init() {
    kaupunkikamera = new Path();
    kaupunkikameratarget = new Path();
    const Vector eye[8] = {Vector(0, 2, -5),  Vector(0, 3, -8), Vector(-2, 7, -11),
                           Vector(-2, 7, -1), Vector(-2, 4, 8), Vector(4, 2, 9),
                           Vector(8, 6, 12),  Vector(9, 7, 13)};
    for (const Vector& p : eye)
        kaupunkikamera->addpoint(p);
    setSeed(kaupunkiseed);
    const Vector target[8] = {Vector(0, 4, 0),     Vector(1, 0, 0),      Vector(-3, 0, 0),
                              Vector(-1.2f, 0, 0), Vector(-0.3f, 1, -1), Vector(0.7f, 2, -4),
                              Vector(0, 4, 0),     Vector(0, 6, 0)};
    for (const Vector& p : target)
        kaupunkikameratarget->addpoint(p);

    talot = new Talo[KAUPUNKI_TALOT];
    polut = new Polku*[KAUPUNKI_POLUT];
    for (int i = 0; i < KAUPUNKI_TALOT; i++) {
        Talo& t = talot[i];
        t.start = (float)i / (float)KAUPUNKI_TALOT * talospread + talofirst;
        t.end = t.start + taloduration;
        // Each number in its own statement: the order of draws is the layout.
        float a = 2 * randFloat() * kaupunkipi;
        float radius = randFloat() * 2.5f + 0.03f;
        t.position = kaupunkisuunta(a) * radius;
        t.height = randFloat() * 2.8f + 0.5f;
        t.halfwidth = randFloat() * 0.1f + 0.1f;
        if (t.halfwidth > talowide)
            t.height *= 1.5f;
        t.colour = kaupunkicolour(i);
    }

    for (int i = 0; i < KAUPUNKI_POLUT; i++) {
        Vector d = kaupunkisuunta((float)i / (float)KAUPUNKI_POLUT * 2 * kaupunkipi);
        Vector inner = d * polkuinner;
        Vector outer = d * polkuouter;
        Vector colour = kaupunkicolour(i);
        polut[i] = new Polku(0.0f, polkuend, colour, outer, inner);
    }

    kaupunkipalaset = new AlkuPala[KAUPUNKI_PALASET];
    for (int i = 0; i < KAUPUNKI_PALASET; i++) {
        AlkuPala& c = kaupunkipalaset[i];
        float a = 2 * randFloat() * kaupunkipi;
        float d = randFloat();
        Vector dir = kaupunkisuunta(a);
        c.from = dir * d;
        c.to = dir * (d * palaspread) + Vector(0, palarise, 0);
        c.phase = randFloat();
        c.speed = randFloat() + 3;
        c.spin0 = kaupunkidraws() * 2 * kaupunkipi;
        c.spin1 = kaupunkidraws() * 4 * kaupunkipi;
    }
}

// Chips first .. first + n - 1 (n <= ALKUPALA_BLOCK) at pos, faded in by m, under the scene's
// envelope sat. The molecules among them get a turn they do not use.
static void kaupunkichips(int first, int n, float pos, float m, float sat) {
    const Vector colours[4] = {sininen, violetti, oranssi, punainen};
    AlkuPalaFlights f;
    alkupala_flights(kaupunkipalaset + first, n, pos, &f);
    for (int j = 0; j < n; j++) {
        int u = first + j;
        const AlkuPala& c = kaupunkipalaset[u];
        float a = m * f.envelope[j] * sat * calcPosFloat(f.place[j], 0, 1);
        Vector p = lerpVector(c.from, c.to, f.place[j]);
        const Vector& r = f.spin[j];
        if (u % palamolecule == 0) {
            glPushMatrix();
            glTranslatef(p.x, p.y, p.z);
            glScalef(palamoleculescale, palamoleculescale, palamoleculescale);
            glRotatef(r.x * palamoleculespin, 1, 0, 0);
            glRotatef(r.y * palamoleculespin, 0, 1, 0);
            glRotatef(r.z * palamoleculespin, 0, 0, 1);
            serotonin(a, 1.0f);
            glPopMatrix();
        } else {
            lightquad2_turned(p, f.turn[j], palahalf, palahalf, colours[u % 4], a * 0.5f, a * 0.8f,
                              a);
        }
    }
}

void kaupunki(float pos) {
    float sat = calcSaturate(pos, 0, 1, 3);

    glLoadIdentity();
    Vector eye = kaupunkikamera->getValue(pos);
    Vector target = kaupunkikameratarget->getValue(pos);
    gluLookAt(eye.x, eye.y, eye.z, target.x, target.y, target.z, 0, 1, 0);

    glDisable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);

    for (int i = 0; i < KAUPUNKI_POLUT; i++)
        polut[i]->draw(pos, sat);
    for (int i = 0; i < KAUPUNKI_TALOT; i++)
        talot[i].drawLines(pos, sat);
    // The grey bodies come after every outline so that, with depth writes on, they hide the
    // outlines, chips and molecules behind them.
    for (int i = 0; i < KAUPUNKI_TALOT; i++)
        talot[i].drawPolys(pos, sat);
    glEnable(GL_DEPTH_TEST);

    float m = calcPosFloat(pos, palafadein, palafull);
    if (!(m > 0))
        return;
    for (int first = 0; first < KAUPUNKI_PALASET; first += ALKUPALA_BLOCK) {
        int n =
            KAUPUNKI_PALASET - first < ALKUPALA_BLOCK ? KAUPUNKI_PALASET - first : ALKUPALA_BLOCK;
        kaupunkichips(first, n, pos, m, sat);
    }
}

void kaupunki_free() {
    delete kaupunkikamera;
    delete kaupunkikameratarget;
    kaupunkikamera = kaupunkikameratarget = nullptr;
    delete[] talot;
    talot = nullptr;
    if (polut) {
        for (int i = 0; i < KAUPUNKI_POLUT; i++)
            delete polut[i];
        delete[] polut;
        polut = nullptr;
    }
    delete[] kaupunkipalaset;
    kaupunkipalaset = nullptr;
}
