// The city's buildings (Talo) and roads (Polku): wire-frame boxes with a growing white outline
// and a hiding grey body, and jittered twisting ladders whose white highlight runs inwards.
#include "scenes/kaupunki_talot.h"
#include "engine/colors.h"
#include "engine/curves.h"
#include "engine/gl.h"
#include "engine/position.h"
#include "engine/random.h"

#include <cmath>

static const int polkurungs = 200;
static const float polkuturns = 17;        // radians the rungs turn over the whole road
static const float polkurunglength = 0.6f; // each rung is centred on the line
static const float polkujitter = 0.1f;     // the largest sideways jitter of a rung's end
// Every rung but the front one is drawn a little over full strength; the front one fades in.
static const float polkuhighlight = 1.2f;

// The three primitives of a box frame: top loop, bottom loop, four vertical edges.
static void talo_frame(const Vector* top, const Vector* bottom) {
    glBegin(GL_LINE_LOOP);
    for (int i = 0; i < 4; i++)
        glVertex3fv(&top[i].x);
    glEnd();
    glBegin(GL_LINE_LOOP);
    for (int i = 0; i < 4; i++)
        glVertex3fv(&bottom[i].x);
    glEnd();
    glBegin(GL_LINES);
    for (int i = 0; i < 4; i++) {
        glVertex3fv(&top[i].x);
        glVertex3fv(&bottom[i].x);
    }
    glEnd();
}

// Corners in the building's own frame: t0..t3 on top at height h, b0..b3 on the ground.
static void talo_corners(float w, float h, Vector* top, Vector* bottom) {
    top[0] = Vector(-w, h, -w);
    top[1] = Vector(w, h, -w);
    top[2] = Vector(w, h, w);
    top[3] = Vector(-w, h, w);
    bottom[0] = Vector(-w, 0, -w);
    bottom[1] = Vector(w, 0, -w);
    bottom[2] = Vector(w, 0, w);
    bottom[3] = Vector(-w, 0, w);
}

void Talo::drawLines(float pos, float alpha) {
    float g = calcPosFloat(pos, start, end);
    Vector top[4], bottom[4];
    talo_corners(halfwidth, height, top, bottom);

    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glPushMatrix();
    glTranslatef(position.x, position.y, position.z);
    glDepthMask(GL_TRUE);
    glEnable(GL_DEPTH_TEST);
    glColor4f(colour.x, colour.y, colour.z, alpha);
    glLineWidth(4.0f);
    talo_frame(top, bottom);

    glDisable(GL_DEPTH_TEST);
    // Scaling the top about the base's centre makes the white frame a widening frustum that
    // ends as the full box.
    for (int i = 0; i < 4; i++)
        top[i] = top[i] * g;
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor4f(1, 1, 1, g * alpha);
    glLineWidth(1.0f);
    talo_frame(top, bottom);
    glPopMatrix();
}

void Talo::drawPolys(float, float alpha) {
    Vector t[4], b[4];
    talo_corners(halfwidth, height, t, b);

    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glPushMatrix();
    glTranslatef(position.x, position.y, position.z);
    glColor4f(harmaa.x, harmaa.y, harmaa.z, alpha);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    const Vector* faces[24] = {&t[0], &t[1], &t[2], &t[3], &b[0], &b[1], &b[2], &b[3],
                               &t[0], &t[1], &b[1], &b[0], &t[1], &t[2], &b[2], &b[1],
                               &t[3], &t[0], &b[0], &b[3], &t[2], &t[3], &b[3], &b[2]};
    glBegin(GL_QUADS);
    for (const Vector* v : faces)
        glVertex3fv(&v->x);
    glEnd();
    glPopMatrix();
}

Polku::Polku(float start, float end, Vector& colour, Vector& from, Vector& to)
    : count(0), left(nullptr), right(nullptr), fadeleft(nullptr), faderight(nullptr),
      colour(colour), start(start), end(end) {
    generate(from, to);
}

Polku::~Polku() {
    delete[] left;
    delete[] right;
    delete[] fadeleft;
    delete[] faderight;
}

// One end's jitter: three draws, x first, then the scale.
static Vector polku_jitter() {
    float x = randFloat() - 0.5f;
    float z = randFloat() - 0.5f;
    return Vector(x, 0, z) * polkujitter * randFloat();
}

void Polku::generate(Vector& from, Vector& to) {
    count = polkurungs;
    left = new Vector[count];
    right = new Vector[count];
    fadeleft = new float[count];
    faderight = new float[count];
    for (int i = 0; i < count; i++) {
        float s = (float)i / (float)count;
        Vector c = lerpVector(from, to, s);
        // Each rung turns up to 30 % less than its place along the road gives.
        float ang = (s * polkuturns) * (randFloat() * 0.3f + 0.7f);
        Vector j1 = polku_jitter();
        Vector j2 = polku_jitter();
        Vector e = Vector((float)sin((double)ang), 0, (float)cos((double)ang)) * polkurunglength;
        left[i] = (j1 + c) + e * 0.5f;
        right[i] = (j2 + c) + e * (-0.5f);
        fadeleft[i] = faderight[i] = (float)pow((double)s, 2.0);
    }
}

void Polku::draw(float pos, float alpha) {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glLineWidth(4.0f);
    float g = calcPosFloat(pos, start, end);

    glBegin(GL_LINES);
    for (int i = 0; i < count; i++) {
        glColor4f(colour.x, colour.y, colour.z, alpha * fadeleft[i] * 0.7f);
        glVertex3fv(&left[i].x);
        glColor4f(colour.x, colour.y, colour.z, alpha * faderight[i] * 0.7f);
        glVertex3fv(&right[i].x);
    }
    glEnd();

    glLineWidth(1.0f);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    float x = (float)count * g;
    int n = (int)x;
    float r = x - (float)n;
    glBegin(GL_LINES);
    for (int i = 0; i < n; i++) {
        float k = i == n - 1 ? r * polkuhighlight : polkuhighlight;
        glColor4f(1, 1, 1, alpha * g * fadeleft[i] * k);
        glVertex3fv(&left[i].x);
        glColor4f(1, 1, 1, alpha * g * faderight[i] * k);
        glVertex3fv(&right[i].x);
    }
    glEnd();
    glDepthMask(GL_TRUE);
}
