// Scene rata, which no timeline window draws: an orange ladder of small spikes winding once
// around a wavy circle, with the camera riding along it.
#include "engine/colors.h"
#include "engine/gl.h"
#include "engine/path.h"
#include "engine/position.h"
#include "scenes/scenes.h"

#include <cmath>

enum { RATA_POINTS = 100 };
// The camera rounds the track this many times over the scene.
static const float ratalaps = 2.5f;
// Far enough ahead that the camera always looks at the track's last point: a path evaluated
// past 1 holds its last point.
static const float rataahead = 1.05f;
static const float ratastep = 0.01f;
static const float rataspike = 0.2f;

Path* ratapath;

void rata_init() {
    ratapath = new Path();
    // Stops one step short of closing the circle.
    for (int i = 0; i < RATA_POINTS; i++) {
        float a = (((float)i / RATA_POINTS) * 2) * 3.141592f;
        ratapath->addpoint(Vector(2 * (float)cos((double)a), 1 + 0.4f * (float)sin((double)(4 * a)),
                                  2 * (float)sin((double)a)));
    }
}

void rata(float pos) {
    float fade = calcSaturate(pos, 0, 1, 6);
    float laps = ratalaps * pos;
    float u = laps - (float)(int)laps;

    const Vector lift(0, 1.2f, 0);
    glLoadIdentity();
    Vector eye = ratapath->getValue(u) + lift;
    Vector centre = ratapath->getValue(u + rataahead) + lift;
    gluLookAt(eye.x, eye.y, eye.z, centre.x, centre.y, centre.z, 0, 1, 0);

    glDisable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);

    // s is accumulated in single precision: 100 additions of 0.01 stay just below 1, so the
    // strip has 101 steps.
    glColor4f(oranssi.x, oranssi.y, oranssi.z, fade);
    glBegin(GL_LINE_STRIP);
    for (float s = 0; s <= 1.0f; s += ratastep) {
        Vector p = ratapath->getValue(s);
        Vector up = p + Vector(0, rataspike, 0);
        Vector side = p + Vector(rataspike, 0, 0);
        Vector back = p + Vector(0, 0, rataspike);
        glVertex3fv(&p.x);
        glVertex3fv(&up.x);
        glVertex3fv(&side.x);
        glVertex3fv(&back.x);
    }
    glEnd();
}

void rata_free() {
    delete ratapath;
    ratapath = nullptr;
}
