// Paths through control points, evaluated segment by segment with the list's cursor.
#include "engine/path.h"

#include "engine/curves.h"
#include "engine/gl.h"

#include <cmath>

// The debugging strip's parameter step.
static const float PATH_DRAW_STEP = 0.005f;

Path::Path() : count(0), points(new ListaKoskaEngineEiToimi()) {}

Path::~Path() {
    points->destroy();
    delete points;
}

void Path::addpoint(Vector p) {
    count++;
    points->add(new Vector(p));
}

Vector Path::getValue(float t) {
    if (count < 1)
        return Vector(0, 0, 0);
    float s = t * (float)(count - 1);
    float i = std::floor(s);
    // The cursor stops on the first node for i below 0 and on the last one past the end, so
    // the outer segments extrapolate at the start and the last point holds at the end. The
    // walk is bounded by the list, which also keeps a huge or NaN t from overflowing an int.
    int node = 0;
    if (i >= 1.0f)
        node = i < (float)(count - 1) ? (int)i : count - 1;
    points->goToNode(node);
    Vector a = *(Vector*)points->getCurrent();
    points->goForward();
    Vector b = *(Vector*)points->getCurrent();
    points->goForward();
    Vector c = *(Vector*)points->getCurrent();
    HermiteCurve curve;
    curve.set(a, b - a, c - b, b);
    return curve.getValue(s - i);
}

void Path::draw() {
    glPushAttrib(GL_ENABLE_BIT);
    glPushAttrib(GL_CURRENT_BIT);
    glDisable(GL_TEXTURE_2D);
    glColor4f(1, 1, 1, 1);
    glBegin(GL_LINE_STRIP);
    for (float t = 0.0f; t < 1.0f; t += PATH_DRAW_STEP) {
        Vector v = getValue(t);
        glVertex3fv(&v.x);
    }
    glEnd();
    glPopAttrib();
    glPopAttrib();
}
