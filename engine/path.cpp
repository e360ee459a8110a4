// Paths through control points, evaluated segment by segment with the list's cursor.
#include "engine/path.h"

#include "engine/gl.h"

#include <cmath>

// The debugging strip's parameter step.
static const float PATH_DRAW_STEP = 0.005f;

// The node index starts with this many slots and doubles when full.
static const int PATH_FIRST_CAPACITY = 16;

Path::Path() : count(0), points(new ListaKoskaEngineEiToimi()), nodes(nullptr), capacity(0) {}

Path::~Path() {
    points->destroy();
    delete points;
    delete[] nodes;
}

void Path::addpoint(Vector p) {
    count++;
    points->add(new Vector(p));
    if (count > capacity) {
        int grown = capacity > 0 ? 2 * capacity : PATH_FIRST_CAPACITY;
        ListaKoskaEngineEiToiminSolmu** bigger = new ListaKoskaEngineEiToiminSolmu*[grown];
        for (int k = 0; k < count - 1; k++)
            bigger[k] = nodes[k];
        delete[] nodes;
        nodes = bigger;
        capacity = grown;
    }
    nodes[count - 1] = points->last;
}

// Whether the index still matches the list: true as long as nothing but addpoint changed it.
static bool index_matches(const Path& path) {
    return path.count > 0 && path.points->count == path.count &&
           path.points->first == path.nodes[0] && path.points->last == path.nodes[path.count - 1];
}

// HermiteCurve(a, b - a, c - b, b).getValue(u), with HermiteCurve::value's weights and sums
// in the same order, so the floats are the same; here the weights are worked out once for the
// three coordinates and nothing goes through calls, which took half of an evaluation.
static Vector segment_value(const Vector& a, const Vector& b, const Vector& c, float u) {
    Vector m0 = b - a;
    Vector m1 = c - b;
    float u2 = u * u, u3 = u2 * u;
    float h00 = 2.0f * u3 - 3.0f * u2 + 1.0f;
    float h10 = u3 - 2.0f * u2 + u;
    float h01 = u3 - u2;
    float h11 = -2.0f * u3 + 3.0f * u2;
    return Vector(h00 * a.x + h10 * m0.x + h01 * m1.x + h11 * b.x,
                  h00 * a.y + h10 * m0.y + h01 * m1.y + h11 * b.y,
                  h00 * a.z + h10 * m0.z + h01 * m1.z + h11 * b.z);
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
    Vector a, b, c;
    if (index_matches(*this)) {
        // The same three nodes, and the same final cursor, as the walk below: a forward step
        // stops on the last node.
        int last = count - 1;
        int nb = node + 1 < last ? node + 1 : last;
        int nc = node + 2 < last ? node + 2 : last;
        a = *(Vector*)nodes[node]->data;
        b = *(Vector*)nodes[nb]->data;
        c = *(Vector*)nodes[nc]->data;
        points->current = nodes[nc];
    } else {
        points->goToNode(node);
        a = *(Vector*)points->getCurrent();
        points->goForward();
        b = *(Vector*)points->getCurrent();
        points->goForward();
        c = *(Vector*)points->getCurrent();
    }
    return segment_value(a, b, c, s - i);
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
