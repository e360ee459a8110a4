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

// One segment's four vectors in the order HermiteCurve takes them: its start a, the tangents
// b - a and c - b, and its end b.
struct PathSegment {
    Vector a, m0, m1, b;
};

static inline PathSegment make_segment(const Vector& a, const Vector& b, const Vector& c) {
    return PathSegment{a, b - a, c - b, b};
}

// HermiteCurve::value's four weights at u, each formed as there.
static inline void hermite_weights(float u, float* h00, float* h10, float* h01, float* h11) {
    float u2 = u * u, u3 = u2 * u;
    *h00 = 2.0f * u3 - 3.0f * u2 + 1.0f;
    *h10 = u3 - 2.0f * u2 + u;
    *h01 = u3 - u2;
    *h11 = -2.0f * u3 + 3.0f * u2;
}

// HermiteCurve::value's sum for the three coordinates, in its order.
static inline Vector hermite_sum(const PathSegment& g, float h00, float h10, float h01, float h11) {
    return Vector(h00 * g.a.x + h10 * g.m0.x + h01 * g.m1.x + h11 * g.b.x,
                  h00 * g.a.y + h10 * g.m0.y + h01 * g.m1.y + h11 * g.b.y,
                  h00 * g.a.z + h10 * g.m0.z + h01 * g.m1.z + h11 * g.b.z);
}

// HermiteCurve(a, b - a, c - b, b).getValue(u), with the same operations in the same order,
// so the floats are the same; here the weights are worked out once for the three coordinates
// and nothing goes through calls, which took half of an evaluation.
static inline Vector segment_value(const Vector& a, const Vector& b, const Vector& c, float u) {
    float h00, h10, h01, h11;
    hermite_weights(u, &h00, &h10, &h01, &h11);
    return hermite_sum(make_segment(a, b, c), h00, h10, h01, h11);
}

// The segment's first node for parameter t on a path of count >= 1 points, and the fraction u
// into it. The cursor stops on the first node for i below 0 and on the last one past the end,
// so the outer segments extrapolate at the start and the last point holds at the end. The walk
// is bounded by the list, which also keeps a huge or NaN t from overflowing an int.
//
// Written as selects on floats, not branches: a run of scattered parameters made the branches
// miss about half the time, which cost more than the whole segment's arithmetic. Every i that
// reaches the int conversion is a whole number in 0..count - 1.
static int segment_of(int count, float t, float* u) {
    float s = t * (float)(count - 1);
    float i = std::floor(s);
    *u = s - i;
    float last = (float)(count - 1);
    float below = i < last ? i : last; // NaN goes to last here, and to 0 by the mask below
    below = below > 0.0f ? below : 0.0f;
    int past_first = i >= 1.0f;
    return (int)below & -past_first;
}

// The value at fraction u of the segment from node, by the index, and the node the list's
// walk would leave its cursor on: the same three nodes as that walk, where a forward step
// stops on the last node.
static inline Vector indexed_value(ListaKoskaEngineEiToiminSolmu* const* nodes, int count, int node,
                                   float u, int* cursor) {
    int last = count - 1;
    int nb = node + 1 < last ? node + 1 : last;
    int nc = node + 2 < last ? node + 2 : last;
    *cursor = nc;
    return segment_value(*(Vector*)nodes[node]->data, *(Vector*)nodes[nb]->data,
                         *(Vector*)nodes[nc]->data, u);
}

Vector Path::getValue(float t) {
    if (count < 1)
        return Vector(0, 0, 0);
    float u;
    int node = segment_of(count, t, &u);
    if (index_matches(*this)) {
        int cursor;
        Vector v = indexed_value(nodes, count, node, u, &cursor);
        points->current = nodes[cursor];
        return v;
    }
    points->goToNode(node);
    Vector a = *(Vector*)points->getCurrent();
    points->goForward();
    Vector b = *(Vector*)points->getCurrent();
    points->goForward();
    Vector c = *(Vector*)points->getCurrent();
    return segment_value(a, b, c, u);
}

// Parameters a pass of getValues, and the longest path whose segments it tables on the stack.
enum { PATH_RUN = 64, PATH_TABLED_POINTS = 16 };

// Three passes over a run, not one loop over the points: the nodes and fractions, then the
// weights (a loop of plain float arithmetic over arrays, which the compiler runs four points a
// vector), then the sums from a table of the segments made once a call. In one loop a point
// took some hundred instructions, a third of them finding and reading its three nodes.
void Path::getValues(const float* t, Vector* out, int n) {
    if (n <= 0 || count > PATH_TABLED_POINTS || !index_matches(*this)) {
        for (int k = 0; k < n; k++)
            out[k] = getValue(t[k]);
        return;
    }
    // Segment g starts on node g; past the last point the segment degenerates as in the walk.
    PathSegment table[PATH_TABLED_POINTS];
    int last = count - 1;
    for (int g = 0; g < count; g++) {
        int nb = g + 1 < last ? g + 1 : last;
        int nc = g + 2 < last ? g + 2 : last;
        table[g] = make_segment(*(Vector*)nodes[g]->data, *(Vector*)nodes[nb]->data,
                                *(Vector*)nodes[nc]->data);
    }
    int node[PATH_RUN];
    float u[PATH_RUN], h00[PATH_RUN], h10[PATH_RUN], h01[PATH_RUN], h11[PATH_RUN];
    for (int base = 0; base < n; base += PATH_RUN) {
        int m = n - base < PATH_RUN ? n - base : PATH_RUN;
        for (int k = 0; k < m; k++)
            node[k] = segment_of(count, t[base + k], &u[k]);
        for (int k = 0; k < m; k++)
            hermite_weights(u[k], &h00[k], &h10[k], &h01[k], &h11[k]);
        for (int k = 0; k < m; k++)
            out[base + k] = hermite_sum(table[node[k]], h00[k], h10[k], h01[k], h11[k]);
    }
    // Where the last point's walk would have left the cursor.
    int final = node[(n - 1) % PATH_RUN];
    points->current = nodes[final + 2 < last ? final + 2 : last];
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
