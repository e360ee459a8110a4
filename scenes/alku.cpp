// Scene alku, the opening: four molecules build up one after another with their lettering,
// while 500 tumbling chips drift across the screen under a slow sideways pan.
#include "scenes/alku.h"
#include "engine/colors.h"
#include "engine/curves.h"
#include "engine/gl.h"
#include "engine/lights.h"
#include "engine/matrix.h"
#include "engine/position.h"
#include "engine/random.h"
#include "engine/textimages.h"
#include "molecules/molecules.h"
#include "scenes/scenes.h"

#include <cmath>

int alkupalacount = 500;
AlkuPala* alkupalaset;

// The generator is reseeded so the chips are the same on every run; the first 240 numbers of
// this seed are skipped because the layout was chosen from the ones after them.
static const int alkuseed = 111519;
static const int alkuskipped = 240;
// Every 23rd chip flies as a tiny serotonin molecule instead of a square.
static const int alkumolecule = 23;
static const float alkuchiphalf = 0.03f; // half-width and half-height of a chip
static const float alkumoleculescale = 0.05f;
static const float alkuchipscale = 0.03f; // the molecules among the chips
// The exponent that keeps the scene dark until pos 0.05 and switches it on steeply by 0.1.
static const int alkuswitchpower = 40;

void alku_init() {
    alkupalaset = new AlkuPala[alkupalacount];
    setSeed(alkuseed);
    for (int i = 0; i < alkuskipped; i++)
        randFloat();
    const Vector colours[3] = {punainen, sininen, oranssi};
    for (int i = 0; i < alkupalacount; i++) {
        AlkuPala& p = alkupalaset[i];
        // Each number is drawn in its own statement: the order of draws is the layout.
        float a = randFloat() - 0.5f;
        float b = randFloat() - 0.5f;
        p.to = Vector(0, a, b) + Vector(-1, 0, 0);
        p.from = Vector(0, a, b) + Vector(2, 0, 0);
        float x = randFloat();
        float y = randFloat();
        float z = randFloat();
        p.spin0 = Vector(x, y, z) * 2.0f * 3.141592f;
        x = randFloat();
        y = randFloat();
        z = randFloat();
        p.spin1 = Vector(x, y, z) * 2.0f * 3.141592f;
        p.speed = 1.0f;
        p.phase = randFloat();
        p.colour = colours[i % 3];
    }
}

// A half-sine bump over (p0, p1) scaled by m; exactly 0 before p0, and only the residue of
// sin(3.141592) times m after p1.
static float alkupulse(float pos, float p0, float p1, float m) {
    return m * (float)sin((double)(calcPosFloat(pos, p0, p1) * 3.141592f));
}

// One molecule and its lettering. The molecule is drawn even while its pulse is 0 (it is then
// unbuilt); the lettering only while the pulse is above 0.
static void alkupair(void (*molecule)(float, float), Vector at, float m, float s, const char* text,
                     float x, float y, bool grey) {
    glPushMatrix();
    glTranslatef(at.x, at.y, at.z);
    glScalef(alkumoleculescale, alkumoleculescale, alkumoleculescale);
    molecule(m, s);
    glPopMatrix();
    if (s > 0) {
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDisable(GL_DEPTH_TEST);
        // The lettering is black texels: only the alpha of the colour shows.
        if (grey)
            glColor4f(s, s, s, s);
        else
            glColor4f(1, 1, 1, s);
        font_write(x, y, text);
    }
}

void alkupala_flights(const AlkuPala* chips, int n, float pos, AlkuPalaFlights* out) {
    for (int j = 0; j < n; j++) {
        float cycle = chips[j].speed * pos + chips[j].phase;
        out->place[j] = cycle - (float)(int)cycle;
        out->spin[j] = lerpVector(chips[j].spin0, chips[j].spin1, out->place[j]);
    }
    calcSaturates(out->place, 0, 1, 3, out->envelope, n);
    makeRotations(out->spin, out->turn, n);
}

// Chips first .. first + n - 1 (n <= ALKUPALA_BLOCK) at pos, under the scene's fade g and switch
// m; build is how whole the small molecules among them are. The molecules among them get a
// turn they do not use.
static void alkuchips(int first, int n, float pos, float g, float m, float build) {
    AlkuPalaFlights f;
    alkupala_flights(alkupalaset + first, n, pos, &f);
    for (int j = 0; j < n; j++) {
        const AlkuPala& c = alkupalaset[first + j];
        float w = g * f.envelope[j] * m * calcPosFloat(f.place[j], 0, 1);
        Vector p = lerpVector(c.from, c.to, f.place[j]);
        const Vector& q = f.spin[j];
        if ((first + j) % alkumolecule != 0) {
            lightquad2_turned(p, f.turn[j], alkuchiphalf, alkuchiphalf, c.colour, 0.5f * w,
                              0.8f * w, w);
        } else {
            glPushMatrix();
            glTranslatef(p.x, p.y, p.z);
            glScalef(alkuchipscale, alkuchipscale, alkuchipscale);
            // The spin angles are radians but turn the molecule as 90 degrees a unit.
            glRotatef(q.x * 90, 1, 0, 0);
            glRotatef(q.y * 90, 0, 1, 0);
            glRotatef(q.z * 90, 0, 0, 1);
            serotonin(m * w, build);
            glPopMatrix();
        }
    }
}

void alku(float pos) {
    float m = calcSaturate(pos, 0, 1, 6);
    float r = calcPosFloat(pos, 0.05f, 0.1f);
    for (int i = 0; i < alkuswitchpower; i++)
        m *= r;

    glLoadIdentity();
    gluLookAt(1.5f - pos, 0, -2, 1.5f - pos, 0, 0, 0, 1, 0);

    glDisable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);

    float s1 = alkupulse(pos, 0.1f, 0.2f, m);
    float s2 = alkupulse(pos, 0.3f, 0.5f, m);
    float s3 = alkupulse(pos, 0.5f, 0.7f, m);
    float s4 = alkupulse(pos, 0.7f, 0.9f, m);

    alkupair(serotonin, Vector(1.25f, 0, 0), m, s1, "mervane", 1.0f, 0.0f, true);
    alkupair(citalopram, Vector(1.25f, 0.25f, 0), m, s2, "Ordune", 1.15f, 0.2f, false);
    alkupair(fluoxetine, Vector(1.4f, -0.3f, 0), m, s3, "fluoxetine: tamsel", 1.6f, -0.3f, false);
    alkupair(fluvoxamine, Vector(1.2f, 0.3f, 0), m, s4, "fluvoxamine: vorn", 1.5f, 0.25f, false);

    glDisable(GL_DEPTH_TEST);

    float g = calcSaturate(pos, 0, 1, 1) * 0.9f;
    if (!(g > 0))
        return;
    // The small molecules are whole until pos 0.6 and dissolve by 0.8.
    float build = 1 - calcPosFloat(pos, 0.6f, 0.8f);
    for (int first = 0; first < alkupalacount; first += ALKUPALA_BLOCK) {
        int n = alkupalacount - first < ALKUPALA_BLOCK ? alkupalacount - first : ALKUPALA_BLOCK;
        alkuchips(first, n, pos, g, m, build);
    }
}

void alku_free() {
    delete[] alkupalaset;
}
