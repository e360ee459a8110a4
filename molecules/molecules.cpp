// Aine, the atom markers and the four molecule figures: glowing bonds built up segment by
// segment, with element-coloured square markers on the non-carbon atoms.
#include "molecules/molecules.h"
#include "engine/colors.h"
#include "engine/gl.h"
#include "molecules/tables.h"

Aine* fluvoksamiini = nullptr;
Aine* fluoksetiini = nullptr;
Aine* sitalopraami = nullptr;
Aine* serotoniini = nullptr;

// The body is a soft wide line; the core is added at three times its alpha so the bond reads as
// a bright thread inside a coloured glow.
static const float BOND_WIDTH = 6.0f;
static const float BOND_BODY_ALPHA = 0.6f;
static const float BOND_CORE_ALPHA = 1.8f;

static const float MARKER_HALF = 0.15f; // half the side of an atom marker
static const float MARKER_WIDTH = 4.0f;
static const float MARKER_CORE_ALPHA = 0.6f;

// Bonds complete a little before progress 1 (at about 0.91), so the finished figure holds still
// for the last part of a build-up.
static const float BUILD_OVERSHOOT = 1.1f;

void Aine::init(int n, const Vector* table) {
    verteksit = n;
    data = new Vector[n];
    for (int i = 0; i < n; i++)
        data[i] = table[i];
}

void Aine::draw(Vector colour, float amount, float alpha) {
    glDepthMask(GL_FALSE);
    glEnable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glLineWidth(BOND_WIDTH);
    float body = alpha * BOND_BODY_ALPHA;
    glColor4f(colour.x, colour.y, colour.z, body);

    if (amount > 1)
        amount = 1;
    float reach = amount * (float)verteksit;
    // Nothing is visible at or below zero; testing before the conversion also keeps a huge
    // negative or NaN amount away from an out-of-range float-to-int conversion.
    int visible = reach > 0 ? (int)reach : 0;
    if (visible > verteksit)
        visible = verteksit;
    int last = visible - 1;
    // The newest point glows brighter by the fraction of the next point already reached: in
    // [1, 2) while growing, exactly 1 when complete. GL clamps the resulting alpha at 1.
    float boost = reach - (float)(visible - 1);

    glBegin(GL_LINES);
    for (int i = 0; i < visible; i++) {
        glColor4f(colour.x, colour.y, colour.z, i == last ? body * boost : body);
        glVertex3fv(&data[i].x);
    }
    glEnd();

    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glLineWidth(1.0f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(1, 1, 1, alpha * BOND_CORE_ALPHA);
    glBegin(GL_LINES);
    for (int i = 0; i < visible; i++)
        glVertex3fv(&data[i].x);
    glEnd();
}

static void marker_loop(const Vector* corners) {
    glBegin(GL_LINE_LOOP);
    for (int i = 0; i < 4; i++)
        glVertex3fv(&corners[i].x);
    glEnd();
}

void square(Vector centre, float alpha) {
    const Vector corners[4] = {
        centre + Vector(-MARKER_HALF, -MARKER_HALF, 0),
        centre + Vector(MARKER_HALF, -MARKER_HALF, 0),
        centre + Vector(MARKER_HALF, MARKER_HALF, 0),
        centre + Vector(-MARKER_HALF, MARKER_HALF, 0),
    };
    glDepthMask(GL_FALSE);
    glLineWidth(MARKER_WIDTH);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    marker_loop(corners);

    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glLineWidth(1.0f);
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
    glColor4f(1, 1, 1, alpha * MARKER_CORE_ALPHA);
    marker_loop(corners);
}

static void element(float r, float g, float b, Vector position, float alpha) {
    glColor4f(r, g, b, alpha);
    square(position, alpha);
}

void nitrogen(Vector position, float alpha) {
    element(0.1f, 0.1f, 0.8f, position, alpha);
}
void oxygen(Vector position, float alpha) {
    element(0.8f, 0.1f, 0.1f, position, alpha);
}
void fluorine(Vector position, float alpha) {
    element(0.5f, 0.3f, 0.65f, position, alpha);
}
void hydrogen(Vector position, float alpha) {
    element(0.2f, 0.6f, 0.2f, position, alpha);
}
void carbon(Vector position, float alpha) {
    element(0.2f, 0.2f, 0.2f, position, alpha);
}

// An atom marker placed by hand on a figure, in molecule-local coordinates.
struct Marker {
    void (*atom)(Vector, float);
    float x, y;
};

// Bonds first, then the markers in table order, all of them from the start so they fade in
// with the build-up rather than popping up.
template <int N>
static void figure(Aine* aine, Vector colour, const Marker (&markers)[N], float alpha,
                   float progress) {
    aine->draw(colour, progress * BUILD_OVERSHOOT, alpha);
    float markeralpha = alpha * progress;
    for (const Marker& m : markers)
        m.atom(Vector(m.x, m.y, 0), markeralpha);
}

static const Marker fluvoxaminemarkers[] = {
    {nitrogen, 3, -3.5f}, {nitrogen, 1, -0.5f},    {oxygen, 1, -1.5f},
    {oxygen, -3, -3.5f},  {fluorine, 0, 5},        {fluorine, -1, 4},
    {fluorine, 1, 4},     {hydrogen, 3.3f, -3.2f}, {hydrogen, 3, -3.89f},
};
static const Marker fluoxetinemarkers[] = {
    {oxygen, -1, 0.5f},   {nitrogen, 3, 0.5f}, {fluorine, -1, 5.5f},
    {fluorine, -2, 4.5f}, {fluorine, 0, 4.5f}, {hydrogen, 3.3f, 0.2f},
};
// The nitrile's carbon is the one carbon that gets a marker.
static const Marker citalopramarkers[] = {
    {carbon, 0, -4}, {nitrogen, 0, -5}, {oxygen, -1, 0.2f}, {fluorine, 0, 4}, {nitrogen, 4, 0},
};
static const Marker serotoninmarkers[] = {
    {oxygen, 0, 4},
    {nitrogen, -4.9f, 1.5f},
    {nitrogen, -0.5f, -0.3f},
};

void fluvoxamine(float alpha, float progress) {
    figure(fluvoksamiini, sininen, fluvoxaminemarkers, alpha, progress);
}
void fluoxetine(float alpha, float progress) {
    figure(fluoksetiini, oranssi, fluoxetinemarkers, alpha, progress);
}
void citalopram(float alpha, float progress) {
    figure(sitalopraami, violetti, citalopramarkers, alpha, progress);
}
void serotonin(float alpha, float progress) {
    figure(serotoniini, punainen, serotoninmarkers, alpha, progress);
}

void molekyyli_init() {
    fluvoksamiini = new Aine();
    fluoksetiini = new Aine();
    sitalopraami = new Aine();
    serotoniini = new Aine();
    fluvoksamiini->init(fluvoksamiininverteksit, fluvoksamiinindata);
    fluoksetiini->init(fluoksetiininverteksit, fluoksetiinindata);
    sitalopraami->init(sitalopraaminverteksit, sitalopraamindata);
    serotoniini->init(serotoniininverteksit, serotoniinindata);
}

static void release(Aine*& aine) {
    if (!aine)
        return;
    delete[] aine->data;
    delete aine;
    // Cleared so that a second release (a test's repeated start-up and shut-down) is harmless.
    aine = nullptr;
}

void molekyyli_free() {
    release(fluvoksamiini);
    release(fluoksetiini);
    release(sitalopraami);
    release(serotoniini);
}
